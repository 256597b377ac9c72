#include "platform/ui/window/window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/clock.h"
#include "platform/runtime/timers.h"
#include "platform/ui/window/app_settings.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/window/input.h"
#include "platform/ui/window/window_test_support.h"

namespace zem::ui {
namespace {

namespace ev = runtime::event;
using testing::HeadlessTest;
using testing::LayoutOf;
using testing::RecordingTest;
using testing::RunOnFrameworkThread;
using testing::Seen;

// No framework code: the tests post it behind what they sent, so a window's next events can be
// taken without waiting on one that was dropped.
constexpr runtime::EventCode kMarker = 0x7F00;

constexpr std::string_view kForm = R"({"windows": {"W": {"caption": "Form", "status": [-1, 80],
    "controls": [
        {"kind": "entry", "use": "?NAME"},
        {"kind": "entry", "use": "?CITY"},
        {"kind": "check", "use": "?ACTIVE"},
        {"kind": "group", "use": "?GROUP", "controls": [
            {"kind": "entry", "use": "?INNER"}]},
        {"kind": "button", "use": "?OK"},
        {"kind": "button", "use": "?HIDDEN", "hide": true},
        {"kind": "button", "use": "?OFF", "disable": true},
        {"kind": "list", "use": "?LIST", "columns": [{"header": "Name"}]},
        {"kind": "entry", "use": "?COUNT"}]}}})";

constexpr int kName = 1, kCity = 2, kActive = 3, kGroup = 4, kInner = 5, kOk = 6, kHidden = 7,
              kOff = 8, kList = 9, kCount = 10;

WindowLayout FormWithTimer(runtime::Ticks timer) {
    WindowLayout layout = LayoutOf(kForm);
    layout.timer = timer;
    return layout;
}

Seen SeenBy(const Window& w) {
    const runtime::Event& e = w.Event();
    return Seen{
        e.code, e.control, e.key, e.row, e.column, w.Screen(e.control), w.Selected(e.control)};
}

// Every event the window hands out up to the marker posted now.
std::vector<Seen> TakeAll(Window& w) {
    w.Post(kMarker);
    std::vector<Seen> seen;
    while (w.Accept() && w.Event().code != kMarker) seen.push_back(SeenBy(w));
    return seen;
}

Input Accepted(int control) {
    return Input{control, ev::kAccepted};
}

// --- Opening and closing ---------------------------------------------------------------

using WindowOpenTest = RecordingTest;

TEST_F(WindowOpenTest, OpenRegistersTellsTheDisplayAndPostsOpenWindowFirst) {
    RunOnFrameworkThread([&] {
        Window w;
        w.Load(LayoutOf(kForm));
        w.SetText(kName, "before open");  // changes the model only
        EXPECT_TRUE(display().ControlCalls().empty());
        ASSERT_TRUE(w.Open("UpdateCustomer"));
        ASSERT_NE(w.Id(), 0);
        EXPECT_TRUE(w.IsOpen());
        EXPECT_EQ(WindowThread(w.Id()), runtime::CurrentThread());
        EXPECT_EQ(CurrentWindow(), w.Id());

        const std::vector<WindowSnapshot> opened = display().Opened();
        ASSERT_EQ(opened.size(), 1u);
        const WindowSnapshot& s = opened[0];
        EXPECT_EQ(s.id, w.Id());
        EXPECT_EQ(s.outer, 0);
        EXPECT_EQ(s.thread, runtime::CurrentThread());
        EXPECT_EQ(s.procedure, "UpdateCustomer");
        EXPECT_EQ(s.props.caption, "Form");
        EXPECT_EQ(s.props.charset, DefaultCharset());
        EXPECT_EQ(s.controls, w.Controls());
        EXPECT_EQ(s.controls.at(0).text, "before open");

        ASSERT_TRUE(w.Accept());
        EXPECT_EQ(w.Event().code, ev::kOpenWindow);
        EXPECT_EQ(w.Event().control, 0);
    });
}

// The display lays out the controls for the layout's client size, whatever placement the window
// was given before it opened.
TEST_F(WindowOpenTest, TheDisplayHearsTheLayoutsSizeBesidesThePlacement) {
    RunOnFrameworkThread([&] {
        WindowLayout layout = LayoutOf(kForm);
        layout.props.at = Rect{10, 20, 420, 360};
        Window w;
        w.Load(std::move(layout));
        w.SetPlacement(Rect{40, 50, 900, 700}, false);
        ASSERT_TRUE(w.Open("Sized"));
        const std::vector<WindowSnapshot> opened = display().Opened();
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0].props.at, (Rect{40, 50, 900, 700}));
        EXPECT_EQ(opened[0].layoutWidth, 420);
        EXPECT_EQ(opened[0].layoutHeight, 360);
    });
}

