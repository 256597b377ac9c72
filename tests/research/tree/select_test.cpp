#include "research/tree/select_tree.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "research/tree/tree_window.h"
#include "research/tree/tree_window_fixture.h"

namespace zem::test {
namespace {

namespace request = runtime::request;
namespace response = runtime::response;

// The query the picker is opened for, as the query form's buffer holds it.
struct Query {
    std::uint8_t site = kUs;
    std::int32_t catalog = catalogs::kUsBooks;
    std::int32_t node = 0;
};

const std::vector<std::string> kUsBooksBranch{
    "AMAZON root", "Amazon US (Amazon US)", "All books, Books (Books)", "Cooking", "Fiction",
    "Mystery"};

class SelectTreeTest : public TreeWindowTest {
  protected:
    ui::WindowId OpenPicker(Query query, void (*procedure)() = &research::SelectTreeA,
                            const char* window = "SelectTreeA") {
        return Open(procedure, window, request::kSelect, [query] {
            data::QueriesRecord& que = data::Dict().QUE;
            que.SITE = query.site;
            que.CATALOG = query.catalog;
            que.NODE = query.node;
        });
    }

    bool SelectEnabled(ui::WindowId w) {
        return display->WaitForControl(w, "?SELECT", [](const ui::Control& c) {
            return !c.disable && !c.hide && c.isDefault;
        });
    }
};

TEST_F(SelectTreeTest, OpensExpandedOnTheQuerysNodeWithinItsStoreAndBranch) {
    const ui::WindowId w = OpenPicker({.node = nodes::kFiction});
    ASSERT_TRUE(ShowsLabels(w, kUsBooksBranch));
    EXPECT_EQ(Icons(w), (std::vector<std::string>{"1", "2", "2", "3", "2", "3"}));
    EXPECT_EQ(Depths(w), (std::vector<int>{1, 2, 3, 4, 4, 5}));
    ASSERT_TRUE(display->WaitForControl(w, "?FILETREE",
                                        [](const ui::Control& c) { return c.selected == 5; }));
    EXPECT_TRUE(SelectEnabled(w));
    // No editing in the picker.
    for (const char* use : {"?CHANGE", "?DELETE", "?DOWNLOAD"})
        EXPECT_FALSE(display->ControlOf(w, use)) << use;
    const auto view = display->View(w);
    EXPECT_EQ(view->window.props.caption, "AMAZON catalogs");
    EXPECT_EQ(view->window.props.charset, 0);
    EXPECT_EQ(shell::BusyWindows.load(), 1);
    ASSERT_TRUE(display->Press(w, "?SELECT"));
    Finish(w);
    EXPECT_EQ(response_, response::kCompleted);
    EXPECT_EQ(aNodesAfter_.ID, nodes::kFiction);
    EXPECT_EQ(data::CStringOf(aNodesAfter_.NAME), "Fiction");
    EXPECT_EQ(aNodesAfter_.PARENT, nodes::kUsBooks);
    EXPECT_EQ(nodesAfter_.ID, nodes::kFiction);
    // The picker leaves the query to its form.
    EXPECT_EQ(queryAfter_.NODE, nodes::kFiction);
    EXPECT_EQ(shell::BusyWindows.load(), 0);
}

TEST_F(SelectTreeTest, AStoresRootRowCannotBeChosen) {
    const ui::WindowId w = OpenPicker({.node = nodes::kCooking});
    ASSERT_TRUE(ShowsLabels(w, kUsBooksBranch));
    ASSERT_TRUE(SelectEnabled(w));
    Choose(w, 2);  // Amazon US
    EXPECT_TRUE(Disabled(w, "?SELECT"));
    // A double click on it chooses nothing; on a node, it chooses the node.
    ASSERT_TRUE(Click(w, 2, research::kLabelColumn, ui::key::MouseLeft2));
    SyncWith(w);
    EXPECT_TRUE(display->IsOpen(w));
    ASSERT_TRUE(Click(w, 3, research::kLabelColumn, ui::key::MouseLeft2));
    Finish(w);
    EXPECT_EQ(response_, response::kCompleted);
    EXPECT_EQ(aNodesAfter_.ID, nodes::kUsBooks);
}

struct LimitCase {
    const char* name;
    Query query;
    std::vector<std::string> labels;
    int highlighted;
};

class PickerLimitTest : public SelectTreeTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(PickerLimitTest, ListsOnlyWhatTheQueryAllowsAndOpensOnItsNodeOrTheSecondRow) {
    const LimitCase& c = GetParam();
    const ui::WindowId w = OpenPicker(c.query);
    ASSERT_TRUE(ShowsLabels(w, c.labels));
    ASSERT_TRUE(display->WaitForControl(w, "?FILETREE", [&](const ui::Control& tree) {
        return tree.selected == c.highlighted;
    })) << Highlighted(w);
    SyncWith(w);
    const bool choosable = c.labels.size() > 2 && c.highlighted > 2;
    EXPECT_EQ(Disabled(w, "?SELECT"), !choosable);
    EXPECT_EQ(Disabled(w, "?EXPANDALL"), c.labels.size() == 1);
    ASSERT_TRUE(display->Press(w, "?CANCELBUTTON"));
    Finish(w);
    EXPECT_EQ(response_, response::kCancelled);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PickerLimitTest,
    ::testing::Values(
        LimitCase{"InactiveStore",
                  {.site = kFr, .catalog = 0, .node = nodes::kLivres},
                  {"AMAZON root"},
                  1},
        LimitCase{"NoCatalog",
                  {.catalog = 0, .node = nodes::kFiction},
                  {"AMAZON root", "Amazon US (Amazon US)"},
                  2},
        LimitCase{"CatalogGone",
                  {.catalog = 99, .node = nodes::kFiction},
                  {"AMAZON root", "Amazon US (Amazon US)"},
                  2},
        LimitCase{"NodeOutsideTheBranch", {.node = nodes::kElectronics}, kUsBooksBranch, 2},
        LimitCase{"NoNode", {.node = 0}, kUsBooksBranch, 2},
        LimitCase{"OtherStore",
                  {.site = kUk, .catalog = catalogs::kUkBooks, .node = nodes::kCrime},
                  {"AMAZON root", "Amazon UK (Amazon UK)", "UK books (Books)", "Crime"},
                  4}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(SelectTreeTest, ClosingReturnsCancelledAndLeavesTheQuerysNode) {
    const std::pair<const char*, std::function<bool(ui::WindowId)>> ways[] = {
        {"CloseButton", [&](ui::WindowId w) { return display->Press(w, "?CANCELBUTTON"); }},
        {"CloseBox", [&](ui::WindowId w) { return display->CloseBox(w); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        const ui::WindowId w = OpenPicker({.node = nodes::kMystery});
        ASSERT_TRUE(ShowsLabels(w, kUsBooksBranch));
        Choose(w, 4);
        ASSERT_TRUE(close(w));
        Finish(w);
        EXPECT_EQ(response_, response::kCancelled);
        EXPECT_EQ(queryAfter_.NODE, nodes::kMystery);
    }
}

TEST_F(SelectTreeTest, TheChosenNodeStandsThroughARebuildAndAGoneRowLeavesTheBufferCleared) {
    const ui::WindowId w = OpenPicker({.node = nodes::kFiction});
    ASSERT_TRUE(ShowsLabels(w, kUsBooksBranch));
    Choose(w, 4);  // Cooking
    ASSERT_TRUE(GainFocus(w));
    SyncWith(w);
    // Another window removes the row before the user presses Select.
    data::Dict().NOD.ID = nodes::kCooking;
    ASSERT_EQ(data::Access(data::TableId::Nodes).Fetch(data::NOD_KeyId), ui::Benign);
    ASSERT_EQ(data::Access(data::TableId::Nodes).File().Delete(), store::NoError);
    ASSERT_TRUE(display->Press(w, "?SELECT"));
    Finish(w);
    EXPECT_EQ(response_, response::kCompleted);
    EXPECT_EQ(aNodesAfter_.ID, 0);
    EXPECT_EQ(nodesAfter_.ID, nodes::kCooking);
}

TEST_F(SelectTreeTest, ExpandAllContractAllAndSingleEntries) {
    const ui::WindowId w = OpenPicker({.node = nodes::kFiction});
    ASSERT_TRUE(ShowsLabels(w, kUsBooksBranch));
    ASSERT_TRUE(display->Press(w, "?CONTRACTALL"));
    ASSERT_TRUE(ShowsLabels(w, {"AMAZON root", "Amazon US (Amazon US)"}));
    ASSERT_TRUE(display->ToggleExpander(w, "?FILETREE", 2, true));
    ASSERT_TRUE(
        ShowsLabels(w, {"AMAZON root", "Amazon US (Amazon US)", "All books, Books (Books)"}));
    EXPECT_EQ(Icons(w), (std::vector<std::string>{"1", "2", "3"}));
    ASSERT_TRUE(Click(w, 3, research::kLabelColumn, research::tree_key::Right));
    ASSERT_TRUE(ShowsLabels(w, {"AMAZON root", "Amazon US (Amazon US)", "All books, Books (Books)",
                                "Cooking", "Fiction"}));
    ASSERT_TRUE(display->Press(w, "?EXPANDALL"));
    ASSERT_TRUE(ShowsLabels(w, kUsBooksBranch));
    ASSERT_TRUE(display->Press(w, "?CANCELBUTTON"));
    Finish(w);
}

// The picker's menu has no editing items; a store's root offers nothing to choose.
TEST_F(SelectTreeTest, TheRightButtonOffersSelectAndTheWholeTree) {
    const ui::WindowId w = OpenPicker({.node = nodes::kFiction});
    ASSERT_TRUE(ShowsLabels(w, kUsBooksBranch));
    auto itemsOf = [](const ui::PopupMenu& menu) {
        std::vector<std::pair<std::string, bool>> items;
        for (const ui::PopupItem& item : menu.items)
            items.emplace_back(item.separator ? "-" : item.text, item.enabled);
        return items;
    };
    ASSERT_TRUE(Click(w, 2, research::kLabelColumn, ui::key::MouseRight));
    auto menu = display->WaitForPopup(w);
    ASSERT_TRUE(menu);
    EXPECT_EQ(
        itemsOf(*menu),
        (std::vector<std::pair<std::string, bool>>{
            {"&Select", false}, {"-", false}, {"&Expand All", true}, {"&Contract All", true}}));
    ASSERT_TRUE(display->ChoosePopup(w, "&Contract All"));
    ASSERT_TRUE(ShowsLabels(w, {"AMAZON root", "Amazon US (Amazon US)"}));
    EXPECT_FALSE(display->ChoosePopup(w, "&Expand All"));  // the menu is gone
    ASSERT_TRUE(display->ToggleExpander(w, "?FILETREE", 2, true));
    ASSERT_TRUE(
        ShowsLabels(w, {"AMAZON root", "Amazon US (Amazon US)", "All books, Books (Books)"}));
    ASSERT_TRUE(Click(w, 3, research::kLabelColumn, ui::key::MouseRight));
    menu = display->WaitForPopup(w);
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->items[0].enabled);
    ASSERT_TRUE(display->ChoosePopup(w, "&Select"));
    Finish(w);
    EXPECT_EQ(response_, response::kCompleted);
    EXPECT_EQ(aNodesAfter_.ID, nodes::kUsBooks);
}

TEST_F(SelectTreeTest, ASavedConfigurationReloadsThePickerOnItsTimer) {
    const ui::WindowId w = OpenPicker({.node = nodes::kFiction});
    ASSERT_TRUE(ShowsLabels(w, kUsBooksBranch));
    SetSiteActive(kUs, false);
    shell::TreeReloadCount = 2;
    clock.Advance(10);
    ASSERT_TRUE(ShowsLabels(w, {"AMAZON root"}));
    EXPECT_TRUE(Eventually([] { return shell::TreeReloadCount.load() == 1; }));
    EXPECT_TRUE(
        display->WaitForControl(w, "?SELECT", [](const ui::Control& c) { return c.disable; }));
    ASSERT_TRUE(display->Press(w, "?CANCELBUTTON"));
    Finish(w);
}

TEST_F(SelectTreeTest, RouterOpensTheVariantOfJapaneseModeWithItsHelpTopic) {
    struct Mode {
        std::uint8_t jpMode;
        const char* procedure;
        int charset;
    };
    for (const Mode& m : {Mode{0, "SelectTreeA", 0}, Mode{128, "SelectTreeJ", 128}}) {
        SCOPED_TRACE(m.procedure);
        shell::JPMode = m.jpMode;
        help->Clear();
        const ui::WindowId w =
            OpenPicker({.node = nodes::kFiction}, &research::SelectTree, m.procedure);
        ASSERT_TRUE(ShowsLabels(w, kUsBooksBranch));
        EXPECT_EQ(display->View(w)->window.props.charset, m.charset);
        ASSERT_TRUE(display->PressKey(w, ui::key::F1));
        ASSERT_TRUE(Eventually([&] { return help->Last().has_value(); }));
        EXPECT_EQ(help->Last()->topic, "SelectTree.htm");
        ASSERT_TRUE(display->Press(w, "?CANCELBUTTON"));
        Finish(w);
        EXPECT_TRUE(ui::IniManager::Global().FetchWindow(m.procedure));
    }
}

}  // namespace
}  // namespace zem::test
