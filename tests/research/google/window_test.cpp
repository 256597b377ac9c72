// The competition check's window: its layout, help and position, Cancel, the pages and rows
// that end the job failed, and the wait cursor and yields of its walks over the tags.
#include <gtest/gtest.h>

#include <cstdint>
#include <future>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "research/google/google_fixture.h"
#include "platform/store/errors.h"
#include "platform/store/table.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/input.h"
#include "platform/ui/window/layout.h"
#include "support/table_lock_holder.h"

namespace zem::test {
namespace {

TEST(BuildGoogleLayoutTest, TheProgressWindowCheckCompetitionWithItsTimerOfOneSecond) {
    std::string error;
    const auto layout = ui::LoadLayout("zembrola$zembr023", "P1$QUICKWINDOW", &error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->props.caption, "Check Competition");
    EXPECT_EQ(layout->props.font.name, "MS Sans Serif");
    EXPECT_EQ(layout->props.icon, "~gendict.ico");
    EXPECT_EQ(layout->props.wallpaper, "toolbox.jpg");
    EXPECT_TRUE(layout->props.resizable);
    EXPECT_EQ(layout->timer, 100);
    struct Expect {
        const char* use;
        ui::ControlKind kind;
        const char* text;
        const char* picture;
    };
    using K = ui::ControlKind;
    const Expect expected[] = {
        {"?SHEET1", K::Sheet, "", ""},
        {"?TAB1", K::Tab, "1) Progress", ""},
        {"?PERCENTS:2", K::String, "0.00 %", "N8.2~ %~"},
        {"?PERCENTS", K::Progress, "", ""},
        {"?STRING3:2", K::String, "Total items:", ""},
        {"?B", K::String, "0", "n_10"},
        {"?STRING3", K::String, "Loaded items:", ""},
        {"?A", K::String, "0", "N_10"},
        {"?CANCEL", K::Button, "&Cancel", ""},
    };
    ASSERT_EQ(layout->controls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const ui::Control& c = layout->controls[i];
        EXPECT_EQ(c.use, expected[i].use);
        EXPECT_EQ(c.kind, expected[i].kind) << c.use;
        EXPECT_EQ(c.text, expected[i].text) << c.use;
        EXPECT_EQ(c.picture, expected[i].picture) << c.use;
    }
    EXPECT_EQ(layout->controls[8].tip, "Cancel current action");
    EXPECT_EQ(layout->controls[8].icon, "WACANCEL.ICO");
}

TEST_F(CompetitionCheckTest, HelpShowsTheTopicAndThePositionIsKeptUnderTheProcedureName) {
    ui::IniManager& ini = ui::IniManager::Global();
    ini.Init(dir / "quorel.ini");
    ini.SaveWindow("BuildGoogle", {40, 30, 330, 180, false});
    const ui::WindowId w = StartWindow({.site = 1, .items = {{.keywords = "digital camera"}}});
    EXPECT_TRUE(display->WaitForView(w, [](const ui::HeadlessDisplay::WindowView& v) {
        return v.window.props.at == ui::Rect{40, 30, 330, 180};
    }));
    EXPECT_EQ(display->View(w)->window.props.caption, "Check Competition");

    ASSERT_TRUE(display->PressKey(w, ui::key::F1));
    ASSERT_TRUE(Eventually([&] { return help->Last().has_value(); }));
    EXPECT_EQ(help->Last()->file, "zembrola.chm");
    EXPECT_EQ(help->Last()->kind, ui::HelpKind::Topic);
    EXPECT_EQ(help->Last()->topic, "BuildGoogle.htm");

    ASSERT_TRUE(ui::ReportPlacement(w, ui::Rect{50, 60, 340, 190}, false));
    ASSERT_TRUE(display->CloseBox(w));
    ASSERT_TRUE(display->WaitForClose(w));
    EXPECT_EQ(Outcome().status, 3);  // closed before the job completed
    const auto kept = ini.FetchWindow("BuildGoogle");
    ASSERT_TRUE(kept);
    EXPECT_EQ((ui::Rect{kept->x, kept->y, kept->width, kept->height}),
              (ui::Rect{50, 60, 340, 190}));
    ini.Kill();
}

TEST_F(CompetitionCheckTest, CancelWhileAPageLoadsAnswersFailedAndLeavesThatItemAsItWas) {
    sim::Modes slow;
    slow.delayMs = 3000;
    simulator.SetModes(slow);
    const ui::WindowId w =
        StartWindow({.site = 1, .items = {{.keywords = "digital camera", .ads = 55}}});
    ASSERT_TRUE(Tick(w));
    ASSERT_TRUE(Eventually([&] { return Searches().size() == 1; }));
    ASSERT_TRUE(display->Press(w, "?CANCEL"));
    ASSERT_TRUE(display->WaitForClose(w));
    const CheckOutcome out = Outcome();
    EXPECT_EQ(out.status, 3);
    EXPECT_EQ(out.response, runtime::response::kCancelled);
    EXPECT_TRUE(display->Messages().empty());  // Cancel says nothing
    ASSERT_EQ(out.goods.size(), 1u);
    EXPECT_EQ(out.goods[0].ADS, 55);
    EXPECT_EQ(recorder->Last("?A"), "0");
}

// How a page goes wrong, for which item, and what the user is told.
struct FailureCase {
    const char* name;
    sim::Modes modes;
    std::size_t failingItem;   // 0: the first item's page fails; 1: the second, after the first
    std::string messageAfter;  // what follows "Process canceled with errors"
    bool exactMessage;         // otherwise the message starts with messageAfter
    friend void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }
};

class CompetitionCheckFailureTest : public CompetitionCheckTest,
                                    public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CompetitionCheckFailureTest, TheJobEndsFailedAndTheItemsCheckedBeforeKeepTheirCounts) {
    const FailureCase& c = GetParam();
    const std::vector<std::string> keywords{"digital camera", "garden hose", "water pump"};
    CheckSetup setup{.site = 1};
    for (std::size_t i = 0; i < keywords.size(); ++i)
        setup.items.push_back({.keywords = keywords[i], .tagValue = std::to_string(i), .ads = 55});
    if (c.failingItem == 0) {
        simulator.SetModes(c.modes);
    } else {
        // The first page is answered as the modes were when it was asked for.
        sim::Modes slow;
        slow.delayMs = 1000;
        simulator.SetModes(slow);
    }
    const ui::WindowId w = StartWindow(setup);
    if (c.failingItem == 1) {
        ASSERT_TRUE(Tick(w));
        ASSERT_TRUE(Eventually([&] { return Searches().size() == 1; }));
        simulator.SetModes(c.modes);
    }
    ASSERT_TRUE(TickToEnd(w));
    const CheckOutcome out = Outcome();
    EXPECT_EQ(out.status, 3);
    EXPECT_EQ(out.response, runtime::response::kCancelled);

    const auto messages = display->Messages();
    ASSERT_EQ(messages.size(), 1u);
    const ui::MessageRequest& m = messages[0].request;
    EXPECT_EQ(m.caption, "Attention");
    ExpectCanceledWithErrors(m.text, c.messageAfter, c.exactMessage);
    // Nothing was asked after the failing page; the item before it keeps its new count.
    EXPECT_EQ(Searches().size(), c.failingItem + 1);
    ASSERT_EQ(out.goods.size(), keywords.size());
    for (std::size_t i = 0; i < keywords.size(); ++i) {
        const data::GoodsRecord* row = RowOf(out, IdOf(i));
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->ADS, i < c.failingItem ? Counts(1, keywords[i]).competitors : 55) << i;
    }
    EXPECT_EQ(recorder->Last("?A"), std::to_string(c.failingItem));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompetitionCheckFailureTest,
    ::testing::Values(FailureCase{"DroppedConnection", Failing(sim::Failure::Drop), 0, " (", false},
                      FailureCase{"CutPage", Cut(300), 0, " (", false},
                      FailureCase{"CutSecondPage", Cut(300), 1, " (", false},
                      FailureCase{"ServerErrorPage", Failing(sim::Failure::Status500), 0,
                                  " (the reply is no result page).", true},
                      FailureCase{"ServerErrorOnSecondPage", Failing(sim::Failure::Status500), 1,
                                  " (the reply is no result page).", true},
                      FailureCase{"ProxyWantsAnAccount", ProxyAccount(), 0,
                                  " (the proxy asks for credentials: HTTP 407).", true}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(CompetitionCheckTest, AnItemDeletedWhileTheCheckRunsEndsItBeforeItsTurn) {
    const std::string first =
        KeywordsWhere(1, "garden hose", [](const PageCounts& c) { return c.competitors > 0; });
    sim::Modes slow;
    slow.delayMs = 1000;
    simulator.SetModes(slow);
    const ui::WindowId w = StartWindow({.site = 1,
                                        .items = {{.keywords = first, .tagValue = "1", .ads = 55},
                                                  {.keywords = "water pump", .tagValue = "2"}}});
    ASSERT_TRUE(Tick(w));
    ASSERT_TRUE(Eventually([&] { return Searches().size() == 1; }));
    ASSERT_TRUE(DeleteGoods(IdOf(1)));
    ASSERT_TRUE(TickToEnd(w));
    const CheckOutcome out = Outcome();
    EXPECT_EQ(out.status, 3);
    const auto messages = display->Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].request.text, "Process canceled with errors (record not found).");
    EXPECT_EQ(messages[0].request.caption, "Error");
    EXPECT_EQ(Searches().size(), 1u);
    ASSERT_EQ(out.goods.size(), 1u);
    EXPECT_EQ(out.goods[0].ADS, Counts(1, first).competitors);
}