TEST_F(WindowOpenTest, TheFirstEventIsOpenWindowEvenWhenInputComesAtOnce) {
    // The display server reacts on its own thread; this one reacts before Opened returns, which
    // is the same order a quick one produces.
    display().onOpened = [](const WindowSnapshot& s) { SendInput(s.id, Accepted(kOk)); };
    RunOnFrameworkThread([&] {
        Window w;
        w.Load(LayoutOf(kForm));
        ASSERT_TRUE(w.Open("Quick"));
        const std::vector<Seen> seen = TakeAll(w);
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].code, ev::kOpenWindow);
        EXPECT_EQ(seen[1].code, ev::kAccepted);
    });
}

TEST_F(WindowOpenTest, AWindowOpensOnlyOnAFrameworkThread) {
    Window w;
    w.Load(LayoutOf(kForm));
    EXPECT_FALSE(w.Open("NoThread"));
    EXPECT_FALSE(w.IsOpen());
    EXPECT_FALSE(w.Accept());
    EXPECT_TRUE(display().Opened().empty());
}

TEST_F(WindowOpenTest, TheWindowTakesTheProgramsCharsetWhenItsLayoutNamesNone) {
    SetDefaultCharset(128);
    RunOnFrameworkThread([&] {
        Window w;
        w.Load(LayoutOf(kForm));
        ASSERT_TRUE(w.Open("Japanese"));
        EXPECT_EQ(w.Props().charset, 128);
        EXPECT_EQ(display().Opened().at(0).props.charset, 128);
    });
    SetDefaultCharset(0);
}

TEST_F(WindowOpenTest, CloseTellsTheDisplayAndUnregisters) {
    RunOnFrameworkThread([&] {
        WindowId first = 0;
        {
            Window w;
            w.Load(FormWithTimer(25));
            ASSERT_TRUE(w.Open("First"));
            first = w.Id();
            w.Close();
            EXPECT_FALSE(w.IsOpen());
            EXPECT_EQ(display().Closed(), (std::vector<WindowId>{first}));
            EXPECT_FALSE(SendInput(first, Accepted(kOk)));
            EXPECT_FALSE(SetScreenValue(first, kName, "late"));
            EXPECT_EQ(WindowThread(first), 0);
            EXPECT_EQ(CurrentWindow(), 0);
            EXPECT_EQ(runtime::TimerPeriod(), 0);  // the thread's last window leaves no timer
            EXPECT_FALSE(w.Accept());

            w.SetText(kName, "after close");
            w.Close();
            EXPECT_EQ(display().Closed().size(), 1u);
            EXPECT_TRUE(display().ControlCalls().empty());
        }
        WindowId second = 0;
        {
            Window w;  // closed by its destructor
            w.Load(LayoutOf(kForm));
            ASSERT_TRUE(w.Open("Second"));
            second = w.Id();
        }
        EXPECT_GT(second, first);  // ids are never reused
        EXPECT_EQ(display().Closed(), (std::vector<WindowId>{first, second}));
    });
}

// --- Properties -------------------------------------------------------------------------

struct ControlSetter {
    const char* name;
    int feq;
    std::function<void(Window&)> set;
    std::function<bool(const Control&)> shows;
};

