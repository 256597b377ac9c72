#include "platform/ui/window/headless_display.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/clock.h"
#include "platform/runtime/events.h"
#include "platform/ui/window/input.h"
#include "platform/ui/errors/message_sink.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_test_support.h"

namespace zem::ui {
namespace {

namespace ev = runtime::event;
using namespace std::chrono_literals;
using testing::HeadlessTest;
using testing::LayoutOf;
using testing::Seen;

// A window with one control of each kind the automation acts on. ?STATE counts the events the
// window has handled, so a test knows when its last action has been taken.
constexpr std::string_view kAll = R"({"windows": {"W": {"caption": "All", "controls": [
    {"kind": "string", "use": "?STATE"},
    {"kind": "entry", "use": "?NAME"},
    {"kind": "button", "use": "?GO", "text": "&Go"},
    {"kind": "check", "use": "?ACTIVE"},
    {"kind": "option", "use": "?SIZE", "controls": [
        {"kind": "radio", "use": "?SMALL", "value": "S"},
        {"kind": "radio", "use": "?LARGE", "value": "L"}]},
    {"kind": "list", "use": "?LIST", "columns": [{"header": "A"}, {"header": "B"}]},
    {"kind": "droplist", "use": "?PICK", "columns": [{"header": "C"}]},
    {"kind": "sheet", "use": "?SHEET", "controls": [
        {"kind": "tab", "use": "?TAB1"},
        {"kind": "tab", "use": "?TAB2"}]},
    {"kind": "menubar", "controls": [
        {"kind": "menu", "use": "?FILE", "controls": [
            {"kind": "item", "use": "?OPEN"}]}]},
    {"kind": "option", "use": "?OTHER", "controls": [
        {"kind": "radio", "use": "?LONE", "value": "X"}]}]}}})";

constexpr int kState = 1, kName = 2, kGo = 3, kActive = 4, kSize = 5, kList = 8, kPick = 9,
              kSheet = 10, kOpen = 15;

ListRow Row(std::string a, std::string b = {}) {
    return ListRow{{std::move(a), std::move(b)}, 1};
}

// The events one window is handed, written by its thread and read after Join.
struct Recording {
    runtime::ThreadNo thread = 0;
    std::vector<Seen> seen;
    // A test that stopped early leaves its window waiting: close it so the thread ends.
    ~Recording() {
        runtime::Post(thread, ev::kCloseWindow);
        runtime::Join(thread);
    }
};

// Runs the procedure's window on a thread of its own until a close-window. Screen values and
// selections are noted for the events that carry them.
void StartRecorder(Recording& recording, std::string procedure, WindowLayout layout,
                   std::function<void(Window&)> setup = nullptr) {
    recording.thread =
        runtime::Start([&recording, procedure = std::move(procedure), layout = std::move(layout),
                        setup = std::move(setup)]() mutable {
            Window w;
            w.Load(std::move(layout));
            if (setup) setup(w);
            if (!w.Open(procedure)) return;
            while (w.Accept()) {
                const runtime::Event& e = w.Event();
                Seen s{e.code, e.control, e.key, e.row, e.column};
                if (e.code == ev::kAccepted || e.code == ev::kNewSelection) {
                    s.screen = w.Screen(e.control);
                    s.selected = w.Selected(e.control);
                }
                recording.seen.push_back(std::move(s));
                w.SetText(kState, std::to_string(recording.seen.size()));
                if (e.code == ev::kCloseWindow) break;
            }
        });
    ASSERT_GT(recording.thread, 0);
}

class HeadlessAutomationTest : public HeadlessTest {
  protected:
    // The window of the procedure, once it has handled its open-window.
    WindowId Ready(std::string_view procedure) {
        const std::optional<WindowId> id = display().WaitForWindow(procedure);
        EXPECT_TRUE(id) << procedure << " did not open";
        if (!id) return 0;
        EXPECT_TRUE(Handled(*id, 1));
        return *id;
    }

