#pragma once
// Owns what a catalog crawl works on: the node queue, the catalog queue of search indexes, the
// lock over the node queue, the reply handler and the parser. The catalog updater seeds both
// queues once, hands in one reply per requested node and reads the queues directly.
#include <cstdint>
#include <mutex>
#include <span>

#include "web/browse_node_handler.h"
#include "web/html_parser.h"

namespace zem::web {

// A catalog of a store: its root (NODE 0) or one of its search indexes, as Catalogs holds it.
struct SearchIndexRow {
    std::int32_t ID = 0;
    std::int32_t PARENT = 0;  // ID of the store's root; 0 for a root
    char NAME[256] = {};      // CSTRING: the caption
    std::int32_t NODE = 0;    // where the index's tree starts; 0 for a root
    char CATALOG[81] = {};    // CSTRING: the SearchIndex name; empty for a root
    std::uint8_t BSTATE = 0;
    std::uint8_t BSITE = 0;  // the store's SiteFlag
    std::uint8_t LEVEL = 0;  // 0 root, 1 search index
};

using SearchIndexQueue = RowQueue<SearchIndexRow>;

class BrowseNodeLoader {
  public:
    BrowseNodeLoader();
    virtual ~BrowseNodeLoader() = default;
    BrowseNodeLoader(const BrowseNodeLoader&) = delete;
    BrowseNodeLoader& operator=(const BrowseNodeLoader&) = delete;

    // Seeds both queues with the search indexes of the stores in mask (SiteFlag bits).
    void LoadIndexes(std::uint8_t mask);
    // Reads the reply to the node row rowId (the parser writes into text) and marks the row
    // fetched, whatever the reply held, so a failed fetch is never retried.
    void ParseNodes(std::int32_t rowId, std::span<char> text);

    BrowseNodeQueue N;
    SearchIndexQueue Q;
    std::mutex C;  // taken around every change of N made here
    BrowseNodeHandler RD;
    HTML::Parser PR;
    std::uint8_t MAXLEVEL = 0;  // depth limit of the tree, set by the owner
};

// Empties Q and N, adds the root rows and search indexes of the stores in mask to Q, and seeds
// N with each store's root and one row per distinct starting node.
void FillSearchIndexes(std::uint8_t mask, SearchIndexQueue& Q, BrowseNodeQueue& N);

// Each appends its store's search indexes to Q, numbered on from Q's row count.
void AddSearchIndexesUS(SearchIndexQueue& Q);
void AddSearchIndexesUK(SearchIndexQueue& Q);
void AddSearchIndexesJP(SearchIndexQueue& Q);
void AddSearchIndexesFR(SearchIndexQueue& Q);
void AddSearchIndexesDE(SearchIndexQueue& Q);
void AddSearchIndexesCA(SearchIndexQueue& Q);

}  // namespace zem::web
