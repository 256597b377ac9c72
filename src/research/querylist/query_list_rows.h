#pragma once
// The rows of the query list: the saved queries in one of the list's four orders, each with the
// names of its catalog and its browse node. Read through the calling thread's dictionary.
#include <vector>

#include "platform/ui/control.h"

namespace zem::research {

// The orders match the list's tabs, from 1.
enum class QueryOrder { ByDate = 1, ByName = 2, ByCatalog = 3, ByNode = 4 };

// A row's cells, from 1: the five shown columns, then the hidden ones.
namespace query_cell {
inline constexpr int kBuildDate = 1;
inline constexpr int kBuildTime = 2;
inline constexpr int kName = 3;
inline constexpr int kCatalogName = 4;
inline constexpr int kNodeName = 5;
inline constexpr int kShown = 5;
inline constexpr int kId = 6;          // QUE:ID
inline constexpr int kCatalog = 7;     // QUE:CATALOG
inline constexpr int kNode = 8;        // QUE:NODE
inline constexpr int kNodeId = 9;      // NOD:ID of the row found, 0 when none
inline constexpr int kCatalogId = 10;  // CAT:ID of the row found, 0 when none
// Cells that sort as the values do, for a list that compares text: the row's place in the
// key order and the build date and time as fixed-width numbers.
inline constexpr int kKeyOrder = 11;
inline constexpr int kDateOrder = 12;
inline constexpr int kTimeOrder = 13;
}  // namespace query_cell

// The queries in the order's key. ByCatalog shows only the queries of the catalog whose CAT:ID
// is in the thread's Catalogs buffer, ByNode those of the NOD:ID in its Nodes buffer. Names are
// read through the aCatalogs and aNodes aliases, so the Catalogs and Nodes buffers keep what
// the user picked; the Queries buffer holds the last row read.
std::vector<ui::ListRow> LoadQueryRows(QueryOrder order);

}  // namespace zem::research
