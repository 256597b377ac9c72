#pragma once
// The services the simulator stands in for, by host: the E-Commerce Service of each store
// (path /onca/xml) and each store's search engine (path /search). Any other host is outside the
// loopback world and gets 502.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "browse_tree.h"
#include "proxy_request.h"
#include "service_reply.h"

namespace zem::sim {

// The access key the program sends.
inline constexpr std::string_view kProgramAccessKey = "0Q7ZK3T1W9M5B2X8C4NV";

struct ContentSettings {
    std::uint64_t seed = 1;
    TreeShape tree;
    // The AWSAccessKeyId values the service knows; any other, or none, gets its error reply.
    std::vector<std::string> accessKeys{std::string(kProgramAccessKey)};
    bool oversizedPages = false;  // Large item-search pages beyond the program's page buffer
};

struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

class SimulatedServices {
  public:
    // The tree shape must pass BrowseTree::CheckShape.
    explicit SimulatedServices(ContentSettings settings);

    Reply Answer(const ProxyRequest& request) const;

  private:
    ContentSettings settings_;
    BrowseTree tree_;
};

// The service's error for a request without AWSAccessKeyId or with one it does not know.
std::optional<ServiceError> AccessKeyError(const ProxyRequest& request,
                                           const std::vector<std::string>& known);

// A small HTML reply for the statuses the simulator answers itself (404, 500, 502).
Reply StatusReply(int status, std::string_view reason, std::string_view detail);

}  // namespace zem::sim
