#include "research/tree/browse_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/data_fixture.h"
#include "research/tree/tree_window.h"
#include "support/table_lock_holder.h"
#include "research/tree/tree_window_fixture.h"

namespace zem::test {
namespace {

namespace request = runtime::request;
namespace response = runtime::response;
using research::tree_key::CtrlEnter;

const std::vector<std::string> kFirstLevel{"AMAZON root", "Amazon UK (Amazon UK)",
                                           "Amazon US (Amazon US)"};
const std::vector<std::string> kUsExpanded{"AMAZON root",
                                           "Amazon UK (Amazon UK)",
                                           "Amazon US (Amazon US)",
                                           "All books, Books (Books)",
                                           "Electronics (Electronics)",
                                           "Music"};
const std::vector<std::string> kEverything{"AMAZON root",
                                           "Amazon UK (Amazon UK)",
                                           "UK books (Books)",
                                           "Crime",
                                           "Amazon US (Amazon US)",
                                           "All books, Books (Books)",
                                           "Cooking",
                                           "Fiction",
                                           "Mystery",
                                           "Electronics (Electronics)",
                                           "Music"};

class BrowseTreeTest : public TreeWindowTest {
  protected:
    ui::WindowId OpenTree(int req = request::kNone) {
        return Open(&research::BrowseTreeA, "BrowseTreeA", req);
    }

    ui::WindowId OpenExpanded(const std::vector<std::string>& expected = kEverything) {
        const ui::WindowId w = OpenTree();
        EXPECT_TRUE(display->Press(w, "?EXPANDALL"));
        EXPECT_TRUE(ShowsLabels(w, expected));
        return w;
    }

