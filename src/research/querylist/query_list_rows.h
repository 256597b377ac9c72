#pragma once
// The rows of the query list: the saved queries in one of the list's four orders, each with the
// names of its catalog and its browse node. Read through the calling thread's dictionary.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/ui/window/column_table.h"

namespace zem::research {

// The orders match the list's tabs, from 1.
enum class QueryOrder { ByDate = 1, ByName = 2, ByCatalog = 3, ByNode = 4 };

// The list's columns, from 1.
namespace query_cell {
inline constexpr int kBuildDate = 1;
inline constexpr int kBuildTime = 2;
inline constexpr int kName = 3;
inline constexpr int kCatalogName = 4;
inline constexpr int kNodeName = 5;
}  // namespace query_cell

// One query of the list with the names of its catalog and node.
struct QueryRow {
    std::int32_t id = 0;  // QUE:ID
    std::int32_t buildDate = 0;
    std::int32_t buildTime = 0;
    std::string name;
    std::string catalogName;
    std::string nodeName;
    std::int32_t catalog = 0;    // QUE:CATALOG
    std::int32_t node = 0;       // QUE:NODE
    std::int32_t catalogId = 0;  // CAT:ID of the catalog found, 0 when none
    std::int32_t nodeId = 0;     // NOD:ID of the node found, 0 when none
};

// The query list's columns, in the order of its layout.
std::span<const ui::ColumnSpec<QueryRow>> QueryColumns();

// The queries in the order's key. ByCatalog shows only the queries of the catalog whose CAT:ID
// is in the thread's Catalogs buffer, ByNode those of the NOD:ID in its Nodes buffer. Names are
// read through the aCatalogs and aNodes aliases, so the Catalogs and Nodes buffers keep what
// the user picked; the Queries buffer holds the last row read.
std::vector<QueryRow> LoadQueryRows(QueryOrder order);

}  // namespace zem::research
