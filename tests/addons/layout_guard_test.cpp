// The keyboard-layout guard on windows of the window model, driven by posted messages as the
// display delivers them.
#include "addons/layout_guard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/runtime/event_codes.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_hooks.h"
#include "platform/ui/window/window_test_support.h"
#include "platform/win/shell_open.h"

namespace zem::addons {
namespace {

using ui::testing::LayoutOf;
using ui::testing::RunOnFrameworkThread;
namespace ev = runtime::event;

constexpr runtime::EventCode kMarker = 0x7F00;

constexpr std::string_view kLayout = R"({"windows": {"W": {"caption": "Guarded", "controls": [
    {"kind": "menubar", "use": "?BAR", "controls": [
        {"kind": "menu", "use": "?M", "text": "&File", "controls": [
            {"kind": "item", "use": "?I", "text": "&Open"}]}]},
    {"kind": "prompt", "use": "?P", "text": "Name:"},
    {"kind": "string", "use": "?S", "text": "fixed"},
    {"kind": "entry", "use": "?E"},
    {"kind": "button", "use": "?B", "text": "Go"},
    {"kind": "list", "use": "?L"}]}}})";

struct Delivered {
    win::Hwnd hwnd;
    unsigned message;
    bool ownProcInPlace;  // the handle's procedure was this one again when it arrived
    bool aboutOpen;
};

std::mutex g_mutex;
std::vector<Delivered> g_delivered;
ui::HeadlessDisplay* g_display = nullptr;

// The window's and controls' own procedure, in place before the guard attaches.
win::LResult Own(win::Hwnd hwnd, unsigned message, win::WParam wParam, win::LParam lParam) {
    {
        std::lock_guard lock(g_mutex);
        g_delivered.push_back({hwnd, message, win::GetWindowProc(hwnd) == &Own,
                               g_display && g_display->FindWindow("Tavrillo").has_value()});
    }
    return win::DefWindowProc(hwnd, message, wParam, lParam);
}

std::vector<Delivered> DeliveredTo(win::Hwnd hwnd, unsigned message) {
    std::lock_guard lock(g_mutex);
    std::vector<Delivered> found;
    for (const Delivered& d : g_delivered)
        if (d.hwnd == hwnd && d.message == message) found.push_back(d);
    return found;
}

// Runs every message posted so far through the window's event loop.
void Pump(ui::Window& w) {
    w.Post(kMarker);
    while (w.Accept() && w.Event().code != kMarker) {
    }
}

class LayoutGuardTest : public ui::testing::HeadlessTest {
  protected:
    void SetUp() override {
        ui::testing::HeadlessTest::SetUp();
        g_display = &display();
        {
            std::lock_guard lock(g_mutex);
            g_delivered.clear();
        }
        ownHook_ = ui::AddOpenHook([](ui::Window& w) {
            win::SetWindowProc(w.Handle(), &Own);
            for (const ui::Control& c : w.Controls())
                if (w.ControlHandle(c.feq)) win::SetWindowProc(w.ControlHandle(c.feq), &Own);
        });
        guard_ = std::make_unique<LayoutGuard>();
    }
    void TearDown() override {
        guard_.reset();
        ui::RemoveOpenHook(ownHook_);
        g_display = nullptr;
        win::SetUrlOpener(nullptr);
        ui::testing::HeadlessTest::TearDown();
    }

    int ownHook_ = 0;
    std::unique_ptr<LayoutGuard> guard_;
};

