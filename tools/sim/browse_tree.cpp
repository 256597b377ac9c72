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
// The Japanese store names its nodes in Japanese, as its item pages do.
constexpr std::array<std::string_view, 12> kJpQualifiers{
    "定番",   "コンパクト", "デラックス", "毎日の",   "ファミリー",   "ガーデン",
    "ホーム", "アウトドア", "プロ",       "トラベル", "ヴィンテージ", "キッズ"};
constexpr std::array<std::string_view, 12> kJpSubjects{
    "アクセサリー", "ベストセラー", "コレクション", "必需品", "ギフト",       "パーツ・工具",
    "新着",         "セット",       "特集",         "収納",   "バス・ボディ", "ガイド"};
static_assert(kJpQualifiers.size() == kQualifiers.size() && kJpSubjects.size() == kSubjects.size());
constexpr std::int64_t kNamePairs =
    static_cast<std::int64_t>(kQualifiers.size() * kSubjects.size());

constexpr std::int32_t kJapan = 16;

// The Japanese store's names of its search indexes' root nodes, by caption.
struct RootName {
    std::string_view caption;
    std::string_view name;
};
constexpr RootName kJpRootNames[] = {
    {"Specialty Stores", "専門店"},
    {"Books", "本"},
    {"Music (classical)", "クラシック"},
    {"Electronics", "家電＆カメラ"},
    {"Health & Personal Care Outlet Store", "ヘルス＆ビューティー"},
    {"Hobbies", "ホビー"},
    {"Kitchen", "ホーム＆キッチン"},
    {"Software", "PCソフト"},
    {"Sporting Goods", "スポーツ＆アウトドア"},
    {"Toys", "おもちゃ"},
    {"Video", "ビデオ"},
    {"Video Games", "TVゲーム"},
    {"Watches", "腕時計"},
};

std::string_view RootNameOf(std::int32_t siteFlag, std::string_view caption) {
    if (siteFlag == kJapan)
        for (const RootName& root : kJpRootNames)
            if (root.caption == caption) return root.name;
    return caption;
}

// Kinds of cross link, drawn apart.
constexpr std::uint64_t kShared = 1;
constexpr std::uint64_t kLoop = 2;

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
    levelStart_.push_back(0);
    for (std::int64_t width = 1, start = 0; start < nodesPerRoot_; width *= shape_.fanout) {
        start += width;
        levelStart_.push_back(start);
    }
    for (const web::StoreInfo& store : web::Stores()) {
        for (const web::SearchIndexEntry& entry : web::SearchIndexesOf(store.siteFlag)) {
            const bool known = std::any_of(roots_.begin(), roots_.end(), [&](const Root& root) {
                return root.siteFlag == store.siteFlag && root.node == entry.node;
            });
            if (!known)
                roots_.push_back(
                    {store.siteFlag, entry.node, RootNameOf(store.siteFlag, entry.caption)});
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
    const auto qualifier = static_cast<std::size_t>(pair) / kSubjects.size();
    const auto subject = static_cast<std::size_t>(pair) % kSubjects.size();
    std::string name =
        roots_[block].siteFlag == kJapan
            ? std::string(kJpQualifiers[qualifier]) + std::string(kJpSubjects[subject])
            : std::string(kQualifiers[qualifier]) + " " + std::string(kSubjects[subject]);
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
    view.level = LevelOf(index);
    if (shape_.fanout == 0) return view;
    // Heap numbering: the children of i are f*i+1 .. f*i+f, its parent (i-1)/f.
    const std::int64_t firstChild = index * shape_.fanout + 1;
    if (firstChild < nodesPerRoot_) {
        for (std::int64_t c = firstChild; c < firstChild + shape_.fanout; ++c)
            view.children.push_back(RefOf(*block, c));
        view.ownChildren = view.children.size();
        if (shape_.crossLinks) {
            // The neighbours' children whose second parent this node is.
            for (const std::int64_t neighbour : {index - 1, index + 1}) {
                if (neighbour <= 0 || LevelOf(neighbour) != view.level) continue;
                const std::int64_t first = neighbour * shape_.fanout + 1;
                for (std::int64_t c = first; c < first + shape_.fanout; ++c)
                    if (SecondParentOf(*block, c) == index)
                        view.children.push_back(RefOf(*block, c));
            }
            if (index > 0 && Draws(*block, index, kLoop, kLoopEvery))
                view.children.push_back(RefOf(*block, (index - 1) / shape_.fanout));
        }
    }
    for (std::int64_t i = index; i > 0;) {
        i = (i - 1) / shape_.fanout;
        view.ancestors.push_back(RefOf(*block, i));
    }
    return view;
}

int BrowseTree::LevelOf(std::int64_t index) const {
    int level = 0;
    while (level + 1 < static_cast<int>(levelStart_.size()) && index >= levelStart_[level + 1])
        ++level;
    return level;
}

bool BrowseTree::Draws(std::size_t block, std::int64_t index, std::uint64_t kind,
                       std::uint64_t every) const {
    return Hasher().Add(seed_)
                   .Add(kind)
                   .Add(static_cast<std::uint64_t>(roots_[block].siteFlag))
                   .Add(static_cast<std::uint64_t>(roots_[block].node))
                   .Add(static_cast<std::uint64_t>(index))
                   .Value() %
               every ==
           0;
}

std::int64_t BrowseTree::SecondParentOf(std::size_t block, std::int64_t index) const {
    if (!shape_.crossLinks || shape_.fanout == 0 || index <= 0) return -1;
    const std::int64_t parent = (index - 1) / shape_.fanout;
    // Only below the first level: the root has no neighbour.
    if (parent == 0 || !Draws(block, index, kShared, kSharedEvery)) return -1;
    const int level = LevelOf(parent);
    if (LevelOf(parent + 1) == level && parent + 1 < nodesPerRoot_) return parent + 1;
    if (LevelOf(parent - 1) == level) return parent - 1;
    return -1;
}

}  // namespace zem::sim
