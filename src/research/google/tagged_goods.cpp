#include "research/google/tagged_goods.h"

#include "data/dictionary.h"
#include "platform/ui/window/busy.h"
#include "shell/tagging.h"

namespace zem::research {
namespace {

TaggedRow Load(std::int32_t pointer) {
    if (pointer == 0) return TaggedRow::End;
    data::GoodsRecord& row = data::Dict().GOO;
    row.ID = pointer;
    if (data::Access(data::TableId::Goods).TryFetch(data::GOO_KeyId) == ui::Benign)
        return TaggedRow::Loaded;
    row.ID = pointer;  // a miss clears the buffer: the id still says which row is gone
    return TaggedRow::Missing;
}

// The wait cursor for a walk's lifetime, and a yield to the window every tenth tag.
class LongWalk {
  public:
    void Step() {
        if (++steps_ % kYieldEveryTags == 0) ui::YieldToEvents();
    }

  private:
    ui::WaitCursor wait_;
    std::int32_t steps_ = 0;
};

}  // namespace

TaggedRow FirstTaggedGoods(std::int32_t query) {
    return Load(shell::FirstTagged(query));
}

TaggedRow NextTaggedGoods(std::int32_t query) {
    return Load(shell::NextTagged(query));
}

std::int32_t CountTaggedGoods(std::int32_t query) {
    LongWalk walk;
    std::int32_t count = 0;
    for (std::int32_t pointer = shell::FirstTagged(query); pointer != 0;
         pointer = shell::NextTagged(query)) {
        walk.Step();
        if (Load(pointer) == TaggedRow::Loaded) {
            ++count;
        } else {
            // The walk keeps its place, so dropping the tag here skips nothing.
            shell::RemoveTag(query, pointer);
        }
    }
    return count;
}

// Only the row at the position is read: the tags before it are passed by.
TaggedRow LoadTaggedGoods(std::int32_t query, std::int32_t position) {
    if (position < 1) return TaggedRow::End;
    LongWalk walk;
    std::int32_t pointer = shell::FirstTagged(query);
    walk.Step();
    for (std::int32_t at = 1; at < position && pointer != 0; ++at) {
        pointer = shell::NextTagged(query);
        walk.Step();
    }
    return Load(pointer);
}

}  // namespace zem::research
