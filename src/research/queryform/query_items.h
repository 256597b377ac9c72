#pragma once
// The Goods rows of one query as the query form works on them: their saving, and removing
// them from the thread's Goods table.
#include <cstdint>
#include <functional>

#include "data/records.h"

namespace zem::research {

// An item's saving in percent of its list price, as the item list shows it: 0 for an item
// without a list price.
double ShownSaving(double listPrice, double amazonPrice);

// The saving "Load List" keeps an item by: an item without a list price counts as saving 100 %.
double KeptSaving(double listPrice, double amazonPrice);

// Deletes the query's rows (in GOO:KeyQuery order) for which remove answers true; every row
// when remove is empty. Each row is read into the thread's Goods buffer first; after is called
// once per row read, whether it was deleted or not. A failed delete is reported (message 13
// on "Goods") and ends the walk. Answers false when the walk ended so (or the table could not
// be used), so the caller does not go on over rows still there.
bool DeleteQueryItems(std::int32_t query,
                      const std::function<bool(const data::GoodsRecord&)>& remove = {},
                      const std::function<void()>& after = {});

}  // namespace zem::research
