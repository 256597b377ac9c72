// The keyboard-layout guard on the display server, offscreen: the MDI child's system menu ends
// with the guard's item, which opens its about window; the desktop's layout change reaches the
// control with the focus as the request, and a repeated one is refused.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMetaObject>
#include <QTest>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "addons/layout_guard.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/threads.h"
#include "platform/ui/window/layout.h"
#include "platform/ui/qt/qt_display.h"
#include "platform/ui/qt/window_view.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_hooks.h"
#include "platform/win/shell_open.h"

namespace zem::addons {
namespace {

using namespace std::chrono_literals;

ui::qt::QtDisplay& Display() {
    return *dynamic_cast<ui::qt::QtDisplay*>(ui::CurrentDisplay().get());
}

constexpr std::string_view kFrame = R"({"windows": {"W": {"type": "application",
    "caption": "Frame", "at": [0, 0, 600, 400], "controls": []}}})";
constexpr std::string_view kChild = R"({"windows": {"W": {"type": "mdi", "caption": "Child",
    "at": [10, 10, 300, 200], "controls": [{"kind": "entry", "use": "?NAME",
    "at": [10, 10, 120, 20]}]}}})";

std::atomic<int> g_requests{0};

win::LResult CountRequests(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                           win::LParam lParam) {
    if (message == win::WM_INPUTLANGCHANGEREQUEST) ++g_requests;
    return win::DefWindowProc(hwnd, message, wParam, lParam);
}

ui::WindowLayout LayoutOf(std::string_view json) {
    std::string error;
    auto layout = ui::ParseLayout(json, "W", &error);
    EXPECT_TRUE(layout) << error;
    return layout ? std::move(*layout) : ui::WindowLayout{};
}

// Runs a window until it is closed.
void RunWindow(std::string_view json, const char* procedure) {
    ui::Window w;
    w.Load(LayoutOf(json));
    if (!w.Open(procedure)) return;
    while (w.Accept())
        if (w.Event().code == runtime::event::kCloseWindow) w.Close();
}

struct LinkLook {
    bool label = false, underlined = false, bold = false, hand = false;
    QColor colour;
};

LinkLook LookOf(ui::WindowId about, std::string_view use) {
    LinkLook look;
    Display().Inspect(about, [&](ui::qt::WindowView* view) {
        const ui::qt::ControlView* control = view ? ui::qt::FindControl(*view, use) : nullptr;
        auto* label = control ? qobject_cast<QLabel*>(control->widget.data()) : nullptr;
        if (!label) return;
        look.label = true;
        look.underlined = label->font().underline();
        look.bold = label->font().bold();
        look.hand = label->cursor().shape() == Qt::PointingHandCursor;
        look.colour = label->palette().color(QPalette::WindowText);
    });
    return look;
}

