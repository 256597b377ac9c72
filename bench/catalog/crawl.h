#pragma once
// A crawled catalog tree as the catalog benchmarks write and show it, and the data file they
// keep it in.
#include <filesystem>

#include "web/browse_node_loader.h"

namespace zem::bench {

inline constexpr std::uint8_t kAllStores = 63;

// Six stores where every node has eight children, as a crawl leaves it in the queues.
struct Crawl {
    web::SearchIndexQueue catalogs;
    web::BrowseNodeQueue nodes;
};
Crawl MakeCrawl(int nodeCount);

// Opens (creating) the data file with Catalogs and Nodes open on this thread's dictionary.
bool OpenFile(const std::filesystem::path& path);
void CloseFile();

// A data file holding a tree of nodeCount nodes, written by the catalog updater's write-back.
bool SeedFile(const std::filesystem::path& path, int nodeCount);

}  // namespace zem::bench
