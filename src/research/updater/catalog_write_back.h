#pragma once
// The catalog updater's rewrite: the stores' rows of Catalogs and Nodes replaced by what a crawl
// found, in one transaction over both tables, through the calling thread's dictionary.
#include <cstdint>

#include "web/browse_node_loader.h"

namespace zem::research {

// Seconds the rewrite waits for the write locks of Catalogs and Nodes.
inline constexpr double kCatalogLockTimeout = 10.0;

// Deletes the rows of Catalogs and Nodes whose FLAGS share a bit with siteMask, then adds
// every row of catalogs to Catalogs and every row of nodes to Nodes, each table's IDs (and
// parents) shifted above the highest ID left in it. Everything commits together or not at all;
// the user is told what failed. The thread's Catalogs and Nodes buffers are left as they were.
// Both tables must be open. Answers whether the change was committed.
bool ReplaceCatalogs(std::uint8_t siteMask, const web::SearchIndexQueue& catalogs,
                     const web::BrowseNodeQueue& nodes);

}  // namespace zem::research
