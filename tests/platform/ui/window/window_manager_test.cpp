#include "platform/ui/window/window_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/requests.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/window/input.h"
#include "platform/ui/window/window_test_support.h"

namespace zem::ui {
namespace {

namespace ev = runtime::event;
namespace response = runtime::response;
using testing::HeadlessTest;
using testing::LayoutOf;
using testing::RunOnFrameworkThread;

constexpr std::string_view kDialog = R"({"windows": {"W": {"caption": "Dialog", "controls": [
    {"kind": "entry", "use": "?NAME"},
    {"kind": "button", "use": "?OK", "default": true},
    {"kind": "button", "use": "?CANCEL"},
    {"kind": "button", "use": "?STOP"},
    {"kind": "button", "use": "?SLOW"},
    {"kind": "button", "use": "?OTHER"},
    {"kind": "button", "use": "?HELP", "std": "helpindex"},
    {"kind": "menubar", "controls": [
        {"kind": "menu", "use": "?EDIT", "controls": [
            {"kind": "item", "use": "?EXIT", "std": "close"},
            {"kind": "item", "use": "?CUT", "std": "cut"},
            {"kind": "item", "use": "?COPY", "std": "copy"},
            {"kind": "item", "use": "?PASTE", "std": "paste"},
            {"kind": "item", "use": "?TILE", "std": "tile"},
            {"kind": "item", "use": "?CASCADE", "std": "cascade"},
            {"kind": "item", "use": "?ARRANGE", "std": "arrange"},
            {"kind": "item", "use": "?PRINTSETUP", "std": "printsetup"},
            {"kind": "item", "use": "?SEARCH", "std": "helpsearch"},
            {"kind": "item", "use": "?HOWTO", "std": "helponhelp"}]}]}]}}})";

// A procedure whose Init opens the dialog and then acts as the user would from the window's own
// thread, so the whole loop runs on one thread. Every step it takes is traced.
class Dialog : public WindowManager {
  public:
    using Script = std::function<void(HeadlessDisplay&, WindowId)>;

    Dialog(HeadlessDisplay& display, Script script)
        : display_(display), script_(std::move(script)) {}

    Level Init() override {
        trace.push_back("Init");
        const Level level = WindowManager::Init();
        window_.Load(LayoutOf(kDialog));
        if (!window_.Open("Dialog")) return Fatal;
        id = window_.Id();
        OkControl = window_.Feq("?OK");
        CancelControl = window_.Feq("?CANCEL");
        if (script_) script_(display_, id);
        return initAnswer.value_or(level);
    }
    void Ask() override {
        trace.push_back("Ask");
        WindowManager::Ask();
    }
    Level Kill() override {
        trace.push_back("Kill");
        return WindowManager::Kill();
    }
    Level TakeEvent() override {
        handled.push_back(Event());
        openWhenHandled.push_back(window_.IsOpen());
        return WindowManager::TakeEvent();
    }
    Level TakeAccepted() override {
        trace.push_back("Accepted " + Use());
        if (Field() == window_.Feq("?STOP")) return Fatal;
        if (onAccepted) {
            if (const std::optional<Level> answer = onAccepted(*this)) return *answer;
        }
        return WindowManager::TakeAccepted();
    }
    Level TakeNewSelection() override {
        trace.push_back("NewSelection " + Use());
        return WindowManager::TakeNewSelection();
    }
    Level TakeSelected() override {
        trace.push_back("Selected " + Use());
        return WindowManager::TakeSelected();
    }
    Level TakeFieldEvent() override {
        trace.push_back("FieldEvent " + Use());
        return WindowManager::TakeFieldEvent();
    }
    Level TakeWindowEvent() override {
        trace.push_back("WindowEvent");
        return WindowManager::TakeWindowEvent();
    }
    Level TakeCloseEvent() override {
        trace.push_back("CloseEvent");
        if (closeRefusals > 0) {
            --closeRefusals;
            return Notify;
        }
        return WindowManager::TakeCloseEvent();
    }
    void TakeHelp() override { trace.push_back("Help"); }