bool Eventually(const std::function<bool()>& test) {
    for (int i = 0; i < 500; ++i) {
        if (test()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

// Moves the pointer onto the control's widget, or off it onto the window, as the desktop does.
void PointerTo(ui::WindowId about, std::string_view use, bool onto) {
    Display().Inspect(about, [&](ui::qt::WindowView* view) {
        const ui::qt::ControlView* control = view ? ui::qt::FindControl(*view, use) : nullptr;
        if (!control || !control->widget || !view->top) return;
        QWidget* top = view->top.data();
        const QPoint at =
            onto ? control->widget->mapTo(top, control->widget->rect().center()) : QPoint(2, 2);
        QTest::mouseMove(top->windowHandle(), at);
    });
}

// The web and e-mail addresses are links: blue, underlined, the hand over them, bold while the
// pointer is over them; a click opens the address. The window is saved as about_links.png.
void CheckAboutLinks(ui::WindowId about) {
    std::vector<std::string> opened;
    std::mutex openedMutex;
    win::SetUrlOpener([&](const std::string& url) {
        std::lock_guard lock(openedMutex);
        opened.push_back(url);
        return true;
    });
    PointerTo(about, "?WEB", false);  // the pointer comes into the window first
    for (const char* use : {"?WEB", "?EMAIL"}) {
        SCOPED_TRACE(use);
        const LinkLook look = LookOf(about, use);
        ASSERT_TRUE(look.label) << "a link is a text, not a push button";
        EXPECT_TRUE(look.underlined);
        EXPECT_TRUE(look.hand);
        EXPECT_EQ(look.colour, QColor(0, 0, 255));
        EXPECT_FALSE(look.bold);
        PointerTo(about, use, true);
        EXPECT_TRUE(Eventually([&] { return LookOf(about, use).bold; }));
        EXPECT_TRUE(LookOf(about, use).underlined);
        if (std::string_view(use) == "?WEB") Display().Screenshot(about, "about_links.png");
        PointerTo(about, use, false);
        EXPECT_TRUE(Eventually([&] { return !LookOf(about, use).bold; }));
        Display().Inspect(about, [&](ui::qt::WindowView* view) {
            const ui::qt::ControlView* control = view ? ui::qt::FindControl(*view, use) : nullptr;
            if (control && control->widget)
                QTest::mouseClick(control->widget.data(), Qt::LeftButton, {},
                                  control->widget->rect().center());
        });
    }
    EXPECT_TRUE(Eventually([&] {
        std::lock_guard lock(openedMutex);
        return opened.size() == 2;
    }));
    win::SetUrlOpener(nullptr);
    std::lock_guard lock(openedMutex);
    EXPECT_EQ(opened,
              (std::vector<std::string>{"https://tavrillo.example.org/",
                                        "mailto:tavrillo@tavrillo.example.org?subject=Tavrillo"}));
}

TEST(GuardOnTheDisplay, SystemMenuItemAndLayoutChangeRequests) {
    // The entry's own procedure, in place before the guard, counts the requests reaching it.
    const int own = ui::AddOpenHook([](ui::Window& w) {
        if (const win::Hwnd entry = w.ControlHandle(w.Feq("?NAME")))
            win::SetWindowProc(entry, &CountRequests);
    });
    auto guard = std::make_unique<LayoutGuard>();
    const runtime::ThreadNo frameThread = runtime::Start([] { RunWindow(kFrame, "Frame"); });
    const auto frame = Display().WaitForWindow("Frame", 5s);
    ASSERT_TRUE(frame);
    const runtime::ThreadNo childThread = runtime::Start([] { RunWindow(kChild, "Child"); });
    const auto child = Display().WaitForWindow("Child", 5s);
    ASSERT_TRUE(child);
    std::this_thread::sleep_for(200ms);

    auto onGui = [](auto work) {
        QMetaObject::invokeMethod(qApp, work, Qt::BlockingQueuedConnection);
    };
    // Two layout changes in a row on the entry with the focus: one request gets through.
    onGui([] {
        for (QWidget* w : QApplication::allWidgets())
            if (auto* entry = qobject_cast<QLineEdit*>(w)) {
                entry->setFocus();
                QEvent first(QEvent::KeyboardLayoutChange);
                QApplication::sendEvent(entry, &first);
                QEvent second(QEvent::KeyboardLayoutChange);
                QApplication::sendEvent(entry, &second);
            }
    });
    // The request reaches the entry on the child's thread; a loaded machine may take a while.
    for (int i = 0; i < 1000 && g_requests == 0; ++i) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(100ms);  // time for a second request, which must not come
    EXPECT_EQ(g_requests, 1);

    // The child's system menu ends with a separator and the guard's item.
    QString last, beforeLast;
    onGui([&] {
        for (QWidget* w : QApplication::allWidgets())
            if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) {
                QMenu* menu = sub->systemMenu();
                emit menu->aboutToShow();
                const QList<QAction*> actions = menu->actions();
                last = actions.back()->text();
                beforeLast = actions[actions.size() - 2]->isSeparator() ? "-" : "?";
                actions.back()->trigger();
            }
    });
    EXPECT_EQ(last, "Tavrillo");
    EXPECT_EQ(beforeLast, "-");
    const auto about = Display().WaitForWindow("Tavrillo", 5s);
    ASSERT_TRUE(about);
    CheckAboutLinks(*about);
    EXPECT_TRUE(Display().Trigger(*about, "?CLOSE"));
    EXPECT_TRUE(Display().WaitForClose(*about, 5s));

    EXPECT_TRUE(Display().CloseBox(*child));
    runtime::Join(childThread);
    EXPECT_TRUE(Display().CloseBox(*frame));
    runtime::Join(frameThread);
    guard.reset();
    ui::RemoveOpenHook(own);
}

}  // namespace
}  // namespace zem::addons
