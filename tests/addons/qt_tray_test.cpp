// The frame's tray icon on the display server, offscreen, with the display's own notification-
// area backend: the user minimises the frame, and the activation that the desktop's kind of
// tray reports for the icon (Qt's ActivationReason) brings the frame back or leaves it there.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMetaObject>
#include <QSystemTrayIcon>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "addons/main_frame_addons.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/threads.h"
#include "platform/ui/qt/qt_display.h"
#include "platform/ui/qt/tray_backend.h"
#include "platform/ui/qt/window_view.h"
#include "platform/ui/window/layout.h"
#include "platform/ui/window/window.h"
#include "platform/win/tray_icon.h"
#include "platform/win/window_handles.h"

namespace zem::addons {
namespace {

using namespace std::chrono_literals;
using ui::qt::TrayKind;

constexpr std::string_view kFrame = R"({"windows": {"W": {"type": "application",
    "caption": "Zembrola", "icon": "zembrola.ico", "at": [0, 0, 600, 400], "controls": []}}})";

ui::qt::QtDisplay& Display() {
    return *dynamic_cast<ui::qt::QtDisplay*>(ui::CurrentDisplay().get());
}

void OnGui(const std::function<void()>& work) {
    QMetaObject::invokeMethod(qApp, work, Qt::BlockingQueuedConnection);
}

bool Eventually(const std::function<bool()>& test) {
    for (int i = 0; i < 500; ++i) {
        if (test()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return test();
}

// The frame with its tray icon, its events handed to the icon as the frame hands them.
class TrayFrame {
  public:
    TrayFrame() {
        thread_ = runtime::Start([this] {
            std::string error;
            auto layout = ui::ParseLayout(kFrame, "W", &error);
            ui::Window w;
            w.Load(std::move(*layout));
            if (!w.Open("Main")) return;
            const auto tray = MakeFrameTrayIcon();
            tray->Init(w, true, true, false, w.Props().icon, "");
            handle_ = w.Handle();
            while (w.Accept()) {
                if (w.Event().code != 0) tray->TakeEvent();
                if (w.Event().code == runtime::event::kCloseWindow) break;
            }
            tray->Kill();
            w.Close();
        });
        window_ = Display().WaitForWindow("Main", 5s).value_or(0);
    }
    ~TrayFrame() {
        if (window_) Display().CloseBox(window_);
        runtime::Join(thread_);
    }
    TrayFrame(const TrayFrame&) = delete;
    TrayFrame& operator=(const TrayFrame&) = delete;

    bool Open() const {
        return window_ != 0 && Eventually([this] { return handle_ != 0; });
    }
    win::Hwnd Handle() const { return handle_; }
    // The user minimises the frame with its title bar's button.
    void Minimise() {
        Display().Inspect(window_, [](ui::qt::WindowView* view) { view->main->showMinimized(); });
    }
    // The user brings the minimised frame back, as its task bar button does.
    void Restore() {
        Display().Inspect(window_, [](ui::qt::WindowView* view) { view->main->showNormal(); });
    }
    // Whether the desktop shows the frame, and minimised.
    std::pair<bool, bool> Shown() {
        std::pair<bool, bool> shown;
        Display().Inspect(window_, [&](ui::qt::WindowView* view) {
            shown = {view->main->isVisible(), view->main->isMinimized()};
        });
        return shown;
    }

  private:
    runtime::ThreadNo thread_ = 0;
    ui::WindowId window_ = 0;
    std::atomic<win::Hwnd> handle_{0};
};

class TrayOnTheDisplay : public ::testing::Test {
  protected:
    void SetUp() override { desktop_ = win::CurrentTrayBackend(); }
    void TearDown() override {
        win::SetTrayBackend(desktop_);
        OnGui([this] { tray_.reset(); });
    }
    // The display's backend, serving a desktop whose notification area is of kind.
    void UseTray(TrayKind kind) {
        UseTray([kind] { return kind; });
    }
    // The same, asking the desktop each time through probe.
    void UseTray(std::function<TrayKind()> probe) {
        OnGui([&] { tray_ = std::make_shared<ui::qt::QtTrayBackend>(std::move(probe)); });
        win::SetTrayBackend(tray_);
    }
    // The desktop reports what the user did to the frame's icon; false without an icon.
    bool Activate(const TrayFrame& frame, QSystemTrayIcon::ActivationReason reason) {
        bool found = false;
        OnGui([&] {
            if (QSystemTrayIcon* icon = tray_->Icon(frame.Handle(), 1)) {
                found = true;
                emit icon->activated(reason);
            }
        });
        return found;
    }

    std::shared_ptr<win::TrayBackend> desktop_;
    std::shared_ptr<ui::qt::QtTrayBackend> tray_;
};

TEST_F(TrayOnTheDisplay, TheFrameComesBackOnTheActivationItsDesktopsTraySends) {
    struct Step {
        QSystemTrayIcon::ActivationReason reason;
        bool back;
    };
    struct Case {
        const char* desktop;
        TrayKind kind;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        // KDE Plasma, GNOME with AppIndicator: the user's click is reported as the activation.
        {"StatusNotifierItem",
         TrayKind::StatusNotifier,
         {{QSystemTrayIcon::Context, false},
          {QSystemTrayIcon::MiddleClick, false},
          {QSystemTrayIcon::Trigger, true}}},
        // An XEmbed tray reports a double click as a click and then the double click.
        {"XEmbed",
         TrayKind::XEmbed,
         {{QSystemTrayIcon::Trigger, false},
          {QSystemTrayIcon::Context, false},
          {QSystemTrayIcon::DoubleClick, true}}},
    };
    const std::pair<bool, bool> normal{true, false}, onTray{false, true};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desktop);
        UseTray(c.kind);
        TrayFrame frame;
        ASSERT_TRUE(frame.Open());
        frame.Minimise();
        ASSERT_TRUE(Eventually([&] { return frame.Shown() == onTray; }))
            << "the frame did not go to the tray";
        for (const Step& step : c.steps) {
            SCOPED_TRACE(step.reason);
            ASSERT_TRUE(Activate(frame, step.reason)) << "no icon on the tray";
            if (step.back) {
                EXPECT_TRUE(Eventually([&] { return frame.Shown() == normal; }));
            } else {
                std::this_thread::sleep_for(200ms);
                EXPECT_EQ(frame.Shown(), onTray);
            }
        }
    }
    // Without a notification area the frame is minimised as usual.
    UseTray(TrayKind::None);
    TrayFrame frame;
    ASSERT_TRUE(frame.Open());
    frame.Minimise();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(frame.Shown(), (std::pair<bool, bool>{true, true}));
    OnGui([&] { EXPECT_EQ(tray_->Icon(frame.Handle(), 1), nullptr); });
}

