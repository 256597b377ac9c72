// The frame's tray icon on a window of the window model, with a test double for the desktop's
// notification area.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "addons/main_frame_addons.h"
#include "addons/tray_icon_class.h"
#include "platform/runtime/event_codes.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_test_support.h"

namespace zem::addons {
namespace {

using ui::testing::LayoutOf;
using ui::testing::RunOnFrameworkThread;
namespace ev = runtime::event;

constexpr runtime::EventCode kMarker = 0x7F00;
constexpr std::string_view kFrame = R"({"windows": {"W": {"type": "application",
    "caption": "Zembrola", "icon": "zembrola.ico", "controls": []}}})";

class FakeTray final : public win::TrayBackend {
  public:
    struct Call {
        unsigned op;
        win::NotifyIconData data;
    };
    unsigned Add(const win::NotifyIconData& d) override { return Record(win::NIM_ADD, d); }
    unsigned Modify(const win::NotifyIconData& d) override { return Record(win::NIM_MODIFY, d); }
    unsigned Delete(const win::NotifyIconData& d) override { return Record(win::NIM_DELETE, d); }
    std::vector<unsigned> Ops() {
        std::lock_guard lock(mutex);
        std::vector<unsigned> ops;
        for (const Call& c : calls) ops.push_back(c.op);
        return ops;
    }
    std::mutex mutex;
    std::vector<Call> calls;
    unsigned refuseAddWith = 0;

  private:
    unsigned Record(unsigned op, const win::NotifyIconData& d) {
        std::lock_guard lock(mutex);
        calls.push_back({op, d});
        return op == win::NIM_ADD ? refuseAddWith : 0;
    }
};

struct Clicks final : TrayIconClass {
    std::vector<std::string> seen;
    void OnLeftClick() override { seen.push_back("left"); }
    void OnRightClick() override { seen.push_back("right"); }
    void OnRightDoubleClick() override { seen.push_back("right twice"); }
};

std::vector<std::string>* g_frameOwn = nullptr;
win::LResult FrameOwn(win::Hwnd hwnd, unsigned message, win::WParam wParam, win::LParam lParam) {
    if (g_frameOwn) g_frameOwn->push_back(std::to_string(message));
    return win::DefWindowProc(hwnd, message, wParam, lParam);
}

// Hands the frame's events to the tray as the frame does until the queue is quiet (what a
// message or an event leads to is posted behind a marker, so quiet is two empty rounds);
// answers the codes seen.
std::vector<runtime::EventCode> PumpTray(ui::Window& w, TrayIconClass& tray) {
    std::vector<runtime::EventCode> codes;
    for (int quiet = 0; quiet < 2;) {
        w.Post(kMarker);
        bool any = false;
        while (w.Accept() && w.Event().code != kMarker) {
            tray.TakeEvent();
            codes.push_back(w.Event().code);
            any = true;
        }
        quiet = any ? 0 : quiet + 1;
    }
    return codes;
}

