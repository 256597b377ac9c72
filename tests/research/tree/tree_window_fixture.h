#pragma once
// The tree windows as a user meets them: the seeded catalog tree in a fresh data file, each
// window run on a framework thread of its own with the headless display, the clock set. This
// thread keeps a dictionary of its own to change rows and read them back.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "platform/runtime/requests.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/input.h"
#include "research/tree/tree_seed.h"
#include "shell/data_file_fixture.h"
#include "shell/window_counters.h"

namespace zem::test {

class TreeWindowTest : public DataFileTest {
  protected:
    void SetUp() override {
        DataFileTest::SetUp();
        if (HasFatalFailure()) return;
        SeedCatalogTree();
    }

    void TearDown() override {
        DataFileTest::TearDown();
        shell::UnregisterProcedure("BuildCatalog");
    }

    // Runs procedure on a framework thread of its own with the request, after prepare has set
    // the thread's buffers up, and waits for the window called window to show its tree.
    ui::WindowId Open(void (*procedure)(), const char* window, int request = 0,
                      std::function<void()> prepare = {}) {
        thread_ = runtime::Start([this, procedure, request, prepare] {
            // Thread 1 gets its dictionary from start-up, which these tests do not run.
            if (!data::HasDictionary()) {
                ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
            }
            runtime::SetGlobalRequest(request);
            if (prepare) prepare();
            procedure();
            response_ = runtime::GlobalResponse();
            nodesAfter_ = data::Dict().NOD;
            aNodesAfter_ = data::Dict().ANO;
            queryAfter_ = data::Dict().QUE;
        });
        const auto w = display->WaitForWindow(window);
        EXPECT_TRUE(w) << window;
        if (!w) return 0;
        // The window's opening ends with the focus on the tree.
        const auto tree = display->ControlOf(*w, "?FILETREE");
        EXPECT_TRUE(tree && display->WaitForView(*w, [&](const ui::HeadlessDisplay::WindowView& v) {
            return v.focus == tree->feq;
        })) << "the tree did not open";
        return *w;
    }

    // Waits for the window to close and its thread to end.
    void Finish(ui::WindowId w) {
        EXPECT_TRUE(display->WaitForClose(w));
        runtime::Join(thread_);
        thread_ = 0;
    }

    std::vector<std::string> Labels(ui::WindowId w) const {
        std::vector<std::string> labels;
        if (const auto tree = display->ControlOf(w, "?FILETREE"))
            for (const ui::ListRow& row : tree->rows) labels.push_back(row.cells.at(0));
        return labels;
    }

    // Waits until the tree shows these labels.
    bool ShowsLabels(ui::WindowId w, const std::vector<std::string>& expected,
                     ui::HeadlessDisplay::Timeout timeout = ui::HeadlessDisplay::kWait) {
        const bool shown = display->WaitForControl(
            w, "?FILETREE",
            [&](const ui::Control& c) {
                if (c.rows.size() != expected.size()) return false;
                for (std::size_t i = 0; i < expected.size(); ++i)
                    if (c.rows[i].cells.at(0) != expected[i]) return false;
                return true;
            },
            timeout);
        if (!shown && timeout == ui::HeadlessDisplay::kWait) {
            std::string actual;
            for (const std::string& label : Labels(w)) actual += "\n  " + label;
            ADD_FAILURE() << "the tree shows:" << actual;
        }
        return shown;
    }

    // The row showing the label, from 1; 0 when none does.
    int RowOf(ui::WindowId w, const std::string& label) const {
        const auto labels = Labels(w);
        for (std::size_t i = 0; i < labels.size(); ++i)
            if (labels[i] == label) return static_cast<int>(i) + 1;
        return 0;
    }

    // Icons and depths of the rows, in display order.
    std::vector<std::string> Icons(ui::WindowId w) const {
        std::vector<std::string> icons;
        if (const auto tree = display->ControlOf(w, "?FILETREE"))
            for (const ui::ListRow& row : tree->rows) icons.push_back(std::to_string(row.icon));
        return icons;
    }
    std::vector<int> Depths(ui::WindowId w) const {
        std::vector<int> depths;
        if (const auto tree = display->ControlOf(w, "?FILETREE"))
            for (const ui::ListRow& row : tree->rows) depths.push_back(row.level);
        return depths;
    }

    int Highlighted(ui::WindowId w) const {
        const auto tree = display->ControlOf(w, "?FILETREE");
        return tree ? tree->selected : 0;
    }

    // Waits until the tree highlights the row.
    bool Highlights(ui::WindowId w, int row) {
        const bool shown = display->WaitForControl(
            w, "?FILETREE", [&](const ui::Control& c) { return c.selected == row; });
        if (!shown) ADD_FAILURE() << "the tree highlights row " << Highlighted(w);
        return shown;
    }

    bool Disabled(ui::WindowId w, const char* use) const {
        const auto c = display->ControlOf(w, use);
        return !c || c->disable || c->hide;
    }

    // Waits until the window's thread has handled everything sent to it before: the Help
    // button's request reaches the viewer only after that.
    void SyncWith(ui::WindowId w) {
        const std::size_t before = help->Requests().size();
        ASSERT_TRUE(display->Press(w, "?HELPBUTTON"));
        ASSERT_TRUE(Eventually([&] { return help->Requests().size() > before; }));
    }

    // Highlights a row as a click would, and waits until the window has taken it in.
    void Choose(ui::WindowId w, int row) {
        ASSERT_TRUE(display->ChooseRow(w, "?FILETREE", row));
        SyncWith(w);
    }

    // A click or key on a row of the tree.
    bool Click(ui::WindowId w, int row, int column, int key) {
        return display->ClickCell(w, "?FILETREE", row, column, key);
    }

    // The window gains the focus, as when the user comes back to it.
    static bool GainFocus(ui::WindowId w) {
        return ui::SendInput(w, ui::Input{0, runtime::event::kGainFocus});
    }

    std::string Caption(ui::WindowId w) const {
        const auto view = display->View(w);
        return view ? view->window.props.caption : std::string();
    }

    std::atomic<int> response_{-1};
    // The window thread's buffers once the procedure returned.
    data::NodesRecord nodesAfter_{};
    data::NodesRecord aNodesAfter_{};
    data::QueriesRecord queryAfter_{};
};

}  // namespace zem::test
