#pragma once
// The search engine's result page for a phrase, laid out as the result pages of 2007 and 2008
// were: inline scripts and styles, comments, entities, unquoted attributes, a sponsored block at
// the top and one at the side, news and image blocks among the ordinary results.
#include <cstdint>
#include <string>
#include <vector>

#include "proxy_request.h"
#include "web/stores.h"

namespace zem::sim {

// What the generator put on a page, for tests to hold a reader's findings against.
struct ResultPageFacts {
    // The sponsored results at the top, in page order: their display addresses as plain text
    // and whether the address is the store's own ("www." + its domain, in any case).
    std::vector<std::string> topAddresses;
    std::vector<bool> topIsStore;
    int sideAds = 0;  // sponsored results in the side column
    // The ordinary results' links (entities decoded) and whether each leads to the store's
    // shop over http ("http://www." + its domain, in any case).
    std::vector<std::string> links;
    std::vector<bool> linkIsStore;
    int newsBlocks = 0;
    int imageBlocks = 0;
};

struct GeneratedPage {
    std::string html;
    ResultPageFacts facts;
};

// The page for a "q" parameter (as it came in the request, "+" for blanks already decoded) as
// the store's search host answers it. Follows from (seed, host, q) alone.
GeneratedPage DrawResultPage(std::uint64_t seed, const web::StoreInfo& store, std::string_view host,
                             std::string_view q);

std::string ResultPage(std::uint64_t seed, const web::StoreInfo& store,
                       const ProxyRequest& request);

}  // namespace zem::sim
