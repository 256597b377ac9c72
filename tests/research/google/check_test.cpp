// The competition check end to end: the simulator as the configured proxy answers the result
// pages, the window's timer is ticked by the set clock, the display is headless.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "research/google/google_fixture.h"

namespace zem::test {
namespace {

bool OwnAd(const PageCounts& c) {
    return c.ownAd && c.competitors > 0;
}
bool NoOwnAd(const PageCounts& c) {
    return !c.ownAd && c.competitors > 0;
}

TEST_F(CompetitionCheckTest, EveryTaggedItemIsCheckedInTagOrderAndTheOthersAreLeftAlone) {
    const std::string marked = KeywordsWhere(1, "garden hose", OwnAd);
    const std::string kept = KeywordsWhere(1, "water pump", NoOwnAd);
    const std::string plain = KeywordsWhere(1, "rain barrel", NoOwnAd);
    const std::string untagged = KeywordsWhere(1, "hose reel", OwnAd);
    const CheckSetup setup{
        .site = 1,
        .items = {
            {.keywords = marked, .tagValue = "3", .ads = 99},
            // Marked by an earlier check: a page without the store's ad keeps the mark.
            {.keywords = kept, .tagValue = "1", .ads = 99, .affilative = 1},
            {.keywords = untagged, .tagged = false, .ads = 77},
            {.keywords = plain, .tagValue = "2", .ads = 99},
            // Tagged, but in another query's set.
            {.keywords = untagged, .tagValue = "1", .ads = 66, .query = kOtherQuery},
        }};
    const ui::WindowId w = StartWindow(setup);
    ASSERT_TRUE(TickToEnd(w));
    const CheckOutcome out = Outcome();

    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.response, runtime::response::kCompleted);
    EXPECT_TRUE(display->Messages().empty());
    // One page per tagged item, in the order of the tags, each phrase in quotes.
    EXPECT_EQ(Searches(), (std::vector<std::string>{SearchOf(1, kept), SearchOf(1, plain),
                                                    SearchOf(1, marked)}));

    struct Expect {
        std::size_t item;
        std::int32_t ads;
        std::int32_t affilative;
        const std::string& keywords;
    };
    const Expect expected[] = {
        {0, Counts(1, marked).competitors, 1, marked},
        {1, Counts(1, kept).competitors, 1, kept},
        {2, 77, 0, untagged},
        {3, Counts(1, plain).competitors, 0, plain},
        {4, 66, 0, untagged},
    };
    ASSERT_EQ(out.goods.size(), std::size(expected));
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.item);
        const data::GoodsRecord* row = RowOf(out, IdOf(e.item));
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->ADS, e.ads);
        EXPECT_EQ(row->AFFILATIVE, e.affilative);
        // What goes back is the stored row with the counts, not the quoted phrase.
        EXPECT_EQ(data::CStringOf(row->KEYWORDS), e.keywords);
    }
    EXPECT_EQ(out.goodsBuffer.ID, IdOf(0));  // the row handled last
    EXPECT_EQ(data::CStringOf(out.goodsBuffer.KEYWORDS), marked);
    EXPECT_EQ(out.tags, (std::vector<std::int32_t>{IdOf(1), IdOf(3), IdOf(0)}));
    EXPECT_EQ(out.query.BUILDDATE, TestDate());
    EXPECT_EQ(out.query.BUILDTIME, TestTime());

    EXPECT_EQ(recorder->Last("?B"), "3");
    EXPECT_EQ(recorder->Last("?A"), "3");
    EXPECT_EQ(recorder->Last("?PERCENTS:2"), "100.00 %");
    EXPECT_EQ(recorder->Last("?PERCENTS"), "100");
    EXPECT_EQ(recorder->LoadedHistory(), (std::vector<std::string>{"0", "1", "2", "3"}));
}

// A store's search host and country, with the phrase as the request carries it.
struct StoreCase {
    const char* name;
    std::int32_t site;
    std::string request;
    friend void PrintTo(const StoreCase& c, std::ostream* out) { *out << c.name; }
};

class CompetitionCheckStoreTest : public CompetitionCheckTest,
                                  public ::testing::WithParamInterface<StoreCase> {};