    bool Handled(WindowId window, std::size_t count) {
        const std::string text = std::to_string(count);
        return display().WaitForControl(window, "?STATE",
                                        [&](const Control& c) { return c.text == text; });
    }
};

struct Step {
    const char* name;
    std::function<bool(HeadlessDisplay&, WindowId)> act;
    std::vector<Seen> events;
};

TEST_F(HeadlessAutomationTest, EachActionSendsTheEventsAUserWould) {
    const std::vector<Step> steps{
        {"Type",
         [](HeadlessDisplay& d, WindowId w) { return d.Type(w, "?NAME", "Ann"); },
         {{ev::kAccepted, kName, 0, 0, 0, "Ann"}}},
        {"Press",
         [](HeadlessDisplay& d, WindowId w) { return d.Press(w, "?go"); },
         {{ev::kAccepted, kGo}}},
        {"Choose",
         [](HeadlessDisplay& d, WindowId w) { return d.Choose(w, "?OPEN"); },
         {{ev::kAccepted, kOpen}}},
        {"PressNumber",
         [](HeadlessDisplay& d, WindowId w) { return d.PressNumber(w, kGo); },
         {{ev::kAccepted, kGo}}},
        {"CheckOn",
         [](HeadlessDisplay& d, WindowId w) { return d.Check(w, "?ACTIVE", true); },
         {{ev::kAccepted, kActive, 0, 0, 0, "1"}}},
        {"CheckOff",
         [](HeadlessDisplay& d, WindowId w) { return d.Check(w, "?ACTIVE", false); },
         {{ev::kAccepted, kActive, 0, 0, 0, "0"}}},
        {"ChooseRadio",
         [](HeadlessDisplay& d, WindowId w) { return d.ChooseRadio(w, "?SIZE", "?LARGE"); },
         {{ev::kNewSelection, kSize, 0, 0, 0, "L"}, {ev::kAccepted, kSize, 0, 0, 0, "L"}}},
        {"ChooseRow",
         [](HeadlessDisplay& d, WindowId w) { return d.ChooseRow(w, "?LIST", 2); },
         {{ev::kNewSelection, kList, 0, 0, 0, "", 2}}},
        {"ChooseDropRow",
         [](HeadlessDisplay& d, WindowId w) { return d.ChooseRow(w, "?PICK", 1); },
         {{ev::kNewSelection, kPick, 0, 0, 0, "", 1}, {ev::kAccepted, kPick, 0, 0, 0, "", 1}}},
        {"ClickCell",
         [](HeadlessDisplay& d, WindowId w) {
             return d.ClickCell(w, "?LIST", 3, 2, key::MouseLeft2);
         },
         {{ev::kAlertKey, kList, key::MouseLeft2, 3, 2},
          {ev::kNewSelection, kList, 0, 3, 2, "", 3}}},
        {"ClickCellNotAlerted",
         [](HeadlessDisplay& d, WindowId w) {
             return d.ClickCell(w, "?LIST", 1, 1, key::MouseLeft);
         },
         {{ev::kNewSelection, kList, 0, 1, 1, "", 1}}},
        {"ClickHeader",
         [](HeadlessDisplay& d, WindowId w) { return d.ClickHeader(w, "?LIST", 2); },
         {{ev::kHeaderPressed, kList, 0, 0, 2}}},
        {"SelectTab",
         [](HeadlessDisplay& d, WindowId w) { return d.SelectTab(w, "?SHEET", 2); },
         {{ev::kNewSelection, kSheet, 0, 0, 0, "", 2}}},
        {"PressKey",
         [](HeadlessDisplay& d, WindowId w) {
             return d.PressKey(w, key::Escape) && d.PressKey(w, key::MouseRight);
         },
         {{ev::kAlertKey, 0, key::MouseRight}}},
        {"PressF1",
         [](HeadlessDisplay& d, WindowId w) { return d.PressKey(w, key::F1); },
         {{ev::kAlertKey, 0, key::F1}}},
    };

    Recording recording;
    StartRecorder(recording, "Everything", LayoutOf(kAll), [](Window& w) {
        w.SetRows(kList, {Row("a"), Row("b"), Row("c")});
        w.SetRows(kPick, {Row("x"), Row("y")});
        w.Alert(key::MouseLeft2);
        w.Alert(key::MouseRight);
    });
    const WindowId w = Ready("Everything");
    ASSERT_NE(w, 0);
    std::vector<Seen> expected{{ev::kOpenWindow}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        ASSERT_TRUE(step.act(display(), w));
        expected.insert(expected.end(), step.events.begin(), step.events.end());
        // One action at a time, so each event finds only its own screen values waiting.
        ASSERT_TRUE(Handled(w, expected.size()));
    }
    ASSERT_TRUE(display().CloseBox(w));
    expected.push_back({ev::kCloseWindow});
    ASSERT_TRUE(display().WaitForClose(w));
    runtime::Join(recording.thread);
    ASSERT_EQ(recording.seen.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(recording.seen[i], expected[i]) << "event " << i;
}

TEST_F(HeadlessAutomationTest, TheMirrorShowsWhatTheUserDid) {
    Recording recording;
    StartRecorder(recording, "Mirror", LayoutOf(kAll), [](Window& w) {
        w.SetRows(kList, {Row("a"), Row("b")});
    });
    const WindowId w = Ready("Mirror");
    ASSERT_TRUE(display().TypeOnly(w, "?NAME", "Bea"));
    ASSERT_TRUE(display().Check(w, "?ACTIVE", true));
    ASSERT_TRUE(display().ChooseRadio(w, "?SIZE", "?SMALL"));
    ASSERT_TRUE(display().ChooseRow(w, "?LIST", 2));
    ASSERT_TRUE(display().SelectTab(w, "?SHEET", 2));
    EXPECT_EQ(display().Shown(w, "?NAME"), "Bea");
    EXPECT_EQ(display().Shown(w, "?ACTIVE"), "1");
    EXPECT_EQ(display().Shown(w, "?SIZE"), "S");
    EXPECT_EQ(display().Shown(w, "?GO"), "&Go");
    EXPECT_EQ(display().ControlOf(w, "?LIST")->selected, 2);
    EXPECT_EQ(display().ControlOf(w, kSheet)->selected, 2);
    EXPECT_EQ(display().ControlOf(w, "?NOWHERE"), std::nullopt);
    EXPECT_EQ(display().Shown(w, "?NOWHERE"), "");
    ASSERT_TRUE(display().CloseBox(w));
    ASSERT_TRUE(display().WaitForClose(w));
}

TEST_F(HeadlessAutomationTest, ActionsTheUserCannotTakeAnswerFalse) {
    Recording recording;
    StartRecorder(recording, "Refusals", LayoutOf(kAll), [](Window& w) {
        w.SetRows(kList, {Row("a"), Row("b")});
    });
    const WindowId w = Ready("Refusals");
    HeadlessDisplay& d = display();
    EXPECT_FALSE(d.Type(w, "?NOWHERE", "x"));
    EXPECT_FALSE(d.ChooseRadio(w, "?SIZE", "?LONE"));  // a radio of another option
    EXPECT_FALSE(d.ChooseRow(w, "?LIST", 0));
    EXPECT_FALSE(d.ChooseRow(w, "?LIST", 3));
    EXPECT_FALSE(d.ClickCell(w, "?LIST", 3, 1, key::MouseLeft));
    EXPECT_FALSE(d.ClickHeader(w, "?LIST", 0));
    EXPECT_FALSE(d.ClickHeader(w, "?LIST", 3));
    EXPECT_FALSE(d.SelectTab(w, "?SHEET", 0));
    EXPECT_FALSE(d.PressNumber(w, 999));
    ASSERT_TRUE(d.CloseBox(w));
    ASSERT_TRUE(d.WaitForClose(w));
    runtime::Join(recording.thread);
    EXPECT_EQ(recording.seen, (std::vector<Seen>{{ev::kOpenWindow}, {ev::kCloseWindow}}));

    // Closed, the window takes nothing.
    EXPECT_FALSE(d.Type(w, "?NAME", "x"));
    EXPECT_FALSE(d.Press(w, "?GO"));
    EXPECT_FALSE(d.PressKey(w, key::F1));
    EXPECT_FALSE(d.CloseBox(w));
    EXPECT_FALSE(d.View(w));
}

TEST_F(HeadlessAutomationTest, WaitsFollowWindowsOnOtherThreads) {
    constexpr runtime::EventCode kGoAhead = 0x7F01;
    const runtime::ThreadNo thread = runtime::Start([] {
        // Opens only when the test says so.
        while (const auto e = runtime::WaitEvent(1h))
            if (e->code == kGoAhead) break;
        Window w;
        w.Load(LayoutOf(kAll));
        if (!w.Open("Late")) return;
        while (w.Accept())
            if (w.Event().code == ev::kCloseWindow) break;
    });
    ASSERT_GT(thread, 0);
    EXPECT_EQ(display().WaitForWindow("Late", 20ms), std::nullopt);
    EXPECT_EQ(display().FindWindow("Late"), std::nullopt);
    ASSERT_TRUE(runtime::Post(thread, kGoAhead));

    const std::optional<WindowId> w = display().WaitForWindow("Late");
    ASSERT_TRUE(w);
    EXPECT_EQ(display().FindWindow("Late"), w);
    EXPECT_TRUE(display().IsOpen(*w));
    EXPECT_EQ(display().View(*w)->window.thread, thread);
    EXPECT_EQ(WindowThread(*w), thread);
    EXPECT_EQ(display().OpenedProcedures(), (std::vector<std::string>{"Late"}));
    EXPECT_FALSE(display().WaitForClose(*w, 20ms));

    ASSERT_TRUE(display().CloseBox(*w));
    EXPECT_TRUE(display().WaitForClose(*w));
    EXPECT_FALSE(display().IsOpen(*w));
    EXPECT_TRUE(display().OpenWindows().empty());
    EXPECT_EQ(display().OpenedProcedures(), (std::vector<std::string>{"Late"}));
    runtime::Join(thread);
    EXPECT_EQ(WindowThread(*w), 0);
}

TEST_F(HeadlessAutomationTest, MessageBoxesTakeQueuedAnswersThenTheirDefault) {
    RouteMessagesToDisplay();
    display().AnswerNext(ButtonNo);
    display().AnswerNext(ButtonCancel);
    WindowId outer = 0, nested = 0;
    std::vector<unsigned> answers;
    const runtime::ThreadNo thread = runtime::Start([&] {
        auto ask = [&] {
            answers.push_back(Message("Save changes?", "Save", Icon::Question,
                                      ButtonYes | ButtonNo | ButtonCancel, ButtonYes));
        };
        Window o;
        o.Load(LayoutOf(kAll));
        if (!o.Open("Outer")) return;
        outer = o.Id();
        ask();
        {
            Window n;
            n.Load(LayoutOf(kAll));
            if (!n.Open("Nested")) return;
            nested = n.Id();
            ask();
        }
        ask();
        o.Close();
        ask();  // modal to no window
    });
    ASSERT_GT(thread, 0);
    const auto fourth = display().WaitForMessage(4);
    runtime::Join(thread);
    ASSERT_TRUE(fourth);

    EXPECT_EQ(answers, (std::vector<unsigned>{ButtonNo, ButtonCancel, ButtonYes, ButtonYes}));
    const std::vector<HeadlessDisplay::MessageRecord> shown = display().Messages();
    ASSERT_EQ(shown.size(), 4u);
    const std::vector<WindowId> modalTo{outer, nested, outer, 0};
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].window, modalTo[i]) << "message " << i;
        EXPECT_EQ(shown[i].answer, answers[i]) << "message " << i;
        EXPECT_EQ(shown[i].request.text, "Save changes?");
        EXPECT_EQ(shown[i].request.caption, "Save");
        EXPECT_EQ(shown[i].request.icon, Icon::Question);
        EXPECT_EQ(shown[i].request.buttons, ButtonYes | ButtonNo | ButtonCancel);
    }
    EXPECT_EQ(fourth->window, 0);
    EXPECT_EQ(display().WaitForMessage(5, 20ms), std::nullopt);
}