    std::string Use() const {
        const Control* c = window_.Find(Field());
        return c ? c->use : std::to_string(Field());
    }
    std::vector<std::string> TraceOf(std::string_view prefix) const {
        std::vector<std::string> matching;
        for (const std::string& t : trace)
            if (t.starts_with(prefix)) matching.push_back(t);
        return matching;
    }

    std::optional<Level> initAnswer;
    int closeRefusals = 0;
    std::function<std::optional<Level>(Dialog&)> onAccepted;

    WindowId id = 0;
    std::vector<std::string> trace;
    std::vector<runtime::Event> handled;
    std::vector<bool> openWhenHandled;

  private:
    HeadlessDisplay& display_;
    Script script_;
};

using WindowManagerTest = HeadlessTest;

struct Ending {
    const char* name;
    Dialog::Script script;
    int response;
};

TEST_F(WindowManagerTest, RunInitialisesAsksKillsAndLeavesTheResponse) {
    const std::vector<Ending> endings{
        {"OkCompletes", [](HeadlessDisplay& d, WindowId w) { d.Press(w, "?OK"); },
         response::kCompleted},
        {"CancelCancels", [](HeadlessDisplay& d, WindowId w) { d.Press(w, "?CANCEL"); },
         response::kCancelled},
        {"CloseBoxCancels", [](HeadlessDisplay& d, WindowId w) { d.CloseBox(w); },
         response::kCancelled},
        {"CloseItemCancels", [](HeadlessDisplay& d, WindowId w) { d.Choose(w, "?EXIT"); },
         response::kCancelled},
        {"CloseDownCancels",
         [](HeadlessDisplay&, WindowId w) {
             SendInput(w, {0, ev::kCloseDown});
         },
         response::kCancelled},
        {"OkAfterTyping",
         [](HeadlessDisplay& d, WindowId w) {
             d.Type(w, "?NAME", "x");
             d.Press(w, "?OTHER");
             d.Press(w, "?OK");
         },
         response::kCompleted},
    };
    for (const Ending& e : endings) {
        SCOPED_TRACE(e.name);
        RunOnFrameworkThread([&] {
            runtime::SetGlobalResponse(99);
            Dialog dialog(display(), e.script);
            EXPECT_EQ(dialog.Run(), e.response);
            EXPECT_EQ(dialog.Response, e.response);
            EXPECT_EQ(runtime::GlobalResponse(), e.response);
            EXPECT_EQ(dialog.TraceOf("Init").size(), 1u);
            EXPECT_EQ(dialog.trace.front(), "Init");
            EXPECT_EQ(dialog.trace.at(1), "Ask");
            EXPECT_EQ(dialog.trace.back(), "Kill");
            EXPECT_FALSE(dialog.ThisWindow().IsOpen());
            EXPECT_FALSE(display().IsOpen(dialog.id));
            ASSERT_FALSE(dialog.handled.empty());
            EXPECT_EQ(dialog.handled.front().code, ev::kOpenWindow);
            EXPECT_TRUE(dialog.handled.back().code == ev::kCloseWindow ||
                        dialog.handled.back().code == ev::kCloseDown);
        });
    }
}

TEST_F(WindowManagerTest, InitTakesTheRequestAndAnInitThatRefusesSkipsTheLoop) {
    RunOnFrameworkThread([&] {
        runtime::SetGlobalRequest(runtime::request::kChange);
        runtime::SetGlobalResponse(99);
        Dialog dialog(display(), nullptr);
        dialog.initAnswer = Notify;
        EXPECT_EQ(dialog.Run(), response::kNone);
        EXPECT_EQ(dialog.Request, runtime::request::kChange);
        EXPECT_EQ(runtime::GlobalResponse(), response::kNone);
        EXPECT_EQ(dialog.trace, (std::vector<std::string>{"Init", "Kill"}));
        EXPECT_FALSE(display().IsOpen(dialog.id));
        EXPECT_EQ(dialog.Kill(), Fatal);  // it has run once already
    });
}