TEST_P(CompetitionCheckStoreTest, ThePhraseIsSearchedInTheCountryOfTheQueryStore) {
    const StoreCase& c = GetParam();
    const ui::WindowId w = StartWindow({.site = c.site, .items = {{.keywords = "digital camera"}}});
    ASSERT_TRUE(TickToEnd(w));
    const CheckOutcome out = Outcome();
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(Searches(), std::vector<std::string>{c.request});
    // Counted against the store's own domain.
    const PageCounts counts = Counts(c.site, "digital camera");
    ASSERT_EQ(out.goods.size(), 1u);
    EXPECT_EQ(out.goods[0].ADS, counts.competitors);
    EXPECT_EQ(out.goods[0].AFFILATIVE, counts.ownAd ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Stores, CompetitionCheckStoreTest,
    ::testing::Values(StoreCase{"AmazonUS", 1,
                                "GET http://www.google.com/search?hl=en&safe=off"
                                "&q=%22digital+camera%22&btnG=Search&gl=us"},
                      StoreCase{"AmazonUK", 2,
                                "GET http://www.google.co.uk/search?hl=en&safe=off"
                                "&q=%22digital+camera%22&btnG=Search&gl=uk"},
                      StoreCase{"AmazonJP", 16,
                                "GET http://www.google.co.jp/search?hl=en&safe=off"
                                "&q=%22digital+camera%22&btnG=Search&gl=jp"}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(CompetitionCheckTest, JapaneseKeywordsAreSearchedInUtf8) {
    // "robot" in katakana, as the JP store's items keep it: Shift-JIS.
    const ui::WindowId w =
        StartWindow({.site = 16, .items = {{.keywords = "\x83\x8D\x83\x7B\x83\x62\x83\x67"}}});
    ASSERT_TRUE(TickToEnd(w));
    EXPECT_EQ(Searches(), std::vector<std::string>{
                              "GET http://www.google.co.jp/search?hl=en&safe=off"
                              "&q=%22%E3%83%AD%E3%83%9C%E3%83%83%E3%83%88%22&btnG=Search&gl=jp"});
}

TEST_F(CompetitionCheckTest, ATagWhoseItemWasDeletedIsDroppedAndNotCounted) {
    const std::string keywords = KeywordsWhere(1, "lawn mower", NoOwnAd);
    const ui::WindowId w =
        StartWindow({.site = 1,
                     // Deleted last: its id is not handed out again to a row added after.
                     .items = {{.keywords = keywords, .tagValue = "2"},
                               {.keywords = "gone item", .tagValue = "1", .deletedBefore = true}}});
    ASSERT_TRUE(TickToEnd(w));
    const CheckOutcome out = Outcome();
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(Searches(), std::vector<std::string>{SearchOf(1, keywords)});
    EXPECT_EQ(out.tags, std::vector<std::int32_t>{IdOf(0)});
    EXPECT_EQ(recorder->Last("?B"), "1");
    EXPECT_EQ(recorder->Last("?A"), "1");
    EXPECT_EQ(recorder->Last("?PERCENTS:2"), "100.00 %");
}

TEST_F(CompetitionCheckTest, WithoutTaggedItemsTheFirstTimerEventEndsTheJobCompleted) {
    const ui::WindowId w =
        StartWindow({.site = 1, .items = {{.keywords = "digital camera", .tagged = false}}});
    // The window's timer fires every 100 hundredths: at 99 nothing has happened yet.
    clock.Advance(kTimerPeriod - 1);
    ASSERT_TRUE(Sync(w));
    clock.Advance(1);
    ASSERT_TRUE(display->WaitForClose(w));
    const CheckOutcome out = Outcome();
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.response, runtime::response::kCompleted);
    EXPECT_TRUE(Searches().empty());
    EXPECT_TRUE(display->Messages().empty());
    EXPECT_EQ(recorder->Last("?B"), "0");
    EXPECT_EQ(recorder->Last("?A"), "0");
    EXPECT_EQ(recorder->Last("?PERCENTS:2"), "0.00 %");
}

}  // namespace
}  // namespace zem::test