TEST_F(WindowOpenTest, ControlSettersReachTheDisplayOnlyWhenSomethingChanged) {
    const std::vector<ListRow> rows{{{"a"}, 1}, {{"b"}, 1}};
    const std::vector<ControlSetter> setters{
        {"SetText", kName, [](Window& w) { w.SetText(kName, "Name:"); },
         [](const Control& c) { return c.text == "Name:"; }},
        {"SetHide", kName, [](Window& w) { w.SetHide(kName, true); },
         [](const Control& c) { return c.hide; }},
        {"SetDisable", kName, [](Window& w) { w.SetDisable(kName, true); },
         [](const Control& c) { return c.disable; }},
        {"SetReadOnly", kName, [](Window& w) { w.SetReadOnly(kName, true); },
         [](const Control& c) { return c.readOnly; }},
        {"SetTip", kName, [](Window& w) { w.SetTip(kName, "tip"); },
         [](const Control& c) { return c.tip == "tip"; }},
        {"SetIcon", kOk, [](Window& w) { w.SetIcon(kOk, "waok.ico"); },
         [](const Control& c) { return c.icon == "waok.ico"; }},
        {"SetScreen", kCity, [](Window& w) { w.SetScreen(kCity, "Leeds"); },
         [](const Control& c) { return c.screen == "Leeds"; }},
        {"SetSkip", kCity, [](Window& w) { w.SetSkip(kCity, true); },
         [](const Control& c) { return c.skip; }},
        {"SetRows", kList, [&](Window& w) { w.SetRows(kList, rows); },
         [&](const Control& c) { return c.rows == rows; }},
        {"SetSelected", kList, [](Window& w) { w.SetSelected(kList, 2); },
         [](const Control& c) { return c.selected == 2; }},
        {"Change", kOk, [](Window& w) { w.Change(kOk, [](Control& c) { c.isDefault = true; }); },
         [](const Control& c) { return c.isDefault; }},
    };
    RunOnFrameworkThread([&] {
        Window w;
        w.Load(LayoutOf(kForm));
        ASSERT_TRUE(w.Open("Setters"));
        for (const ControlSetter& s : setters) {
            SCOPED_TRACE(s.name);
            const std::size_t before = display().ControlCalls().size();
            s.set(w);
            const auto calls = display().ControlCalls();
            ASSERT_EQ(calls.size(), before + 1);
            EXPECT_EQ(calls.back().window, w.Id());
            EXPECT_EQ(calls.back().control.feq, s.feq);
            EXPECT_TRUE(s.shows(calls.back().control));
            EXPECT_TRUE(s.shows(*w.Find(s.feq)));
            s.set(w);  // the same value again shows nothing new
            EXPECT_EQ(display().ControlCalls().size(), before + 1);
        }
        // A control keeps its number and place, and unknown numbers are ignored.
        const std::size_t before = display().ControlCalls().size();
        w.Change(kInner, [](Control& c) {
            c.feq = 99;
            c.parent = 0;
        });
        w.SetText(999, "nobody");
        EXPECT_EQ(display().ControlCalls().size(), before);
        EXPECT_EQ(w.Find(kInner)->parent, kGroup);
        EXPECT_EQ(w.Find(999), nullptr);
    });
}

TEST_F(WindowOpenTest, SettingFewerRowsMovesTheSelectionIntoThem) {
    RunOnFrameworkThread([&] {
        Window w;
        w.Load(LayoutOf(kForm));
        ASSERT_TRUE(w.Open("Rows"));
        w.SetRows(kList, {{{"a"}, 1}, {{"b"}, 1}, {{"c"}, 1}});
        w.SetSelected(kList, 3);
        w.SetRows(kList, {{{"a"}, 1}});
        EXPECT_EQ(w.Selected(kList), 1);
        w.SetRows(kList, {});
        EXPECT_EQ(w.Selected(kList), 0);
        EXPECT_EQ(display().ControlCalls().back().control.selected, 0);
    });
}

struct WindowSetter {
    const char* name;
    std::function<void(Window&)> set;
    std::function<bool(const WindowProps&)> shows;
};

TEST_F(WindowOpenTest, WindowSettersReachTheDisplayOnlyWhenSomethingChanged) {
    const std::vector<WindowSetter> setters{
        {"SetCaption", [](Window& w) { w.SetCaption("Customers"); },
         [](const WindowProps& p) { return p.caption == "Customers"; }},
        {"SetWindowIcon", [](Window& w) { w.SetWindowIcon("genmod.ico"); },
         [](const WindowProps& p) { return p.icon == "genmod.ico"; }},
        {"SetStatus", [](Window& w) { w.SetStatus(1, "Monday"); },
         [](const WindowProps& p) {
             return p.statusTexts == std::vector<std::string>{"", "Monday"};
         }},
        {"SetStatusBeyondTheZones", [](Window& w) { w.SetStatus(3, "far"); },
         [](const WindowProps& p) {
             return p.statusTexts.size() == 4 && p.statusTexts[3] == "far";
         }},
        {"SetPlacement",
         [](Window& w) {
             w.SetPlacement(Rect{10, 20, 300, 200}, true);
         },
         [](const WindowProps& p) {
             return p.at == Rect{10, 20, 300, 200} && p.maximized;
         }},
    };
    RunOnFrameworkThread([&] {
        Window w;
        w.Load(LayoutOf(kForm));
        ASSERT_TRUE(w.Open("Props"));
        for (const WindowSetter& s : setters) {
            SCOPED_TRACE(s.name);
            const std::size_t before = display().WindowCalls().size();
            s.set(w);
            const auto calls = display().WindowCalls();
            ASSERT_EQ(calls.size(), before + 1);
            EXPECT_EQ(calls.back().window, w.Id());
            EXPECT_TRUE(s.shows(calls.back().props));
            EXPECT_TRUE(s.shows(w.Props()));
            s.set(w);
            EXPECT_EQ(display().WindowCalls().size(), before + 1);
        }
        const std::size_t before = display().WindowCalls().size();
        w.SetStatus(-1, "nowhere");
        EXPECT_EQ(display().WindowCalls().size(), before);
    });
}

