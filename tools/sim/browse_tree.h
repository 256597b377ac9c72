#pragma once
// The synthetic browse-node trees: one tree under every root node of every store's search
// indexes, `depth` levels deep with `fanout` children per node. Child ids are computed, not
// stored: each (store, root) pair owns a block of ids above every real root id, and inside a
// block the nodes are numbered breadth first, so parent and children follow by arithmetic.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zem::sim {

struct TreeShape {
    int depth = 3;   // levels below a root; 0: roots have no children
    int fanout = 4;  // children per node above the last level
};

struct NodeRef {
    std::int32_t id = 0;
    std::string name;
};

struct BrowseNodeView {
    NodeRef node;
    std::vector<NodeRef> children;
    std::vector<NodeRef> ancestors;  // parent first, the root last; empty for a root
};

class BrowseTree {
  public:
    // The first id of the computed blocks: above every root node the stores list.
    static constexpr std::int64_t kFirstChildId = 400'000'000;

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

    std::uint64_t seed_;
    TreeShape shape_;
    std::int64_t nodesPerRoot_;  // the root included
    std::vector<Root> roots_;    // block number = position
};

}  // namespace zem::sim
