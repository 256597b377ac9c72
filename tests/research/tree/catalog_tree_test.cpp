#include "research/tree/catalog_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "data/data_fixture.h"
#include "research/tree/select_tree.h"
#include "research/tree/tree_seed.h"

namespace zem::test {
namespace {

using research::CatalogTree;
using research::TreeEntry;

// What one entry shows: label, level (negative: contracted) and icon.
struct Shown {
    std::string label;
    std::int32_t level;
    int icon;
    friend bool operator==(const Shown&, const Shown&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Shown& s) {
        return out << "{\"" << s.label << "\", " << s.level << ", " << s.icon << "}";
    }
};

std::vector<Shown> ShownOf(const CatalogTree& tree) {
    std::vector<Shown> shown;
    for (const TreeEntry& e : tree.Entries()) shown.push_back({e.display, e.level, e.icon});
    return shown;
}

const Shown kRoot{"AMAZON root", 0, research::kRootIcon};
constexpr int kOpen = research::kOpenIcon;
constexpr int kClosed = research::kClosedIcon;

class CatalogTreeTest : public DataTest {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        SeedCatalogTree();
        tree.SetSiteMask(research::ActiveSiteMask());
    }

    CatalogTree tree;
};

TEST_F(CatalogTreeTest, SiteMaskSumsTheActiveStores) {
    EXPECT_EQ(research::ActiveSiteMask(), kUs + kUk);
    for (const std::int32_t site : {1, 2, 4, 8, 16, 32}) SetSiteActive(site, true);
    EXPECT_EQ(research::ActiveSiteMask(), 63);
    for (const std::int32_t site : {1, 2, 4, 8, 16, 32}) SetSiteActive(site, false);
    EXPECT_EQ(research::ActiveSiteMask(), 0);
}

TEST_F(CatalogTreeTest, SiteMaskLeavesTheSitesBufferAsItWas) {
    D().SIT.ID = 2;
    ASSERT_EQ(M(data::TableId::Sites).Fetch(data::SIT_KeyId), ui::Benign);
    const data::SitesRecord before = D().SIT;
    research::ActiveSiteMask();
    EXPECT_EQ(std::memcmp(&before, &D().SIT, sizeof before), 0);
}

TEST_F(CatalogTreeTest, ContractAllListsTheFirstLevelContracted) {
    tree.ContractAll();
    EXPECT_EQ(ShownOf(tree), (std::vector<Shown>{kRoot,
                                                 {"Amazon UK (Amazon UK)", -1, kClosed},
                                                 {"Amazon US (Amazon US)", -1, kClosed}}));
    EXPECT_EQ(tree.Entry(1)->position, 0);
    EXPECT_NE(tree.Entry(2)->position, 0);
}

TEST_F(CatalogTreeTest, ExpandAllListsEveryVisibleRowInTreeOrderWithItsLabel) {
    tree.ExpandAll();
    EXPECT_EQ(ShownOf(tree), (std::vector<Shown>{
                                 kRoot,
                                 {"Amazon UK (Amazon UK)", 1, kOpen},
                                 // The UK catalog of browse node 1000 labels the UK node only.
                                 {"UK books (Books)", 2, kOpen},
                                 {"Crime", 3, kClosed},
                                 {"Amazon US (Amazon US)", 1, kOpen},
                                 // Two catalogs, in name order; none: the node's name alone.
                                 {"All books, Books (Books)", 2, kOpen},
                                 {"Cooking", 3, kClosed},
                                 {"Fiction", 3, kOpen},
                                 {"Mystery", 4, kClosed},
                                 {"Electronics (Electronics)", 2, kClosed},
                                 // Its only child belongs to an inactive store: a leaf.
                                 {"Music", 2, kClosed},
                             }));
    const TreeEntry* fiction = tree.Entry(8);
    ASSERT_NE(fiction, nullptr);
    EXPECT_EQ(fiction->id, nodes::kFiction);
    EXPECT_EQ(fiction->parent, nodes::kUsBooks);
    EXPECT_EQ(fiction->node, 1001);
    EXPECT_EQ(fiction->flags, kUs);
    EXPECT_TRUE(fiction->loaded);
    EXPECT_FALSE(tree.Entry(11)->loaded);
}

TEST_F(CatalogTreeTest, WithoutActiveStoresOnlyTheRootIsListed) {
    tree.SetSiteMask(0);
    for (auto rebuild :
         {&CatalogTree::ContractAll, &CatalogTree::ExpandAll, &CatalogTree::Refresh}) {
        (tree.*rebuild)();
        EXPECT_EQ(ShownOf(tree), std::vector<Shown>{kRoot});
    }
}

TEST_F(CatalogTreeTest, ExpandingAndContractingAnEntryInsertsAndRemovesItsChildren) {
    tree.ContractAll();
    ASSERT_TRUE(tree.Expand(3));  // Amazon US
    EXPECT_EQ(ShownOf(tree), (std::vector<Shown>{kRoot,
                                                 {"Amazon UK (Amazon UK)", -1, kClosed},
                                                 {"Amazon US (Amazon US)", 1, kOpen},
                                                 {"All books, Books (Books)", -2, kClosed},
                                                 {"Electronics (Electronics)", 2, kClosed},
                                                 {"Music", 2, kClosed}}));
    ASSERT_TRUE(tree.Expand(4));  // Books
    EXPECT_EQ(tree.Rows(), 8);
    EXPECT_EQ(ShownOf(tree)[4], (Shown{"Cooking", 3, kClosed}));
    EXPECT_EQ(ShownOf(tree)[5], (Shown{"Fiction", -3, kClosed}));
    EXPECT_EQ(ShownOf(tree)[6], (Shown{"Electronics (Electronics)", 2, kClosed}));

    ASSERT_TRUE(tree.Contract(3));
    EXPECT_EQ(ShownOf(tree), (std::vector<Shown>{kRoot,
                                                 {"Amazon UK (Amazon UK)", -1, kClosed},
                                                 {"Amazon US (Amazon US)", -1, kClosed}}));
}

TEST_F(CatalogTreeTest, ExpandAndContractRefuseTheRootLeavesAndRowsOutsideTheList) {
    tree.ExpandAll();
    const auto before = ShownOf(tree);
    EXPECT_FALSE(tree.Expand(1));  // the root
    EXPECT_FALSE(tree.Contract(1));
    EXPECT_FALSE(tree.Expand(5));     // already expanded
    EXPECT_FALSE(tree.Contract(11));  // Music: its child is not listed
    EXPECT_FALSE(tree.Expand(0));
    EXPECT_FALSE(tree.Expand(12));
    EXPECT_EQ(ShownOf(tree), before);
}

TEST_F(CatalogTreeTest, RefreshKeepsWhatTheUserExpandedAndContracted) {
    tree.ContractAll();
    ASSERT_TRUE(tree.Expand(3));  // Amazon US
    ASSERT_TRUE(tree.Expand(4));  // Books
    ASSERT_TRUE(tree.Contract(3));
    tree.Refresh();
    // US is contracted again, but Books stays remembered as expanded.
    EXPECT_EQ(ShownOf(tree).size(), 3u);
    ASSERT_TRUE(tree.Expand(3));
    EXPECT_EQ(ShownOf(tree)[3], (Shown{"All books, Books (Books)", 2, kOpen}));
    EXPECT_EQ(ShownOf(tree)[4], (Shown{"Cooking", 3, kClosed}));
    tree.Refresh();
    EXPECT_EQ(tree.Rows(), 8);
    EXPECT_EQ(tree.Memory().at(nodes::kUsRoot), 1);
    EXPECT_EQ(tree.Memory().at(nodes::kUkRoot), -1);
}

TEST_F(CatalogTreeTest, ExpandAllAndContractAllForgetTheUsersChoices) {
    tree.ContractAll();
    ASSERT_TRUE(tree.Expand(3));
    tree.ContractAll();
    EXPECT_EQ(tree.Rows(), 3);
    tree.ExpandAll();
    ASSERT_TRUE(tree.Contract(5));  // Amazon US
    tree.ContractAll();
    tree.Refresh();
    EXPECT_EQ(ShownOf(tree), (std::vector<Shown>{kRoot,
                                                 {"Amazon UK (Amazon UK)", -1, kClosed},
                                                 {"Amazon US (Amazon US)", -1, kClosed}}));
}

TEST_F(CatalogTreeTest, ANewStoreInTheMaskShowsAfterTheNextRefresh) {
    tree.ContractAll();
    tree.SetSiteMask(kUs | kFr);
    tree.Refresh();
    EXPECT_EQ(ShownOf(tree),
              (std::vector<Shown>{
                  kRoot, {"Amazon FR", -1, kClosed}, {"Amazon US (Amazon US)", -1, kClosed}}));
}

TEST_F(CatalogTreeTest, ReadEntryPutsTheEntrysRowInTheNodesBuffer) {
    tree.ExpandAll();
    ASSERT_TRUE(tree.ReadEntry(8));
    EXPECT_EQ(D().NOD.ID, nodes::kFiction);
    EXPECT_EQ(data::CStringOf(D().NOD.NAME), "Fiction");
    EXPECT_EQ(M(data::TableId::Nodes).File().CurrentPosition(), tree.Entry(8)->position);
    // A row renumbered in place is another node's now: it is not taken for the entry's.
    D().NOD.ID = 99;
    ASSERT_EQ(M(data::TableId::Nodes).File().Put(), store::NoError);
    EXPECT_FALSE(tree.ReadEntry(8));
    EXPECT_EQ(D().NOD.ID, nodes::kFiction);
    EXPECT_EQ(data::CStringOf(D().NOD.NAME), "");
    // The root has no row: the buffer takes the root's numbers.
    EXPECT_FALSE(tree.ReadEntry(1));
    EXPECT_EQ(D().NOD.ID, 0);
    EXPECT_EQ(D().NOD.NODE, 0);
    EXPECT_EQ(D().NOD.FLAGS, 0);
}

TEST_F(CatalogTreeTest, CollectSubtreeGivesTheEntryAndItsVisibleDescendantsInTreeOrder) {
    tree.ContractAll();
    std::vector<std::int32_t> ids;
    for (const TreeEntry& e : tree.CollectSubtree(3)) ids.push_back(e.id);
    EXPECT_EQ(ids, (std::vector<std::int32_t>{nodes::kUsRoot, nodes::kUsBooks, nodes::kCooking,
                                              nodes::kFiction, nodes::kMystery, nodes::kElectronics,
                                              nodes::kMusic}));
    // Collecting does not change what the tree shows or remembers.
    EXPECT_EQ(tree.Rows(), 3);
    EXPECT_FALSE(tree.Memory().contains(nodes::kUsBooks));
}

TEST_F(CatalogTreeTest, LongLabelsAreCutToTheirField) {
    const std::string longName(250, 'n');
    const std::string longCatalog(150, 'c');
    AddNode({30, nodes::kUkRoot, 7000, longName.c_str(), kUk});
    AddCatalog({30, 10, longCatalog.c_str(), 7000, kUk});
    tree.ExpandAll();
    const int row = tree.RowOf(30);
    ASSERT_NE(row, 0);
    const std::string label = tree.Entry(row)->display;
    EXPECT_EQ(label.size(), research::kLabelLength);
    EXPECT_EQ(label, (longCatalog + " (" + longName).substr(0, research::kLabelLength));
}

TEST_F(CatalogTreeTest, ARowNumberedLikeTheRootIsNotListed) {
    // It would be its own parent's child and list the first level again and again.
    AddNode({0, nodes::kUsBooks, 9000, "Loop", kUs});
    tree.ExpandAll();
    EXPECT_EQ(tree.Rows(), 11);
    EXPECT_EQ(tree.RowOf(0), 1);
}

TEST_F(CatalogTreeTest, ParentLinksThatLoopEndEveryWalk) {
    // Two rows that are each other's parent, a row that is its own, and a crawled child that
    // lists its parent's browse node again under it.
    AddNode({40, 41, 8000, "Round", kUs});
    AddNode({41, 40, 8001, "About", kUs});
    AddNode({42, 42, 8002, "Self", kUs});
    AddNode({43, nodes::kElectronics, 2000, "Electronics", kUs});
    AddNode({44, 43, 2001, "Cables", kUs});
    tree.ExpandAll();
    EXPECT_EQ(tree.Rows(), 13);
    EXPECT_EQ(tree.RowOf(40), 0);
    EXPECT_EQ(tree.RowOf(42), 0);
    const int again = tree.RowOf(43);
    ASSERT_NE(again, 0);
    EXPECT_EQ(tree.CollectSubtree(again).size(), 2u);
    EXPECT_TRUE(tree.Contract(again));
    EXPECT_TRUE(tree.Expand(again));
    EXPECT_EQ(tree.Rows(), 13);
}

// The picker's filter over a query's store and catalog.
struct FilterCase {
    const char* name;
    std::uint8_t site;
    std::int32_t catalog;
    std::int32_t node;  // the Nodes row in the buffer
    bool listed;
};

class PickerFilterTest : public CatalogTreeTest,
                         public ::testing::WithParamInterface<FilterCase> {};

TEST_P(PickerFilterTest, ListsStoreRootsAndTheCatalogsBranch) {
    const FilterCase& c = GetParam();
    D().QUE.SITE = c.site;
    D().QUE.CATALOG = c.catalog;
    const auto row = StoredNode(c.node);
    ASSERT_TRUE(row);
    D().NOD = *row;
    EXPECT_EQ(research::PickerListsNode(), c.listed);
    // The filter reads other tables, never the Nodes buffer.
    EXPECT_EQ(D().NOD.ID, c.node);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PickerFilterTest,
    ::testing::Values(
        FilterCase{"StoreRoot", kUs, catalogs::kUsBooks, nodes::kUsRoot, true},
        FilterCase{"OtherStoresRoot", kUs, catalogs::kUsBooks, nodes::kUkRoot, false},
        FilterCase{"CatalogsNode", kUs, catalogs::kUsBooks, nodes::kUsBooks, true},
        FilterCase{"Child", kUs, catalogs::kUsBooks, nodes::kFiction, true},
        FilterCase{"Grandchild", kUs, catalogs::kUsBooks, nodes::kMystery, true},
        FilterCase{"OtherBranch", kUs, catalogs::kUsBooks, nodes::kElectronics, false},
        // The branch is found by browse-node id, whichever store's catalog names it.
        FilterCase{"SameBrowseNodeId", kUk, catalogs::kUsBooks, nodes::kUkBooks, true},
        FilterCase{"OtherStoresNode", kUs, catalogs::kUkBooks, nodes::kUkBooks, false},
        FilterCase{"UkCatalog", kUk, catalogs::kUkBooks, nodes::kCrime, true},
        FilterCase{"NoCatalog", kUs, 0, nodes::kUsBooks, false},
        FilterCase{"NoCatalogRoot", kUs, 0, nodes::kUsRoot, true},
        FilterCase{"MissingCatalog", kUs, 99, nodes::kFiction, false}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(CatalogTreeTest, PickerFilterEndsOnParentLinksThatLoop) {
    AddNode({40, 41, 8000, "Round", kUs});
    AddNode({41, 40, 8001, "About", kUs});
    D().QUE.SITE = kUs;
    D().QUE.CATALOG = catalogs::kUsBooks;
    D().NOD = *StoredNode(40);
    EXPECT_FALSE(research::PickerListsNode());
}

TEST_F(CatalogTreeTest, PickerTreeShowsOnlyTheQuerysBranch) {
    D().QUE.SITE = kUs;
    D().QUE.CATALOG = catalogs::kUsBooks;
    CatalogTree picker(&research::PickerListsNode);
    picker.SetSiteMask(research::ActiveSiteMask() & kUs);
    picker.ExpandAll();
    std::vector<std::string> labels;
    for (const TreeEntry& e : picker.Entries()) labels.push_back(e.display);
    EXPECT_EQ(labels, (std::vector<std::string>{"AMAZON root", "Amazon US (Amazon US)",
                                                "All books, Books (Books)", "Cooking", "Fiction",
                                                "Mystery"}));
}

}  // namespace
}  // namespace zem::test
