// The item-list loader's window: its layout, its help and position, the settings it needs
// before it opens, and a table write that fails while it runs.
#include <gtest/gtest.h>

#include <future>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "research/jobs/jobs_fixture.h"
#include "platform/store/errors.h"
#include "platform/store/table.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/input.h"
#include "platform/ui/window/layout.h"
#include "support/table_lock_holder.h"

namespace zem::test {
namespace {

TEST(BuildListLayoutTest, OneTabWithThePercentTheCountersAndCancel) {
    std::string error;
    const auto layout = ui::LoadLayout("zembrola$zembr015", "P1$QUICKWINDOW", &error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->props.caption, "Build item list");
    EXPECT_EQ(layout->props.font.name, "MS Sans Serif");
    EXPECT_EQ(layout->props.font.size, 8);
    EXPECT_EQ(layout->props.wallpaper, "toolbox.jpg");
    EXPECT_EQ(layout->props.icon, "~gendict.ico");
    EXPECT_TRUE(layout->props.resizable);
    EXPECT_EQ(layout->timer, 50);

    struct Expect {
        const char* use;
        ui::ControlKind kind;
        const char* text;
        const char* picture;
        const char* parent;
    };
    using K = ui::ControlKind;
    const Expect expected[] = {
        {"?SHEET1", K::Sheet, "", "", ""},
        {"?TAB1", K::Tab, "1) Progress", "", "?SHEET1"},
        {"?PERCENTS:2", K::String, "0.00 %", "N8.2~ %~", "?TAB1"},
        {"?PERCENTS", K::Progress, "", "", "?TAB1"},
        {"?STRING3:2", K::String, "Total items:", "", "?TAB1"},
        {"?B", K::String, "0", "n_10", "?TAB1"},
        {"?STRING3", K::String, "Loaded items:", "", "?TAB1"},
        {"?A", K::String, "0", "N_10", "?TAB1"},
        {"?CANCEL", K::Button, "&Cancel", "", ""},
    };
    ASSERT_EQ(layout->controls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const ui::Control& c = layout->controls[i];
        const Expect& e = expected[i];
        EXPECT_EQ(c.use, e.use);
        EXPECT_EQ(c.kind, e.kind) << e.use;
        EXPECT_EQ(c.text, e.text) << e.use;
        EXPECT_EQ(c.picture, e.picture) << e.use;
        const std::string parent = c.parent == 0 ? "" : layout->controls[c.parent - 1].use;
        EXPECT_EQ(parent, e.parent) << e.use;
    }
    const ui::Control& bar = layout->controls[3];
    EXPECT_EQ(bar.rangeLow, 0);
    EXPECT_EQ(bar.rangeHigh, 100);
    const ui::Control& cancel = layout->controls[8];
    EXPECT_EQ(cancel.tip, "Cancel current action");
    EXPECT_EQ(cancel.icon, "WACANCEL.ICO");
}

TEST_F(BuildListTest, HelpShowsTheTopicAndThePositionIsKeptUnderTheProcedureName) {
    ui::IniManager& ini = ui::IniManager::Global();
    ini.Init(dir / "quorel.ini");
    ini.SaveWindow("BuildList", {40, 30, 330, 180, false});
    sim::Modes slow;
    slow.delayMs = 2000;
    simulator.SetModes(slow);
    const ui::WindowId w = StartWindow(QueryWithPages(1));
    // The position is put back right after the window opened.
    EXPECT_TRUE(display->WaitForView(w, [](const ui::HeadlessDisplay::WindowView& v) {
        return v.window.props.at == ui::Rect{40, 30, 330, 180};
    }));
    EXPECT_EQ(display->View(w)->window.props.charset, 0);

    ASSERT_TRUE(display->PressKey(w, ui::key::F1));
    ASSERT_TRUE(Eventually([&] { return help->Last().has_value(); }));
    EXPECT_EQ(help->Last()->file, "zembrola.chm");
    EXPECT_EQ(help->Last()->kind, ui::HelpKind::Topic);
    EXPECT_EQ(help->Last()->topic, "BuildList.htm");

    ASSERT_TRUE(ui::ReportPlacement(w, ui::Rect{50, 60, 340, 190}, false));
    ASSERT_TRUE(display->CloseBox(w));
    ASSERT_TRUE(display->WaitForClose(w));
    // Closed before the job completed: the answer is failed.
    EXPECT_EQ(Outcome().status, 3);
    const auto kept = ini.FetchWindow("BuildList");
    ASSERT_TRUE(kept);
    EXPECT_EQ((ui::Rect{kept->x, kept->y, kept->width, kept->height}),
              (ui::Rect{50, 60, 340, 190}));
    ini.Kill();
}

// Settings the job can't run without: the window never opens.
struct SettingsCase {
    const char* name;
    ConfigSetup config;
    std::string message;  // empty: the table manager's own report, naming the table
    friend void PrintTo(const SettingsCase& c, std::ostream* out) { *out << c.name; }
};

class BuildListSettingsTest : public BuildListTest,
                              public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(BuildListSettingsTest, TheWindowNeverOpensAndTheAnswerIsFailed) {
    const SettingsCase& c = GetParam();
    Start(QueryWithPages(1), c.config);
    const JobOutcome out = Outcome();
    EXPECT_EQ(out.status, 3);
    for (const std::string& opened : display->OpenedProcedures()) EXPECT_NE(opened, "BuildList");
    const auto messages = display->Messages();
    ASSERT_EQ(messages.size(), 1u);
    if (c.message.empty()) {
        EXPECT_NE(messages[0].request.text.find("Browsers"), std::string::npos)
            << messages[0].request.text;
    } else {
        EXPECT_EQ(messages[0].request.text, c.message);
        EXPECT_EQ(messages[0].request.caption, "Error");
    }
    EXPECT_TRUE(ItemSearches().empty());
    EXPECT_EQ(out.query.BUILDDATE, 0);  // stamped only when the window opens
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildListSettingsTest,
    ::testing::Values(SettingsCase{"NoConfigurationRecord", ConfigSetup{.present = false},
                                   "Error: Record Not Available. While fetching system parameters"},
                      SettingsCase{"UnknownUserAgent", ConfigSetup{.userAgent = 99}, ""}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(BuildListTest, ATableWriteThatFailsEndsTheJobWithProcessCanceled) {
    const QuerySetup query = QueryWithPages(2);
    TableLockHolder lock(data::TableId::Brands);
    ASSERT_TRUE(lock.Ok());
    const ui::WindowId w = StartWindow(query, {}, [] {
        data::TableManager& brands = data::Access(data::TableId::Brands);
        ASSERT_EQ(brands.UseFile(), ui::Benign);
        brands.File().SetWriteWait(0.2);
    });
    ASSERT_TRUE(TickToEnd(w));
    const JobOutcome out = Outcome();
    EXPECT_EQ(out.status, 3);
    // The table's own report of the failed write, then the job's.
    const auto messages = display->Messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages.back().request.text, "Process canceled with errors.");
    EXPECT_EQ(messages.back().request.caption, "Attention");
    EXPECT_EQ(ItemSearches().size(), 1u);
}

}  // namespace
}  // namespace zem::test