TEST_F(WindowOpenTest, SelectAndStandardGoToTheDisplayForKnownControlsOfAnOpenWindow) {
    RunOnFrameworkThread([&] {
        Window w;
        w.Load(LayoutOf(kForm));
        w.Select(kName);  // not open yet
        w.Standard(StdAction::Tile);
        ASSERT_TRUE(w.Open("Focus"));
        w.Select(kCity);
        w.Select(999);
        w.Standard(StdAction::Copy);
        EXPECT_EQ(display().Focused(), (std::vector<std::pair<WindowId, int>>{{w.Id(), kCity}}));
        EXPECT_EQ(display().Actions(),
                  (std::vector<std::pair<WindowId, StdAction>>{{w.Id(), StdAction::Copy}}));
    });
}

TEST_F(WindowOpenTest, ControlsAreFoundByUseNameWithoutRegardToCase) {
    Window w;
    w.Load(LayoutOf(kForm));
    EXPECT_EQ(w.Feq("?NAME"), kName);
    EXPECT_EQ(w.Feq("?city"), kCity);
    EXPECT_EQ(w.Feq("?NOWHERE"), 0);
    EXPECT_EQ(w.Feq(""), 0);
    EXPECT_EQ(w.Children(kGroup), (std::vector<int>{kInner}));
    EXPECT_EQ(w.Children(0).size(), 9u);
}

// --- Nested windows on one thread ---------------------------------------------------------

using NestedWindowTest = HeadlessTest;

TEST_F(NestedWindowTest, TheOuterWindowShowsDisabledWhileTheNestedOneRuns) {
    RunOnFrameworkThread([&] {
        Window outer;
        outer.Load(LayoutOf(kForm));
        ASSERT_TRUE(outer.Open("Outer"));
        Window nested;
        nested.Load(LayoutOf(kForm));
        ASSERT_TRUE(nested.Open("Nested"));

        ASSERT_TRUE(display().View(nested.Id()));
        EXPECT_EQ(display().View(nested.Id())->window.outer, outer.Id());
        EXPECT_FALSE(display().View(outer.Id())->enabled);
        EXPECT_TRUE(display().View(nested.Id())->enabled);
        EXPECT_EQ(CurrentWindow(), nested.Id());
        EXPECT_FALSE(display().Type(outer.Id(), "?NAME", "x"));
        EXPECT_FALSE(display().Press(outer.Id(), "?OK"));
        EXPECT_FALSE(display().CloseBox(outer.Id()));
        EXPECT_TRUE(display().Press(nested.Id(), "?OK"));

        nested.Close();
        EXPECT_TRUE(display().View(outer.Id())->enabled);
        EXPECT_EQ(CurrentWindow(), outer.Id());
        EXPECT_TRUE(display().Press(outer.Id(), "?OK"));
    });
}

TEST_F(NestedWindowTest, TheOuterWindowGetsItsTimerBackWhenTheNestedOneCloses) {
    RunOnFrameworkThread([&] {
        Window outer;
        outer.Load(FormWithTimer(50));
        ASSERT_TRUE(outer.Open("Outer"));
        EXPECT_EQ(outer.Timer(), 50);
        outer.SetTimer(70);  // changed while it runs: that is what comes back
        {
            Window nested;
            nested.Load(FormWithTimer(20));
            ASSERT_TRUE(nested.Open("Nested"));
            EXPECT_EQ(runtime::TimerPeriod(), 20);
            EXPECT_EQ(nested.LayoutTimer(), 20);
        }
        EXPECT_EQ(runtime::TimerPeriod(), 70);
        {
            Window untimed;
            untimed.Load(FormWithTimer(0));
            ASSERT_TRUE(untimed.Open("Untimed"));
            EXPECT_EQ(runtime::TimerPeriod(), 0);
        }
        EXPECT_EQ(runtime::TimerPeriod(), 70);
        outer.Close();
        EXPECT_EQ(runtime::TimerPeriod(), 0);
    });
}