    void Close(ui::WindowId w) {
        ASSERT_TRUE(display->Press(w, "?CANCELBUTTON"));
        Finish(w);
    }
};

TEST_F(BrowseTreeTest, OpensOnTheContractedFirstLevelAndCountsItselfWhileOpen) {
    const ui::WindowId w = OpenTree();
    ASSERT_TRUE(ShowsLabels(w, kFirstLevel));
    EXPECT_EQ(Icons(w), (std::vector<std::string>{"1", "3", "3"}));
    EXPECT_EQ(Depths(w), (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(Highlighted(w), 1);
    const auto view = display->View(w);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->window.props.caption, "AMAZON catalogs");
    EXPECT_EQ(view->window.props.icon, "gendict.ico");
    EXPECT_EQ(view->window.props.charset, 0);
    EXPECT_EQ(view->focus, display->ControlOf(w, "?FILETREE")->feq);
    const auto tree = display->ControlOf(w, "?FILETREE");
    EXPECT_EQ(tree->icons,
              (std::vector<std::string>{"~mcrtree.ico", "~openfold.ico", "~shutfold.ico"}));
    // Not asked to choose: no Select; on the root nothing to change or delete; no updater.
    EXPECT_TRUE(display->ControlOf(w, "?SELECT")->hide);
    EXPECT_TRUE(Disabled(w, "?CHANGE"));
    EXPECT_TRUE(Disabled(w, "?DELETE"));
    EXPECT_TRUE(Disabled(w, "?DOWNLOAD"));
    EXPECT_FALSE(Disabled(w, "?EXPANDALL"));
    EXPECT_FALSE(Disabled(w, "?CONTRACTALL"));
    EXPECT_EQ(shell::BusyWindows.load(), 1);

    Choose(w, 2);
    EXPECT_FALSE(Disabled(w, "?CHANGE"));
    EXPECT_FALSE(Disabled(w, "?DELETE"));
    Close(w);
    EXPECT_EQ(response_, response::kCancelled);
    EXPECT_EQ(shell::BusyWindows.load(), 0);
}

TEST_F(BrowseTreeTest, WithoutActiveStoresOnlyTheRootShowsAndNothingCanBeDone) {
    SetSiteActive(kUs, false);
    SetSiteActive(kUk, false);
    const ui::WindowId w = OpenTree();
    ASSERT_TRUE(ShowsLabels(w, {"AMAZON root"}));
    for (const char* use : {"?CHANGE", "?DELETE", "?EXPANDALL", "?CONTRACTALL"})
        EXPECT_TRUE(Disabled(w, use)) << use;
    Close(w);
}

TEST_F(BrowseTreeTest, HelpButtonAndF1ShowTheTreesTopic) {
    const ui::WindowId w = OpenTree();
    ASSERT_TRUE(display->Press(w, "?HELPBUTTON"));
    ASSERT_TRUE(display->PressKey(w, ui::key::F1));
    ASSERT_TRUE(Eventually([&] { return help->Requests().size() == 2; }));
    for (const ui::HelpRequest& r : help->Requests()) {
        EXPECT_EQ(r.file, "zembrola.chm");
        EXPECT_EQ(r.topic, "BrowseTree.htm");
    }
    Close(w);
}

struct ToggleWay {
    const char* name;
    std::function<bool(ui::WindowId, int row, bool expand)> toggle;
};

std::vector<bool> Contracted(const std::optional<ui::Control>& tree) {
    std::vector<bool> contracted;
    if (tree)
        for (const ui::ListRow& row : tree->rows) contracted.push_back(row.contracted);
    return contracted;
}

TEST_F(BrowseTreeTest, AnEntryExpandsAndContractsByItsExpanderOrByKeys) {
    auto keys = [this](int expandKey, int contractKey) {
        return [this, expandKey, contractKey](ui::WindowId w, int row, bool expand) {
            return Click(w, row, research::kLabelColumn, expand ? expandKey : contractKey);
        };
    };
    const ToggleWay ways[] = {
        {"Expander",
         [this](ui::WindowId w, int row, bool expand) {
             return display->ToggleExpander(w, "?FILETREE", row, expand);
         }},
        {"Arrows", keys(research::tree_key::Right, research::tree_key::Left)},
        {"PadKeys", keys(research::tree_key::PadPlus, research::tree_key::PadMinus)},
    };
    for (const ToggleWay& way : ways) {
        SCOPED_TRACE(way.name);
        const ui::WindowId w = OpenTree();
        // Both stores' entries have children that are not listed yet.
        EXPECT_EQ(Contracted(display->ControlOf(w, "?FILETREE")),
                  (std::vector<bool>{false, true, true}));
        ASSERT_TRUE(way.toggle(w, 3, true));
        ASSERT_TRUE(ShowsLabels(w, kUsExpanded));
        EXPECT_EQ(Icons(w), (std::vector<std::string>{"1", "3", "2", "3", "3", "3"}));
        EXPECT_EQ(Depths(w), (std::vector<int>{1, 2, 2, 3, 3, 3}));
        // Books has children of its own; Electronics and Music are leaves.
        EXPECT_EQ(Contracted(display->ControlOf(w, "?FILETREE")),
                  (std::vector<bool>{false, true, false, true, false, false}));
        EXPECT_TRUE(Highlights(w, 3));
        ASSERT_TRUE(way.toggle(w, 3, false));
        ASSERT_TRUE(ShowsLabels(w, kFirstLevel));
        EXPECT_EQ(Icons(w), (std::vector<std::string>{"1", "3", "3"}));
        Close(w);
    }
}

TEST_F(BrowseTreeTest, AClickOnTheFolderOrTheLabelOnlyHighlights) {
    const ui::WindowId w = OpenTree();
    for (const int column : {research::kFolderColumn, research::kLabelColumn}) {
        SCOPED_TRACE(column);
        const int row = column == research::kFolderColumn ? 3 : 2;
        ASSERT_TRUE(Click(w, row, column, ui::key::MouseLeft));
        SyncWith(w);
        EXPECT_EQ(Labels(w), kFirstLevel);
        EXPECT_TRUE(Highlights(w, row));
    }
    Close(w);
}

// The right button highlights the entry and offers the window's buttons, each as enabled as
// its button; the choice does what the button does.
TEST_F(BrowseTreeTest, TheRightButtonOffersTheButtonsInAPopUpMenu) {
    const ui::WindowId w = OpenTree();
    ASSERT_TRUE(Click(w, 1, research::kLabelColumn, ui::key::MouseRight));
    auto menu = display->WaitForPopup(w);
    ASSERT_TRUE(menu);
    std::vector<std::pair<std::string, bool>> items;
    for (const ui::PopupItem& item : menu->items)
        items.emplace_back(item.separator ? "-" : item.text, item.enabled);
    // On the root nothing but the whole tree can be acted on; Select stays off outside select
    // mode.
    EXPECT_EQ(items, (std::vector<std::pair<std::string, bool>>{{"&Select", false},
                                                                {"-", false},
                                                                {"&Change", false},
                                                                {"&Delete", false},
                                                                {"-", false},
                                                                {"&Expand All", true},
                                                                {"&Contract All", true}}));
    EXPECT_EQ(menu->items[2].icon, "WACHANGE.ICO");
    EXPECT_FALSE(display->ChoosePopup(w, "&Change"));  // a disabled item does nothing
    ASSERT_TRUE(Click(w, 1, research::kLabelColumn, ui::key::MouseRight));
    ASSERT_TRUE(display->WaitForPopup(w));
    ASSERT_TRUE(display->ChoosePopup(w, "&Expand All"));
    ASSERT_TRUE(ShowsLabels(w, kEverything));

    const int fiction = RowOf(w, "Fiction");
    ASSERT_TRUE(Click(w, fiction, research::kLabelColumn, ui::key::MouseRight));
    EXPECT_TRUE(Highlights(w, fiction));
    menu = display->WaitForPopup(w);
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->items[2].enabled);
    EXPECT_TRUE(menu->items[3].enabled);
    ASSERT_TRUE(display->ChoosePopup(w, "&Change"));
    const auto form = display->WaitForWindow("UpdateNodeA");
    ASSERT_TRUE(form);
    EXPECT_EQ(display->Shown(*form, "?NOD:NAME"), "Fiction");
    ASSERT_TRUE(display->Press(*form, "?CANCEL"));
    ASSERT_TRUE(display->WaitForClose(*form));

    ASSERT_TRUE(Click(w, fiction, research::kLabelColumn, ui::key::MouseRight));
    ASSERT_TRUE(display->WaitForPopup(w));
    ASSERT_TRUE(display->ChoosePopup(w, "&Contract All"));
    ASSERT_TRUE(ShowsLabels(w, kFirstLevel));
    Close(w);
}

TEST_F(BrowseTreeTest, ExpandAllAndContractAllRebuildTheWholeTree) {
    const ui::WindowId w = OpenExpanded();
    EXPECT_EQ(Icons(w),
              (std::vector<std::string>{"1", "2", "2", "3", "2", "2", "3", "2", "3", "3", "3"}));
    EXPECT_EQ(Depths(w), (std::vector<int>{1, 2, 3, 4, 2, 3, 4, 4, 5, 3, 3}));
    ASSERT_TRUE(display->Press(w, "?CONTRACTALL"));
    ASSERT_TRUE(ShowsLabels(w, kFirstLevel));
    Close(w);
}

TEST_F(BrowseTreeTest, ARebuildKeepsWhatTheUserExpandedUntilExpandAllOrContractAll) {
    const ui::WindowId w = OpenTree();
    ASSERT_TRUE(display->ToggleExpander(w, "?FILETREE", 3, true));  // Amazon US
    ASSERT_TRUE(ShowsLabels(w, kUsExpanded));
    // Another window adds a node; coming back to the tree rebuilds it as the user left it.
    AddNode({50, nodes::kUsRoot, 6000, "Audio", kUs});
    ASSERT_TRUE(GainFocus(w));
    ASSERT_TRUE(
        ShowsLabels(w, {"AMAZON root", "Amazon UK (Amazon UK)", "Amazon US (Amazon US)", "Audio",
                        "All books, Books (Books)", "Electronics (Electronics)", "Music"}));
    ASSERT_TRUE(display->Press(w, "?CONTRACTALL"));
    ASSERT_TRUE(ShowsLabels(w, kFirstLevel));
    ASSERT_TRUE(GainFocus(w));
    SyncWith(w);
    EXPECT_EQ(Labels(w), kFirstLevel);
    Close(w);
}

TEST_F(BrowseTreeTest, UpdateRunsTheCatalogUpdateOnTheWindowsThreadAndKeepsExpandedEntries) {
    std::atomic<runtime::ThreadNo> ranOn{0};
    shell::RegisterProcedure("BuildCatalog", [&ranOn] {
        ranOn = runtime::CurrentThread();
        AddNode({60, nodes::kUkRoot, 6100, "Audio", kUk});
    });
    const ui::WindowId w = OpenTree();
    EXPECT_FALSE(Disabled(w, "?DOWNLOAD"));
    ASSERT_TRUE(display->ToggleExpander(w, "?FILETREE", 2, true));  // Amazon UK
    ASSERT_TRUE(ShowsLabels(
        w, {"AMAZON root", "Amazon UK (Amazon UK)", "UK books (Books)", "Amazon US (Amazon US)"}));
    ASSERT_TRUE(display->Press(w, "?DOWNLOAD"));
    ASSERT_TRUE(ShowsLabels(w, {"AMAZON root", "Amazon UK (Amazon UK)", "Audio", "UK books (Books)",
                                "Amazon US (Amazon US)"}));
    EXPECT_EQ(ranOn.load(), ui::WindowThread(w));
    Close(w);
}

TEST_F(BrowseTreeTest, ASavedConfigurationReloadsTheTreeOnTheNextTimerTick) {
    const ui::WindowId w = OpenTree();
    ASSERT_TRUE(ShowsLabels(w, kFirstLevel));
    SetSiteActive(kUk, false);
    // Without a reload due, the tree stays as it is.
    clock.Advance(10);
    EXPECT_FALSE(
        ShowsLabels(w, {"AMAZON root", "Amazon US (Amazon US)"}, std::chrono::milliseconds(200)));
    shell::TreeReloadCount = 1;
    clock.Advance(10);
    ASSERT_TRUE(ShowsLabels(w, {"AMAZON root", "Amazon US (Amazon US)"}));
    EXPECT_TRUE(Eventually([] { return shell::TreeReloadCount.load() == 0; }));
    // With no reload due, a tick reloads nothing and the count stays at zero.
    SetSiteActive(kUk, true);
    clock.Advance(10);
    EXPECT_FALSE(ShowsLabels(w, kFirstLevel, std::chrono::milliseconds(200)));
    EXPECT_EQ(shell::TreeReloadCount.load(), 0);
    Close(w);
}

struct FormWay {
    const char* name;
    std::function<bool(ui::WindowId, int row)> open;
};

TEST_F(BrowseTreeTest, TheNodeFormRenamesTheHighlightedNode) {
    const FormWay ways[] = {
        {"DoubleClick",
         [this](ui::WindowId w, int row) {
             return Click(w, row, research::kLabelColumn, ui::key::MouseLeft2);
         }},
        {"CtrlEnter", [this](ui::WindowId w,
                             int row) { return Click(w, row, research::kLabelColumn, CtrlEnter); }},
        {"ChangeButton",
         [this](ui::WindowId w, int row) {
             Choose(w, row);
             return display->Press(w, "?CHANGE");
         }},
    };
    std::string name = "Fiction";
    std::vector<std::string> expected = kEverything;
    for (const FormWay& way : ways) {
        SCOPED_TRACE(way.name);
        const ui::WindowId w = OpenExpanded(expected);
        const int row = RowOf(w, name);
        ASSERT_NE(row, 0);
        ASSERT_TRUE(way.open(w, row));
        const auto form = display->WaitForWindow("UpdateNodeA");
        ASSERT_TRUE(form);
        ASSERT_TRUE(display->WaitForView(*form, [&](const ui::HeadlessDisplay::WindowView& v) {
            return v.window.props.caption == "Record Will Be Changed  (" + name + ")";
        })) << Caption(*form);
        EXPECT_EQ(display->Shown(*form, "?NOD:NAME"), name);
        EXPECT_EQ(Utf8FromCp1251(display->ControlOf(*form, "?NOD:NAME")->tip), "Наименование");
        EXPECT_FALSE(display->View(w)->enabled);  // the tree waits for its form
        const std::string renamed = "Novels " + std::string(way.name);
        ASSERT_TRUE(display->Type(*form, "?NOD:NAME", renamed));
        ASSERT_TRUE(display->Press(*form, "?OK"));
        ASSERT_TRUE(display->WaitForClose(*form));
        name = renamed;
        expected[7] = renamed;  // "Cooking" still sorts first
        ASSERT_TRUE(ShowsLabels(w, expected));
        EXPECT_TRUE(Highlights(w, 8));
        EXPECT_EQ(data::CStringOf(StoredNode(nodes::kFiction)->NAME), renamed);
        Close(w);
    }
}

TEST_F(BrowseTreeTest, CancellingTheNodeFormChangesNothing) {
    const ui::WindowId w = OpenExpanded();
    ASSERT_TRUE(Click(w, 8, research::kLabelColumn, ui::key::MouseLeft2));
    const auto form = display->WaitForWindow("UpdateNodeA");
    ASSERT_TRUE(form);
    ASSERT_TRUE(display->Type(*form, "?NOD:NAME", "Other"));
    ASSERT_TRUE(display->Press(*form, "?CANCEL"));
    ASSERT_TRUE(display->WaitForClose(*form));
    SyncWith(w);
    EXPECT_EQ(Labels(w), kEverything);
    EXPECT_EQ(data::CStringOf(StoredNode(nodes::kFiction)->NAME), "Fiction");
    Close(w);
}

TEST_F(BrowseTreeTest, DeletingALeafAsksTheStandardQuestion) {
    const ui::WindowId w = OpenExpanded();
    const int cooking = RowOf(w, "Cooking");
    // No: the node stays.
    display->AnswerNext(ui::ButtonNo);
    ASSERT_TRUE(Click(w, cooking, research::kLabelColumn, research::tree_key::Delete));
    const auto asked = display->WaitForMessage(1);
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->request.caption, "Confirm Delete");
    EXPECT_EQ(asked->request.text, "Are you sure you want to delete the highlighted record?");
    EXPECT_EQ(asked->window, w);
    SyncWith(w);
    EXPECT_EQ(Labels(w), kEverything);
    EXPECT_TRUE(StoredNode(nodes::kCooking));
    // Yes: it goes, and the tree is shown without it.
    display->AnswerNext(ui::ButtonYes);
    ASSERT_TRUE(display->Press(w, "?DELETE"));
    std::vector<std::string> expected = kEverything;
    expected.erase(expected.begin() + cooking - 1);
    ASSERT_TRUE(ShowsLabels(w, expected));
    EXPECT_FALSE(StoredNode(nodes::kCooking));
    EXPECT_EQ(display->Messages().size(), 2u);
    Close(w);
}

TEST_F(BrowseTreeTest, DeletingANodeWithSubLevelsAsksOnceAndDeletesItsVisibleDescendants) {
    const ui::WindowId w = OpenExpanded();
    Choose(w, RowOf(w, "Amazon US (Amazon US)"));
    display->AnswerNext(ui::ButtonCancel);
    ASSERT_TRUE(display->Press(w, "?DELETE"));
    const auto asked = display->WaitForMessage(1);
    ASSERT_TRUE(asked);
    EXPECT_EQ(Utf8FromCp1251(asked->request.caption), "Подтвердите удаление");
    EXPECT_EQ(Utf8FromCp1251(asked->request.text),
              "Вы хотите удалить текущий уровень.\n"
              "Данная запись имеет подчиненные уровни.\n"
              "Они также будут удалены.\n"
              "Нажатием на OK подтвердите необходимость удаления\n"
              "этого и всех подчиненных уровней.");
    EXPECT_EQ(asked->request.icon, ui::Icon::Question);
    EXPECT_EQ(asked->request.buttons, ui::ButtonOk | ui::ButtonCancel);
    EXPECT_EQ(asked->request.defaultButton, ui::ButtonCancel);
    SyncWith(w);
    EXPECT_EQ(Labels(w), kEverything);
    EXPECT_TRUE(StoredNode(nodes::kUsRoot));

    display->AnswerNext(ui::ButtonOk);
    ASSERT_TRUE(display->Press(w, "?DELETE"));
    ASSERT_TRUE(
        ShowsLabels(w, {"AMAZON root", "Amazon UK (Amazon UK)", "UK books (Books)", "Crime"}));
    EXPECT_EQ(display->Messages().size(), 2u);  // no further questions
    for (const std::int32_t id : {nodes::kUsRoot, nodes::kUsBooks, nodes::kFiction, nodes::kCooking,
                                  nodes::kMystery, nodes::kElectronics, nodes::kMusic})
        EXPECT_FALSE(StoredNode(id)) << id;
    // The French node below Music was not listed, so it stays; so do the catalogs.
    EXPECT_TRUE(StoredNode(nodes::kJazz));
    EXPECT_TRUE(StoredNode(nodes::kUkBooks));
    for (const CatalogRow& row : kCatalogRows) EXPECT_TRUE(StoredCatalog(row.id)) << row.name;
    Close(w);
}

// Another window removes the row under the tree's feet.
void DeleteStoredNode(std::int32_t id) {
    data::Dict().NOD.ID = id;
    ASSERT_EQ(data::Access(data::TableId::Nodes).Fetch(data::NOD_KeyId), ui::Benign);
    ASSERT_EQ(data::Access(data::TableId::Nodes).File().Delete(), store::NoError);
}

TEST_F(BrowseTreeTest, ANodeGoneFromTheFileIsNeitherChangedNorDeletedButLeavesTheTree) {
    const ui::WindowId w = OpenExpanded();
    struct Case {
        const char* button;
        const char* label;
        std::int32_t id;
    };
    const Case cases[] = {{"?CHANGE", "Cooking", nodes::kCooking},
                          {"?DELETE", "Crime", nodes::kCrime}};
    std::vector<std::string> expected = kEverything;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        Choose(w, RowOf(w, c.label));
        DeleteStoredNode(c.id);
        ASSERT_TRUE(display->Press(w, c.button));
        expected.erase(std::find(expected.begin(), expected.end(), c.label));
        ASSERT_TRUE(ShowsLabels(w, expected));
    }
    // No form, no question, and every other node as it was.
    EXPECT_FALSE(display->FindWindow("UpdateNodeA"));
    EXPECT_TRUE(display->Messages().empty());
    for (const NodeRow& row : kNodeRows) {
        if (row.id == nodes::kCooking || row.id == nodes::kCrime) continue;
        const auto stored = StoredNode(row.id);
        ASSERT_TRUE(stored) << row.name;
        EXPECT_EQ(data::CStringOf(stored->NAME), row.name);
    }
    Close(w);
}

