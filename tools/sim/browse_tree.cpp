#include "browse_tree.h"

#include <algorithm>
#include <array>
#include <limits>

#include "rng.h"
#include "web/search_indexes.h"
#include "web/stores.h"

namespace zem::sim {
namespace {

constexpr std::array<std::string_view, 12> kQualifiers{"Classic", "Compact", "Deluxe",  "Everyday",
                                                       "Family",  "Garden",  "Home",    "Outdoor",
                                                       "Pro",     "Travel",  "Vintage", "Kids'"};
constexpr std::array<std::string_view, 12> kSubjects{
    "Accessories",  "Bestsellers", "Collections", "Essentials", "Gifts",       "Parts & Tools",
    "New Releases", "Sets",        "Specials",    "Storage",    "Bath & Body", "Guides"};
constexpr std::int64_t kNamePairs =
    static_cast<std::int64_t>(kQualifiers.size() * kSubjects.size());

// Nodes of one tree, the root included, or -1 beyond `limit`.
std::int64_t NodesPerRoot(TreeShape shape, std::int64_t limit) {
    std::int64_t total = 1, level = 1;
    for (int d = 1; d <= shape.depth && shape.fanout > 0; ++d) {
        level *= shape.fanout;
        total += level;
        if (total > limit) return -1;
    }
    return total;
}

std::size_t CountRoots() {
    std::size_t count = 0;
    for (const web::StoreInfo& store : web::Stores()) {
        std::vector<std::int32_t> seen;
        for (const web::SearchIndexEntry& entry : web::SearchIndexesOf(store.siteFlag))
            if (std::find(seen.begin(), seen.end(), entry.node) == seen.end())
                seen.push_back(entry.node);
        count += seen.size();
    }
    return count;
}

constexpr std::int64_t kIdSpace =
    std::numeric_limits<std::int32_t>::max() - BrowseTree::kFirstChildId + 1;

}  // namespace

std::string BrowseTree::CheckShape(TreeShape shape) {
    if (shape.depth < 0 || shape.fanout < 0) return "depth and fan-out must not be negative";
    const std::int64_t roots = std::max<std::int64_t>(static_cast<std::int64_t>(CountRoots()), 1);
    if (NodesPerRoot(shape, kIdSpace / roots) < 0)
        return "a tree of depth " + std::to_string(shape.depth) + " and fan-out " +
               std::to_string(shape.fanout) + " has more nodes than 32-bit ids leave room for";
    return {};
}

BrowseTree::BrowseTree(std::uint64_t seed, TreeShape shape)
    : seed_(seed), shape_(shape), nodesPerRoot_(NodesPerRoot(shape, kIdSpace)) {
    for (const web::StoreInfo& store : web::Stores()) {
        for (const web::SearchIndexEntry& entry : web::SearchIndexesOf(store.siteFlag)) {
            const bool known = std::any_of(roots_.begin(), roots_.end(), [&](const Root& root) {
                return root.siteFlag == store.siteFlag && root.node == entry.node;
            });
            if (!known) roots_.push_back({store.siteFlag, entry.node, entry.caption});
        }
    }
}

std::string BrowseTree::NameOf(std::size_t block, std::int64_t index) const {
    if (index == 0) return std::string(roots_[block].name);
    const std::int64_t parent = (index - 1) / shape_.fanout;
    const std::int64_t position = (index - 1) % shape_.fanout;
    // Siblings take name pairs from a start drawn for their parent; beyond the pairs a number
    // keeps them apart.
    const std::uint64_t start = Hasher()
                                    .Add(seed_)
                                    .Add(static_cast<std::uint64_t>(roots_[block].siteFlag))
                                    .Add(static_cast<std::uint64_t>(roots_[block].node))
                                    .Add(static_cast<std::uint64_t>(parent))
                                    .Value() %
                                kNamePairs;
    // A stride of one subject plus one qualifier changes both words from sibling to sibling;
    // it is prime to the number of pairs, so the first kNamePairs siblings all differ.
    constexpr std::int64_t kStride = static_cast<std::int64_t>(kSubjects.size()) + 1;
    const std::int64_t pair = (static_cast<std::int64_t>(start) + position * kStride) % kNamePairs;
    std::string name = std::string(kQualifiers[pair / kSubjects.size()]) + " " +
                       std::string(kSubjects[pair % kSubjects.size()]);
    if (position >= kNamePairs) name += " " + std::to_string(position / kNamePairs + 1);
    return name;
}

NodeRef BrowseTree::RefOf(std::size_t block, std::int64_t index) const {
    const std::int64_t id =
        index == 0 ? roots_[block].node
                   : kFirstChildId + static_cast<std::int64_t>(block) * nodesPerRoot_ + index;
    return {static_cast<std::int32_t>(id), NameOf(block, index)};
}

std::optional<BrowseNodeView> BrowseTree::Find(std::int32_t siteFlag, std::int64_t id) const {
    std::optional<std::size_t> block;
    std::int64_t index = 0;
    for (std::size_t b = 0; b < roots_.size() && !block; ++b)
        if (roots_[b].siteFlag == siteFlag && roots_[b].node == id) block = b;
    if (!block && id > kFirstChildId) {
        const std::int64_t offset = id - kFirstChildId;
        const auto b = static_cast<std::size_t>(offset / nodesPerRoot_);
        index = offset % nodesPerRoot_;
        if (b < roots_.size() && roots_[b].siteFlag == siteFlag && index > 0) block = b;
    }
    if (!block) return std::nullopt;

    BrowseNodeView view;
    view.node = RefOf(*block, index);
    // Heap numbering: the children of i are f*i+1 .. f*i+f, its parent (i-1)/f.
    if (shape_.fanout > 0) {
        const std::int64_t firstChild = index * shape_.fanout + 1;
        if (firstChild < nodesPerRoot_)
            for (std::int64_t c = firstChild; c < firstChild + shape_.fanout; ++c)
                view.children.push_back(RefOf(*block, c));
        for (std::int64_t i = index; i > 0;) {
            i = (i - 1) / shape_.fanout;
            view.ancestors.push_back(RefOf(*block, i));
        }
    }
    return view;
}

}  // namespace zem::sim
