#include "research/cataloglist/browse_catalogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "data/dictionary.h"
#include "platform/runtime/requests.h"
#include "platform/store/connection.h"
#include "platform/store/errors.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/browse_list.h"
#include "platform/ui/window/input.h"
#include "shell/data_file_fixture.h"
#include "support/column_table_check.h"

namespace zem::test {
namespace {

using data::TableId;

// What the list left behind on its thread.
struct Outcome {
    std::atomic<int> response{-1};
    std::atomic<std::int32_t> chosen{0};
};

class BrowseCatalogsTest : public DataFileTest {
  protected:
    void SetUp() override {
        DataFileTest::SetUp();
        if (HasFatalFailure()) return;
        AddCatalog(1, 0, "Books");
        AddCatalog(2, 1, "Arts & Photography");
        AddCatalog(3, 0, "electronics");  // folded keys ignore case
        AddCatalog(4, 3, "Cameras");
    }

    static void AddCatalog(std::int32_t id, std::int32_t parent, const char* name) {
        data::CatalogsRecord& cat = data::Dict().CAT;
        std::memset(&cat, 0, sizeof cat);
        cat.ID = id;
        cat.PARENT = parent;
        std::strncpy(cat.NAME, name, sizeof cat.NAME - 1);
        cat.FLAGS = 1;
        ASSERT_EQ(data::Access(TableId::Catalogs).Insert(), ui::Benign);
    }

    ui::WindowId Open(int request) {
        thread_ = runtime::Start([this, request] {
            runtime::SetGlobalRequest(request);
            research::BrowseCatalogs();
            outcome.response = runtime::GlobalResponse();
            outcome.chosen = data::Dict().CAT.ID;
        });
        const auto window = display->WaitForWindow("BrowseCatalogs");
        EXPECT_TRUE(window);
        return window.value_or(0);
    }

    void Press(ui::WindowId window, const char* use) {
        ASSERT_TRUE(display->Press(window, use));
        ASSERT_TRUE(display->WaitForClose(window));
        runtime::Join(thread_);
    }

    std::vector<std::vector<std::string>> Shown(ui::WindowId window) {
        std::vector<std::vector<std::string>> rows;
        const auto list = display->ControlOf(window, "?BROWSE:1");
        if (!list) return rows;
        for (const auto& row : list->rows) rows.push_back({row.cells.at(0), row.cells.at(1)});
        return rows;
    }

