// The keyboard-layout guard on the display server, offscreen: the MDI child's system menu ends
// with the guard's item, which opens its about window; the desktop's layout change reaches the
// control with the focus as the request, and a repeated one is refused.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMetaObject>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "addons/layout_guard.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/threads.h"
#include "platform/ui/layout.h"
#include "platform/ui/qt/qt_display.h"
#include "platform/ui/window.h"
#include "platform/ui/window_hooks.h"

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
