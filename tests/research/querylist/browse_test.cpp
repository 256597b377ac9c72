#include "research/querylist/browse_queries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/resources/resources.h"
#include "platform/ui/window/browse_list.h"
#include "platform/ui/window/input.h"
#include "research/querylist/querylist_fixture.h"

namespace zem::test {
namespace {

namespace request = runtime::request;
namespace response = runtime::response;
namespace nav = ui::navigation;

constexpr const char* kDeleteQuestion = "Are you sure you want to delete the highlighted record?";
constexpr const char* kCloseAllWindows = "Sorry, you MUST close all windows for this action.";

class BrowseQueriesTest : public QueryListTest {
  protected:
    ui::WindowId OpenList(int req = request::kNone, std::function<void()> prepare = {}) {
        const ui::WindowId w = Open(&research::BrowseQueriesA, "BrowseQueriesA", req, prepare);
        EXPECT_TRUE(ShowsNames(w, kByDate));
        return w;
    }

    void Close(ui::WindowId w) {
        ASSERT_TRUE(display->Press(w, "?CLOSE"));
        Finish(w);
    }

    // Highlights the query's row as a click would.
    void Choose(ui::WindowId w, const std::string& name) {
        const std::vector<std::string> names = Names(w);
        const auto it = std::find(names.begin(), names.end(), name);
        ASSERT_NE(it, names.end()) << name;
        ASSERT_TRUE(display->ChooseRow(w, "?BROWSE:1", static_cast<int>(it - names.begin()) + 1));
        SyncWith(w);
    }

    // The query form the list opened, once it has set itself up and taken what came first.
    ui::WindowId Form(const char* procedure = "UpdateQueriesA") {
        const auto form = display->WaitForWindow(procedure);
        EXPECT_TRUE(form) << procedure;
        if (!form) return 0;
        EXPECT_TRUE(display->WaitForView(*form, [](const ui::HeadlessDisplay::WindowView& v) {
            return v.window.props.caption != "Form Queries";
        }));
        SyncWith(*form);
        return *form;
    }

    // Presses a button of the form, or the list's button, and waits for the form to close.
    void Leave(ui::WindowId form, const char* button) {
        ASSERT_TRUE(display->Press(form, button));
        ASSERT_TRUE(display->WaitForClose(form));
    }

    static std::size_t Count(const std::vector<std::string>& opened, const char* procedure) {
        return static_cast<std::size_t>(std::count(opened.begin(), opened.end(), procedure));
    }
};

TEST_F(BrowseQueriesTest, OpensByDateWithItsColumnsAndNoSelectButton) {
    const ui::WindowId w = OpenList();
    const auto view = display->View(w);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->window.props.caption, "Browse the Queries");
    EXPECT_EQ(view->window.props.icon, "wizfind.ico");
    EXPECT_EQ(view->window.props.charset, 0);
    const auto list = display->ControlOf(w, "?BROWSE:1");
    ASSERT_TRUE(list);
    std::vector<std::string> headers;
    for (const ui::ListColumn& c : list->columns) headers.push_back(c.header);
    EXPECT_EQ(headers,
              (std::vector<std::string>{"Build Date", "Build Time", "Name", "Catalog", "Node"}));
    EXPECT_EQ(list->tip, "Browsing the Queries file");
    EXPECT_EQ(Column(w, 1)[4], "October 31, 2008");
    EXPECT_EQ(Column(w, 2)[4], "9:30:00 AM");
    EXPECT_EQ(Column(w, 4),
              (std::vector<std::string>{"", "Books", "Books", "UK books", "Electronics"}));
    EXPECT_EQ(Column(w, 5),
              (std::vector<std::string>{"", "Cooking", "Mystery", "Crime", "Electronics"}));
    EXPECT_EQ(Highlighted(w), "Lost links");
    EXPECT_TRUE(display->ControlOf(w, "?SELECT:2")->hide);
    for (const char* use : {"?INSERT:4", "?CHANGE:4", "?DELETE:4"})
        EXPECT_FALSE(display->ControlOf(w, use)->disable) << use;
    EXPECT_EQ(display->ControlOf(w, "?CURRENTTAB")->selected, 1);
    for (const ui::Control& c : view->window.controls) {
        if (!c.icon.empty()) {
            EXPECT_TRUE(ui::IconPath(c.icon)) << c.use << " " << c.icon;
        }
    }
    EXPECT_TRUE(ui::IconPath(view->window.props.icon));
    // The list counts itself nowhere: the configuration window stays open to the user.
    EXPECT_EQ(shell::BusyWindows.load(), 0);
    Close(w);
    EXPECT_EQ(response_, response::kCompleted);
    EXPECT_TRUE(ui::IniManager::Global().FetchWindow("BrowseQueriesA"));
}

TEST_F(BrowseQueriesTest, EachTabShowsItsOrderAndTheRangedTabsFollowTheThreadsBuffers) {
    // The catalog and node the list's thread holds, as a pick with the buttons leaves them.
    const ui::WindowId w = OpenList(request::kNone, [] {
        data::Dict().CAT.ID = catalogs::kUsBooks;
        data::Dict().NOD.ID = nodes::kCrime;
    });
    struct Step {
        int tab;
        std::vector<std::string> names;
    };
    const Step steps[] = {
        {2, kByName}, {3, {"Cookbooks", "Mystery novels"}}, {4, {"Crime UK"}}, {1, kByDate}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.tab);
        ASSERT_TRUE(display->SelectTab(w, "?CURRENTTAB", s.tab));
        EXPECT_TRUE(ShowsNames(w, s.names));
    }
    Close(w);
}