    Outcome outcome;
};

TEST_F(BrowseCatalogsTest, ListsCatalogsByNameWithTheirParents) {
    const ui::WindowId window = Open(runtime::request::kNone);
    EXPECT_EQ(Shown(window), (std::vector<std::vector<std::string>>{{"Arts & Photography", "Books"},
                                                                    {"Books", ""},
                                                                    {"Cameras", "electronics"},
                                                                    {"electronics", ""}}));
    EXPECT_EQ(display->View(window)->window.props.caption, "Browse the Catalogs");
    EXPECT_TRUE(display->ControlOf(window, "?SELECT:2")->hide);
    Press(window, "?CLOSE");
    EXPECT_EQ(outcome.response.load(), runtime::response::kCompleted);
}

// The list's thread finds a table the catalogs relate to changed by another program, so the
// list's tables can't be opened: the list does not open, says why, and leaves the open its
// caller holds on Catalogs alone.
TEST_F(BrowseCatalogsTest, AListWhoseTablesCantBeOpenedStaysClosedAndKeepsTheCallersOpen) {
    ASSERT_EQ(data::ZembrolaFile()->ThreadConnection()->Exec(
                  "ALTER TABLE \"Queries\" ADD COLUMN zem_foreign INTEGER"),
              store::NoError);
    std::atomic<int> callersOpens{-1};
    std::atomic<bool> stillOpen{false};
    thread_ = runtime::Start([&] {
        data::TableManager& catalogs = data::Access(TableId::Catalogs);
        ASSERT_EQ(catalogs.Open(), ui::Benign);
        runtime::SetGlobalRequest(runtime::request::kSelect);
        research::BrowseCatalogs();
        outcome.response = runtime::GlobalResponse();
        callersOpens = catalogs.OpenCount();
        stillOpen = catalogs.File().IsOpen();
        catalogs.Close();
    });
    // A list that opens after all is closed again, so the test can tell what it left.
    if (const auto window =
            display->WaitForWindow("BrowseCatalogs", std::chrono::milliseconds(500)))
        display->Press(*window, "?CLOSE");
    runtime::Join(thread_);
    EXPECT_EQ(callersOpens.load(), 1);
    EXPECT_TRUE(stillOpen.load());
    EXPECT_NE(outcome.response.load(), runtime::response::kCompleted);
    EXPECT_TRUE(display->OpenedProcedures().empty());
    EXPECT_FALSE(display->Messages().empty());
}

TEST_F(BrowseCatalogsTest, SelectModeLeavesTheChosenCatalogInTheBuffer) {
    const ui::WindowId window = Open(runtime::request::kSelect);
    EXPECT_FALSE(display->ControlOf(window, "?SELECT:2")->hide);
    ASSERT_TRUE(display->ChooseRow(window, "?BROWSE:1", 3));
    Press(window, "?SELECT:2");
    EXPECT_EQ(outcome.response.load(), runtime::response::kCompleted);
    EXPECT_EQ(outcome.chosen.load(), 4);  // Cameras
}

TEST_F(BrowseCatalogsTest, CloseInSelectModeCancels) {
    const ui::WindowId window = Open(runtime::request::kSelect);
    Press(window, "?CLOSE");
    EXPECT_EQ(outcome.response.load(), runtime::response::kCancelled);
}

TEST_F(BrowseCatalogsTest, NavigationButtonsAndHeadersMoveAndSort) {
    const ui::WindowId window = Open(runtime::request::kSelect);
    auto selected = [&](int row) {
        return display->WaitForControl(window, "?BROWSE:1",
                                       [row](const ui::Control& c) { return c.selected == row; });
    };
    EXPECT_TRUE(selected(1));
    struct Step {
        int button;
        int row;
    };
    for (const Step& s : {Step{ui::navigation::kBottom, 4}, Step{ui::navigation::kUp, 3},
                          Step{ui::navigation::kTop, 1}, Step{ui::navigation::kDown, 2},
                          Step{ui::navigation::kPageDown, 4}, Step{ui::navigation::kPageUp, 1}}) {
        // As the frame forwards its toolbar's navigation buttons to the active window's thread.
        ASSERT_TRUE(runtime::Post(display->View(window)->window.thread, runtime::event::kAccepted,
                                  s.button));
        EXPECT_TRUE(selected(s.row)) << s.button;
    }
    // Sorting by parent keeps the current row (Arts & Photography) current.
    ASSERT_TRUE(display->ClickHeader(window, "?BROWSE:1", 2));
    EXPECT_TRUE(display->WaitForControl(window, "?BROWSE:1", [](const ui::Control& c) {
        return c.rows.size() == 4 && c.rows[3].cells[1] == "electronics" && c.selected >= 1 &&
               c.rows[static_cast<std::size_t>(c.selected) - 1].cells[0] == "Arts & Photography";
    }));
    Press(window, "?SELECT:2");
    EXPECT_EQ(outcome.chosen.load(), 2);
    EXPECT_EQ(ui::IniManager::Global().Fetch("BrowseCatalogs", "SortOrder"), "2");
}

// The right button offers the list format's entry, then the browse's Select.
TEST_F(BrowseCatalogsTest, TheListsMenuRestoresTheLayoutsColumnsAndSelects) {
    const ui::WindowId window = Open(runtime::request::kSelect);
    const std::optional<ui::Control> before = display->ControlOf(window, "?BROWSE:1");
    ASSERT_TRUE(before);
    std::vector<int> layout;
    for (const ui::ListColumn& c : before->columns) layout.push_back(c.width);
    const int list = before->feq;
    ASSERT_TRUE(ui::ReportColumnWidths(window, list, {40, 30}));
    ASSERT_TRUE(display->ClickCell(window, "?BROWSE:1", 2, 1, ui::key::MouseRight));
    auto menu = display->WaitForPopup(window);
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->items.size(), 3u);
    EXPECT_EQ(menu->items[0].text, "&Restore Original Format");
    EXPECT_TRUE(menu->items[1].separator);
    EXPECT_EQ(menu->items[2].text, "&Select");
    EXPECT_TRUE(menu->items[2].enabled);
    ASSERT_TRUE(display->ChoosePopup(window, "&Restore Original Format"));

    ASSERT_TRUE(display->ClickCell(window, "?BROWSE:1", 3, 1, ui::key::MouseRight));
    ASSERT_TRUE(display->WaitForPopup(window));
    ASSERT_TRUE(display->ChoosePopup(window, "&Select"));
    ASSERT_TRUE(display->WaitForClose(window));
    runtime::Join(thread_);
    EXPECT_EQ(outcome.response.load(), runtime::response::kCompleted);
    EXPECT_EQ(outcome.chosen.load(), 4);  // Cameras
    // The widths the user gave the columns are gone: the layout's were kept as the format.
    EXPECT_EQ(ui::IniManager::Global().Fetch("ListFormat zembrola.BrowseCatalogs", "?BROWSE:1"),
              std::to_string(layout.at(0)) + "," + std::to_string(layout.at(1)));
}

// The list is filled through its column table: the layout shows the same columns.
TEST(CatalogListLayoutTest, TheListsLayoutHoldsItsColumnTable) {
    ExpectLayoutColumns("zembrola$zembr011", "P1$QUICKWINDOW", "?BROWSE:1",
                        research::CatalogColumns());
}

}  // namespace
}  // namespace zem::test
