#pragma once
// The catalog tree as the tree windows list it: the Nodes rows of the active stores under one
// root entry, labelled with the names of the catalogs that point at their browse node, each
// entry expanded or contracted. The tree remembers which entries the user expanded, so every
// rebuild shows them the same way until Expand All or Contract All starts afresh.
//
// Everything here works on the calling thread's dictionary: it walks Nodes by its parent key,
// Catalogs by its node key, and leaves the Nodes buffer holding the last row it read.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "data/records.h"
#include "platform/store/table.h"

namespace zem::research {

// The root entry's label.
inline constexpr std::string_view kRootLabel = "AMAZON root";
// Labels are cut to this many bytes.
inline constexpr std::size_t kLabelLength = 200;
// The catalog names of one label, joined, hold at most this many bytes.
inline constexpr std::size_t kCatalogNamesLength = 1023;

// Icon numbers of the tree list's icons.
inline constexpr int kRootIcon = 1;
inline constexpr int kOpenIcon = 2;    // an expanded entry
inline constexpr int kClosedIcon = 3;  // a contracted entry or a leaf

// One entry of the list, in display order.
struct TreeEntry {
    std::string display;
    int icon = kClosedIcon;
    // Depth, 0 for the root; negative for an entry that is contracted and has children.
    std::int32_t level = 0;
    bool loaded = false;  // the entry has visible children and they are listed
    std::int32_t id = 0;
    std::int32_t parent = 0;
    store::Position position = 0;  // the Nodes row; 0 for the root
    std::int32_t node = 0;         // the store's browse-node id
    std::int32_t flags = 0;        // the row's store
    friend bool operator==(const TreeEntry&, const TreeEntry&) = default;
};

// Expanded (+1) or contracted (-1), by NOD:ID.
using ExpandMemory = std::map<std::int32_t, int>;

// The sum of the active stores' numbers (low byte of SIT:ID), read in SIT:KeyId order. The
// thread's Sites buffer is left as it was.
std::uint8_t ActiveSiteMask();

class CatalogTree {
  public:
    // Decides, beyond the site mask, whether the Nodes row in the thread's buffer is listed.
    // It may read other tables, but must leave the Nodes buffer as it found it.
    using NodeFilter = std::function<bool()>;

    explicit CatalogTree(NodeFilter filter = {}) : filter_(std::move(filter)) {}

    void SetSiteMask(std::uint8_t mask) { siteMask_ = mask; }

    const std::vector<TreeEntry>& Entries() const { return entries_; }
    int Rows() const { return static_cast<int>(entries_.size()); }
    // The entry of a row counted from 1; nullptr outside the list.
    const TreeEntry* Entry(int row) const;
    // The first row showing the node id, or 0.
    int RowOf(std::int32_t id) const;
    const ExpandMemory& Memory() const { return memory_; }

    // Rebuilds: the first level and what the user expanded; everything expanded; the first
    // level only. The last two forget what the user expanded.
    void Refresh();
    void ExpandAll();
    void ContractAll();

    // Lists the children of a contracted entry after it, or takes them away again. False when
    // the row is the root, or is not contracted (Expand) or has no visible children (Contract).
    bool Expand(int row);
    bool Contract(int row);

    // Whether a node has a child that this tree lists.
    bool HasVisibleChildren(std::int32_t parent);

    // Re-reads the row's Nodes row by its position into the thread's buffer, then sets the
    // buffer's node, store, id and parent from the entry. False when the row could not be read
    // or the row at that position is another node's (the buffer then holds the entry's values
    // over a cleared record).
    bool ReadEntry(int row);

    // The entry and every visible descendant, in tree order, all shown expanded.
    std::vector<TreeEntry> CollectSubtree(int row);

    void Forget(std::int32_t id) { memory_.erase(id); }

  private:
    // A listed Nodes row and its position.
    struct Child {
        data::NodesRecord row;
        store::Position position;
    };
    // The names of the catalogs by their browse node and store, joined in CAT:KeyNode order:
    // read once for a whole rebuild instead of once per entry.
    using CatalogNames = std::map<std::pair<std::int32_t, std::int32_t>, std::string>;

    void AddRootEntry();
    static CatalogNames ReadCatalogNames();
    static std::string LabelOf(const data::NodesRecord& nod, const CatalogNames& catalogNames);
    // The listed children of parent, in NOD:KeyParent order, read in one walk.
    std::vector<Child> ListedChildren(std::int32_t parent);
    // Every listed row by its parent, from one walk of NOD:KeyParent: what Expand All lists,
    // read in one go instead of one walk per node.
    using ChildrenByParent = std::unordered_map<std::int32_t, std::vector<Child>>;
    ChildrenByParent AllListedChildren();
    // Appends the entries of children (the listed children of one node, at level) to out and
    // descends into those to be shown expanded. all: every listed row, when already read.
    void LoadLevel(std::vector<TreeEntry>& out, ExpandMemory& memory,
                   const CatalogNames& catalogNames, const std::vector<Child>& children,
                   std::int32_t level, bool expandAll, const ChildrenByParent* all = nullptr);
    // The site mask and the filter, for the Nodes row in the buffer.
    bool Listed();

    NodeFilter filter_;
    std::uint8_t siteMask_ = 0;
    std::vector<TreeEntry> entries_;
    ExpandMemory memory_;
};

}  // namespace zem::research
