#pragma once
// The command line of service-sim.
#include <string>
#include <string_view>
#include <vector>

#include "modes.h"
#include "proxy_request.h"
#include "simulated_services.h"

namespace zem::sim {

struct Options {
    int port = -1;  // required when serving; 0 picks a free port
    ContentSettings content;
    Modes modes;
    bool help = false;

    // --dump: itemsearch, browsenode, search, or an http:// URL; empty when serving.
    std::string dump;
    std::string store = "us";
    std::string searchIndex = "Books";
    std::string keywords = "digital camera";
    std::string node;
    std::string minimumPrice;  // smallest currency unit, as sent
    std::string maximumPrice;
    std::string page;
};

// Reads the arguments after the program name. Answers an error text, or empty.
std::string ParseOptions(const std::vector<std::string_view>& args, Options& options);

// The request a --dump names, built as the program would send it. Answers an error text, or
// empty.
std::string DumpRequest(const Options& options, ProxyRequest& request);

std::string UsageText();

}  // namespace zem::sim