TEST_F(NestedWindowTest, InputForTheOuterWindowIsDroppedWhileTheNestedOneRuns) {
    RunOnFrameworkThread([&] {
        Window outer;
        outer.Load(LayoutOf(kForm));
        ASSERT_TRUE(outer.Open("Outer"));
        ASSERT_TRUE(outer.Accept());  // its open-window
        Window nested;
        nested.Load(LayoutOf(kForm));
        ASSERT_TRUE(nested.Open("Nested"));

        // Sent before the display knew the outer window was covered.
        EXPECT_TRUE(SendInput(outer.Id(), Accepted(kOk)));
        EXPECT_TRUE(SendInput(nested.Id(), Accepted(kCity)));
        EXPECT_TRUE(SendInput(outer.Id(), Input{0, ev::kCloseWindow}));
        EXPECT_EQ(TakeAll(nested), (std::vector<Seen>{{ev::kOpenWindow}, {ev::kAccepted, kCity}}));
        nested.Close();

        EXPECT_TRUE(SendInput(outer.Id(), Accepted(kName)));
        EXPECT_EQ(TakeAll(outer), (std::vector<Seen>{{ev::kAccepted, kName}}));
    });
}

TEST_F(NestedWindowTest, EachWindowGetsItsOwnOpenWindowEvent) {
    RunOnFrameworkThread([&] {
        Window outer;
        outer.Load(LayoutOf(kForm));
        ASSERT_TRUE(outer.Open("Frame"));
        Window nested;  // a splash the frame opens before its loop
        nested.Load(LayoutOf(kForm));
        ASSERT_TRUE(nested.Open("Splash"));
        EXPECT_EQ(TakeAll(nested), (std::vector<Seen>{{ev::kOpenWindow}}));
        nested.Close();
        EXPECT_EQ(TakeAll(outer), (std::vector<Seen>{{ev::kOpenWindow}}));
    });
}

// --- Accept -------------------------------------------------------------------------------

using AcceptTest = HeadlessTest;

TEST_F(AcceptTest, AlertKeyEventsComeOnlyForAlertedKeysAndF1) {
    struct KeyCase {
        int key;
        bool alerted;
        int control;
    };
    const std::vector<KeyCase> cases{
        {key::MouseRight, true, 0},     {key::MouseLeft, false, 0},  {key::Enter, true, 0},
        {key::Escape, false, 0},        {key::F1, false, 0},         {key::CtrlH, false, 0},
        {key::MouseLeft2, true, kList}, {key::Escape, false, kList},
    };
    RunOnFrameworkThread([&] {
        Window w;
        w.Load(LayoutOf(kForm));
        for (const KeyCase& c : cases)
            if (c.alerted) w.Alert(c.key);
        ASSERT_TRUE(w.Open("Keys"));
        ASSERT_TRUE(w.Accept());
        std::vector<Seen> expected;
        for (const KeyCase& c : cases) {
            Input press{c.control, ev::kAlertKey};
            press.key = c.key;
            ASSERT_TRUE(SendInput(w.Id(), press));
            if (c.alerted || c.key == key::F1)
                expected.push_back({ev::kAlertKey, c.control, c.key});
        }
        EXPECT_TRUE(w.Alerted(key::Enter));
        EXPECT_FALSE(w.Alerted(key::Escape));
        EXPECT_EQ(TakeAll(w), expected);
    });
}

TEST_F(AcceptTest, InputForADisabledOrHiddenControlDoesNotArrive) {
    RunOnFrameworkThread([&] {
        Window w;
        w.Load(LayoutOf(kForm));
        ASSERT_TRUE(w.Open("Controls"));
        ASSERT_TRUE(w.Accept());
        w.SetDisable(kName, true);
        w.SetHide(kCity, true);
        for (int feq : {kHidden, kOff, kName, kCity, 999})
            EXPECT_TRUE(SendInput(w.Id(), Accepted(feq))) << feq;
        EXPECT_TRUE(SendInput(w.Id(), Accepted(kOk)));
        EXPECT_EQ(TakeAll(w), (std::vector<Seen>{{ev::kAccepted, kOk}}));

        // Enabled and shown again, they take input; the procedure's own events pass regardless.
        w.SetDisable(kName, false);
        w.SetHide(kCity, false);
        EXPECT_TRUE(SendInput(w.Id(), Accepted(kName)));
        EXPECT_TRUE(SendInput(w.Id(), Accepted(kCity)));
        w.Post(ev::kAccepted, kOff);
        EXPECT_EQ(TakeAll(w),
                  (std::vector<Seen>{
                      {ev::kAccepted, kName}, {ev::kAccepted, kCity}, {ev::kAccepted, kOff}}));
    });
}