// The form fetches its query's catalog and node into the list's thread buffers; the tabs must
// still range on what the user picked.
TEST_F(BrowseQueriesTest, AFormRunFromARangedTabLeavesBothRangesAsPicked) {
    const ui::WindowId w = OpenList(request::kNone, [] {
        data::Dict().CAT.ID = catalogs::kUsBooks;
        data::Dict().NOD.ID = nodes::kCrime;
    });
    ASSERT_TRUE(display->SelectTab(w, "?CURRENTTAB", 3));
    ASSERT_TRUE(ShowsNames(w, {"Cookbooks", "Mystery novels"}));
    Choose(w, "Cookbooks");  // its node is not the picked one
    ASSERT_TRUE(display->Press(w, "?CHANGE:4"));
    Leave(Form(), "?CANCEL");
    ASSERT_TRUE(display->SelectTab(w, "?CURRENTTAB", 4));
    EXPECT_TRUE(ShowsNames(w, {"Crime UK"}));

    Choose(w, "Crime UK");  // its catalog is not the picked one
    ASSERT_TRUE(display->Press(w, "?CHANGE:4"));
    Leave(Form(), "?CANCEL");
    ASSERT_TRUE(display->SelectTab(w, "?CURRENTTAB", 3));
    EXPECT_TRUE(ShowsNames(w, {"Cookbooks", "Mystery novels"}));
    Close(w);
}

TEST_F(BrowseQueriesTest, CatalogsButtonPutsThePickedCatalogBeforeTheCatalogTab) {
    const ui::WindowId w = OpenList();
    ASSERT_TRUE(display->SelectTab(w, "?CURRENTTAB", 3));
    // Nothing picked yet: no catalog has the id the empty buffer holds.
    EXPECT_TRUE(ShowsNames(w, {}));

    ASSERT_TRUE(display->Press(w, "?SELECT:3"));
    const auto picker = display->WaitForWindow("BrowseCatalogs");
    ASSERT_TRUE(picker);
    EXPECT_FALSE(display->ControlOf(*picker, "?SELECT:2")->hide) << "opened to select";
    const std::vector<std::string> catalogNames = Column(*picker, 1);
    const auto books = std::find(catalogNames.begin(), catalogNames.end(), "Books");
    ASSERT_NE(books, catalogNames.end());
    ASSERT_TRUE(display->ChooseRow(*picker, "?BROWSE:1",
                                   static_cast<int>(books - catalogNames.begin()) + 1));
    ASSERT_TRUE(display->Press(*picker, "?SELECT:2"));
    ASSERT_TRUE(display->WaitForClose(*picker));
    EXPECT_TRUE(ShowsNames(w, {"Cookbooks", "Mystery novels"}));

    // A pick given up keeps the catalog picked before.
    ASSERT_TRUE(display->Press(w, "?SELECT:3"));
    const auto again = display->WaitForWindow("BrowseCatalogs");
    ASSERT_TRUE(again && *again != *picker);
    ASSERT_TRUE(display->Press(*again, "?CLOSE"));
    ASSERT_TRUE(display->WaitForClose(*again));
    SyncWith(w);
    EXPECT_TRUE(ShowsNames(w, {"Cookbooks", "Mystery novels"}));
    Close(w);
}

