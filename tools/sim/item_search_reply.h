#pragma once
// The reply to an ItemSearch request for one store: a page of items from the synthetic catalog
// with the parts its response groups ask for, or an error reply without TotalResults when the
// request is bad. `oversized` makes every Large page of ten items longer than the program's
// page buffer.
#include <cstdint>
#include <string>

#include "proxy_request.h"
#include "web/stores.h"

namespace zem::sim {

std::string ItemSearchReply(std::uint64_t seed, const web::StoreInfo& store,
                            const ProxyRequest& request, bool oversized = false);

}  // namespace zem::sim
