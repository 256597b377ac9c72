#pragma once
// The services the simulator stands in for, by host: the E-Commerce Service of each store
// (path /onca/xml) and each store's search engine (path /search). Any other host is outside the
// loopback world and gets 502.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "browse_tree.h"
#include "proxy_request.h"

namespace zem::sim {

struct ContentSettings {
    std::uint64_t seed = 1;
    TreeShape tree;
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

// A small HTML reply for the statuses the simulator answers itself (404, 500, 502).
Reply StatusReply(int status, std::string_view reason, std::string_view detail);

}  // namespace zem::sim
