// The query form's item list: what each row shows, the tag commands through the list's menu,
// the jumps to the previous and next tagged row, the Tag cell click, the header sort and the
// in-place edit that OK keeps and Cancel undoes.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/pictures.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/errors/message_sink.h"
#include "research/queryform/queryform_fixture.h"
#include "research/queryform/query_items.h"

namespace zem::test {
namespace {

namespace cell = research::item_cell;

std::vector<std::string> Trimmed(std::vector<std::string> cells) {
    for (std::string& c : cells) c = runtime::Trimmed(c);
    return cells;
}

class QueryItemListTest : public QueryFormTest {
  protected:
    // The items tagged in the store, as a set.
    static std::set<std::int32_t> Tagged() {
        const auto tags = StoredTags();
        return {tags.begin(), tags.end()};
    }
    // The items whose row shows the check icon.
    std::set<std::int32_t> Checked(ui::WindowId w) const {
        std::set<std::int32_t> checked;
        const auto icons = Column(w, cell::kTag);
        const auto ids = ListedIds(w);
        for (std::size_t i = 0; i < ids.size(); ++i)
            if (icons[i] == "2") checked.insert(ids[i]);
        return checked;
    }
};

TEST_F(QueryItemListTest, EachRowShowsItsItemInKeyOrderWithItsSaving) {
    const ui::WindowId w = Open(request::kChange);
    EXPECT_EQ(ListedIds(w),
              (std::vector<std::int32_t>(std::begin(kQueryItemIds), std::end(kQueryItemIds))));
    EXPECT_EQ(Column(w, cell::kTitle),
              (std::vector<std::string>{"Alpha camera", "Beta camera", "Gamma camera",
                                        "Delta camera", "Epsilon camera"}));
    // No list price shows 0.00, whatever the Amazon price.
    EXPECT_EQ(Trimmed(Column(w, cell::kSaving)),
              (std::vector<std::string>{"30.00", "5.00", "0.00", "-20.00", "50.00"}));
    EXPECT_EQ(Trimmed(Column(w, cell::kRank)), (std::vector<std::string>{"12", "", "7", "", ""}));
    EXPECT_EQ(Trimmed(Column(w, cell::kAds)), (std::vector<std::string>{"3", "0", "0", "0", "0"}));
    EXPECT_EQ(Trimmed(Column(w, cell::kAffiliate)),
              (std::vector<std::string>{"Yes", "", "", "", ""}));
    EXPECT_EQ(Trimmed(Column(w, cell::kShipping)),
              (std::vector<std::string>{"Yes", "", "", "", ""}));
    EXPECT_EQ(Column(w, cell::kList),
              (std::vector<std::string>{Money(100), Money(200), "", Money(50), Money(80)}));
    EXPECT_EQ(Column(w, cell::kAmazon),
              (std::vector<std::string>{Money(70), Money(190), Money(50), Money(60), Money(40)}));
    EXPECT_EQ(Column(w, cell::kTag), std::vector<std::string>(5, "1"));
    EXPECT_EQ(CurrentRow(w), 1);
    // The tag buttons never show; the list's menu carries their commands in three groups,
    // after the browse's own items and before the list format's.
    for (const std::string_view button : research::kTagCommandButtons)
        EXPECT_TRUE(display->ControlOf(w, button)->hide) << button;
    EXPECT_TRUE(Enabled(w, "?VIEW"));
    const std::vector<std::pair<std::string, bool>> expected{
        {"&View", true},     {"&Change", true},  {"-", false},
        {"&Tag", true},      {"&Untag", true},   {"&Flip", true},
        {"-", false},        {"Tag &All", true}, {"Unta&g All", true},
        {"F&lip All", true}, {"-", false},       {"&Prev Tag", true},
        {"&Next Tag", true}, {"-", false},       {"&Restore Original Format", true}};
    EXPECT_EQ(Menu(w, 2), expected);
    EXPECT_EQ(CurrentRow(w), 2);  // the right button also moves to the row
    Close(w, "?CANCEL");
}

TEST_F(QueryItemListTest, AnEmptyListOffersNoTagCommandAndNoPage) {
    research::DeleteQueryItems(kQuery);
    const ui::WindowId w = Open(request::kChange);
    EXPECT_TRUE(ListedIds(w).empty());
    // Below the rows the menu opens too, with every tag command off.
    const auto menu = Menu(w, 0);
    ASSERT_EQ(menu.size(), 15u);
    EXPECT_FALSE(menu[0].second);  // View
    for (std::size_t i = 3; i < 13; ++i) EXPECT_FALSE(menu[i].second) << menu[i].first;
    EXPECT_FALSE(Enabled(w, "?VIEW"));
    EXPECT_FALSE(Enabled(w, "?CREATECAMPAIGN"));
    EXPECT_FALSE(Enabled(w, "?CHECKLIST"));
    Close(w, "?CANCEL");
}

// A series of menu commands on rows, and the tags it leaves.
struct TagCase {
    const char* name;
    std::vector<std::pair<int, const char*>> steps;
    std::set<std::int32_t> tagged;
    friend void PrintTo(const TagCase& c, std::ostream* out) { *out << c.name; }
};

class QueryItemTagTest : public QueryItemListTest, public ::testing::WithParamInterface<TagCase> {};

TEST_P(QueryItemTagTest, TheCommandsLeaveExactlyTheseItemsTaggedAndShowThem) {
    const TagCase& c = GetParam();
    const ui::WindowId w = Open(request::kChange);
    for (const auto& [row, item] : c.steps) Command(w, row, item);
    EXPECT_EQ(Tagged(), c.tagged);
    EXPECT_EQ(Checked(w), c.tagged);
    // One tag row per tagged item: tagging a tagged item adds none.
    EXPECT_EQ(StoredTags().size(), c.tagged.size());
    EXPECT_EQ(Enabled(w, "?CREATECAMPAIGN"), !c.tagged.empty());
    EXPECT_EQ(Enabled(w, "?CHECKLIST"), !c.tagged.empty());
    Close(w, "?CANCEL");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, QueryItemTagTest,
    ::testing::Values(TagCase{"TagOne", {{2, "?TAGONE"}}, {102}},
                      TagCase{"TagTwiceChangesNothing", {{2, "?TAGONE"}, {2, "?TAGONE"}}, {102}},
                      TagCase{"UntagAnUntaggedItem", {{2, "?UNTAGONE"}}, {}},
                      TagCase{"Untag", {{2, "?TAGONE"}, {3, "?TAGONE"}, {2, "?UNTAGONE"}}, {103}},
                      TagCase{
                          "FlipOneWay", {{1, "?FLIPONE"}, {3, "?FLIPONE"}, {1, "?FLIPONE"}}, {103}},
                      TagCase{"TagAll", {{3, "?TAGALL"}}, {101, 102, 103, 104, 105}},
                      TagCase{"UntagAll", {{0, "?TAGALL"}, {4, "?UNTAGALL"}}, {}},
                      TagCase{"FlipAllLeavesTheOthers",
                              {{1, "?TAGONE"}, {4, "?TAGONE"}, {0, "?FLIPALL"}},
                              {102, 103, 105}}),
    [](const auto& param) { return std::string(param.param.name); });

// A jump from a row, with rows 2 and 4 tagged unless none are.
struct JumpCase {
    const char* name;
    bool tagSome;
    int from;
    const char* command;
    int to;  // 0: the message, and the list stays
    friend void PrintTo(const JumpCase& c, std::ostream* out) { *out << c.name; }
};

class QueryItemJumpTest : public QueryItemListTest,
                          public ::testing::WithParamInterface<JumpCase> {};

TEST_P(QueryItemJumpTest, AJumpFindsTheNearestOtherTaggedRowOrSaysThereIsNone) {
    const JumpCase& c = GetParam();
    const ui::WindowId w = Open(request::kChange);
    if (c.tagSome) {
        Command(w, 2, "?TAGONE");
        Command(w, 4, "?TAGONE");
    }
    Command(w, c.from, c.command);
    if (c.to != 0) {
        EXPECT_EQ(CurrentRow(w), c.to);
        EXPECT_TRUE(display->Messages().empty());
    } else {
        EXPECT_EQ(CurrentRow(w), c.from);
        ASSERT_EQ(display->Messages().size(), 1u);
        const ui::MessageRequest m = display->Messages()[0].request;
        EXPECT_EQ(m.text, "There are no more tagged records!");
        EXPECT_EQ(m.caption, "");
        EXPECT_EQ(m.icon, ui::Icon::Exclamation);
        EXPECT_EQ(m.buttons, ui::ButtonOk);
        EXPECT_EQ(display->View(w)->focus, display->ControlOf(w, "?LIST")->feq);
    }
    Close(w, "?CANCEL");
}

INSTANTIATE_TEST_SUITE_P(
    Jumps, QueryItemJumpTest,
    ::testing::Values(JumpCase{"NextFromAnUntaggedRow", true, 1, "?NEXTTAG", 2},
                      JumpCase{"NextSkipsTheTaggedCurrentRow", true, 2, "?NEXTTAG", 4},
                      JumpCase{"NextFromTheLastTagged", true, 4, "?NEXTTAG", 0},
                      JumpCase{"NextWithNothingTagged", false, 1, "?NEXTTAG", 0},
                      JumpCase{"PrevFromTheLastRow", true, 5, "?PREVTAG", 4},
                      JumpCase{"PrevSkipsTheTaggedCurrentRow", true, 4, "?PREVTAG", 2},
                      JumpCase{"PrevFromTheFirstRow", true, 1, "?PREVTAG", 0}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(QueryItemListTest, OnlyAClickOnADataRowsTagCellFlipsItsTag) {
    const ui::WindowId w = Open(request::kChange);
    ASSERT_TRUE(display->ClickCell(w, "?LIST", 3, cell::kTitle, ui::key::MouseLeft));
    ASSERT_TRUE(display->ClickHeader(w, "?LIST", cell::kTag));
    ASSERT_TRUE(Sync(w));
    EXPECT_TRUE(Tagged().empty());
    ASSERT_TRUE(display->ClickCell(w, "?LIST", 3, cell::kTag, ui::key::MouseRight));
    ASSERT_TRUE(Sync(w));
    EXPECT_TRUE(Tagged().empty());

    // The header click sorted by the tag column; every row still shows the blank icon.
    const std::int32_t third = ListedIds(w)[2];
    ASSERT_TRUE(display->ClickCell(w, "?LIST", 3, cell::kTag, ui::key::MouseLeft));
    ASSERT_TRUE(Sync(w));
    EXPECT_EQ(Tagged(), (std::set<std::int32_t>{third}));
    EXPECT_EQ(Checked(w), (std::set<std::int32_t>{third}));
    EXPECT_EQ(CurrentRow(w), 3);
    EXPECT_TRUE(Enabled(w, "?CREATECAMPAIGN"));
    ASSERT_TRUE(display->ClickCell(w, "?LIST", 3, cell::kTag, ui::key::MouseLeft));
    ASSERT_TRUE(Sync(w));
    EXPECT_TRUE(Tagged().empty());
    EXPECT_FALSE(Enabled(w, "?CREATECAMPAIGN"));
    Close(w, "?CANCEL");
}

TEST_F(QueryItemListTest, AHeaderSortsByItsColumnAndAgainTheOtherWayKeepingTheCurrentItem) {
    const ui::WindowId w = Open(request::kChange);
    ChooseRow(w, "?LIST", 4);  // Delta
    ASSERT_TRUE(display->ClickHeader(w, "?LIST", cell::kTitle));
    ASSERT_TRUE(Sync(w));
    EXPECT_EQ(ListedIds(w), (std::vector<std::int32_t>{101, 102, 104, 105, 103}));
    EXPECT_EQ(CurrentRow(w), 3);
    ASSERT_TRUE(display->ClickHeader(w, "?LIST", cell::kTitle));
    ASSERT_TRUE(Sync(w));
    EXPECT_EQ(ListedIds(w), (std::vector<std::int32_t>{103, 105, 104, 102, 101}));
    EXPECT_EQ(CurrentRow(w), 3);
    // The jumps walk the rows as the list shows them.
    Command(w, 1, "?TAGONE");  // Gamma
    Command(w, 5, "?PREVTAG");
    EXPECT_EQ(CurrentRow(w), 1);
    Close(w, "?CANCEL");
}

// The savings are 30, 5, 0 (no list price), -20 and 50 %: by value, not by their text.
TEST_F(QueryItemListTest, TheSavingColumnSortsByValue) {
    const ui::WindowId w = Open(request::kChange);
    ASSERT_TRUE(display->ClickHeader(w, "?LIST", cell::kSaving));
    ASSERT_TRUE(Sync(w));
    EXPECT_EQ(Trimmed(Column(w, cell::kSaving)),
              (std::vector<std::string>{"-20.00", "0.00", "5.00", "30.00", "50.00"}));
    EXPECT_EQ(ListedIds(w), (std::vector<std::int32_t>{104, 103, 102, 101, 105}));
    ASSERT_TRUE(display->ClickHeader(w, "?LIST", cell::kSaving));
    ASSERT_TRUE(Sync(w));
    EXPECT_EQ(ListedIds(w), (std::vector<std::int32_t>{105, 101, 102, 103, 104}));
    Close(w, "?CANCEL");
}

// Counts what the walks ask of the window: the wait cursor and the yields to its events.
std::atomic<int> g_cursorShown{0};
std::atomic<int> g_yields{0};

TEST_F(QueryItemListTest, WalksOverTheRowsShowTheWaitCursorAndYieldEveryTenthRowAcrossWalks) {
    const ui::WindowId w = Open(request::kChange);
    g_cursorShown = 0;
    g_yields = 0;
    ui::SetBusyHooks({[](bool busy) {
                          if (busy) ++g_cursorShown;
                      },
                      [] { ++g_yields; }});
    Command(w, 0, "?TAGALL");  // rows 1 to 5
    EXPECT_EQ(g_yields.load(), 0);
    EXPECT_GE(g_cursorShown.load(), 1);
    Command(w, 0, "?FLIPALL");  // rows 6 to 10: the tenth row yields
    EXPECT_EQ(g_yields.load(), 1);
    Command(w, 1, "?NEXTTAG");  // nothing tagged: four rows walked, 11 to 14
    Command(w, 0, "?TAGALL");   // 15 to 19
    EXPECT_EQ(g_yields.load(), 1);
    Command(w, 0, "?UNTAGALL");  // 20 to 24
    EXPECT_EQ(g_yields.load(), 2);
    ui::InstallWindowBusyHooks();
    Close(w, "?CANCEL");
}

struct EditCase {
    const char* name;
    const char* button;
    bool kept;
    friend void PrintTo(const EditCase& c, std::ostream* out) { *out << c.name; }
};

class QueryItemEditTest : public QueryItemListTest,
                          public ::testing::WithParamInterface<EditCase> {};

// The edit cell the list shows: {row, column}, {0, 0} for none.
std::pair<int, int> EditCellOf(const std::optional<ui::Control>& list) {
    return list ? std::pair{list->editRow, list->editColumn} : std::pair{0, 0};
}

TEST_P(QueryItemEditTest, AnInPlaceEditIsWrittenAtOnceAndLastsOnlyThroughOk) {
    const EditCase& c = GetParam();
    const ui::WindowId w = Open(request::kChange);
    auto editing = [&](int row, int column) {
        return display->WaitForControl(w, "?LIST", [&](const ui::Control& l) {
            return l.editRow == row && l.editColumn == column;
        });
    };
    EXPECT_EQ(EditCellOf(display->ControlOf(w, "?LIST")), (std::pair{0, 0}));
    ChooseRow(w, "?LIST", 2);
    Press(w, "?CHANGE");
    ASSERT_TRUE(editing(2, cell::kTitle));
    // Tab writes the title and goes on to the keywords; Enter writes them and ends the edit,
    // and the form stays open.
    ASSERT_TRUE(display->EditCell(w, "?LIST", "Beta camera II", ui::key::Tab));
    ASSERT_TRUE(editing(2, cell::kKeywords));
    EXPECT_EQ(Column(w, cell::kTitle)[1], "Beta camera II");
    ASSERT_TRUE(display->EditCell(w, "?LIST", "beta camera", ui::key::Enter));
    ASSERT_TRUE(editing(0, 0));
    EXPECT_EQ(Column(w, cell::kKeywords)[1], "beta camera");
    EXPECT_EQ(StoredItems()[1].title, "Beta camera II");
    EXPECT_TRUE(display->IsOpen(w));
    // Escape ends an edit without writing it; leaving the row ends it too.
    Press(w, "?CHANGE");
    ASSERT_TRUE(editing(2, cell::kTitle));
    ASSERT_TRUE(display->EditCell(w, "?LIST", "thrown away", ui::key::Escape));
    ASSERT_TRUE(editing(0, 0));
    Press(w, "?CHANGE");
    ASSERT_TRUE(editing(2, cell::kTitle));
    ChooseRow(w, "?LIST", 3);
    ASSERT_TRUE(editing(0, 0));
    EXPECT_EQ(Column(w, cell::kTitle)[1], "Beta camera II");
    Close(w, c.button);
    const StoredItem beta = StoredItems()[1];
    EXPECT_EQ(beta.title, c.kept ? "Beta camera II" : "Beta camera");
    EXPECT_EQ(beta.keywords, c.kept ? "beta camera" : "Beta camera deals");
}

// The reload a saved configuration asks for keeps the cell being edited open.
TEST_F(QueryItemListTest, AnEditInProgressOutlastsTheReloadOfASavedConfiguration) {
    const ui::WindowId w = Open(request::kChange);
    auto editing = [&](int row, int column) {
        return display->WaitForControl(w, "?LIST", [&](const ui::Control& l) {
            return l.editRow == row && l.editColumn == column;
        });
    };
    ChooseRow(w, "?LIST", 2);
    Press(w, "?CHANGE");
    ASSERT_TRUE(editing(2, cell::kTitle));
    shell::TreeReloadCount = 1;
    clock.Advance(10);
    ASSERT_TRUE(Eventually([] { return shell::TreeReloadCount.load() == 0; }));
    ASSERT_TRUE(Sync(w));
    const auto list = display->ControlOf(w, "?LIST");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->editRow, 2);
    EXPECT_EQ(list->editColumn, cell::kTitle);
    EXPECT_EQ(CurrentRow(w), 2);
    ASSERT_TRUE(display->EditCell(w, "?LIST", "Beta camera II", ui::key::Enter));
    ASSERT_TRUE(editing(0, 0));
    EXPECT_EQ(StoredItems()[1].title, "Beta camera II");
    Close(w, "?CANCEL");
}

INSTANTIATE_TEST_SUITE_P(Closing, QueryItemEditTest,
                         ::testing::Values(EditCase{"Ok", "?OK", true},
                                           EditCase{"Cancel", "?CANCEL", false}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace zem::test
