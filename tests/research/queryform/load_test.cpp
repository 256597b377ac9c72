// The query form's long jobs end to end: "Load List" replaces the items with what the store
// finds and keeps those saving enough, a cancelled load leaves none, and the form's transaction
// keeps or undoes a load as the form closes; "Check" counts the competition of tagged items.
// The service simulator answers as the configured proxy; the set clock drives the job windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "item_catalog.h"
#include "platform/runtime/pictures.h"
#include "platform/ui/errors/message_sink.h"
#include "research/jobs/service_request.h"
#include "research/queryform/query_items.h"
#include "research/queryform/queryform_fixture.h"
#include "support/failing_write.h"
#include "web/stores.h"

namespace zem::test {
namespace {

namespace cell = research::item_cell;
using namespace std::chrono_literals;

constexpr runtime::Ticks kLoaderPeriod = 50;
constexpr runtime::Ticks kCheckPeriod = 100;
constexpr double kMinimumSaving = 20;

class QueryFormLoadTest : public QueryFormTest {
  protected:
    void SetUp() override {
        QueryFormTest::SetUp();
        UseSimulator();
    }

    std::vector<std::string> ListedTitles(ui::WindowId w) const {
        std::vector<std::string> titles = Column(w, cell::kTitle);
        std::sort(titles.begin(), titles.end());
        return titles;
    }

    // Opens the seeded query for change with these keywords on screen.
    ui::WindowId OpenWithKeywords(const std::string& keywords, int request = request::kChange) {
        return Open(request, [keywords] {
            data::QueriesRecord& q = data::Dict().QUE;
            data::SetCString(q.KEYWORDS, keywords);
            if (q.ID != kQuery) {  // a new query: the seeded query's search
                q.SITE = kUs;
                q.CATALOG = catalog::kUsElectronics;
                q.NODE = node::kCameras;
                q.MINPRICE = 10;
                q.MAXPRICE = 500;
                data::SetString(q.NAME, "New cameras");
            }
        });
    }

