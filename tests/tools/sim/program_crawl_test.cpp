// The program over browse trees as the service has them: nodes under two parents, child lists
// that name the parent again, Japanese names in the Japanese store. The catalog updater crawls
// them through the simulator and writes Catalogs and Nodes, the catalog tree lists what it
// wrote, and both are held against the trees the simulator generated.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/code_pages.h"
#include "research/tree/catalog_tree.h"
#include "research/updater/updater_fixture.h"

namespace zem::test {
namespace {

constexpr std::uint8_t kJP = 16;

// One store, crawled that deep. Each lookup takes the page loader a few of its cycles, so the
// cases stay small: the Japanese store's fourteen trees to the second level of crawled nodes,
// the Canadian store's five one level deeper.
struct CrawlCase {
    const char* name;
    std::uint8_t store;
    int catalogLevel;
};

std::string Decoded(std::string_view text, std::int32_t flags) {
    return runtime::ToUtf8(text, web::CodePageOf(flags));
}

class ProgramCrawlTest : public CatalogUpdaterTest,
                         public ::testing::WithParamInterface<CrawlCase> {
  protected:
    const std::uint8_t mask_ = GetParam().store;
    const int catalogLevel_ = GetParam().catalogLevel;

    // The simulator's trees as a crawl down to the depth limit finds them: from every starting
    // node, each child its parent lists, once for every way down to it, but never a node
    // inside itself. Names in UTF-8.
    Tree Unfolded() const {
        const sim::BrowseTree tree(kSeed, kShape);
        Tree expected;
        const Seeds seeds = SeedsOf(mask_);
        for (const web::BrowseNodeRow& row : seeds.nodes.Rows()) {
            if (row.LEVEL == 0) {
                expected.insert({row.BSITE, 0, std::string(data::CStringOf(row.NAME)), -1, 0});
                continue;
            }
            expected.insert({row.BSITE, row.NODE, tree.Find(row.BSITE, row.NODE)->node.name, 0, 1});
            std::vector<std::int32_t> path{row.NODE};
            Unfold(tree, row.BSITE, path, 1, expected);
        }
        return expected;
    }

    // Every node a crawl reaches within the depth limit, by store, however it is linked.
    std::set<std::pair<std::int32_t, std::int32_t>> Reachable() const {
        const sim::BrowseTree tree(kSeed, kShape);
        std::set<std::pair<std::int32_t, std::int32_t>> seen;
        std::deque<std::tuple<std::int32_t, std::int32_t, int>> queue;
        const Seeds seeds = SeedsOf(mask_);
        for (const web::BrowseNodeRow& row : seeds.nodes.Rows())
            queue.emplace_back(row.BSITE, row.NODE, row.LEVEL);
        while (!queue.empty()) {
            const auto [flags, node, level] = queue.front();
            queue.pop_front();
            if (!seen.emplace(flags, node).second || node == 0 || level >= catalogLevel_) continue;
            const std::optional<sim::BrowseNodeView> view = tree.Find(flags, node);
            for (const sim::NodeRef& child : view->children)
                queue.emplace_back(flags, child.id, level + 1);
        }
        return seen;
    }

    std::vector<data::NodesRecord> NewNodes() const {
        std::vector<data::NodesRecord> rows;
        for (const data::NodesRecord& row : Nodes())
            if ((row.FLAGS & mask_) != 0) rows.push_back(row);
        return rows;
    }

    mutable int loopsLeftOut_ = 0;  // by the last Unfolded

  private:
    void Unfold(const sim::BrowseTree& tree, std::int32_t flags, std::vector<std::int32_t>& path,
                int level, Tree& out) const {
        const std::int32_t node = path.back();
        const std::optional<sim::BrowseNodeView> view = tree.Find(flags, node);
        for (const sim::NodeRef& child : view->children) {
            if (std::find(path.begin(), path.end(), child.id) != path.end()) {
                ++loopsLeftOut_;
                continue;
            }
            out.insert({flags, child.id, child.name, node, level + 1});
            if (level + 1 >= catalogLevel_) continue;
            path.push_back(child.id);
            Unfold(tree, flags, path, level + 1, out);
            path.pop_back();
        }
    }
};

TEST_P(ProgramCrawlTest, TheUpdaterWritesTheServicesTreeAndTheTreeListsEveryRowOnce) {
    Configure(catalogLevel_);
    SetActiveStores(mask_);
    const ui::WindowId w = StartWindow();
    ASSERT_TRUE(TickToEnd(w)) << Lookups().size() << " lookups, " << Unfolded().size()
                              << " rows expected";
    EXPECT_EQ(Finish(), runtime::response::kCompleted);
    EXPECT_TRUE(display->Messages().empty());

    // The tables hold the generated trees, Japanese names decoded as the simulator wrote them.
    const std::vector<data::NodesRecord> rows = NewNodes();
    Tree written;
    for (TreeNode n : TreeOf(rows, mask_)) {
        n.name = Decoded(n.name, n.flags);
        written.insert(n);
    }
    const Tree expected = Unfolded();
    std::vector<TreeNode> missing, extra;
    std::set_difference(expected.begin(), expected.end(), written.begin(), written.end(),
                        std::back_inserter(missing));
    std::set_difference(written.begin(), written.end(), expected.begin(), expected.end(),
                        std::back_inserter(extra));
    EXPECT_EQ(missing, std::vector<TreeNode>{}) << "rows the crawl did not write";
    EXPECT_EQ(extra, std::vector<TreeNode>{}) << "rows the trees do not have";

    // The trees are the service's kind: some node is listed under two parents, and some child
    // list named a node on the way down to it, which the crawl left out.
    std::map<std::pair<std::int32_t, std::int32_t>, std::set<std::int32_t>> parentsOf;
    for (const TreeNode& n : expected) parentsOf[{n.flags, n.node}].insert(n.parentNode);
    EXPECT_TRUE(std::any_of(parentsOf.begin(), parentsOf.end(),
                            [](const auto& entry) { return entry.second.size() > 1; }));
    EXPECT_GT(loopsLeftOut_, 0);
    if (mask_ == kJP) {
        EXPECT_TRUE(std::any_of(written.begin(), written.end(), [](const TreeNode& n) {
            return n.level > 1 && std::any_of(n.name.begin(), n.name.end(), [](char ch) {
                       return static_cast<unsigned char>(ch) >= 0x80;
                   });
        }));
    }

    // No node is lost: every node within the depth limit has a row.
    std::set<std::pair<std::int32_t, std::int32_t>> stored;
    for (const data::NodesRecord& row : rows) stored.emplace(row.FLAGS, row.NODE);
    EXPECT_EQ(stored, Reachable());

    // One lookup for every row above the catalog level, and no more.
    std::multiset<std::string> expectedLookups;
    for (const TreeNode& n : expected)
        if (n.level >= 1 && n.level < catalogLevel_)
            expectedLookups.insert("GET " + research::BrowseNodeLookupUrl(n.flags, n.node));
    const std::vector<std::string> lookups = Lookups();
    EXPECT_EQ(std::multiset<std::string>(lookups.begin(), lookups.end()), expectedLookups);

    // The catalog tree lists every row once, in full, labelled with the decoded name.
    research::CatalogTree tree;
    tree.SetSiteMask(mask_);
    tree.ExpandAll();
    ASSERT_EQ(tree.Rows(), static_cast<int>(rows.size()) + 1);
    std::set<std::int32_t> listed;
    for (int row = 2; row <= tree.Rows(); ++row) {
        const research::TreeEntry& entry = *tree.Entry(row);
        EXPECT_TRUE(listed.insert(entry.id).second) << "listed twice: " << entry.id;
        const auto record =
            std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.ID == entry.id; });
        ASSERT_NE(record, rows.end());
        const std::string name = Decoded(data::CStringOf(record->NAME), record->FLAGS);
        const std::string label = Decoded(entry.display, entry.flags);
        EXPECT_TRUE(label == name || label.ends_with(" (" + name + ")")) << label;
        EXPECT_GT(entry.level, 0) << "Expand All shows every entry expanded";
    }
    tree.ContractAll();
    EXPECT_EQ(tree.Rows(), 2) << "the store's root";
    for (int row = 2; row <= tree.Rows(); ++row) EXPECT_LT(tree.Entry(row)->level, 0);
    ASSERT_TRUE(tree.Expand(2));
    EXPECT_GT(tree.Rows(), 2);
    ASSERT_TRUE(tree.Contract(2));
    EXPECT_EQ(tree.Rows(), 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgramCrawlTest,
                         ::testing::Values(CrawlCase{"JapaneseThreeLevels", kJP, 3},
                                           CrawlCase{"CanadianFourLevels", kCA, 4}),
                         [](const auto& tc) { return std::string(tc.param.name); });

}  // namespace
}  // namespace zem::test
