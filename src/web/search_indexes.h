#pragma once
// The fixed vocabulary of each store: its top categories with their caption, the SearchIndex
// name item searches send, and the browse node where the category's tree starts.
#include <cstdint>
#include <span>
#include <string_view>

namespace zem::web {

struct SearchIndexEntry {
    std::string_view caption;      // NAME
    std::string_view searchIndex;  // CATALOG
    std::int32_t node;             // root browse node
};

// The store's entries in table order; empty for a value that is no store.
std::span<const SearchIndexEntry> SearchIndexesOf(std::int32_t siteFlag);

}  // namespace zem::web