    // Presses "Load List" and runs the loader to its end.
    void LoadToEnd(ui::WindowId w) {
        ASSERT_TRUE(display->Press(w, "?BUILDLIST"));
        ASSERT_TRUE(TickJobToEnd("BuildList", kLoaderPeriod));
        ASSERT_TRUE(display->WaitForView(w, [](const auto& v) { return v.enabled; }));
        ASSERT_TRUE(Sync(w));
    }
};

struct LoadCase {
    const char* name;
    const char* closeWith;
    bool kept;
    friend void PrintTo(const LoadCase& c, std::ostream* out) { *out << c.name; }
};

class QueryFormLoadCloseTest : public QueryFormLoadTest,
                               public ::testing::WithParamInterface<LoadCase> {};

TEST_P(QueryFormLoadCloseTest, ALoadReplacesTheItemsKeepsThoseSavingEnoughAndLastsThroughOk) {
    const LoadCase& c = GetParam();
    const std::string keywords = KeywordsWithPages(2);
    const std::vector<std::string> kept = KeptTitles(keywords, kMinimumSaving);
    ASSERT_FALSE(kept.empty());
    ASSERT_LT(kept.size(), KeptTitles(keywords, -1000).size()) << "the minimum drops nothing";
    const ui::WindowId w = OpenWithKeywords(keywords);
    Command(w, 0, "?TAGONE");
    Type(w, "?CURSAVING", "20");
    ASSERT_TRUE(Enabled(w, "?CREATECAMPAIGN"));

    LoadToEnd(w);
    EXPECT_TRUE(display->Messages().empty());
    EXPECT_EQ(ListedTitles(w), kept);
    EXPECT_EQ(StoredItems().size(), kept.size());
    EXPECT_EQ(StoredIds(kOtherQuery), (std::vector<std::int32_t>{201}));
    // The load emptied the tag set first.
    EXPECT_TRUE(StoredTags().empty());
    EXPECT_FALSE(Enabled(w, "?CREATECAMPAIGN"));
    EXPECT_FALSE(Enabled(w, "?CHECKLIST"));
    EXPECT_EQ(display->Shown(w, "?CURSAVING"), "20.00%");

    Close(w, c.closeWith);
    if (c.kept) {
        EXPECT_EQ(StoredItems().size(), kept.size());
        EXPECT_EQ(StoredQuery(kQuery)->BUILDDATE, TestDate());
    } else {
        EXPECT_EQ(StoredIds(),
                  (std::vector<std::int32_t>(std::begin(kQueryItemIds), std::end(kQueryItemIds))));
    }
}

INSTANTIATE_TEST_SUITE_P(Closing, QueryFormLoadCloseTest,
                         ::testing::Values(LoadCase{"Ok", "?OK", true},
                                           LoadCase{"Cancel", "?CANCEL", false}),
                         [](const auto& param) { return std::string(param.param.name); });

class QueryFormCancelledLoadTest : public QueryFormLoadTest,
                                   public ::testing::WithParamInterface<LoadCase> {};

TEST_P(QueryFormCancelledLoadTest, ACancelledLoadLeavesNoItemsAndSaysSo) {
    const LoadCase& c = GetParam();
    const ui::WindowId w = OpenWithKeywords(KeywordsWithPages(3));
    ASSERT_TRUE(display->Press(w, "?BUILDLIST"));
    const auto job = display->WaitForWindow("BuildList");
    ASSERT_TRUE(job);
    // Once the first page's items are in, the next page is kept waiting and the user cancels.
    const auto end = std::chrono::steady_clock::now() + 30s;
    while (StoredItems().empty() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(10ms);
        clock.Advance(kLoaderPeriod);
    }
    ASSERT_FALSE(StoredItems().empty());
    sim::Modes slow;
    slow.delayMs = 3000;
    simulator.SetModes(slow);
    ASSERT_TRUE(display->Press(*job, "?CANCEL"));
    const auto message = display->WaitForMessage(1);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->request.text, "Operation has been canceled");
    EXPECT_EQ(message->request.caption, "Message");
    EXPECT_EQ(message->request.icon, ui::Icon::Exclamation);
    ASSERT_TRUE(Sync(w));
    EXPECT_TRUE(ListedIds(w).empty());
    EXPECT_TRUE(StoredItems().empty());
    EXPECT_FALSE(Enabled(w, "?VIEW"));
    simulator.SetModes({});
    Close(w, c.closeWith);
    if (c.kept)
        EXPECT_TRUE(StoredItems().empty());
    else
        EXPECT_EQ(StoredIds().size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(Closing, QueryFormCancelledLoadTest,
                         ::testing::Values(LoadCase{"Ok", "?OK", true},
                                           LoadCase{"Cancel", "?CANCEL", false}),
                         [](const auto& param) { return std::string(param.param.name); });

// Items the clear could not delete would stand beside the loaded ones: the load stops there.
TEST_F(QueryFormLoadTest, AClearThatFailsLoadsNothing) {
    FailingWrite refused("Goods", "DELETE", "OLD.ID=103");
    ASSERT_TRUE(refused.Ok());
    const ui::WindowId w = Open(request::kChange);
    ASSERT_TRUE(display->Press(w, "?BUILDLIST"));
    const auto message = display->WaitForMessage(1);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->request.caption, "Record was not deleted");
    ASSERT_TRUE(display->WaitForView(w, [](const auto& v) { return v.enabled; }));
    ASSERT_TRUE(Sync(w));
    const auto opened = display->OpenedProcedures();
    EXPECT_EQ(std::count(opened.begin(), opened.end(), "BuildList"), 0);
    EXPECT_EQ(display->Messages().size(), 1u);
    EXPECT_EQ(ListedIds(w), (std::vector<std::int32_t>{103, 104, 105}));
    refused.Remove();
    Close(w, "?CANCEL");
    EXPECT_EQ(StoredIds(),
              (std::vector<std::int32_t>(std::begin(kQueryItemIds), std::end(kQueryItemIds))));
}

TEST_F(QueryFormLoadTest, ANewQueryCancelledAfterALoadLeavesNoItemsBehind) {
    const std::string keywords = KeywordsWithPages(1);
    const ui::WindowId w = OpenWithKeywords(keywords, request::kInsert);
    LoadToEnd(w);
    ASSERT_FALSE(ListedIds(w).empty());
    const FormOutcome out = Close(w, "?CANCEL");
    EXPECT_EQ(out.response, response::kCancelled);
    const std::int32_t reserved = out.queryId;
    ASSERT_NE(reserved, 0);
    EXPECT_FALSE(StoredQuery(reserved));
    EXPECT_TRUE(StoredItems(reserved).empty());
    EXPECT_EQ(StoredIds().size(), 5u);
}

TEST_F(QueryFormLoadTest, ANewQuerySavedAfterALoadKeepsItsItems) {
    const std::string keywords = KeywordsWithPages(1);
    const ui::WindowId w = OpenWithKeywords(keywords, request::kInsert);
    LoadToEnd(w);
    const std::size_t listed = ListedIds(w).size();
    ASSERT_GT(listed, 0u);
    const FormOutcome out = Close(w, "?OK");
    EXPECT_EQ(out.response, response::kCompleted);
    ASSERT_TRUE(StoredQuery(out.query.ID));
    EXPECT_EQ(StoredItems(out.query.ID).size(), listed);
}

TEST_F(QueryFormLoadTest, CheckCountsTheCompetitionOfTheTaggedItemsAndShowsIt) {
    const ui::WindowId w = Open(request::kChange);
    ASSERT_FALSE(Enabled(w, "?CHECKLIST"));
    Command(w, 2, "?TAGONE");
    ASSERT_TRUE(Enabled(w, "?CHECKLIST"));
    ASSERT_TRUE(display->Press(w, "?CHECKLIST"));
    ASSERT_TRUE(TickJobToEnd("BuildGoogle", kCheckPeriod));
    ASSERT_TRUE(display->WaitForView(w, [](const auto& v) { return v.enabled; }));
    ASSERT_TRUE(Sync(w));
    EXPECT_TRUE(display->Messages().empty());
    // The list shows the counts as the check stored them; tags and items stay.
    data::Dict().GOO.ID = 102;
    ASSERT_EQ(data::Access(TableId::Goods).Fetch(data::GOO_KeyId), ui::Benign);
    const std::int32_t ads = data::Dict().GOO.ADS;
    EXPECT_EQ(Column(w, cell::kAds)[1], runtime::FormatNumber(ads, "n_10"));
    EXPECT_EQ(StoredTags(), (std::vector<std::int32_t>{102}));
    EXPECT_EQ(ListedIds(w).size(), 5u);
    Close(w, "?OK");
}

TEST_F(QueryFormLoadTest, ACancelledCheckSaysSoAndKeepsItemsAndTags) {
    const ui::WindowId w = Open(request::kChange);
    Command(w, 0, "?TAGALL");
    sim::Modes slow;
    slow.delayMs = 3000;
    simulator.SetModes(slow);
    ASSERT_TRUE(display->Press(w, "?CHECKLIST"));
    const auto job = display->WaitForWindow("BuildGoogle");
    ASSERT_TRUE(job);
    ASSERT_TRUE(display->Press(*job, "?CANCEL"));
    const auto message = display->WaitForMessage(1);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->request.text, "Operation has been canceled");
    EXPECT_EQ(message->request.caption, "Message");
    ASSERT_TRUE(Sync(w));
    EXPECT_EQ(ListedIds(w).size(), 5u);
    EXPECT_EQ(StoredTags().size(), 5u);
    EXPECT_TRUE(Enabled(w, "?CHECKLIST"));
    simulator.SetModes({});
    Close(w, "?CANCEL");
}

}  // namespace
}  // namespace zem::test
