#include "connection_drop.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <charconv>
#include <filesystem>
#include <system_error>

namespace zem::sim {
namespace {

bool Matches(const sockaddr_in& address, std::string_view ip, int port) {
    char text[INET_ADDRSTRLEN] = {};
    if (!inet_ntop(AF_INET, &address.sin_addr, text, sizeof text)) return false;
    return ip == text && ntohs(address.sin_port) == port;
}

}  // namespace

bool DropConnection(std::string_view localAddress, int localPort, std::string_view remoteAddress,
                    int remotePort) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        const std::string name = entry.path().filename().string();
        int fd = -1;
        if (std::from_chars(name.data(), name.data() + name.size(), fd).ec != std::errc{}) continue;
        // Other threads open and close descriptors meanwhile; acting only on the one whose two
        // endpoints match keeps that harmless, as this connection lives until the handler ends.
        sockaddr_in local{}, peer{};
        socklen_t localSize = sizeof local, peerSize = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 ||
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0 ||
            local.sin_family != AF_INET || peer.sin_family != AF_INET)
            continue;
        if (Matches(local, localAddress, localPort) && Matches(peer, remoteAddress, remotePort))
            return shutdown(fd, SHUT_RDWR) == 0;
    }
    return false;
}

}  // namespace zem::sim
