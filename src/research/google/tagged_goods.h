#pragma once
// Walks over the tagged items of a query: the tag set QUE:ID of the tagging module, whose tags
// point at Goods rows by GOO:ID, in the set's order. Each step loads the row into this thread's
// Goods buffer. The tag table must be open on the thread for the walk.
#include <cstdint>

namespace zem::research {

// Where a step of the walk landed.
enum class TaggedRow : std::uint8_t {
    End,      // the set has no further tag; the Goods buffer is as it was
    Loaded,   // the tag's row is in the Goods buffer
    Missing,  // the tag points at a row that is gone; GOO:ID still names it
};

// The first (next) tag of the query's set; its row is read by KeyId without a message.
TaggedRow FirstTaggedGoods(std::int32_t query);
TaggedRow NextTaggedGoods(std::int32_t query);

// Long walks show the wait cursor and let the window handle its pending events every this
// many tags.
inline constexpr std::int32_t kYieldEveryTags = 10;

// Counts the query's tagged rows that exist. A tag whose row is gone is removed on the way.
std::int32_t CountTaggedGoods(std::int32_t query);

// Loads the position-th tagged row of the query (from 1), walking the set from its start.
// End when the set holds fewer tags.
TaggedRow LoadTaggedGoods(std::int32_t query, std::int32_t position);

}  // namespace zem::research
