#pragma once
// The synthetic browse-node trees: one tree under every root node of every store's search
// indexes, `depth` levels deep with `fanout` children per node. Child ids are computed, not
// stored: each (store, root) pair owns a block of ids above every real root id, and inside a
// block the nodes are numbered breadth first, so parent and children follow by arithmetic.
//
// The service's trees are no strict trees, and by default these are not either: some nodes are
// listed under a second parent as well (the neighbour of their own parent on its level), and
// some child lists name the node's parent again, so a crawl meets a loop A -> B -> A. Both
// follow from the seed; the first parent alone is the one the node's Ancestors name.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zem::sim {

struct TreeShape {
    int depth = 3;   // levels below a root; 0: roots have no children
    int fanout = 4;  // children per node above the last level
    // Nodes under two parents and child lists that name the parent again; off: plain trees.
    bool crossLinks = true;
};

struct NodeRef {
    std::int32_t id = 0;
    std::string name;
};

struct BrowseNodeView {
    NodeRef node;
    // As the reply lists them: the node's own children (those it is the first parent of),
    // then the nodes it shares with a neighbour, then, for a loop, its own parent.
    std::vector<NodeRef> children;
    std::size_t ownChildren = 0;     // how many of children come first as its own
    std::vector<NodeRef> ancestors;  // first parent first, the root last; empty for a root
    int level = 0;                   // 0 for a root
};

class BrowseTree {
  public:
    // The first id of the computed blocks: above every root node the stores list.
    static constexpr std::int64_t kFirstChildId = 400'000'000;
    // With cross links: one node in kSharedEvery below the first level also sits under its
    // parent's neighbour, and one node in kLoopEvery with children lists its parent again.
    static constexpr std::uint64_t kSharedEvery = 6;
    static constexpr std::uint64_t kLoopEvery = 5;

    // An empty text when the shape fits the id space, else why not.
    static std::string CheckShape(TreeShape shape);

    // The shape must pass CheckShape.
    BrowseTree(std::uint64_t seed, TreeShape shape);

    TreeShape Shape() const { return shape_; }
    // The node `id` of the store's trees, or nothing when the store has no such node.
    std::optional<BrowseNodeView> Find(std::int32_t siteFlag, std::int64_t id) const;

  private:
    struct Root {
        std::int32_t siteFlag;
        std::int32_t node;
        std::string_view name;
    };

    std::string NameOf(std::size_t block, std::int64_t index) const;
    NodeRef RefOf(std::size_t block, std::int64_t index) const;
    int LevelOf(std::int64_t index) const;
    // Whether the node at index draws the cross link `kind` (one in `every`).
    bool Draws(std::size_t block, std::int64_t index, std::uint64_t kind,
               std::uint64_t every) const;
    // The second parent of the node at index, or -1 when it has only its first.
    std::int64_t SecondParentOf(std::size_t block, std::int64_t index) const;

    std::uint64_t seed_;
    TreeShape shape_;
    std::int64_t nodesPerRoot_;             // the root included
    std::vector<std::int64_t> levelStart_;  // index of each level's first node, and the end
    std::vector<Root> roots_;               // block number = position
};

}  // namespace zem::sim