TEST_F(HeadlessAutomationTest, ActivateMovesTheFocusBetweenWindows) {
    Recording a, b, c;
    StartRecorder(a, "A", LayoutOf(kAll));
    const WindowId wa = Ready("A");
    StartRecorder(b, "B", LayoutOf(kAll));
    const WindowId wb = Ready("B");
    StartRecorder(c, "C", LayoutOf(kAll));
    const WindowId wc = Ready("C");
    EXPECT_EQ(display().ActiveWindow(), wc);  // the newest window opens active

    display().Activate(wa);
    display().Activate(wa);  // already active: nothing
    EXPECT_EQ(display().ActiveWindow(), wa);
    ASSERT_TRUE(Handled(wa, 2));
    ASSERT_TRUE(Handled(wc, 2));

    // The active window closes: the newest open one becomes active.
    ASSERT_TRUE(display().CloseBox(wa));
    ASSERT_TRUE(display().WaitForClose(wa));
    EXPECT_EQ(display().ActiveWindow(), wc);

    display().Activate(wb);
    ASSERT_TRUE(Handled(wb, 2));
    ASSERT_TRUE(Handled(wc, 3));
    ASSERT_TRUE(display().CloseBox(wc));
    ASSERT_TRUE(display().WaitForClose(wc));
    EXPECT_EQ(display().ActiveWindow(), wb);  // another window closing leaves it active
    ASSERT_TRUE(display().CloseBox(wb));
    ASSERT_TRUE(display().WaitForClose(wb));
    EXPECT_EQ(display().ActiveWindow(), 0);

    for (Recording* r : {&a, &b, &c}) runtime::Join(r->thread);
    EXPECT_EQ(a.seen, (std::vector<Seen>{{ev::kOpenWindow}, {ev::kGainFocus}, {ev::kCloseWindow}}));
    EXPECT_EQ(b.seen, (std::vector<Seen>{{ev::kOpenWindow}, {ev::kGainFocus}, {ev::kCloseWindow}}));
    EXPECT_EQ(c.seen,
              (std::vector<Seen>{
                  {ev::kOpenWindow}, {ev::kLoseFocus}, {ev::kLoseFocus}, {ev::kCloseWindow}}));
}

TEST_F(HeadlessAutomationTest, AWaitingWindowGetsItsTimerWhenTheClockAdvances) {
    runtime::TestClock clock(82527, 4'320'001);
    Recording recording;
    WindowLayout layout = LayoutOf(kAll);
    layout.timer = 100;
    StartRecorder(recording, "Timed", std::move(layout));
    const WindowId w = Ready("Timed");
    clock.Advance(100);
    ASSERT_TRUE(Handled(w, 2));
    ASSERT_TRUE(display().CloseBox(w));
    ASSERT_TRUE(display().WaitForClose(w));
    runtime::Join(recording.thread);
    EXPECT_EQ(recording.seen,
              (std::vector<Seen>{{ev::kOpenWindow}, {ev::kTimer}, {ev::kCloseWindow}}));
}

}  // namespace
}  // namespace zem::ui
