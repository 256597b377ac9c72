#include "shell/main_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "frame_fixture.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/events.h"
#include "platform/runtime/requests.h"
#include "platform/ui/window/control.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/layout.h"

namespace zem::test {
namespace {

using ui::HeadlessDisplay;

TEST(FrameTextTest, WeekdaySlotsAreClippedAndDatesUseTheLongPicture) {
    struct Case {
        int year, month, day;
        const char* expected;
    };
    const Case cases[] = {
        {2008, 10, 31, "Friday, October 31, 2008"},
        {2008, 10, 29, "Wednesday, October 29, 2008"},  // fills its slot
        {2008, 11, 2, "Sunday, November 2, 2008"},      // followed directly by ", "
        {2008, 10, 30, "Thursday, October 30, 2008"},
        {1801, 1, 1, "Thursday, January 1, 1801"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::FrameDateText(*runtime::DateFromCalendar(c.year, c.month, c.day)),
                  c.expected);
    EXPECT_EQ(shell::FrameTimeText(*runtime::TimeFromClock(17, 7, 33)), "17:07:33");
    EXPECT_EQ(shell::FrameTimeText(*runtime::TimeFromClock(5, 4, 3)), "05:04:03");
}

TEST(FrameTextTest, TimerOutsideOneToAHundredBecomesAHundred) {
    const std::pair<int, int> cases[] = {{0, 100}, {-5, 100}, {101, 100}, {5000, 100},
                                         {1, 1},   {50, 50},  {100, 100}};
    for (const auto& [configured, expected] : cases)
        EXPECT_EQ(shell::FrameTimerPeriod(configured), expected) << configured;
}

// The frame's menu and toolbar as the layout gives them.
TEST(FrameLayoutTest, MenusAndToolbarCarryTheirTextsAndIcons) {
    std::string error;
    const auto layout = ui::LoadLayout("zembrola$zembr002", "P1$APPFRAME", &error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->props.caption, "Zembrola");
    EXPECT_EQ(layout->props.type, ui::WindowType::Application);
    EXPECT_EQ(layout->timer, 0);
    ASSERT_GE(layout->props.statusWidths.size(), 3u);

    std::vector<const ui::Control*> menus;
    for (const ui::Control& c : layout->controls)
        if (c.kind == ui::ControlKind::Menu || c.kind == ui::ControlKind::Item) menus.push_back(&c);
    ASSERT_EQ(menus.size(), 20u);
    const char* order[] = {"?FILEMENU",  "?FILECONFIGURE", "?PRINTSETUP",  "?EXIT",
                           "?EDITMENU",  "?CUT",           "?COPY",        "?PASTE",
                           "?MENU51",    "?MENU5ITEM17",   "?MENU5ITEM16", "",
                           "?TILE",      "?CASCADE",       "?ARRANGE",     "",
                           "?HELPINDEX", "?HELPSEARCH",    "?HELPONHELP",  "?HELPABOUT"};
    for (std::size_t i = 0; i < std::size(order); ++i) EXPECT_EQ(menus[i]->use, order[i]) << i;
    // The three menus of the menu bar with a use name have no icon, so nothing draws one.
    for (const ui::Control* c : menus)
        EXPECT_EQ(c->icon.empty(), c->kind == ui::ControlKind::Menu) << c->use << c->text;

    struct Nav {
        const char* use;
        int feq;
        const char* tip;
    };
    const Nav navigation[] = {{"?TOOLBAR:INSERT", 3001, "Insert a New Record"},
                              {"?TOOLBAR:BOTTOM", 3005, "Go to the Last Page"},
                              {"?TOOLBAR:TOP", 3006, "Go to the First Page"},
                              {"?TOOLBAR:HELP", 3013, "Get Help"}};
    for (const Nav& n : navigation) {
        const auto it = std::find_if(layout->controls.begin(), layout->controls.end(),
                                     [&](const ui::Control& c) { return c.use == n.use; });
        ASSERT_NE(it, layout->controls.end()) << n.use;
        EXPECT_EQ(it->feq, n.feq);
        EXPECT_EQ(it->tip, n.tip);
        EXPECT_EQ(it->message, n.tip);
    }
}

TEST_F(FrameTest, FrameShowsClockAndSplashAndQuitsWithExitCodeZero) {
    const ui::WindowId frame = StartProgram();
    ASSERT_NE(frame, 0);
    const auto splash = display->WaitForWindow("Splash");
    ASSERT_TRUE(splash);
    EXPECT_TRUE(display->WaitForView(frame, [](const HeadlessDisplay::WindowView& v) {
        return v.window.props.statusTexts.size() >= 3 &&
               v.window.props.statusTexts[1] == "Friday, October 31, 2008" &&
               v.window.props.statusTexts[2] == "17:07:33";
    }));
    const auto view = display->View(frame);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->window.props.caption, "Zembrola");
    EXPECT_EQ(view->window.props.icon, "zembrola.ico");

    // The clock ticks once a second.
    clock.Advance(100);
    EXPECT_TRUE(display->WaitForView(frame, [](const HeadlessDisplay::WindowView& v) {
        return v.window.props.statusTexts.size() >= 3 &&
               v.window.props.statusTexts[2] == "17:07:34";
    })) << Status(frame, 2);

    EXPECT_EQ(EndProgram(frame), 0);
}

TEST_F(FrameTest, ItemsOfMissingProceduresAreDisabledAndRegisteredOnesStartOnTheirOwnThread) {
    Provide(shell::kBrowseTree);
    const ui::WindowId frame = StartProgram();
    for (const char* use : {"?FILECONFIGURE", "?TOOLBOX", "?MENU5ITEM17", "?BROWSESAVED", "?QUERY"})
        EXPECT_TRUE(display->ControlOf(frame, use)->disable) << use;
    EXPECT_FALSE(display->ControlOf(frame, "?MENU5ITEM16")->disable);
    EXPECT_FALSE(display->Choose(frame, "?FILECONFIGURE"));

    ASSERT_TRUE(display->Choose(frame, "?MENU5ITEM16"));
    const auto tree = display->WaitForWindow("BrowseTree");
    ASSERT_TRUE(tree);
    EXPECT_NE(display->View(*tree)->window.thread, display->View(frame)->window.thread);
    ASSERT_TRUE(display->Press(frame, "?BROWSETREE"));
    EXPECT_TRUE(Eventually([&] {
        const auto opened = display->OpenedProcedures();
        return std::count(opened.begin(), opened.end(), "BrowseTree") == 2;
    }));
    EXPECT_EQ(EndProgram(frame), 0);
}

// A window whose thread still has work after its window has gone, as a form that ends its
// transaction and keeps its placement as it closes.
void RunSlowCloser() {
    class SlowCloser final : public ui::WindowManager {
      public:
        ui::Level Init() override {
            WindowManager::Init();
            auto layout = ui::ParseLayout(kProbeLayout, "W");
            if (!layout) return ui::Fatal;
            window_.Load(std::move(*layout));
            return window_.Open("SlowCloser") ? ui::Benign : ui::Fatal;
        }
        ui::Level Kill() override {
            const ui::Level r = WindowManager::Kill();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ui::IniManager::Global().SaveWindow("SlowCloser", {1, 2, 3, 4, false});
            return r;
        }
    };
    SlowCloser closer;
    closer.Run();
}

// The session's end closes the other windows first and the frame once they are gone; what a
// window keeps after its window went is in the settings the program writes as it ends.
TEST_F(FrameTest, ClosingDownTheFrameLetsTheOtherWindowsFinishTheirClosing) {
    shell::RegisterProcedure(shell::kBrowseTree, [] { RunSlowCloser(); });
    const ui::WindowId frame = StartProgram();
    const auto splash = display->WaitForWindow("Splash");
    ASSERT_TRUE(splash);
    ASSERT_TRUE(display->Choose(frame, "?MENU5ITEM16"));  // the splash gives way to it
    ASSERT_TRUE(display->WaitForClose(*splash));
    const auto closer = display->WaitForWindow("SlowCloser");
    ASSERT_TRUE(closer);
    for (const ui::WindowId w : {*closer, frame}) {
        const auto view = display->View(w);
        ASSERT_TRUE(view);
        runtime::Post(view->window.thread, runtime::event::kCloseDown);
        ASSERT_TRUE(display->WaitForClose(w));
    }
    ASSERT_TRUE(Eventually([&] { return exitCode != -1; }));
    EXPECT_EQ(exitCode, 0);
    std::ifstream in(dir / shell::kIniFileName);
    const std::string ini{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(ini.find("[SlowCloser]"), std::string::npos) << ini;
}

struct SplashCase {
    const char* name;
    int action;  // see SplashClosesAndOpensANewQuery
    friend void PrintTo(const SplashCase& c, std::ostream* out) { *out << c.name; }
};

class SplashTest : public FrameTest, public ::testing::WithParamInterface<SplashCase> {};

TEST_P(SplashTest, SplashClosesAndOpensANewQuery) {
    Provide(shell::kNewQuery);
    Provide(shell::kConfigureApplication);
    const ui::WindowId frame = StartProgram();
    const auto splash = display->WaitForWindow("Splash");
    ASSERT_TRUE(splash);
    switch (GetParam().action) {
        case 0:
            clock.Advance(1000);
            break;
        case 1:
            display->Activate(frame);
            break;
        case 2:
            display->PressKey(*splash, ui::key::MouseLeft);
            break;
        case 3:
            display->PressKey(*splash, ui::key::MouseLeft2);
            break;
        case 4:
            display->PressKey(*splash, ui::key::MouseRight);
            break;
        case 5:
            ASSERT_TRUE(display->Choose(frame, "?FILECONFIGURE"));
            ASSERT_TRUE(display->WaitForWindow("ConfigureApplication"));
            break;
    }
    EXPECT_TRUE(display->WaitForClose(*splash));
    EXPECT_TRUE(display->WaitForWindow("NewQuery"));
    EXPECT_EQ(EndProgram(frame), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, SplashTest,
    ::testing::Values(SplashCase{"TenSecondTimer", 0}, SplashCase{"LosingTheFocus", 1},
                      SplashCase{"LeftClick", 2}, SplashCase{"LeftDoubleClick", 3},
                      SplashCase{"RightClick", 4}, SplashCase{"FrameCommand", 5}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(FrameTest, SplashIgnoresOtherKeysBeforeItsTimer) {
    const ui::WindowId frame = StartProgram();
    const auto splash = display->WaitForWindow("Splash");
    ASSERT_TRUE(splash);
    display->PressKey(*splash, ui::key::Enter);
    clock.Advance(999);
    EXPECT_FALSE(display->WaitForClose(*splash, std::chrono::milliseconds(100)));
    clock.Advance(1);
    EXPECT_TRUE(display->WaitForClose(*splash));
    EXPECT_EQ(EndProgram(frame), 0);
}

TEST_F(FrameTest, NavigationButtonsGoToTheActiveWindowsThreadUnlessTheFrameIsActive) {
    Provide(shell::kBrowseTree);
    const ui::WindowId frame = StartProgram();
    const auto splash = display->WaitForWindow("Splash");
    display->CloseBox(*splash);
    display->WaitForClose(*splash);

    ASSERT_TRUE(display->Choose(frame, "?MENU5ITEM16"));
    const auto tree = display->WaitForWindow("BrowseTree");
    ASSERT_TRUE(tree);
    display->Activate(*tree);
    ASSERT_TRUE(display->Press(frame, "?TOOLBAR:BOTTOM"));
    ASSERT_TRUE(Eventually([&] { return !probes.Entries().empty(); }));
    EXPECT_EQ(probes.Entries()[0].thread, display->View(*tree)->window.thread);
    // The frame active: its own handling, nothing posted. Once the frame has handled what came
    // after, and the probe its own button, nothing else may have reached the probe.
    display->Activate(frame);
    ASSERT_TRUE(display->Press(frame, "?TOOLBAR:TOP"));
    SyncWith(frame);
    ASSERT_TRUE(display->Press(*tree, "?PROBE"));
    const int probe = display->ControlOf(*tree, "?PROBE")->feq;
    ASSERT_TRUE(Eventually([&] { return probes.Entries().back().control == probe; }));
    std::vector<int> controls;
    for (const auto& e : probes.Entries()) controls.push_back(e.control);
    EXPECT_EQ(controls, (std::vector<int>{3005, probe}));
    EXPECT_EQ(EndProgram(frame), 0);
}

TEST_F(FrameTest, AboutBoxRunsOnTheFramesThreadAndKeepsTheFrameFromInput) {
    const ui::WindowId frame = StartProgram();
    const auto splash = display->WaitForWindow("Splash");
    display->CloseBox(*splash);
    display->WaitForClose(*splash);

    ASSERT_TRUE(display->Choose(frame, "?HELPABOUT"));
    const auto about = display->WaitForWindow("AboutForm");
    ASSERT_TRUE(about);
    const auto view = display->View(*about);
    EXPECT_EQ(view->window.props.caption, "About Quorel");
    EXPECT_EQ(view->window.thread, display->View(frame)->window.thread);
    EXPECT_EQ(view->window.outer, frame);
    EXPECT_EQ(display->Shown(*about, "?TAB1"), "&1) Main Info");
    EXPECT_EQ(display->ControlOf(*about, "?IMAGE1")->picture, "worm.jpg");
    EXPECT_EQ(display->ControlOf(*about, "?CLOSE")->tip, "Close window");
    // While the about box runs, the frame takes no input and its clock stands still.
    EXPECT_FALSE(display->View(frame)->enabled);
    EXPECT_FALSE(display->Choose(frame, "?HELPABOUT"));
    clock.Advance(300);

    display->PressKey(*about, ui::key::F1);
    EXPECT_TRUE(Eventually([&] {
        const auto last = help->Last();
        return last && last->topic == "About.htm";
    }));
    ASSERT_TRUE(display->Press(*about, "?CLOSE"));
    ASSERT_TRUE(display->WaitForClose(*about));
    EXPECT_TRUE(display->View(frame)->enabled);
    EXPECT_EQ(EndProgram(frame), 0);
}

TEST_F(FrameTest, HelpItemsUseTheFramesHelpObject) {
    const ui::WindowId frame = StartProgram();
    ASSERT_TRUE(display->Choose(frame, "?HELPINDEX"));
    ASSERT_TRUE(display->Choose(frame, "?HELPSEARCH"));
    display->PressKey(frame, ui::key::F1);
    Eventually([&] { return help->Requests().size() >= 3; });
    const auto requests = help->Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].kind, ui::HelpKind::Contents);
    EXPECT_EQ(requests[1].kind, ui::HelpKind::Search);
    EXPECT_EQ(requests[2].kind, ui::HelpKind::Topic);
    EXPECT_EQ(requests[2].topic, "MainFrame.htm");
    // Help on help and the other standard items go to the display.
    ASSERT_TRUE(display->Choose(frame, "?HELPONHELP"));
    SyncWith(frame);
    EXPECT_EQ(EndProgram(frame), 0);
    std::vector<ui::StdAction> actions;
    for (const auto& [window, action] : display->Actions())
        if (window == frame) actions.push_back(action);
    EXPECT_EQ(actions,
              (std::vector<ui::StdAction>{ui::StdAction::HelpOnHelp, ui::StdAction::Tile}));
}

}  // namespace
}  // namespace zem::test