TEST_F(WindowManagerTest, EventsAreSortedToTheirHandlers) {
    RunOnFrameworkThread([&] {
        Dialog dialog(display(), [](HeadlessDisplay& d, WindowId w) {
            const int name = 1;
            SendInput(w, {name, ev::kNewSelection});
            SendInput(w, {name, ev::kSelected});
            SendInput(w, {name, ev::kPointerIn});
            d.Type(w, "?NAME", "typed");
            d.Press(w, "?OTHER");
            d.Activate(w);  // already active: nothing
            SendInput(w, {0, ev::kLoseFocus});
            d.CloseBox(w);
        });
        // A handler that answers Notify keeps the field event from running.
        dialog.onAccepted = [](Dialog& d) -> std::optional<Level> {
            if (d.Use() == "?OTHER") return Notify;
            return std::nullopt;
        };
        dialog.Run();
        EXPECT_EQ(dialog.trace,
                  (std::vector<std::string>{"Init", "Ask", "WindowEvent", "NewSelection ?NAME",
                                            "FieldEvent ?NAME", "Selected ?NAME",
                                            "FieldEvent ?NAME", "FieldEvent ?NAME",
                                            "Accepted ?NAME", "FieldEvent ?NAME", "Accepted ?OTHER",
                                            "WindowEvent", "WindowEvent", "CloseEvent", "Kill"}));
    });
}

TEST_F(WindowManagerTest, NotifyFromTheCloseEventKeepsTheWindowOpen) {
    RunOnFrameworkThread([&] {
        Dialog dialog(display(), [](HeadlessDisplay& d, WindowId w) {
            d.CloseBox(w);
            d.Press(w, "?OTHER");
            d.Press(w, "?OK");
        });
        dialog.closeRefusals = 1;
        EXPECT_EQ(dialog.Run(), response::kCompleted);
        EXPECT_EQ(dialog.TraceOf("CloseEvent").size(), 2u);  // the refused one and OK's
        EXPECT_EQ(dialog.TraceOf("Accepted"),
                  (std::vector<std::string>{"Accepted ?OTHER", "Accepted ?OK"}));
        ASSERT_EQ(dialog.openWhenHandled.size(), 5u);
        for (bool open : dialog.openWhenHandled) EXPECT_TRUE(open);
    });
}

TEST_F(WindowManagerTest, AFatalAnswerEndsTheLoop) {
    RunOnFrameworkThread([&] {
        Dialog dialog(display(), [](HeadlessDisplay& d, WindowId w) {
            d.Press(w, "?STOP");
            d.Press(w, "?OK");
        });
        EXPECT_EQ(dialog.Run(), response::kNone);
        EXPECT_EQ(dialog.TraceOf("Accepted"), (std::vector<std::string>{"Accepted ?STOP"}));
        EXPECT_EQ(dialog.trace.back(), "Kill");
        EXPECT_FALSE(display().IsOpen(dialog.id));
    });
}

TEST_F(WindowManagerTest, StandardActionsGoToTheDisplayAndHelpToTakeHelp) {
    RunOnFrameworkThread([&] {
        Dialog dialog(display(), [](HeadlessDisplay& d, WindowId w) {
            for (const char* use : {"?CUT", "?COPY", "?PASTE", "?TILE", "?CASCADE", "?ARRANGE",
                                    "?PRINTSETUP", "?HOWTO", "?SEARCH"})
                d.Choose(w, use);
            d.Press(w, "?HELP");
            d.PressKey(w, key::F1);
            d.PressKey(w, key::Escape);  // not alerted: dropped
            d.Choose(w, "?EXIT");
        });
        EXPECT_EQ(dialog.Run(), response::kCancelled);
        const WindowId w = dialog.id;
        EXPECT_EQ(display().Actions(), (std::vector<std::pair<WindowId, StdAction>>{
                                           {w, StdAction::Cut},
                                           {w, StdAction::Copy},
                                           {w, StdAction::Paste},
                                           {w, StdAction::Tile},
                                           {w, StdAction::Cascade},
                                           {w, StdAction::Arrange},
                                           {w, StdAction::PrintSetup},
                                           {w, StdAction::HelpOnHelp},
                                       }));
        // The search item, the help button and F1.
        EXPECT_EQ(dialog.TraceOf("Help").size(), 3u);
        EXPECT_FALSE(display().IsOpen(w));
    });
}

