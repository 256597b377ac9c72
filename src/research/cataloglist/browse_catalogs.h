#pragma once
// The list of catalogs with each catalog's parent. In select mode the chosen catalog stays in
// the thread's Catalogs buffer.
#include <cstdint>
#include <span>
#include <string>

#include "platform/ui/window/column_table.h"

namespace zem::research {

// One catalog of the list, with its parent's name (empty for a catalog without parent).
struct CatalogRow {
    std::int32_t id = 0;  // CAT:ID
    std::string name;
    std::string parent;
};

// The catalog list's columns, in the order of its layout.
std::span<const ui::ColumnSpec<CatalogRow>> CatalogColumns();

void BrowseCatalogs();

}  // namespace zem::research
