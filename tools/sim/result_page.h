#pragma once
// The search engine's result page for a phrase: an optional block of sponsored results followed
// by the ordinary results, laid out the way the program's result-page reader walks it.
#include <cstdint>
#include <string>

#include "proxy_request.h"
#include "web/stores.h"

namespace zem::sim {

// The page for the request's "q" parameter, as the store's search host answers it. Follows from
// (seed, host, q) alone.
std::string ResultPage(std::uint64_t seed, const web::StoreInfo& store,
                       const ProxyRequest& request);

}  // namespace zem::sim