TEST_F(BrowseQueriesTest, NodesButtonPutsTheNodeChosenInTheTreeBeforeTheNodeTab) {
    const ui::WindowId w = OpenList();
    ASSERT_TRUE(display->SelectTab(w, "?CURRENTTAB", 4));
    EXPECT_TRUE(ShowsNames(w, {}));
    ASSERT_TRUE(display->Press(w, "?SELECT:4"));
    const auto tree = display->WaitForWindow("BrowseTreeA");
    ASSERT_TRUE(tree);
    ASSERT_TRUE(display->Press(*tree, "?EXPANDALL"));
    int cooking = 0;
    ASSERT_TRUE(display->WaitForControl(*tree, "?FILETREE", [&](const ui::Control& c) {
        for (std::size_t i = 0; i < c.rows.size(); ++i)
            if (c.rows[i].cells.at(0) == "Cooking") cooking = static_cast<int>(i) + 1;
        return cooking != 0;
    }));
    ASSERT_TRUE(display->ChooseRow(*tree, "?FILETREE", cooking));
    ASSERT_TRUE(
        display->WaitForControl(*tree, "?SELECT", [](const ui::Control& c) { return !c.disable; }));
    ASSERT_TRUE(display->Press(*tree, "?SELECT"));
    ASSERT_TRUE(display->WaitForClose(*tree));
    EXPECT_TRUE(ShowsNames(w, {"Cookbooks"}));
    Close(w);
}

TEST_F(BrowseQueriesTest, ForwardedNavigationButtonsMoveThroughTheList) {
    const ui::WindowId w = OpenList();
    struct Step {
        int button;
        const char* highlighted;
    };
    const Step steps[] = {{nav::kBottom, "cameras"},    {nav::kUp, "Crime UK"},
                          {nav::kTop, "Lost links"},    {nav::kDown, "Cookbooks"},
                          {nav::kPageDown, "cameras"},  {nav::kPageUp, "Lost links"},
                          {nav::kSelect, "Lost links"}, {nav::kHistory, "Lost links"}};
    for (const Step& s : steps) {
        ASSERT_TRUE(Forward(w, s.button));
        EXPECT_TRUE(Highlights(w, s.highlighted)) << s.button;
    }
    // The toolbar's help button shows the list's topic.
    help->Clear();
    ASSERT_TRUE(Forward(w, nav::kHelp));
    ASSERT_TRUE(Eventually([&] { return help->Last().has_value(); }));
    EXPECT_EQ(help->Last()->topic, "BrowseQueries.htm");
    Close(w);
}

TEST_F(BrowseQueriesTest, HeadersSortAndReverseAndTheSortIsKeptForTheNextOpening) {
    const ui::WindowId w = OpenList();
    ASSERT_TRUE(Forward(w, nav::kBottom));
    ASSERT_TRUE(Highlights(w, "cameras"));
    struct Click {
        int column;
        std::vector<std::string> names;
        const char* saved;
    };
    const Click clicks[] = {
        {3, kByName, "3"},
        {3, {"Mystery novels", "Lost links", "Crime UK", "Cookbooks", "cameras"}, "-3"},
        // Dates and times sort as dates and times, not as their text.
        {1, kByDate, "1"},
        {1, {"Crime UK", "cameras", "Mystery novels", "Cookbooks", "Lost links"}, "-1"},
        {2, {"Cookbooks", "Crime UK", "cameras", "Mystery novels", "Lost links"}, "2"},
        // Within equal catalogs the rows keep the tab's order.
        {4, {"Lost links", "Cookbooks", "Mystery novels", "cameras", "Crime UK"}, "4"},
    };
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.saved);
        ASSERT_TRUE(display->ClickHeader(w, "?BROWSE:1", c.column));
        EXPECT_TRUE(ShowsNames(w, c.names));
        EXPECT_TRUE(Highlights(w, "cameras")) << "the highlight stays on its query";
        // The list's thread saves the order after it has shown the rows.
        EXPECT_TRUE(Eventually([&] {
            return ui::IniManager::Global().Fetch("BrowseQueriesA", "SortOrder") ==
                   std::optional<std::string>(c.saved);
        })) << "saved: "
            << ui::IniManager::Global().Fetch("BrowseQueriesA", "SortOrder").value_or("");
    }
    ASSERT_TRUE(display->ClickHeader(w, "?BROWSE:1", 2));
    ASSERT_TRUE(
        ShowsNames(w, {"Cookbooks", "Crime UK", "cameras", "Mystery novels", "Lost links"}));
    Close(w);

    // Opened again, the list sorts as the user left it; another tab shows its own order.
    const ui::WindowId again = Open(&research::BrowseQueriesA, "BrowseQueriesA");
    EXPECT_TRUE(
        ShowsNames(again, {"Cookbooks", "Crime UK", "cameras", "Mystery novels", "Lost links"}));
    ASSERT_TRUE(display->SelectTab(again, "?CURRENTTAB", 2));
    EXPECT_TRUE(ShowsNames(again, kByName));
    SyncWith(again);
    EXPECT_EQ(ui::IniManager::Global().Fetch("BrowseQueriesA", "SortOrder"), "0");
    Close(again);
}