bool Has(const std::vector<runtime::EventCode>& codes, runtime::EventCode code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

class TrayIconTest : public ui::testing::HeadlessTest {
  protected:
    void SetUp() override {
        ui::testing::HeadlessTest::SetUp();
        win::SetTrayBackend(fake_);
    }
    void TearDown() override {
        win::SetTrayBackend(nullptr);
        ui::testing::HeadlessTest::TearDown();
    }
    // Opens the frame, runs body with it and a tray icon set up as the frame sets its own up.
    template <typename Tray, typename Body>
    void WithFrame(Body body, bool allowTray = true, bool allowShutdown = true) {
        RunOnFrameworkThread([&] {
            ui::Window w;
            w.Load(LayoutOf(kFrame));
            ASSERT_TRUE(w.Open("Main"));
            ASSERT_TRUE(w.Accept());  // open-window
            Tray tray;
            tray.Init(w, allowTray, allowShutdown, false, w.Props().icon, "");
            body(w, tray);
            tray.Kill();
        });
    }
    bool Hidden(const std::string& procedure = "Main") {
        const auto id = display().FindWindow(procedure);
        return id && display().View(*id)->window.props.hidden;
    }
    std::shared_ptr<FakeTray> fake_ = std::make_shared<FakeTray>();
};

TEST_F(TrayIconTest, IconFileNamesBecomeResourceNames) {
    struct Case {
        std::string_view name, resource;
        bool loads;
    };
    for (const Case& c :
         {Case{"zembrola.ico", "zembrola_ico", true}, Case{"ZEMBROLA_ICO", "ZEMBROLA_ICO", true},
          Case{"zembrola", "zembrola", true}, Case{"a.b", "a.b", false},
          Case{"nosuch.ico", "nosuch_ico", false}, Case{"", "", false}}) {
        TrayIconClass tray;
        tray.SetIcon(c.name);
        EXPECT_EQ(tray.ICONNAME, c.resource) << c.name;
        EXPECT_EQ(!tray.ICONHANDLE.empty(), c.loads) << c.name;
    }
    TrayIconClass tray;
    tray.SetTooltip(std::string(70, 'x'));
    EXPECT_EQ(tray.TOOLTIP.size(), 63u);
}

TEST_F(TrayIconTest, MinimisingGoesToTheTrayOnceAndADoubleClickBringsTheFrameBack) {
    RunOnFrameworkThread([&] {
        ui::Window w;
        w.Load(LayoutOf(kFrame));
        ASSERT_TRUE(w.Open("Main"));
        ASSERT_TRUE(w.Accept());
        const auto tray = MakeFrameTrayIcon();
        tray->Init(w, true, true, false, w.Props().icon, "");
        w.Post(ev::kIconized);
        w.Post(ev::kIconized);
        PumpTray(w, *tray);
        EXPECT_TRUE(tray->ONTRAY);
        EXPECT_TRUE(w.Props().hidden);
        EXPECT_EQ(fake_->Ops(), std::vector<unsigned>{win::NIM_ADD});
        {
            std::lock_guard lock(fake_->mutex);
            const win::NotifyIconData& added = fake_->calls.front().data;
            EXPECT_EQ(added.hwnd, w.Handle());
            EXPECT_EQ(added.uid, 1u);
            EXPECT_EQ(added.callbackMessage, 0x660u);
            EXPECT_EQ(added.flags, 7u);
            EXPECT_NE(added.icon.find("zembrola"), std::string::npos);
        }
        // The desktop reports the double click as the callback message.
        win::PostMessage(w.Handle(), tray::kCallback, 1, win::WM_LBUTTONDBLCLK);
        const auto codes = PumpTray(w, *tray);
        EXPECT_TRUE(Has(codes, ev::kNotify));
        EXPECT_TRUE(Has(codes, ev::kMaximize));
        EXPECT_FALSE(tray->ONTRAY);
        EXPECT_FALSE(w.Props().hidden);
        EXPECT_FALSE(w.Props().iconized);
        EXPECT_EQ(fake_->Ops(), (std::vector<unsigned>{win::NIM_ADD, win::NIM_DELETE}));
        tray->Kill();
    });
}

TEST_F(TrayIconTest, WithoutTrayOrWithoutANotificationAreaTheFrameStaysMinimised) {
    struct Case {
        const char* name;
        bool allowTray;
        unsigned refuse;
        std::vector<unsigned> ops;
    };
    for (const Case& c :
         {Case{"tray not allowed", false, 0, {}},
          Case{"no notification area", true, win::ERROR_NO_NOTIFICATION_AREA, {win::NIM_ADD}}}) {
        SCOPED_TRACE(c.name);
        fake_->calls.clear();
        fake_->refuseAddWith = c.refuse;
        WithFrame<TrayIconClass>(
            [&](ui::Window& w, TrayIconClass& tray) {
                w.Post(ev::kIconized);
                const auto codes = PumpTray(w, tray);
                EXPECT_TRUE(Has(codes, ev::kMaximize));  // posted after the refused tray
                EXPECT_FALSE(tray.ONTRAY);
                EXPECT_FALSE(w.Props().hidden);
            },
            c.allowTray);
        EXPECT_EQ(fake_->Ops(), c.ops);
    }
}

TEST_F(TrayIconTest, OnlyReleasesAndDoubleClicksOverTheIconBecomeNotifications) {
    struct Case {
        win::LParam mouse;
        std::vector<std::string> seen;
    };
    const Case cases[] = {
        {win::WM_RBUTTONDOWN, {}},
        {win::WM_LBUTTONDOWN, {}},
        {win::WM_RBUTTONUP, {"right"}},
        {win::WM_LBUTTONUP, {"left"}},
        {win::WM_RBUTTONDBLCLK, {"right twice"}},
        {win::WM_MOUSEMOVE, {}},
    };
    for (const Case& c : cases) {
        WithFrame<Clicks>([&](ui::Window& w, Clicks& tray) {
            w.Post(ev::kIconized);
            PumpTray(w, tray);
            ASSERT_TRUE(tray.ONTRAY);
            win::PostMessage(w.Handle(), tray::kCallback, 1, c.mouse);
            PumpTray(w, tray);
            EXPECT_EQ(tray.seen, c.seen) << c.mouse;
        });
    }
}

TEST_F(TrayIconTest, LosingTheActivationGoesToTheTrayOnlyWhenAsked) {
    for (const bool asked : {false, true}) {
        fake_->calls.clear();
        WithFrame<TrayIconClass>([&](ui::Window& w, TrayIconClass& tray) {
            tray.TOTRAYONLOSEFOCUS = asked;
            EXPECT_EQ(win::SendMessage(w.Handle(), win::WM_ACTIVATEAPP, 0, 0), 1);
            PumpTray(w, tray);
            EXPECT_EQ(tray.ONTRAY, asked);
            EXPECT_EQ(w.Props().hidden, asked);
            // Gaining the activation is the frame's own business.
            win::SendMessage(w.Handle(), win::WM_ACTIVATEAPP, 1, 0);
            PumpTray(w, tray);
            EXPECT_EQ(tray.ONTRAY, asked);
        });
    }
}

TEST_F(TrayIconTest, SessionEndAndClosingOnTheTray) {
    std::vector<std::string> own;
    g_frameOwn = &own;
    // Not allowed to answer the session's end: 0, and the frame's own procedure never sees it.
    RunOnFrameworkThread([&] {
        ui::Window w;
        w.Load(LayoutOf(kFrame));
        ASSERT_TRUE(w.Open("Main"));
        win::SetWindowProc(w.Handle(), &FrameOwn);
        TrayIconClass tray;
        tray.Init(w, true, false, false, "zembrola.ico", "");
        EXPECT_EQ(win::SendMessage(w.Handle(), win::WM_QUERYENDSESSION, 0, 0), 0);
        EXPECT_EQ(win::SendMessage(w.Handle(), win::WM_ENDSESSION, 1, 0), 0);
        EXPECT_TRUE(own.empty());
        win::SendMessage(w.Handle(), 0x400, 0, 0);
        EXPECT_EQ(own, std::vector<std::string>{"1024"});
        tray.Kill();
        EXPECT_EQ(win::GetWindowProc(w.Handle()), &FrameOwn);
    });
    g_frameOwn = nullptr;
    // Allowed: yes, then the end becomes the close-down event; closing on the tray takes the
    // icon away first.
    WithFrame<TrayIconClass>([&](ui::Window& w, TrayIconClass& tray) {
        w.Post(ev::kIconized);
        PumpTray(w, tray);
        ASSERT_TRUE(tray.ONTRAY);
        EXPECT_EQ(win::SendMessage(w.Handle(), win::WM_QUERYENDSESSION, 0, 0), 1);
        win::PostMessage(w.Handle(), win::WM_ENDSESSION, 0, 0);
        EXPECT_TRUE(Has(PumpTray(w, tray), ev::kCloseDown));
        w.Post(ev::kCloseWindow);
        PumpTray(w, tray);
        EXPECT_FALSE(tray.ONTRAY);
        EXPECT_FALSE(w.Props().hidden);
        EXPECT_EQ(fake_->Ops(), (std::vector<unsigned>{win::NIM_ADD, win::NIM_DELETE}));
    });
}

}  // namespace
}  // namespace zem::addons