TEST_F(AcceptTest, TheHeadlessDisplayRefusesControlsTheUserCannotReach) {
    struct Reach {
        const char* name;
        std::function<void(Window&)> before;
        const char* use;
    };
    const std::vector<Reach> cases{
        {"hidden", nullptr, "?HIDDEN"},
        {"disabled", nullptr, "?OFF"},
        {"missing", nullptr, "?NOWHERE"},
        {"in a disabled group", [](Window& w) { w.SetDisable(kGroup, true); }, "?INNER"},
        {"in a hidden group", [](Window& w) { w.SetHide(kGroup, true); }, "?INNER"},
        {"read-only", [](Window& w) { w.SetReadOnly(kName, true); }, "?NAME"},
    };
    for (const Reach& c : cases) {
        SCOPED_TRACE(c.name);
        RunOnFrameworkThread([&] {
            Window w;
            w.Load(LayoutOf(kForm));
            ASSERT_TRUE(w.Open("Reach"));
            if (c.before) c.before(w);
            EXPECT_FALSE(display().Type(w.Id(), c.use, "typed"));
            EXPECT_FALSE(display().TypeOnly(w.Id(), c.use, "typed"));
            if (std::string_view(c.use) != "?NAME") {
                EXPECT_FALSE(display().Press(w.Id(), c.use));
            }
            EXPECT_EQ(TakeAll(w), (std::vector<Seen>{{ev::kOpenWindow}}));
        });
    }
}

TEST_F(AcceptTest, YieldKeepsWhatArrivesDuringACommandForAfterIt) {
    RunOnFrameworkThread([&] {
        Window w;
        w.Load(LayoutOf(kForm));
        ASSERT_TRUE(w.Open("Yield"));
        ASSERT_TRUE(w.Accept());
        ASSERT_TRUE(display().Press(w.Id(), "?OK"));
        ASSERT_TRUE(w.Accept());
        ASSERT_EQ(w.Event().control, kOk);

        // The command runs; the user types and clicks meanwhile.
        ASSERT_TRUE(display().Type(w.Id(), "?NAME", "Ann"));
        ASSERT_TRUE(display().Press(w.Id(), "?LIST"));
        w.Yield();
        EXPECT_EQ(w.Event().control, kOk);  // the command's own event stays
        EXPECT_EQ(w.Screen(kName), "");     // taken in when its event is handed out
        ASSERT_TRUE(display().Type(w.Id(), "?CITY", "Leeds"));
        w.Yield();

        EXPECT_EQ(TakeAll(w), (std::vector<Seen>{{ev::kAccepted, kName, 0, 0, 0, "Ann"},
                                                 {ev::kAccepted, kList},
                                                 {ev::kAccepted, kCity, 0, 0, 0, "Leeds"}}));
    });
}

TEST_F(AcceptTest, ScreenValuesAndPlacementComeInWithTheNextEvent) {
    RunOnFrameworkThread([&] {
        Window w;
        w.Load(LayoutOf(kForm));
        ASSERT_TRUE(w.Open("Screen"));
        ASSERT_TRUE(w.Accept());
        ASSERT_TRUE(SetScreenValue(w.Id(), kCity, "York"));
        ASSERT_TRUE(SetScreenSelection(w.Id(), kList, 4));
        ASSERT_TRUE(ReportPlacement(w.Id(), Rect{5, 6, 70, 80}, true));
        EXPECT_EQ(w.Screen(kCity), "");
        TakeAll(w);
        EXPECT_EQ(w.Screen(kCity), "York");
        EXPECT_EQ(w.Selected(kList), 4);
        EXPECT_EQ(w.Props().at, (Rect{5, 6, 70, 80}));
        EXPECT_TRUE(w.Props().maximized);
    });
}

