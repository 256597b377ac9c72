// The query form itself: which variant opens, its captions and counting, the refusal, the
// delete request, the fields and drop lists with their rules, the node lookup, the reload a
// saved configuration asks for, and the item page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/runtime/date_pictures.h"
#include "platform/runtime/pictures.h"
#include "platform/ui/errors/message_sink.h"
#include "platform/win/shell_open.h"
#include "research/queryform/queryform_fixture.h"

namespace zem::test {
namespace {

struct VariantCase {
    const char* name;
    std::uint8_t jpMode;
    int request;
    const char* procedure;
    const char* caption;
    int charset;
    friend void PrintTo(const VariantCase& c, std::ostream* out) { *out << c.name; }
};

class QueryFormVariantTest : public QueryFormTest,
                             public ::testing::WithParamInterface<VariantCase> {};

TEST_P(QueryFormVariantTest, TheRouterOpensTheVariantWithItsCaptionAndCountsItWhileItRuns) {
    const VariantCase& c = GetParam();
    shell::JPMode = c.jpMode;
    const ui::WindowId w = Open(c.request, {}, &research::UpdateQueries, c.procedure);
    ASSERT_NE(w, 0);
    EXPECT_EQ(Caption(w), c.caption);
    const auto view = display->View(w);
    EXPECT_EQ(view->window.props.charset, c.charset);
    EXPECT_EQ(view->window.props.icon, "wizfind.ico");
    EXPECT_EQ(shell::BusyWindows.load(), 1);
    ASSERT_FALSE(help->Requests().empty());
    EXPECT_EQ(help->Requests().back().topic, "UpdateQueries.htm");
    EXPECT_EQ(help->Requests().back().file, "zembrola.chm");
    // The window's position is kept under the procedure's name.
    ui::ReportPlacement(w, ui::Rect{44, 33, 700, 600}, false);
    const FormOutcome out = Close(w, "?CANCEL");
    EXPECT_EQ(out.response, response::kCancelled);
    EXPECT_EQ(shell::BusyWindows.load(), 0);
    const auto placement = ui::IniManager::Global().FetchWindow(c.procedure);
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->x, 44);
    EXPECT_EQ(placement->width, 700);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, QueryFormVariantTest,
    ::testing::Values(
        VariantCase{"ChangeA", 0, request::kChange, "UpdateQueriesA", "Change Query", 0},
        VariantCase{"ChangeJ", 128, request::kChange, "UpdateQueriesJ", "Change Query", 128},
        VariantCase{"ViewA", 0, request::kView, "UpdateQueriesA", "View Record", 0},
        VariantCase{"InsertJ", 128, request::kInsert, "UpdateQueriesJ", "New Query", 128}),
    [](const auto& param) { return std::string(param.param.name); });

class QueryFormRefusalTest : public QueryFormTest, public ::testing::WithParamInterface<int> {};

TEST_P(QueryFormRefusalTest, AnotherCountedWindowKeepsTheFormClosedAndTheResponseAsItWas) {
    shell::BusyWindows = 1;  // a catalog tree, a node picker or a query form runs elsewhere
    Start(GetParam());
    const auto message = display->WaitForMessage(1);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->request.text, "Sorry, you MUST close all windows for this action.");
    EXPECT_EQ(message->request.caption, "Error");
    EXPECT_EQ(message->request.icon, ui::Icon::Exclamation);
    EXPECT_EQ(message->request.buttons, ui::ButtonOk);
    const FormOutcome out = Finish();
    EXPECT_EQ(out.response, kCallerResponse);
    EXPECT_EQ(shell::BusyWindows.load(), 1);
    EXPECT_TRUE(display->OpenedProcedures().empty());
    EXPECT_TRUE(StoredQuery(kQuery));
    EXPECT_EQ(StoredIds().size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(ChangeAndDelete, QueryFormRefusalTest,
                         ::testing::Values(request::kChange, request::kDelete));

struct DeleteCase {
    const char* name;
    unsigned answer;
    int response;
    bool deleted;
    friend void PrintTo(const DeleteCase& c, std::ostream* out) { *out << c.name; }
};

class QueryFormDeleteTest : public QueryFormTest,
                            public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(QueryFormDeleteTest, TheDeleteRequestAsksThenDeletesTheQueryWithItsItemsUnshown) {
    const DeleteCase& c = GetParam();
    // Tag positions of the query and of the other one.
    for (const std::int32_t query : {kQuery, kOtherQuery}) {
        data::TableManager& positions = data::Access(TableId::TagFilePos_);
        ASSERT_EQ(positions.PrimeRecord(), ui::Benign);
        data::Dict().TP_.TBL = static_cast<std::int16_t>(query);
        ASSERT_EQ(positions.Insert(), ui::Benign);
    }
    display->AnswerNext(c.answer);
    Start(request::kDelete);
    const FormOutcome out = Finish();
    EXPECT_EQ(out.response, c.response);
    ASSERT_EQ(display->Messages().size(), 1u);
    EXPECT_EQ(display->Messages()[0].request.caption, "Confirm Delete");
    EXPECT_TRUE(display->OpenedProcedures().empty());
    EXPECT_EQ(StoredQuery(kQuery).has_value(), !c.deleted);
    EXPECT_EQ(StoredIds().size(), c.deleted ? 0u : 5u);
    // The other query keeps its item.
    EXPECT_EQ(StoredIds(kOtherQuery), (std::vector<std::int32_t>{201}));
    std::vector<std::int16_t> positionSets;
    for (const TagRow& row : StoredRows(TableId::TagFilePos_)) positionSets.push_back(row.tbl);
    const std::vector<std::int16_t> kept = c.deleted
                                               ? std::vector<std::int16_t>{kOtherQuery}
                                               : std::vector<std::int16_t>{kQuery, kOtherQuery};
    EXPECT_EQ(positionSets, kept);
    EXPECT_EQ(shell::BusyWindows.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, QueryFormDeleteTest,
    ::testing::Values(DeleteCase{"Yes", ui::ButtonYes, response::kCompleted, true},
                      DeleteCase{"No", ui::ButtonNo, response::kCancelled, false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(QueryFormTest, OpeningShowsTheQueryWithItsChoicesAndStartsWithNoItemTagged) {
    AddTag(101);
    AddTag(103);
    AddTag(201, kOtherQuery);
    const ui::WindowId w = Open(request::kChange);
    EXPECT_TRUE(StoredTags().empty());
    EXPECT_EQ(StoredTags(kOtherQuery), (std::vector<std::int32_t>{201}));
    EXPECT_EQ(display->Shown(w, "?QUE:NAME"), "Cameras");
    EXPECT_EQ(display->Shown(w, "?QUE:NODE"), "3");
    EXPECT_EQ(display->Shown(w, "?NOD:NAME"), "Cameras");
    EXPECT_EQ(display->Shown(w, "?QUE:MINPRICE"), "10.00");
    EXPECT_EQ(display->Shown(w, "?QUE:MAXPRICE"), "500.00");
    EXPECT_EQ(display->Shown(w, "?CURSAVING"), "0.00%");
    EXPECT_EQ(display->Shown(w, "?QUE:KEYWORDS"), "digital camera");
    // Active stores by name; the store's catalogs with a search index; every brand.
    EXPECT_EQ(DropRows(w, "?SIT:NAME"), (std::vector<std::string>{"Amazon UK", "Amazon US"}));
    EXPECT_EQ(DropChoice(w, "?SIT:NAME"), "Amazon US");
    EXPECT_EQ(DropRows(w, "?CAT:NAME"), (std::vector<std::string>{"Books", "Electronics"}));
    EXPECT_EQ(DropChoice(w, "?CAT:NAME"), "Electronics");
    EXPECT_EQ(DropRows(w, "?BRA:NAME"), (std::vector<std::string>{"Canon", "Nikon"}));
    EXPECT_EQ(DropChoice(w, "?BRA:NAME"), "Canon");
    EXPECT_FALSE(Enabled(w, "?CREATECAMPAIGN"));
    EXPECT_FALSE(Enabled(w, "?CHECKLIST"));
    EXPECT_TRUE(Enabled(w, "?BUILDLIST"));
    Close(w, "?CANCEL");
}

TEST_F(QueryFormTest, AQueryOfADeactivatedStoreStillOffersItsStore) {
    SetActive(kUs, false);
    const ui::WindowId w = Open(request::kChange);
    EXPECT_EQ(DropRows(w, "?SIT:NAME"), (std::vector<std::string>{"Amazon UK", "Amazon US"}));
    EXPECT_EQ(DropChoice(w, "?SIT:NAME"), "Amazon US");
    Close(w, "?CANCEL");
}

TEST_F(QueryFormTest, ANewQueryOfAnInactiveStoreGetsTheFirstActiveStoreAndIsSavedByOk) {
    SetActive(kUs, false);
    const ui::WindowId w =
        Open(request::kInsert, [] { data::SetString(data::Dict().QUE.NAME, "Books in the UK"); });
    EXPECT_EQ(DropRows(w, "?SIT:NAME"), (std::vector<std::string>{"Amazon UK"}));
    EXPECT_EQ(DropChoice(w, "?SIT:NAME"), "Amazon UK");
    EXPECT_EQ(DropRows(w, "?CAT:NAME"), (std::vector<std::string>{"UK books"}));
    EXPECT_EQ(DropChoice(w, "?CAT:NAME"), "UK books");
    // A new query has no brand until one is chosen, and its build stamp is now.
    EXPECT_EQ(DropChoice(w, "?BRA:NAME"), "");
    EXPECT_EQ(display->Shown(w, "?QUE:BUILDDATE"), runtime::FormatDate(TestDate(), "d17"));
    EXPECT_EQ(display->Shown(w, "?QUE:BUILDTIME"), runtime::FormatTime(TestTime(), "T8"));
    ChooseRow(w, "?BRA:NAME", 2);
    const FormOutcome out = Close(w, "?OK");
    EXPECT_EQ(out.response, response::kCompleted);
    const auto stored = StoredQuery(out.query.ID);
    ASSERT_TRUE(stored);
    EXPECT_EQ(data::StringOf(stored->NAME), "Books in the UK");
    EXPECT_EQ(stored->SITE, kUk);
    EXPECT_EQ(stored->CATALOG, catalog::kUkBooks);
    EXPECT_EQ(stored->BRAND, kNikon);
    EXPECT_EQ(stored->BUILDDATE, TestDate());
    EXPECT_EQ(stored->BUILDTIME, TestTime());
}

struct PriceCase {
    const char* name;
    const char* field;
    const char* typed;
    const char* min;
    const char* max;
    double minValue;
    double maxValue;
    friend void PrintTo(const PriceCase& c, std::ostream* out) { *out << c.name; }
};

class QueryFormPriceTest : public QueryFormTest, public ::testing::WithParamInterface<PriceCase> {};

TEST_P(QueryFormPriceTest, AMinimumAboveTheMaximumRaisesItAndAMaximumBelowLowersIt) {
    const PriceCase& c = GetParam();
    const ui::WindowId w = Open(request::kChange);
    Type(w, c.field, c.typed);
    EXPECT_EQ(display->Shown(w, "?QUE:MINPRICE"), c.min);
    EXPECT_EQ(display->Shown(w, "?QUE:MAXPRICE"), c.max);
    EXPECT_EQ(Close(w, "?OK").response, response::kCompleted);
    const auto stored = StoredQuery(kQuery);
    EXPECT_DOUBLE_EQ(stored->MINPRICE, c.minValue);
    EXPECT_DOUBLE_EQ(stored->MAXPRICE, c.maxValue);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, QueryFormPriceTest,
    ::testing::Values(
        PriceCase{"MinimumAbove", "?QUE:MINPRICE", "600", "600.00", "600.00", 600, 600},
        PriceCase{"MaximumBelow", "?QUE:MAXPRICE", "5", "5.00", "5.00", 5, 5},
        PriceCase{"EqualLeftAlone", "?QUE:MINPRICE", "500", "500.00", "500.00", 500, 500},
        PriceCase{"InRange", "?QUE:MAXPRICE", "20", "10.00", "20.00", 10, 20}),
    [](const auto& param) { return std::string(param.param.name); });

// The rule waits for the whole price: while a price is typed key by key the other one stays,
// and the rule runs once the entry is accepted, or by the OK button that saves it.
struct TypedPriceCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> accepted;  // entries typed and accepted first
    const char* field;                                          // then typed key by key
    const char* keys;
    bool acceptedByOk;  // else the entry is accepted, then the form closed with OK
    const char* min;    // shown at the end
    const char* max;
    friend void PrintTo(const TypedPriceCase& c, std::ostream* out) { *out << c.name; }
};

class QueryFormTypedPriceTest : public QueryFormTest,
                                public ::testing::WithParamInterface<TypedPriceCase> {};

TEST_P(QueryFormTypedPriceTest, TheRuleRunsWhenThePriceIsAcceptedNotAtEveryKey) {
    const TypedPriceCase& c = GetParam();
    const ui::WindowId w = Open(request::kChange);
    for (const auto& [use, text] : c.accepted) Type(w, use, text);
    const std::string min = display->Shown(w, "?QUE:MINPRICE");
    const std::string max = display->Shown(w, "?QUE:MAXPRICE");
    // Each key taken before the next, as a user types: the form sees every number on the way.
    ASSERT_TRUE(display->TypeOnly(w, c.field, ""));
    for (const char key : std::string_view(c.keys)) {
        ASSERT_TRUE(display->TypeKey(w, c.field, key));
        ASSERT_TRUE(Sync(w));
    }
    const bool typingMin = std::string_view(c.field) == "?QUE:MINPRICE";
    EXPECT_EQ(display->Shown(w, typingMin ? "?QUE:MAXPRICE" : "?QUE:MINPRICE"),
              typingMin ? max : min);
    if (!c.acceptedByOk) {
        Type(w, c.field, c.keys);
        EXPECT_EQ(display->Shown(w, "?QUE:MINPRICE"), c.min);
        EXPECT_EQ(display->Shown(w, "?QUE:MAXPRICE"), c.max);
    }
    EXPECT_EQ(Close(w, "?OK").response, response::kCompleted);
    const auto stored = StoredQuery(kQuery);
    ASSERT_TRUE(stored);
    EXPECT_EQ(runtime::Trimmed(runtime::FormatNumber(stored->MINPRICE, "n10.2")), c.min);
    EXPECT_EQ(runtime::Trimmed(runtime::FormatNumber(stored->MAXPRICE, "n10.2")), c.max);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, QueryFormTypedPriceTest,
    ::testing::Values(
        TypedPriceCase{"MaximumAboveTheMinimum",
                       {{"?QUE:MINPRICE", "21"}},
                       "?QUE:MAXPRICE",
                       "61",
                       false,
                       "21.00",
                       "61.00"},
        TypedPriceCase{
            "MaximumOfMoreDigitsThanItsFirst", {}, "?QUE:MAXPRICE", "50", false, "10.00", "50.00"},
        TypedPriceCase{"MinimumAboveTheMaximum",
                       {{"?QUE:MAXPRICE", "20"}},
                       "?QUE:MINPRICE",
                       "50",
                       false,
                       "50.00",
                       "50.00"},
        TypedPriceCase{"MaximumBelowTheMinimum",
                       {{"?QUE:MINPRICE", "50"}},
                       "?QUE:MAXPRICE",
                       "10",
                       false,
                       "10.00",
                       "10.00"},
        TypedPriceCase{"MaximumBelowTheMinimumSavedByOk",
                       {{"?QUE:MINPRICE", "50"}},
                       "?QUE:MAXPRICE",
                       "10",
                       true,
                       "10.00",
                       "10.00"},
        TypedPriceCase{"MaximumAboveTheMinimumSavedByOk",
                       {{"?QUE:MINPRICE", "21"}},
                       "?QUE:MAXPRICE",
                       "61",
                       true,
                       "21.00",
                       "61.00"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(QueryFormTest, AnotherStoreClearsTheNodeAndTheItemsAndNarrowsTheCatalogsUntilCancel) {
    AddTag(102);
    const ui::WindowId w = Open(request::kChange);
    ChooseRow(w, "?SIT:NAME", 2);  // Amazon US again: nothing changes
    EXPECT_EQ(ListedIds(w).size(), 5u);
    EXPECT_EQ(display->Shown(w, "?QUE:NODE"), "3");
    ChooseRow(w, "?SIT:NAME", 1);  // Amazon UK
    EXPECT_EQ(DropChoice(w, "?SIT:NAME"), "Amazon UK");
    EXPECT_EQ(DropRows(w, "?CAT:NAME"), (std::vector<std::string>{"UK books"}));
    EXPECT_EQ(DropChoice(w, "?CAT:NAME"), "UK books");
    EXPECT_EQ(display->Shown(w, "?QUE:NODE"), "0");
    EXPECT_EQ(display->Shown(w, "?NOD:NAME"), "");
    EXPECT_TRUE(ListedIds(w).empty());
    EXPECT_TRUE(StoredIds().empty());
    EXPECT_EQ(StoredIds(kOtherQuery), (std::vector<std::int32_t>{201}));
    // Cancel undoes it all: the items are back and the query is as it was.
    EXPECT_EQ(Close(w, "?CANCEL").response, response::kCancelled);
    EXPECT_EQ(StoredIds(),
              (std::vector<std::int32_t>(std::begin(kQueryItemIds), std::end(kQueryItemIds))));
    EXPECT_EQ(StoredQuery(kQuery)->SITE, kUs);
    EXPECT_EQ(StoredQuery(kQuery)->NODE, node::kCameras);
}

TEST_F(QueryFormTest, AnotherCatalogClearsTheNodeAndTheItemsAndOkKeepsThat) {
    const ui::WindowId w = Open(request::kChange);
    ChooseRow(w, "?CAT:NAME", 1);  // Books
    EXPECT_EQ(display->Shown(w, "?QUE:NODE"), "0");
    EXPECT_TRUE(ListedIds(w).empty());
    EXPECT_EQ(Close(w, "?OK").response, response::kCompleted);
    EXPECT_TRUE(StoredIds().empty());
    const auto stored = StoredQuery(kQuery);
    EXPECT_EQ(stored->CATALOG, catalog::kUsBooks);
    EXPECT_EQ(stored->NODE, 0);
    EXPECT_EQ(StoredIds(kOtherQuery), (std::vector<std::int32_t>{201}));
}

class QueryFormNodeTest : public QueryFormTest {
  protected:
    // Chooses the node with the label in the node picker, once its tree shows it.
    void PickInPicker(ui::WindowId picker, std::string_view label) {
        int row = 0;
        ASSERT_TRUE(display->WaitForControl(picker, "?FILETREE", [&](const ui::Control& c) {
            for (std::size_t i = 0; i < c.rows.size(); ++i)
                if (c.rows[i].cells.at(0) == label) row = static_cast<int>(i) + 1;
            return row != 0;
        })) << label;
        ASSERT_TRUE(display->ChooseRow(picker, "?FILETREE", row));
        ASSERT_TRUE(display->WaitForControl(picker, "?SELECT",
                                            [](const ui::Control& c) { return !c.disable; }));
        ASSERT_TRUE(display->Press(picker, "?SELECT"));
        ASSERT_TRUE(display->WaitForClose(picker));
    }
};

TEST_F(QueryFormNodeTest, ANodeThatNamesNoNodeOpensThePickerAndKeepsTheFocusUntilOneIsChosen) {
    const ui::WindowId w = Open(request::kChange);
    ASSERT_TRUE(display->Type(w, "?QUE:NODE", "999"));
    auto picker = display->WaitForWindow("SelectTreeA");
    ASSERT_TRUE(picker);
    EXPECT_TRUE(Eventually([] { return shell::BusyWindows.load() == 2; }));
    ASSERT_TRUE(display->Press(*picker, "?CANCELBUTTON"));
    ASSERT_TRUE(display->WaitForClose(*picker));
    // The focus the form puts back on the field does not open the picker again at once.
    const int node = display->ControlOf(w, "?QUE:NODE")->feq;
    ASSERT_TRUE(ui::SendInput(w, ui::Input{node, runtime::event::kSelected}));
    ASSERT_TRUE(Sync(w));
    EXPECT_EQ(display->View(w)->focus, node);
    EXPECT_EQ(display->Shown(w, "?QUE:NODE"), "999");
    EXPECT_EQ(display->OpenedProcedures(),
              (std::vector<std::string>{"UpdateQueriesA", "SelectTreeA"}));

    ASSERT_TRUE(display->Type(w, "?QUE:NODE", "999"));
    picker = display->WaitForWindow("SelectTreeA");
    ASSERT_TRUE(picker);
    PickInPicker(*picker, "Cameras");
    ASSERT_TRUE(Sync(w));
    EXPECT_EQ(display->Shown(w, "?QUE:NODE"), "3");
    EXPECT_EQ(display->Shown(w, "?NOD:NAME"), "Cameras");
    EXPECT_EQ(shell::BusyWindows.load(), 1);
    Close(w, "?CANCEL");
}

TEST_F(QueryFormNodeTest, TabbingIntoANodeOfZeroOpensThePickerAndTheButtonOpensItToo) {
    const ui::WindowId w = Open(request::kChange);
    Type(w, "?QUE:NODE", "0");  // 0 is no node, but accepting it looks nothing up
    EXPECT_EQ(display->OpenedProcedures().size(), 1u);
    const int node = display->ControlOf(w, "?QUE:NODE")->feq;
    ASSERT_TRUE(ui::SendInput(w, ui::Input{node, runtime::event::kSelected}));
    auto picker = display->WaitForWindow("SelectTreeA");
    ASSERT_TRUE(picker);
    ASSERT_TRUE(display->Press(*picker, "?CANCELBUTTON"));
    ASSERT_TRUE(display->WaitForClose(*picker));
    ASSERT_TRUE(Sync(w));
    EXPECT_EQ(display->Shown(w, "?QUE:NODE"), "0");

    ASSERT_TRUE(display->Press(w, "?CALLLOOKUP"));
    picker = display->WaitForWindow("SelectTreeA");
    ASSERT_TRUE(picker);
    PickInPicker(*picker, "Cameras");
    ASSERT_TRUE(Sync(w));
    EXPECT_EQ(display->Shown(w, "?QUE:NODE"), "3");
    const FormOutcome out = Close(w, "?OK");
    EXPECT_EQ(StoredQuery(kQuery)->NODE, node::kCameras);
    EXPECT_EQ(out.query.NODE, node::kCameras);
}

TEST_F(QueryFormTest, EachTimerEventTakesOneReloadOfASavedConfiguration) {
    const ui::WindowId w = Open(request::kChange);
    shell::TreeReloadCount = 2;  // this form and one other counted window
    clock.Advance(10);
    ASSERT_TRUE(Eventually([] { return shell::TreeReloadCount.load() == 1; }));
    ASSERT_TRUE(Sync(w));
    EXPECT_EQ(display->Shown(w, "?QUE:NODE"), "0");
    EXPECT_EQ(display->Shown(w, "?NOD:NAME"), "");
    Close(w, "?CANCEL");
}

TEST_F(QueryFormTest, ViewOpensTheCurrentItemsPage) {
    const ui::WindowId w = Open(request::kChange);
    ChooseRow(w, "?LIST", 2);
    Press(w, "?VIEW");
    EXPECT_EQ(OpenedUrls(), (std::vector<std::string>{DetailPageOf(102)}));
    Close(w, "?CANCEL");
}

// "View" where no browser can be started: the user is told why instead of waiting for one.
TEST_F(QueryFormTest, ViewSaysWhyThePageCouldNotBeOpened) {
    struct Case {
        const char* what;
        const char* xdgOpen;  // the script on PATH; nullptr: none
        std::string told;
    };
    const Case cases[] = {
        {"no xdg-open", nullptr, "xdg-open was not found"},
        {"no browser",
         "#!/bin/sh\necho \"xdg-open: no method available for opening '$1'\" >&2\nexit 3\n",
         "xdg-open: no method available for opening '" + DetailPageOf(102) +
             "'\nxdg-open ended with exit status 3"},
    };
    const char* path = std::getenv("PATH");
    const std::string oldPath = path ? path : "/usr/bin:/bin";
    win::SetUrlOpener(nullptr);
    const ui::WindowId w = Open(request::kChange);
    ChooseRow(w, "?LIST", 2);
    std::size_t shown = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path bin = dir / c.what;
        std::filesystem::create_directories(bin);
        if (c.xdgOpen) {
            std::ofstream(bin / "xdg-open") << c.xdgOpen;
            std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
        }
        ::setenv("PATH", (bin.string() + ":" + oldPath).c_str(), 1);
        Press(w, "?VIEW");
        ::setenv("PATH", oldPath.c_str(), 1);
        const auto message = display->WaitForMessage(++shown);
        ASSERT_TRUE(message);
        EXPECT_EQ(message->request.caption, "Error");
        EXPECT_EQ(message->request.icon, ui::Icon::Hand);
        EXPECT_EQ(message->request.charset, 0);
        EXPECT_TRUE(message->request.text.starts_with("The page " + DetailPageOf(102) +
                                                      " could not be opened.\n\n"))
            << message->request.text;
        EXPECT_NE(message->request.text.find(c.told), std::string::npos) << message->request.text;
    }
    Close(w, "?CANCEL");
}

TEST_F(QueryFormTest, TheViewRequestShowsTheQueryWithoutAnythingToChange) {
    const ui::WindowId w = Open(request::kView);
    for (const char* use : {"?QUE:NAME", "?QUE:BUILDDATE", "?QUE:BUILDTIME", "?QUE:NODE"})
        EXPECT_TRUE(display->ControlOf(w, use)->readOnly) << use;
    for (const char* use :
         {"?SIT:NAME", "?CAT:NAME", "?BRA:NAME", "?CALLLOOKUP", "?BUILDLIST", "?CREATECAMPAIGN",
          "?CHANGE", "?CHECKLIST", "?VIEW", "?TAGONE", "?FLIPALL", "?NEXTTAG"})
        EXPECT_FALSE(Enabled(w, use)) << use;
    EXPECT_EQ(ListedIds(w).size(), 5u);
    EXPECT_EQ(Close(w, "?OK").response, response::kCancelled);
}

}  // namespace
}  // namespace zem::test