TEST_F(LayoutGuardTest, ARepeatedRequestIsRefusedUntilAQualifyingMessageComes) {
    constexpr unsigned kRequest = win::WM_INPUTLANGCHANGEREQUEST;
    struct Case {
        const char* name;
        unsigned between;  // 0: nothing between the two requests
        std::size_t reaching;
    };
    const Case cases[] = {
        {"two in a row", 0, 1},
        {"mouse movement", win::WM_MOUSEMOVE, 1},
        {"key-up", win::WM_KEYUP, 1},
        {"set-cursor", win::WM_SETCURSOR, 1},
        {"the change notice", win::WM_INPUTLANGCHANGE, 1},
        {"an IME notice", win::WM_IME_NOTIFY, 1},
        {"message 0x240B", 0x240B, 1},
        {"key-down", win::WM_KEYDOWN, 2},
        {"a click", win::WM_LBUTTONDOWN, 2},
        {"message 0x2409", 0x2409, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunOnFrameworkThread([&] {
            ui::Window w;
            w.Load(LayoutOf(kLayout));
            ASSERT_TRUE(w.Open("Guarded"));
            const win::Hwnd entry = w.ControlHandle(w.Feq("?E"));
            ASSERT_TRUE(IsGuarded(entry));
            win::PostMessage(entry, kRequest, 1, 0);
            if (c.between != 0) win::PostMessage(entry, c.between, 0, 0);
            win::PostMessage(entry, kRequest, 1, 0);
            Pump(w);
            EXPECT_EQ(DeliveredTo(entry, kRequest).size(), c.reaching);
            // Answered 0 when refused, straight from the guard.
            EXPECT_EQ(win::SendMessage(entry, kRequest, 1, 0), 0);
            EXPECT_EQ(DeliveredTo(entry, kRequest).size(), c.reaching);
        });
    }
}

TEST_F(LayoutGuardTest, ControlsThatTakeNoKeyboardInputGetNoGuardOnAnyThread) {
    struct Case {
        const char* use;
        bool guarded;
    };
    const Case cases[] = {{"?P", false}, {"?S", false}, {"?M", false}, {"?I", false},
                          {"?B", true},  {"?E", true},  {"?L", true}};
    std::vector<runtime::ThreadNo> threads;
    for (int t = 0; t < 3; ++t)
        threads.push_back(runtime::Start([&] {
            ui::Window w;
            w.Load(LayoutOf(kLayout));
            ASSERT_TRUE(w.Open("Guarded"));
            EXPECT_TRUE(IsGuarded(w.Handle()));
            for (const Case& c : cases) {
                const win::Hwnd hwnd = w.ControlHandle(w.Feq(c.use));
                EXPECT_EQ(hwnd != 0 && IsGuarded(hwnd), c.guarded) << c.use;
            }
        }));
    for (runtime::ThreadNo t : threads) runtime::Join(t);
}

TEST_F(LayoutGuardTest, TheSystemMenuItemOpensTheAboutWindowAndTheWindowStillGetsTheCommand) {
    std::mutex openedMutex;
    std::vector<std::string> opened;
    win::SetUrlOpener([&](const std::string& url) {
        std::lock_guard lock(openedMutex);
        opened.push_back(url);
        return true;
    });
    std::atomic<win::Hwnd> window{0};
    const runtime::ThreadNo thread = runtime::Start([&] {
        ui::Window w;
        w.Load(LayoutOf(kLayout));
        ASSERT_TRUE(w.Open("Guarded"));
        const std::vector<win::MenuItem> menu = win::SystemMenuItems(w.Handle());
        ASSERT_GE(menu.size(), 2u);
        EXPECT_EQ(menu[menu.size() - 2].type, win::MFT_SEPARATOR);
        EXPECT_EQ(menu.back(), (win::MenuItem{win::MFT_STRING, 666, "Tavrillo"}));
        window = w.Handle();
        win::PostMessage(w.Handle(), win::WM_SYSCOMMAND, 666, 0);
        Pump(w);  // runs the about window until it closes
    });
    const auto about = display().WaitForWindow("Tavrillo");
    ASSERT_TRUE(about);
    EXPECT_EQ(display().View(*about)->window.props.caption, "Tavrillo");
    EXPECT_EQ(display().Shown(*about, "?TITLE"), "Tavrillo for WINDOW");
    // The pointer over a link makes it bold, leaving it makes it normal again.
    const int web = display().ControlOf(*about, "?WEB")->feq;
    auto pointer = [&](runtime::EventCode code) {
        runtime::Event e;
        e.code = code;
        e.control = web;
        e.window = *about;
        e.input = true;
        runtime::PostEvent(thread, e);
    };
    pointer(ev::kPointerIn);
    EXPECT_TRUE(
        display().WaitForControl(*about, "?WEB", [](const ui::Control& c) { return c.font.bold; }));
    pointer(ev::kPointerOut);
    EXPECT_TRUE(display().WaitForControl(*about, "?WEB",
                                         [](const ui::Control& c) { return !c.font.bold; }));
    EXPECT_TRUE(display().Press(*about, "?WEB"));
    EXPECT_TRUE(display().Press(*about, "?EMAIL"));
    for (int i = 0; i < 500; ++i) {
        {
            std::lock_guard lock(openedMutex);
            if (opened.size() == 2) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(display().Press(*about, "?CLOSE"));
    runtime::Join(thread);
    EXPECT_EQ(opened,
              (std::vector<std::string>{"https://tavrillo.example.org/",
                                        "mailto:tavrillo@tavrillo.example.org?subject=Tavrillo"}));
    const auto command = DeliveredTo(window, win::WM_SYSCOMMAND);
    ASSERT_EQ(command.size(), 1u);
    EXPECT_FALSE(command[0].aboutOpen);  // after the about window had closed
}

TEST_F(LayoutGuardTest, SessionEndIsAnsweredYesAndBecomesTheCloseDownEvent) {
    for (const win::WParam ending : {win::WParam{1}, win::WParam{0}}) {
        RunOnFrameworkThread([&] {
            ui::Window w;
            w.Load(LayoutOf(kLayout));
            ASSERT_TRUE(w.Open("Guarded"));
            ASSERT_TRUE(w.Accept());  // open-window
            EXPECT_EQ(win::SendMessage(w.Handle(), win::WM_QUERYENDSESSION, 0, 0), 1);
            win::PostMessage(w.Handle(), win::WM_ENDSESSION, ending, 0);
            ASSERT_TRUE(w.Accept());
            EXPECT_EQ(w.Event().code, ev::kCloseDown);
            EXPECT_TRUE(DeliveredTo(w.Handle(), win::WM_QUERYENDSESSION).empty());
            EXPECT_TRUE(DeliveredTo(w.Handle(), win::WM_ENDSESSION).empty());
        });
    }
}

TEST_F(LayoutGuardTest, ClosingAWindowPutsThePreviousProceduresBackBeforeTheHandlesGo) {
    win::Hwnd window = 0, entry = 0;
    RunOnFrameworkThread([&] {
        ui::Window w;
        w.Load(LayoutOf(kLayout));
        ASSERT_TRUE(w.Open("Guarded"));
        window = w.Handle();
        entry = w.ControlHandle(w.Feq("?E"));
        w.Close();
    });
    for (const win::Hwnd hwnd : {window, entry}) {
        const auto destroy = DeliveredTo(hwnd, win::WM_DESTROY);
        ASSERT_EQ(destroy.size(), 1u);
        EXPECT_TRUE(destroy[0].ownProcInPlace);
        EXPECT_EQ(DeliveredTo(hwnd, win::WM_NCDESTROY).size(), 1u);
        EXPECT_FALSE(win::IsWindow(hwnd));
        EXPECT_FALSE(IsGuarded(hwnd));
    }
}

}  // namespace
}  // namespace zem::addons
