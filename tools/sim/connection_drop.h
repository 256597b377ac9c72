#pragma once
// Ends a client's connection without a reply. The HTTP server hands its handlers no socket, so
// the connection is found by its two addresses among the process's open sockets.
#include <string_view>

namespace zem::sim {

// Shuts the TCP connection between the two IPv4 endpoints down in both directions; the server
// closes the socket itself afterwards. False when no such connection is open.
bool DropConnection(std::string_view localAddress, int localPort, std::string_view remoteAddress,
                    int remotePort);

}  // namespace zem::sim