TEST_F(BrowseQueriesTest, EachTabKeepsItsOwnColumnWidths) {
    const ui::WindowId w = OpenList();
    const int list = display->ControlOf(w, "?BROWSE:1")->feq;
    auto widths = [&] {
        std::vector<int> shown;
        const auto control = display->ControlOf(w, "?BROWSE:1");
        for (const ui::ListColumn& c : control->columns) shown.push_back(c.width);
        return shown;
    };
    const std::vector<int> layout = widths();
    const std::vector<int> mine{60, 70, 200, 150, 110};
    ASSERT_TRUE(ui::ReportColumnWidths(w, list, mine));
    ASSERT_TRUE(display->SelectTab(w, "?CURRENTTAB", 2));
    ASSERT_TRUE(ShowsNames(w, kByName));
    EXPECT_EQ(widths(), layout);
    ASSERT_TRUE(display->SelectTab(w, "?CURRENTTAB", 1));
    ASSERT_TRUE(ShowsNames(w, kByDate));
    EXPECT_EQ(widths(), mine);
    Close(w);
    EXPECT_EQ(ui::IniManager::Global().Fetch("ListFormat zembrola.BrowseQueriesA.SortOrder1",
                                             "?BROWSE:1"),
              "60,70,200,150,110");
}

// How the user asks the list for an edit: its button, or the frame's toolbar button.
struct EditWay {
    const char* name;
    const char* button;
    int navigation;
    friend void PrintTo(const EditWay& w, std::ostream* out) { *out << w.name; }
};

class QueryEditTest : public BrowseQueriesTest, public ::testing::WithParamInterface<EditWay> {
  protected:
    void Ask(ui::WindowId w, const EditWay& way) {
        if (way.button)
            ASSERT_TRUE(display->Press(w, way.button));
        else
            ASSERT_TRUE(Forward(w, way.navigation));
    }
};

class InsertTest : public QueryEditTest {};

TEST_P(InsertTest, TheFormAddsAPrimedQueryAndTheListShowsItHighlighted) {
    const ui::WindowId w = OpenList();
    Ask(w, GetParam());
    const ui::WindowId form = Form();
    EXPECT_EQ(Caption(form), "New Query");
    EXPECT_EQ(display->Shown(form, "?QUE:BUILDDATE"), "October 31, 2008");
    ASSERT_TRUE(display->Type(form, "?QUE:NAME", "Board games"));
    Leave(form, "?OK");
    EXPECT_TRUE(ShowsNames(
        w, {"Lost links", "Cookbooks", "Mystery novels", "Crime UK", "cameras", "Board games"}));
    EXPECT_TRUE(Highlights(w, "Board games"));
    const auto stored = StoredQuery(6);
    ASSERT_TRUE(stored);
    EXPECT_EQ(data::StringOf(stored->NAME), "Board games");
    EXPECT_EQ(stored->SITE, 1);
    Close(w);
}

