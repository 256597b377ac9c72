#pragma once
// The reply to a BrowseNodeLookup request (response group BrowseNodeInfo): the node with its
// children and then its ancestors, or an error reply for a missing or unknown node.
#include <string>

#include "browse_tree.h"
#include "proxy_request.h"
#include "web/stores.h"

namespace zem::sim {

std::string BrowseNodeLookupReply(const BrowseTree& tree, const web::StoreInfo& store,
                                  const ProxyRequest& request);

}  // namespace zem::sim
