#pragma once
// The synthetic catalog behind item searches: how many items a search finds and what each item
// of a result page is. Everything follows from the seed and the search alone, so a search asked
// twice, or page 3 asked before page 2, gives the same items.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "web/stores.h"

namespace zem::sim {

inline constexpr int kItemsPerPage = 10;

struct ItemQuery {
    const web::StoreInfo* store = nullptr;
    std::string searchIndex;
    std::string keywords;           // decoded, as sent
    std::string browseNode;         // as sent; empty when none
    std::int64_t minimumPrice = 0;  // smallest currency unit; 0 = no bound
    std::int64_t maximumPrice = 0;
};

struct Offer {
    std::string_view condition;     // "New", "Used"
    std::string_view subCondition;  // "new", "good", ...
    std::int64_t amount = 0;
    bool superSaverShipping = false;
};

struct Item {
    std::string asin;
    std::string detailPageUrl;
    std::optional<std::int32_t> salesRank;
    std::string brand;  // empty: the item has none
    std::string title;
    std::string manufacturer;
    std::optional<std::int64_t> listPrice;
    std::optional<std::int64_t> lowestNewPrice;
    std::optional<std::int64_t> lowestUsedPrice;
    int totalNew = 0;
    int totalUsed = 0;
    std::vector<Offer> offers;
};

int TotalResultsOf(std::uint64_t seed, const ItemQuery& query);
int TotalPagesOf(int totalResults);
// The items of a page (1-based); empty beyond the last page.
std::vector<Item> ItemsOfPage(std::uint64_t seed, const ItemQuery& query, int page);

}  // namespace zem::sim
