// The catalog updater end to end: the simulator as the configured proxy answers the lookups,
// the window's timer is ticked by the set clock, and the tables are read back once it closed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/runtime/pictures.h"
#include "research/updater/updater_fixture.h"

namespace zem::test {
namespace {

std::string Percent(double value) {
    return runtime::Trimmed(runtime::FormatNumber(value, "N8.2~ %~"));
}

// Which stores are active and how deep the tree goes.
struct CrawlCase {
    const char* name;
    std::uint8_t mask;
    int catalogLevel;
    friend void PrintTo(const CrawlCase& c, std::ostream* out) { *out << c.name; }
};

class CatalogUpdaterCrawlTest : public CatalogUpdaterTest,
                                public ::testing::WithParamInterface<CrawlCase> {};

TEST_P(CatalogUpdaterCrawlTest, TheActiveStoresGetTheServicesTreeAndTheOthersKeepTheirRows) {
    const CrawlCase& c = GetParam();
    Configure(c.catalogLevel);
    SetActiveStores(c.mask);
    AddCatalogs(OldCatalogs());
    AddNodes(OldNodes());

    const ui::WindowId w = StartWindow();
    ASSERT_TRUE(TickToEnd(w));
    EXPECT_EQ(Finish(), runtime::response::kCompleted);
    EXPECT_TRUE(display->Messages().empty());

    const std::vector<data::CatalogsRecord> catalogs = Catalogs();
    const std::vector<data::NodesRecord> nodes = Nodes();
    // The other stores' rows are as they were.
    const auto keptCatalogs = RowsWhere(OldCatalogs(), false, c.mask);
    const auto keptNodes = RowsWhere(OldNodes(), false, c.mask);
    ExpectSameCatalogs(RowsWhere(catalogs, false, c.mask), keptCatalogs);
    ExpectSameNodes(RowsWhere(nodes, false, c.mask), keptNodes);

    // The catalogs are the search indexes, numbered above the highest ID left.
    const Seeds seeds = SeedsOf(c.mask);
    const std::int32_t catalogBase = HighestId(keptCatalogs);
    std::vector<data::CatalogsRecord> expectedCatalogs;
    for (const web::SearchIndexRow& row : seeds.catalogs.Rows()) {
        data::CatalogsRecord cat{};
        cat.ID = row.ID + catalogBase;
        cat.PARENT = row.PARENT != 0 ? row.PARENT + catalogBase : 0;
        data::SetCString(cat.NAME, data::CStringOf(row.NAME));
        cat.NODE = row.NODE;
        data::SetCString(cat.CATALOG, data::CStringOf(row.CATALOG));
        cat.FLAGS = row.BSITE;
        expectedCatalogs.push_back(cat);
    }
    ExpectSameCatalogs(RowsWhere(catalogs, true, c.mask), expectedCatalogs);

    // The nodes are the simulator's tree down to the catalog level; the roots and search
    // indexes keep their queue IDs, shifted above the highest node ID left, and every crawled
    // node comes after them.
    const std::vector<data::NodesRecord> newNodes = RowsWhere(nodes, true, c.mask);
    const Tree expected = ExpectedTree(c.mask, c.catalogLevel);
    EXPECT_EQ(TreeOf(newNodes, c.mask), expected);
    const std::int32_t nodeBase = HighestId(keptNodes);
    for (const web::BrowseNodeRow& seed : seeds.nodes.Rows()) {
        const auto it = std::find_if(newNodes.begin(), newNodes.end(),
                                     [&](const auto& row) { return row.ID == seed.ID + nodeBase; });
        ASSERT_NE(it, newNodes.end()) << "no row for the seed " << seed.ID;
        EXPECT_EQ(it->NODE, seed.NODE);
        EXPECT_EQ(it->PARENT, seed.PARENT != 0 ? seed.PARENT + nodeBase : 0);
    }
    const std::int32_t lastSeed = seeds.nodes.LastId() + nodeBase;
    std::set<std::int32_t> crawledIds;
    for (const data::NodesRecord& row : newNodes)
        if (row.ID > lastSeed) crawledIds.insert(row.ID);
    EXPECT_EQ(crawledIds.size(), newNodes.size() - seeds.nodes.Records());
    if (!crawledIds.empty()) {
        EXPECT_EQ(*crawledIds.begin(), lastSeed + 1);
        EXPECT_EQ(*crawledIds.rbegin(), lastSeed + static_cast<std::int32_t>(crawledIds.size()));
    }

    // One lookup for every node above the catalog level, each once.
    std::multiset<std::string> expectedLookups;
    int loaded = 0;
    for (const TreeNode& n : expected) {
        if (n.level >= 1 && n.level < c.catalogLevel)
            expectedLookups.insert("GET " + research::BrowseNodeLookupUrl(n.flags, n.node));
        // Nodes fetched above the last fetched level count once, the last level's children
        // as soon as they are found.
        if ((n.level >= 1 && n.level < c.catalogLevel - 1) ||
            (n.level >= 2 && n.level == c.catalogLevel))
            ++loaded;
    }
    const std::vector<std::string> lookups = Lookups();
    EXPECT_EQ(std::multiset<std::string>(lookups.begin(), lookups.end()), expectedLookups);

    if (lookups.empty()) {
        EXPECT_EQ(recorder->Last("?A"), "0");
        EXPECT_EQ(recorder->Last("?B"), "0");
    } else {
        const auto total = static_cast<double>(expected.size());
        EXPECT_EQ(recorder->Last("?A"), std::to_string(loaded));
        EXPECT_EQ(recorder->Last("?B"), std::to_string(expected.size()));
        EXPECT_EQ(recorder->Last("?PERCENTS:2"), Percent(loaded * 100 / total));
        EXPECT_EQ(recorder->Last("?PERCENTS"),
                  std::to_string(static_cast<int>(loaded * 100 / total)));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CatalogUpdaterCrawlTest,
                         ::testing::Values(CrawlCase{"OneStoreThreeLevels", kCA, 3},
                                           CrawlCase{"TwoStoresTwoLevels", kCA | kFR, 2},
                                           CrawlCase{"AllStoresOneLevel", kAllStores, 1},
                                           CrawlCase{"OneStoreLevelZero", kCA, 0},
                                           CrawlCase{"NoActiveStore", 0, 3}),
                         [](const auto& tc) { return std::string(tc.param.name); });

}  // namespace
}  // namespace zem::test