// A panel that starts after the program (an autostart at login) is used from then on: the
// desktop is asked again at every minimise, not once for the program's life.
TEST_F(TrayOnTheDisplay, ANotificationAreaThatAppearsLaterIsUsed) {
    struct Desktop {
        std::atomic<TrayKind> kind{TrayKind::None};
        std::atomic<int> asked{0};
    };
    auto desktop = std::make_shared<Desktop>();
    UseTray([desktop] {
        ++desktop->asked;
        return desktop->kind.load();
    });
    TrayFrame frame;
    ASSERT_TRUE(frame.Open());
    frame.Minimise();
    ASSERT_TRUE(Eventually([&] { return desktop->asked == 1; }))
        << "the desktop was asked " << desktop->asked << " times";
    EXPECT_EQ(frame.Shown(), (std::pair<bool, bool>{true, true})) << "minimised as usual";
    OnGui([&] { EXPECT_EQ(tray_->Icon(frame.Handle(), 1), nullptr); });

    frame.Restore();
    ASSERT_TRUE(Eventually([&] {
        return frame.Shown() == std::pair<bool, bool>{true, false};
    })) << "the frame was not restored";
    desktop->kind = TrayKind::XEmbed;
    frame.Minimise();
    EXPECT_TRUE(Eventually([&] { return desktop->asked == 2; }))
        << "the desktop was asked " << desktop->asked << " times";
    EXPECT_TRUE(Eventually([&] {
        return frame.Shown() == std::pair<bool, bool>{false, true};
    })) << "the frame did not go to the tray that came later";
    OnGui([&] { EXPECT_NE(tray_->Icon(frame.Handle(), 1), nullptr); });
}

}  // namespace
}  // namespace zem::addons