TEST_F(CompetitionCheckTest, AnItemThatCannotBeWrittenBackEndsTheJobWithProcessCanceled) {
    std::optional<TableLockHolder> lock;
    const ui::WindowId w =
        StartWindow({.site = 1, .items = {{.keywords = "digital camera", .ads = 55}}}, [&] {
            // Taken once the items are in: from here on every write to Goods waits in vain.
            lock.emplace(data::TableId::Goods);
            ASSERT_TRUE(lock->Ok());
            data::TableManager& goods = data::Access(data::TableId::Goods);
            ASSERT_EQ(goods.UseFile(), ui::Benign);
            goods.File().SetWriteWait(0.2);
        });
    ASSERT_TRUE(TickToEnd(w));
    const CheckOutcome out = Outcome();
    lock.reset();
    EXPECT_EQ(out.status, 3);
    // The table's own report of the failed write, then the job's.
    const auto messages = display->Messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages.back().request.text, "Process canceled with errors.");
    EXPECT_EQ(messages.back().request.caption, "Attention");
    ASSERT_EQ(out.goods.size(), 1u);
    EXPECT_EQ(out.goods[0].ADS, 55);
    EXPECT_EQ(recorder->Last("?A"), "0");
}

TEST_F(CompetitionCheckTest, TheWalksOverTheTagsShowTheWaitCursorAndYieldEveryTenthTag) {
    std::mutex mutex;
    std::vector<std::string> log;
    ui::BusyHooks hooks;
    hooks.cursor = [&](bool busy) {
        std::lock_guard guard(mutex);
        log.push_back(busy ? "wait" : "ready");
    };
    // Yields run on the window's thread, under its procedure name.
    hooks.yield = [&] {
        std::lock_guard guard(mutex);
        log.push_back("yield " + ui::ErrorManager::Global().ProcedureName());
    };
    ui::SetBusyHooks(hooks);
    auto logged = [&] {
        std::lock_guard guard(mutex);
        return log;
    };
    sim::Modes slow;
    slow.delayMs = 3000;
    simulator.SetModes(slow);

    CheckSetup setup{.site = 1};
    for (int i = 1; i <= 12; ++i) setup.items.push_back({.keywords = "item " + std::to_string(i)});
    const ui::WindowId w = StartWindow(setup);
    const std::vector<std::string> count{"wait", "yield BuildGoogle", "ready"};
    // The count when the window opens: tags 1 to 12, a yield at the tenth.
    ASSERT_TRUE(Eventually([&] { return logged().size() == 3; }));
    EXPECT_EQ(logged(), count);
    EXPECT_TRUE(
        display->WaitForControl(w, "?B", [](const ui::Control& c) { return c.text == "12"; }));
    // The first hand-out walks one tag.
    ASSERT_TRUE(Tick(w));
    ASSERT_TRUE(Eventually([&] { return logged().size() == 5; }));
    EXPECT_EQ(logged(),
              (std::vector<std::string>{"wait", "yield BuildGoogle", "ready", "wait", "ready"}));
    ASSERT_TRUE(display->Press(w, "?CANCEL"));
    ASSERT_TRUE(display->WaitForClose(w));
    EXPECT_EQ(Outcome().status, 3);
    ui::InstallWindowBusyHooks();
}

}  // namespace
}  // namespace zem::test