// Another window renumbers a node in place: its row is no longer the entry's.
void RenumberStoredNode(std::int32_t id, std::int32_t to) {
    ASSERT_TRUE(StoredNode(id));
    data::Dict().NOD.ID = to;
    ASSERT_EQ(data::Access(data::TableId::Nodes).File().Put(), store::NoError);
}

TEST_F(BrowseTreeTest, ASubtreeThatCannotBeDeletedWholeIsReportedAndLeftAsItWas) {
    const ui::WindowId w = OpenExpanded();
    Choose(w, RowOf(w, "Amazon US (Amazon US)"));
    {
        // Another user holds Nodes for longer than the delete waits.
        TableLockHolder holder(data::TableId::Nodes);
        ASSERT_TRUE(holder.Ok());
        display->AnswerNext(ui::ButtonOk);
        ASSERT_TRUE(display->Press(w, "?DELETE"));
        const auto reported = display->WaitForMessage(2, std::chrono::seconds(15));
        ASSERT_TRUE(reported);
        EXPECT_EQ(reported->request.caption, "Record was not deleted");
        EXPECT_NE(reported->request.text.find("Nodes"), std::string::npos)
            << reported->request.text;
    }
    SyncWith(w);
    EXPECT_EQ(StoredNodeCount(), std::size(kNodeRows));
    EXPECT_EQ(Labels(w), kEverything);

    // Once Nodes is free the same delete goes through as one.
    display->AnswerNext(ui::ButtonOk);
    ASSERT_TRUE(display->Press(w, "?DELETE"));
    ASSERT_TRUE(
        ShowsLabels(w, {"AMAZON root", "Amazon UK (Amazon UK)", "UK books (Books)", "Crime"}));
    EXPECT_EQ(display->Messages().size(), 3u);
    EXPECT_FALSE(StoredNode(nodes::kUsRoot));
    EXPECT_FALSE(StoredNode(nodes::kMystery));
    Close(w);
}

