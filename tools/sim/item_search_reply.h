#pragma once
// The reply to an ItemSearch request (response group Large) for one store: a page of items from
// the synthetic catalog, or an error reply without TotalResults when the request is bad.
#include <cstdint>
#include <string>

#include "proxy_request.h"
#include "web/stores.h"

namespace zem::sim {

std::string ItemSearchReply(std::uint64_t seed, const web::StoreInfo& store,
                            const ProxyRequest& request);

}  // namespace zem::sim