TEST_F(AcceptTest, WaitCursorAndYieldActOnTheInnermostWindow) {
    InstallWindowBusyHooks();
    RunOnFrameworkThread([&] {
        Window outer;
        outer.Load(LayoutOf(kForm));
        ASSERT_TRUE(outer.Open("Outer"));
        ASSERT_TRUE(outer.Accept());
        Window nested;
        nested.Load(LayoutOf(kForm));
        ASSERT_TRUE(nested.Open("Nested"));
        {
            const WaitCursor wait;
            EXPECT_TRUE(display().View(nested.Id())->busy);
            EXPECT_FALSE(display().View(outer.Id())->busy);
            ASSERT_TRUE(display().Press(nested.Id(), "?OK"));
            YieldToEvents();
        }
        EXPECT_FALSE(display().View(nested.Id())->busy);
        // The yield kept the open-window and the press for the nested window's loop.
        EXPECT_TRUE(runtime::TakeEvent() == std::nullopt);
        EXPECT_EQ(TakeAll(nested), (std::vector<Seen>{{ev::kOpenWindow}, {ev::kAccepted, kOk}}));
    });
}

// --- Fields -------------------------------------------------------------------------------

#pragma pack(push, 1)
struct Customer {
    char name[8];
    char guard = '#';
    char city[6];
    unsigned char active = 0;
    std::int32_t count = 0;
};
#pragma pack(pop)

class BoundWindowTest : public HeadlessTest {
  protected:
    BoundWindowTest() {
        std::memcpy(record_.name, "Bob     ", sizeof record_.name);
        std::memcpy(record_.city, "Hull\0\0", sizeof record_.city);
        record_.count = 1250;
    }

    void Bind(Window& w) {
        w.Load(LayoutOf(kForm));
        w.Bind(kName, StringField(record_.name, sizeof record_.name));
        w.Bind(kCity, CStringField(record_.city, sizeof record_.city));
        w.Bind(kActive, SwitchField(&record_.active));
        w.Bind(kCount, NumberField<std::int32_t>(&record_.count, "n-7"));
    }

    std::string Name() const { return std::string(record_.name, sizeof record_.name); }

    Customer record_;
};

TEST_F(BoundWindowTest, TheWindowOpensShowingItsFields) {
    RunOnFrameworkThread([&] {
        Window w;
        Bind(w);
        ASSERT_TRUE(w.Open("Bound"));
        EXPECT_EQ(display().Shown(w.Id(), "?NAME"), "Bob");
        EXPECT_EQ(display().Shown(w.Id(), "?CITY"), "Hull");
        EXPECT_EQ(display().Shown(w.Id(), "?ACTIVE"), "0");
        EXPECT_EQ(display().Shown(w.Id(), "?COUNT"), "1,250");
    });
}

TEST_F(BoundWindowTest, AnAcceptedEntryPutsTheTypedValueIntoItsField) {
    RunOnFrameworkThread([&] {
        Window w;
        Bind(w);
        ASSERT_TRUE(w.Open("Bound"));
        ASSERT_TRUE(w.Accept());
        ASSERT_TRUE(display().Type(w.Id(), "?NAME", "Alexandra"));
        ASSERT_TRUE(display().Check(w.Id(), "?ACTIVE", true));
        ASSERT_TRUE(display().Type(w.Id(), "?COUNT", "abc"));
        ASSERT_TRUE(display().Type(w.Id(), "?CITY", "Scarborough"));
        EXPECT_EQ(Name(), "Bob     ");  // nothing moves before the window takes the event

        ASSERT_TRUE(w.Accept());
        EXPECT_EQ(Name(), "Alexandr");
        EXPECT_EQ(record_.guard, '#');
        ASSERT_TRUE(w.Accept());
        EXPECT_EQ(record_.active, 1);
        // "abc" is no number: the entry is refused and its event never handed out.
        ASSERT_TRUE(w.Accept());
        EXPECT_EQ(w.Event().control, kCity);
        EXPECT_EQ(record_.count, 1250);
        EXPECT_EQ(std::string(record_.city, 6), std::string("Scarb\0", 6));
        EXPECT_EQ(record_.active, 1);  // the next field in the record is untouched
    });
}