TEST_F(BrowseTreeTest, ARowThatIsNoLongerTheEntrysIsNeitherChangedNorDeleted) {
    const ui::WindowId w = OpenExpanded();
    struct Case {
        const char* button;
        const char* label;
        std::int32_t id;
    };
    const Case cases[] = {{"?CHANGE", "Cooking", nodes::kCooking},
                          {"?DELETE", "Crime", nodes::kCrime}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        Choose(w, RowOf(w, c.label));
        RenumberStoredNode(c.id, c.id + 100);
        ASSERT_TRUE(display->Press(w, c.button));
        SyncWith(w);
    }
    // The tree was read again; no form opened and no row went.
    EXPECT_FALSE(display->FindWindow("UpdateNodeA"));
    EXPECT_TRUE(display->Messages().empty());
    EXPECT_TRUE(StoredNode(nodes::kCooking + 100));
    EXPECT_TRUE(StoredNode(nodes::kCrime + 100));
    EXPECT_EQ(StoredNodeCount(), std::size(kNodeRows));
    Close(w);
}

TEST_F(BrowseTreeTest, InSelectModeTheChosenNodeIsLeftInTheBufferWithResponseCompleted) {
    const ui::WindowId w = OpenTree(request::kSelect);
    const auto select = display->ControlOf(w, "?SELECT");
    ASSERT_TRUE(select);
    EXPECT_FALSE(select->hide);
    EXPECT_TRUE(select->disable);  // the root is no node
    ASSERT_TRUE(display->ChooseRow(w, "?FILETREE", 3));
    ASSERT_TRUE(display->WaitForControl(
        w, "?SELECT", [](const ui::Control& c) { return !c.disable && c.isDefault; }));
    ASSERT_TRUE(display->ChooseRow(w, "?FILETREE", 1));
    ASSERT_TRUE(
        display->WaitForControl(w, "?SELECT", [](const ui::Control& c) { return c.disable; }));
    // A rebuild between choosing and selecting walks the Nodes buffer; the choice stands.
    Choose(w, 2);
    ASSERT_TRUE(GainFocus(w));
    SyncWith(w);
    ASSERT_TRUE(display->Press(w, "?SELECT"));
    Finish(w);
    EXPECT_EQ(response_, response::kCompleted);
    EXPECT_EQ(nodesAfter_.ID, nodes::kUkRoot);
    EXPECT_EQ(data::CStringOf(nodesAfter_.NAME), "Amazon UK");
}

