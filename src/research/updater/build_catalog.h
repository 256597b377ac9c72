#pragma once
// The catalog updater: the "Catalog updater" window, run by the catalog tree window on its own
// thread. It crawls the browse-node trees of the active stores from the service, one request at
// a time down to the configured catalog level, and then replaces those stores' rows of Catalogs
// and Nodes in one transaction. Rows of inactive stores are left as they are.
#include <cstdint>
#include <string>

namespace zem::research {

// Runs the window until it closes. The tables change only when the whole crawl came in and
// the rewrite committed; Cancel, a closed window, a failed page or a failed write leave them
// as they were.
void BuildCatalog();

// "http://<the store's service host>/onca/xml?Service=AWSECommerceService&AWSAccessKeyId=<key>
// &Operation=BrowseNodeLookup&ResponseGroup=BrowseNodeInfo&BrowseNodeId=<node>"; empty for a
// value that is no store's SiteFlag.
std::string BrowseNodeLookupUrl(std::int32_t siteFlag, std::int32_t node);

}  // namespace zem::research