TEST_F(BoundWindowTest, AnEntryRefusesWhatItsPictureCantReadAndKeepsTheFocus) {
    RunOnFrameworkThread([&] {
        RouteMessagesToDisplay();
        Window w;
        Bind(w);
        ASSERT_TRUE(w.Open("Bound"));
        ASSERT_TRUE(w.Accept());  // the window's opening
        for (const char* typed : {"abc", "12x", "1-2"}) {
            SCOPED_TRACE(typed);
            const std::size_t before = display().Messages().size();
            ASSERT_TRUE(display().Type(w.Id(), "?COUNT", typed));
            ASSERT_TRUE(display().Type(w.Id(), "?CITY", "York"));
            ASSERT_TRUE(w.Accept());
            EXPECT_EQ(w.Event().control, kCity);
            EXPECT_EQ(record_.count, 1250);
            EXPECT_EQ(display().Shown(w.Id(), "?COUNT"), "1,250");
            const auto messages = display().Messages();
            ASSERT_EQ(messages.size(), before + 1);
            EXPECT_EQ(messages.back().request.caption, "Invalid Entry");
            EXPECT_NE(messages.back().request.text.find(std::string("\"") + typed + "\""),
                      std::string::npos);
            EXPECT_EQ(display().OpenWindows().back().focus, kCount);
        }
        // What the picture reads is taken.
        ASSERT_TRUE(display().Type(w.Id(), "?COUNT", "-42"));
        ASSERT_TRUE(w.Accept());
        EXPECT_EQ(record_.count, -42);
    });
}

TEST_F(BoundWindowTest, UpdateTakesTheScreenValuesThatCameWithoutEvents) {
    RunOnFrameworkThread([&] {
        Window w;
        Bind(w);
        ASSERT_TRUE(w.Open("Bound"));
        ASSERT_TRUE(display().TypeOnly(w.Id(), "?NAME", "Carol"));
        ASSERT_TRUE(display().TypeOnly(w.Id(), "?COUNT", "-12"));
        w.Update(kCount);
        EXPECT_EQ(record_.count, -12);
        EXPECT_EQ(Name(), "Bob     ");
        w.Update();
        EXPECT_EQ(Name(), "Carol   ");
        EXPECT_EQ(record_.active, 0);
    });
}

TEST_F(BoundWindowTest, DisplayFieldsShowsWhatTheFieldsHoldNow) {
    RunOnFrameworkThread([&] {
        Window w;
        Bind(w);
        ASSERT_TRUE(w.Open("Bound"));
        std::memcpy(record_.name, "Dave    ", sizeof record_.name);
        record_.active = 1;
        record_.count = 7;
        w.DisplayFields(kActive);
        EXPECT_EQ(display().Shown(w.Id(), "?ACTIVE"), "1");
        EXPECT_EQ(display().Shown(w.Id(), "?NAME"), "Bob");
        w.DisplayFields();
        EXPECT_EQ(w.Screen(kName), "Dave");
        EXPECT_EQ(display().Shown(w.Id(), "?NAME"), "Dave");
        EXPECT_EQ(display().Shown(w.Id(), "?COUNT"), "7");
        // What the procedure shows wins over older typing the window has not taken in yet.
        ASSERT_TRUE(display().TypeOnly(w.Id(), "?CITY", "typed"));
        std::memcpy(record_.city, "Ely\0\0\0", sizeof record_.city);
        w.DisplayFields(kCity);
        w.Update();
        EXPECT_EQ(w.Screen(kCity), "Ely");
        EXPECT_EQ(std::string(record_.city, 6), std::string("Ely\0\0\0", 6));
    });
}

// --- The thread's timer -------------------------------------------------------------------

using WindowTimerTest = HeadlessTest;

TEST_F(WindowTimerTest, TheLayoutsTimerFiresAsTheClockAdvances) {
    runtime::TestClock clock(82527, 4'320'001);
    RunOnFrameworkThread([&] {
        Window w;
        w.Load(FormWithTimer(100));
        ASSERT_TRUE(w.Open("Timed"));
        EXPECT_EQ(w.Timer(), 100);
        EXPECT_EQ(TakeAll(w), (std::vector<Seen>{{ev::kOpenWindow}}));
        clock.Advance(99);
        EXPECT_EQ(TakeAll(w), (std::vector<Seen>{}));
        clock.Advance(1);
        ASSERT_TRUE(w.Accept());
        EXPECT_EQ(w.Event().code, ev::kTimer);
        // However long the thread was busy, one timer event waits.
        clock.Advance(1000);
        ASSERT_TRUE(w.Accept());
        EXPECT_EQ(w.Event().code, ev::kTimer);
        EXPECT_EQ(TakeAll(w), (std::vector<Seen>{}));
        w.SetTimer(0);
        clock.Advance(1000);
        EXPECT_EQ(TakeAll(w), (std::vector<Seen>{}));
    });
}

}  // namespace
}  // namespace zem::ui