TEST_F(BrowseTreeTest, DoubleClickSelectsInSelectModeInsteadOfOpeningTheForm) {
    const ui::WindowId w = OpenTree(request::kSelect);
    ASSERT_TRUE(Click(w, 3, research::kLabelColumn, ui::key::MouseLeft2));
    Finish(w);
    EXPECT_EQ(response_, response::kCompleted);
    EXPECT_EQ(nodesAfter_.ID, nodes::kUsRoot);
    const std::vector<std::string> opened = display->OpenedProcedures();
    EXPECT_EQ(std::count(opened.begin(), opened.end(), "UpdateNodeA"), 0);
}

TEST_F(BrowseTreeTest, RouterOpensTheVariantOfJapaneseModeWithItsTipsFormAndPlacement) {
    struct Mode {
        std::uint8_t jpMode;
        const char* procedure;
        const char* form;
        int charset;
        const char* changeTip;
        const char* deleteTip;
    };
    const Mode modes[] = {
        {0, "BrowseTreeA", "UpdateNodeA", 0, "", "Delete active record"},
        {128, "BrowseTreeJ", "UpdateNodeJ", 128, "Change name", "Delete node"},
    };
    for (const Mode& m : modes) {
        SCOPED_TRACE(m.procedure);
        ui::IniManager::Global().SaveWindow(m.procedure, {40, 30, 600, 450, false});
        shell::JPMode = m.jpMode;
        const ui::WindowId w = Open(&research::BrowseTree, m.procedure);
        const auto view = display->View(w);
        ASSERT_TRUE(view);
        EXPECT_EQ(view->window.props.charset, m.charset);
        EXPECT_EQ(view->window.props.at, (ui::Rect{40, 30, 600, 450}));
        EXPECT_EQ(display->ControlOf(w, "?CHANGE")->tip, m.changeTip);
        EXPECT_EQ(display->ControlOf(w, "?DELETE")->tip, m.deleteTip);
        ASSERT_TRUE(Click(w, 3, research::kLabelColumn, ui::key::MouseLeft2));
        const auto form = display->WaitForWindow(m.form);
        ASSERT_TRUE(form);
        EXPECT_EQ(display->View(*form)->window.props.charset, m.charset);
        ASSERT_TRUE(display->Press(*form, "?CANCEL"));
        ASSERT_TRUE(display->WaitForClose(*form));
        ASSERT_TRUE(ui::ReportPlacement(w, ui::Rect{50, 60, 610, 460}, false));
        Close(w);
        const auto kept = ui::IniManager::Global().FetchWindow(m.procedure);
        ASSERT_TRUE(kept);
        EXPECT_EQ((ui::Rect{kept->x, kept->y, kept->width, kept->height}),
                  (ui::Rect{50, 60, 610, 460}));
    }
}

}  // namespace
}  // namespace zem::test