TEST_P(InsertTest, ACancelledNewQueryLeavesNoRowAndGivesItsNumberBack) {
    const ui::WindowId w = OpenList();
    Ask(w, GetParam());
    Leave(Form(), "?CANCEL");
    SyncWith(w);
    EXPECT_TRUE(ShowsNames(w, kByDate));
    EXPECT_EQ(StoredQueryIds(), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
    // The next new query gets the number the cancelled one had.
    Ask(w, GetParam());
    const ui::WindowId form = Form();
    ASSERT_TRUE(display->Type(form, "?QUE:NAME", "Board games"));
    Leave(form, "?OK");
    EXPECT_TRUE(Highlights(w, "Board games"));
    EXPECT_EQ(StoredQueryIds(), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
    Close(w);
}

INSTANTIATE_TEST_SUITE_P(Ways, InsertTest,
                         ::testing::Values(EditWay{"InsertButton", "?INSERT:4", 0},
                                           EditWay{"ToolbarInsert", nullptr, nav::kInsert}),
                         [](const auto& way) { return std::string(way.param.name); });

class ChangeTest : public QueryEditTest {};

TEST_P(ChangeTest, TheFormChangesTheHighlightedQueryAndTheListShowsTheChange) {
    const ui::WindowId w = OpenList();
    Choose(w, "Cookbooks");
    Ask(w, GetParam());
    const ui::WindowId form = Form();
    EXPECT_EQ(Caption(form), "Change Query");
    EXPECT_EQ(display->Shown(form, "?QUE:NAME"), "Cookbooks");
    ASSERT_TRUE(display->Type(form, "?QUE:NAME", "Baking"));
    Leave(form, "?OK");
    EXPECT_TRUE(ShowsNames(w, {"Lost links", "Baking", "Mystery novels", "Crime UK", "cameras"}));
    EXPECT_TRUE(Highlights(w, "Baking"));
    EXPECT_EQ(data::StringOf(StoredQuery(queries::kCookbooks)->NAME), "Baking");

    // Left with Cancel, the form changes nothing and the list stays on the query.
    Ask(w, GetParam());
    const ui::WindowId second = Form();
    ASSERT_TRUE(display->Type(second, "?QUE:NAME", "Pastry"));
    Leave(second, "?CANCEL");
    SyncWith(w);
    EXPECT_TRUE(ShowsNames(w, {"Lost links", "Baking", "Mystery novels", "Crime UK", "cameras"}));
    EXPECT_TRUE(Highlights(w, "Baking"));
    EXPECT_EQ(data::StringOf(StoredQuery(queries::kCookbooks)->NAME), "Baking");
    Close(w);
}

INSTANTIATE_TEST_SUITE_P(Ways, ChangeTest,
                         ::testing::Values(EditWay{"ChangeButton", "?CHANGE:4", 0},
                                           EditWay{"DoubleClick", "?BROWSE:1", 0},
                                           EditWay{"ToolbarChange", nullptr, nav::kChange}),
                         [](const auto& way) { return std::string(way.param.name); });

class DeleteTest : public QueryEditTest {};

TEST_P(DeleteTest, YesDeletesTheQueryWithItsItemsAndNoKeepsBoth) {
    const ui::WindowId w = OpenList();
    Choose(w, "Mystery novels");
    ASSERT_EQ(StoredItemsOf(queries::kMystery), 3u);

    display->AnswerNext(ui::ButtonNo);
    const std::size_t before = display->Messages().size();
    Ask(w, GetParam());
    const auto question = display->WaitForMessage(before + 1);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->request.text, kDeleteQuestion);
    EXPECT_EQ(question->request.caption, "Confirm Delete");
    EXPECT_EQ(question->request.buttons, ui::ButtonYes | ui::ButtonNo);
    SyncWith(w);
    EXPECT_TRUE(ShowsNames(w, kByDate));
    EXPECT_TRUE(Highlights(w, "Mystery novels"));
    EXPECT_TRUE(StoredQuery(queries::kMystery));
    EXPECT_EQ(StoredItemsOf(queries::kMystery), 3u);

    display->AnswerNext(ui::ButtonYes);
    Ask(w, GetParam());
    ASSERT_TRUE(display->WaitForMessage(before + 2));
    EXPECT_TRUE(ShowsNames(w, {"Lost links", "Cookbooks", "Crime UK", "cameras"}));
    // The query that followed the deleted one takes its place.
    EXPECT_TRUE(Highlights(w, "Crime UK"));
    EXPECT_FALSE(StoredQuery(queries::kMystery));
    EXPECT_EQ(StoredItemsOf(queries::kMystery), 0u);
    EXPECT_EQ(StoredItemsOf(queries::kCameras), 1u);
    // The form never showed.
    EXPECT_EQ(Count(display->OpenedProcedures(), "UpdateQueriesA"), 0u);
    Close(w);
}

INSTANTIATE_TEST_SUITE_P(Ways, DeleteTest,
                         ::testing::Values(EditWay{"DeleteButton", "?DELETE:4", 0},
                                           EditWay{"ToolbarDelete", nullptr, nav::kDelete}),
                         [](const auto& way) { return std::string(way.param.name); });

TEST_F(BrowseQueriesTest, WhileAnotherCountedWindowIsOpenTheFormIsRefusedAndTheListStaysAsItWas) {
    const ui::WindowId w = OpenList();
    Choose(w, "Cookbooks");
    shell::BusyWindows = 1;  // a catalog tree open elsewhere
    std::size_t messages = display->Messages().size();
    for (const char* button : {"?INSERT:4", "?CHANGE:4", "?DELETE:4"}) {
        SCOPED_TRACE(button);
        ASSERT_TRUE(display->Press(w, button));
        const auto refusal = display->WaitForMessage(++messages);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->request.text, kCloseAllWindows);
        EXPECT_EQ(refusal->request.caption, "Error");
        SyncWith(w);
        EXPECT_TRUE(ShowsNames(w, kByDate));
        EXPECT_TRUE(Highlights(w, "Cookbooks"));
    }
    EXPECT_EQ(StoredQueryIds(), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Count(display->OpenedProcedures(), "UpdateQueriesA"), 0u);

    // The refused insert gave its number back.
    shell::BusyWindows = 0;
    ASSERT_TRUE(display->Press(w, "?INSERT:4"));
    const ui::WindowId form = Form();
    ASSERT_TRUE(display->Type(form, "?QUE:NAME", "Board games"));
    Leave(form, "?OK");
    EXPECT_TRUE(Highlights(w, "Board games"));
    EXPECT_EQ(StoredQueryIds(), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
    Close(w);
}

TEST_F(BrowseQueriesTest, OpenedToViewItRunsNoForm) {
    const ui::WindowId w = OpenList(request::kView);
    for (const char* use : {"?INSERT:4", "?CHANGE:4", "?DELETE:4"})
        EXPECT_TRUE(display->ControlOf(w, use)->disable) << use;
    for (const int button : {nav::kInsert, nav::kChange, nav::kDelete})
        ASSERT_TRUE(Forward(w, button));
    ASSERT_TRUE(display->Press(w, "?BROWSE:1"));  // a double click
    SyncWith(w);
    EXPECT_EQ(Count(display->OpenedProcedures(), "UpdateQueriesA"), 0u);
    EXPECT_TRUE(display->Messages().empty());
    EXPECT_EQ(StoredQueryIds(), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
    Close(w);
}

TEST_F(BrowseQueriesTest, RouterOpensTheVariantOfJapaneseModeWithItsPlacementAndHelp) {
    struct Mode {
        std::uint8_t jpMode;
        const char* procedure;
        const char* form;
        int charset;
    };
    const Mode modes[] = {
        {0, "BrowseQueriesA", "UpdateQueriesA", 0},
        {128, "BrowseQueriesJ", "UpdateQueriesJ", 128},
    };
    for (const Mode& m : modes) {
        SCOPED_TRACE(m.procedure);
        ui::IniManager::Global().SaveWindow(m.procedure, {40, 30, 600, 450, false});
        shell::JPMode = m.jpMode;
        const ui::WindowId w = Open(&research::BrowseQueries, m.procedure);
        ASSERT_TRUE(ShowsNames(w, kByDate));
        EXPECT_TRUE(display->WaitForView(w, [](const ui::HeadlessDisplay::WindowView& v) {
            return v.window.props.at == ui::Rect{40, 30, 600, 450};
        }));
        const auto view = display->View(w);
        ASSERT_TRUE(view);
        EXPECT_EQ(view->window.props.charset, m.charset);
        EXPECT_EQ(view->window.props.caption, "Browse the Queries");

        help->Clear();
        ASSERT_TRUE(display->Press(w, "?HELP"));
        ASSERT_TRUE(display->PressKey(w, ui::key::F1));
        ASSERT_TRUE(Eventually([&] { return help->Requests().size() == 2; }));
        for (const ui::HelpRequest& r : help->Requests()) {
            EXPECT_EQ(r.file, "zembrola.chm");
            EXPECT_EQ(r.topic, "BrowseQueries.htm");
        }

        // The list's form is the same mode's.
        ASSERT_TRUE(display->Press(w, "?INSERT:4"));
        Leave(Form(m.form), "?CANCEL");

        ASSERT_TRUE(ui::ReportPlacement(w, ui::Rect{70, 60, 640, 480}, false));
        SyncWith(w);
        Close(w);
        const auto saved = ui::IniManager::Global().FetchWindow(m.procedure);
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->x, 70);
        EXPECT_EQ(saved->width, 640);
    }
    EXPECT_FALSE(ui::IniManager::Global().FetchWindow("BrowseQueries"));
}

}  // namespace
}  // namespace zem::test
