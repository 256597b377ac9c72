#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "data/text_fields.h"
#include "web/browse_node_loader.h"
#include "web/search_indexes.h"

namespace zem::test {
namespace {

using web::BrowseNodeQueue;
using web::SearchIndexQueue;

template <typename Queue>
std::vector<std::int32_t> IdsOf(const Queue& queue) {
    std::vector<std::int32_t> ids;
    for (const auto& row : queue.Rows()) ids.push_back(row.ID);
    return ids;
}

std::vector<std::int32_t> Range(std::int32_t first, std::int32_t last) {
    std::vector<std::int32_t> ids;
    for (std::int32_t id = first; id <= last; ++id) ids.push_back(id);
    return ids;
}

std::vector<std::int32_t> Join(std::vector<std::int32_t> a, const std::vector<std::int32_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct MaskCase {
    const char* what;
    std::uint8_t mask;
    std::vector<std::int32_t> catalogIds;
    std::size_t nodeRows;
};

class FillSearchIndexesTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(FillSearchIndexesTest, FillsTheCatalogQueueAndSeedsTheNodeQueue) {
    SearchIndexQueue q;
    BrowseNodeQueue n;
    web::FillSearchIndexes(GetParam().mask, q, n);
    EXPECT_EQ(IdsOf(q), GetParam().catalogIds);
    EXPECT_EQ(n.Records(), GetParam().nodeRows);
    // Both queues stay in ID order, and every node row stands for a catalog row.
    const std::vector<std::int32_t> nodeIds = IdsOf(n);
    EXPECT_TRUE(std::is_sorted(nodeIds.begin(), nodeIds.end()));
    for (const web::BrowseNodeRow& node : n.Rows()) {
        const web::SearchIndexRow* catalog = q.Get(node.ID);
        ASSERT_NE(catalog, nullptr) << node.ID;
        EXPECT_EQ(node.NODE, catalog->NODE);
        EXPECT_EQ(node.PARENT, catalog->PARENT);
        EXPECT_EQ(node.BSITE, catalog->BSITE);
        EXPECT_EQ(node.LEVEL, catalog->LEVEL);
        EXPECT_EQ(node.BSTATE, 0);
        EXPECT_EQ(data::CStringOf(node.NAME), data::CStringOf(catalog->NAME));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Masks, FillSearchIndexesTest,
    ::testing::Values(MaskCase{"no store: the roots are added and taken away again", 0, {}, 0},
                      MaskCase{"US and UK: US 7 to 44, UK 45 to 64", 3, Join({1, 2}, Range(7, 64)),
                               2 + 21 + 10},
                      MaskCase{"CA alone numbers on from the six roots", 32, Range(6, 17), 1 + 5},
                      MaskCase{"all six stores", 63, Range(1, 129), 78},
                      MaskCase{"bits outside the stores do nothing", 64 | 128, {}, 0},
                      MaskCase{"JP alone", 16, Join({3}, Range(7, 24)), 1 + 14}),
    [](const auto& p) { return "mask" + std::to_string(p.param.mask); });

struct StoreRange {
    std::uint8_t site;
    std::int32_t root;
    std::int32_t first;
    std::int32_t last;
};

TEST(FillSearchIndexes, AllStoresNumberOnInRootOrder) {
    SearchIndexQueue q;
    BrowseNodeQueue n;
    web::FillSearchIndexes(63, q, n);
    const StoreRange ranges[] = {{1, 1, 7, 44},  {2, 2, 45, 64},  {16, 3, 65, 82},
                                 {4, 4, 83, 94}, {8, 5, 95, 118}, {32, 6, 119, 129}};
    for (const StoreRange& r : ranges) {
        const web::SearchIndexRow* root = q.Get(r.root);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->BSITE, r.site);
        EXPECT_EQ(root->PARENT, 0);
        EXPECT_EQ(root->NODE, 0);
        EXPECT_EQ(root->LEVEL, 0);
        EXPECT_EQ(data::CStringOf(root->CATALOG), "");
        for (std::int32_t id = r.first; id <= r.last; ++id) {
            const web::SearchIndexRow* row = q.Get(id);
            ASSERT_NE(row, nullptr) << id;
            EXPECT_EQ(row->BSITE, r.site) << id;
            EXPECT_EQ(row->PARENT, r.root) << id;
            EXPECT_EQ(row->LEVEL, 1) << id;
            EXPECT_EQ(row->BSTATE, 0) << id;
        }
    }
    EXPECT_EQ(data::CStringOf(q.Get(1)->NAME), "Amazon US");
    EXPECT_EQ(data::CStringOf(q.Get(3)->NAME), "Amazon JP");
    EXPECT_EQ(data::CStringOf(q.Get(6)->NAME), "Amazon CA");
}

TEST(FillSearchIndexes, CatalogRowsCarryCaptionIndexAndNodeAsWritten) {
    SearchIndexQueue q;
    BrowseNodeQueue n;
    web::FillSearchIndexes(63, q, n);
    struct Expected {
        std::int32_t id;
        std::string_view caption, index;
        std::int32_t node;
    };
    const Expected rows[] = {
        {7, "Apparel", "Apparel", 1036682},
        {10, "Tools & Accessories", "Beauty", 11055981},
        {14, "DigitalMusic", "DigitalMusic", 301668},
        {44, "WirelessAccessories", "WirelessAccessories", 408234},
        {50, "Health & Personal Care Outlet Store", "HealthPersonalCare", 11052591},
        {82, "Watches", "Watches", 15740941},
        {83, "Specialty Stores", "Blended", 301164},
        {118, "Watches", "Watches", 328807011},
        {129, "Video Games", "VideoGames", 110218011},
    };
    for (const Expected& e : rows) {
        const web::SearchIndexRow* row = q.Get(e.id);
        ASSERT_NE(row, nullptr) << e.id;
        EXPECT_EQ(data::CStringOf(row->NAME), e.caption) << e.id;
        EXPECT_EQ(data::CStringOf(row->CATALOG), e.index) << e.id;
        EXPECT_EQ(row->NODE, e.node) << e.id;
    }
}

TEST(FillSearchIndexes, OneNodeRowPerDistinctStartingNodeOfAStore) {
    SearchIndexQueue q;
    BrowseNodeQueue n;
    web::FillSearchIndexes(32, q, n);
    struct Seed {
        std::int32_t id, node;
        std::string_view name;
    };
    const Seed expected[] = {{6, 0, "Amazon CA"},       {7, 962454, "Specialty Stores"},
                             {8, 927726, "Books"},      {10, 952768, "DVD"},
                             {13, 3234171, "Software"}, {14, 110218011, "Software Video Games"}};
    ASSERT_EQ(n.Records(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(n.Rows()[i].ID, expected[i].id);
        EXPECT_EQ(n.Rows()[i].NODE, expected[i].node);
        EXPECT_EQ(data::CStringOf(n.Rows()[i].NAME), expected[i].name);
    }
}

TEST(FillSearchIndexes, IndexesSharingANodeAllStayButOnlyTheFirstIsCrawled) {
    SearchIndexQueue q;
    BrowseNodeQueue n;
    web::FillSearchIndexes(1, q, n);
    int catalogs = 0;
    for (const web::SearchIndexRow& row : q.Rows()) catalogs += row.NODE == 301668;
    EXPECT_EQ(catalogs, 4);  // Music (classical), DigitalMusic, Music, Music Tracks
    std::vector<std::int32_t> seeded;
    for (const web::BrowseNodeRow& row : n.Rows())
        if (row.NODE == 301668) seeded.push_back(row.ID);
    EXPECT_EQ(seeded, std::vector<std::int32_t>{13});
    EXPECT_EQ(data::CStringOf(n.Get(13)->NAME), "Music (classical)");
}

TEST(FillSearchIndexes, ASecondCallStartsAfresh) {
    SearchIndexQueue q;
    BrowseNodeQueue n;
    web::FillSearchIndexes(63, q, n);
    web::BrowseNodeRow crawled;
    crawled.ID = n.LastId() + 1;
    crawled.NODE = 42;
    ASSERT_TRUE(n.Add(crawled));

    web::FillSearchIndexes(32, q, n);
    SearchIndexQueue freshQ;
    BrowseNodeQueue freshN;
    web::FillSearchIndexes(32, freshQ, freshN);
    EXPECT_EQ(IdsOf(q), IdsOf(freshQ));
    EXPECT_EQ(IdsOf(n), IdsOf(freshN));
    EXPECT_EQ(n.Get(crawled.ID), nullptr);
}

TEST(SearchIndexesOf, AnswersNothingForAValueThatIsNoStore) {
    EXPECT_TRUE(web::SearchIndexesOf(0).empty());
    EXPECT_TRUE(web::SearchIndexesOf(3).empty());
    EXPECT_TRUE(web::SearchIndexesOf(64).empty());
    EXPECT_EQ(web::SearchIndexesOf(1).size(), 38u);
}

}  // namespace
}  // namespace zem::test