TEST_F(WindowManagerTest, AnAlertedF1IsTheProceduresOwnKey) {
    RunOnFrameworkThread([&] {
        Dialog dialog(display(), [](HeadlessDisplay& d, WindowId w) {
            d.PressKey(w, key::F1);
            d.CloseBox(w);
        });
        dialog.ThisWindow().Alert(key::F1);
        dialog.Run();
        EXPECT_TRUE(dialog.TraceOf("Help").empty());
        EXPECT_EQ(dialog.TraceOf("WindowEvent").size(), 3u);  // open, F1, close
    });
}

TEST_F(WindowManagerTest, ACommandThatYieldsIsNeverEnteredAgain) {
    InstallWindowBusyHooks();
    RunOnFrameworkThread([&] {
        int depth = 0;
        int deepest = 0;
        bool first = true;
        Dialog dialog(display(), [](HeadlessDisplay& d, WindowId w) { d.Press(w, "?SLOW"); });
        dialog.onAccepted = [&](Dialog& d) -> std::optional<Level> {
            if (d.Use() != "?SLOW") return std::nullopt;
            deepest = std::max(deepest, ++depth);
            if (std::exchange(first, false)) {
                // The user clicks again while the command runs, then closes the window.
                display().Press(d.id, "?SLOW");
                display().Press(d.id, "?OTHER");
                YieldToEvents();
                display().CloseBox(d.id);
            }
            --depth;
            return Benign;
        };
        EXPECT_EQ(dialog.Run(), response::kCancelled);
        EXPECT_EQ(deepest, 1);
        EXPECT_EQ(
            dialog.TraceOf("Accepted"),
            (std::vector<std::string>{"Accepted ?SLOW", "Accepted ?SLOW", "Accepted ?OTHER"}));
    });
}

TEST_F(WindowManagerTest, ResetShowsTheBoundFieldsAgain) {
    RunOnFrameworkThread([&] {
        std::string name = "Eve";
        Dialog dialog(display(), [&](HeadlessDisplay& d, WindowId w) {
            EXPECT_EQ(d.Shown(w, "?NAME"), "Eve");
            name = "Frank";
            d.CloseBox(w);
        });
        dialog.ThisWindow().Bind(1, VariableField(&name));
        // The steps of Run one by one, with a Reset before the loop as a form starting over does.
        ASSERT_EQ(dialog.Init(), Benign);
        dialog.Reset();
        EXPECT_EQ(display().Shown(dialog.id, "?NAME"), "Frank");
        dialog.Ask();
        dialog.Kill();
    });
}

TEST_F(WindowManagerTest, TheDefaultIconIsUsedOnlyWhenTheLayoutNamesNone) {
    RunOnFrameworkThread([&] {
        Dialog dialog(display(), nullptr);
        dialog.ThisWindow().Load(LayoutOf(kDialog));
        dialog.ApplyDefaultIcon();
        EXPECT_EQ(dialog.ThisWindow().Props().icon, "~gendict.ico");
        dialog.ThisWindow().SetWindowIcon("genmod.ico");
        dialog.ApplyDefaultIcon();
        EXPECT_EQ(dialog.ThisWindow().Props().icon, "genmod.ico");
    });
}

}  // namespace
}  // namespace zem::ui
