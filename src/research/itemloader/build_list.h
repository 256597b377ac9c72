#pragma once
// The item-list loader: the "Build item list" window, run by the query form on its own thread.
// It loads the items matching the query from the E-Commerce Service one result page at a time
// and adds a Goods row of the query for each item with a new price (and its brand to Brands).
#include <cstdint>

namespace zem::research {

// The most result pages one run asks for.
inline constexpr std::int32_t kMaxItemPages = 10000;

// Works on the calling thread's record buffers: the Queries record of the query (QUE:ID,
// QUE:SITE, QUE:KEYWORDS, QUE:MINPRICE, QUE:MAXPRICE), its Catalogs row (CAT:CATALOG) and its
// Nodes row (NOD:NODE). Sets QUE:BUILDDATE and QUE:BUILDTIME when the window opens and leaves
// QUE:KEYWORDS as it was sent (blanks trimmed). Answers 0 when every page was loaded and
// parsed, 3 when the settings could not be read, a page or a table write failed, or the user
// cancelled; the rows added so far stay for the caller to remove.
std::uint8_t BuildList();

}  // namespace zem::research
