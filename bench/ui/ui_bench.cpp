// The round trip from a button press to the procedure thread's handler and back to the shown
// change, through the headless display and through the Qt display server (offscreen), against
// the floor of any such design: a bare hand-off between two threads and back over a mutex and
// condition variables.
#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/runtime/threads.h"
#include "platform/ui/window/display.h"
#include "platform/ui/window/headless_display.h"
#include "platform/ui/window/layout.h"
#include "platform/ui/qt/display_server.h"
#include "platform/ui/qt/qt_display.h"
#include "platform/ui/window/window_manager.h"
#include "round_trip.h"

namespace {

using namespace zem;

constexpr int kRounds = 20000;
constexpr int kQtRounds = 3000;

constexpr const char* kLayout = R"({"windows": {"W": {"type": "window", "controls": [
    {"kind": "button", "use": "?PRESS", "text": "Press"},
    {"kind": "string", "use": "?SHOWN", "text": "0"}]}}})";

// Counts presses into the label.
class Counter final : public ui::WindowManager {
  public:
    ui::Level Init() override {
        WindowManager::Init();
        window_.Load(*ui::ParseLayout(kLayout, "W"));
        return window_.Open("Counter") ? ui::Benign : ui::Fatal;
    }
    ui::Level TakeAccepted() override {
        if (Field() == window_.Feq("?PRESS"))
            window_.SetText(window_.Feq("?SHOWN"), std::to_string(++presses_));
        return WindowManager::TakeAccepted();
    }

  private:
    int presses_ = 0;
};

bench::Percentiles Peer() {
    std::mutex mutex;
    std::condition_variable there, back;
    int sent = 0, answered = 0;
    bool stop = false;
    std::thread echo([&] {
        std::unique_lock lock(mutex);
        for (;;) {
            there.wait(lock, [&] { return stop || sent > answered; });
            if (stop) return;
            answered = sent;
            back.notify_one();
        }
    });
    const auto result = bench::Time(kRounds, [&](int) {
        std::unique_lock lock(mutex);
        ++sent;
        there.notify_one();
        back.wait(lock, [&] { return answered == sent; });
    });
    {
        std::lock_guard lock(mutex);
        stop = true;
    }
    there.notify_one();
    echo.join();
    return result;
}

bench::Percentiles Headless() {
    auto display = std::make_shared<ui::HeadlessDisplay>();
    ui::SetDisplay(display);
    const runtime::ThreadNo thread = runtime::Start([] { Counter().Run(); });
    const ui::WindowId window = display->WaitForWindow("Counter").value_or(0);
    const auto result = bench::Time(kRounds, [&](int i) {
        display->Press(window, "?PRESS");
        const std::string expected = std::to_string(i + 1);
        display->WaitForControl(window, "?SHOWN",
                                [&](const ui::Control& c) { return c.text == expected; });
    });
    display->CloseBox(window);
    runtime::Join(thread);
    ui::SetDisplay(nullptr);
    return result;
}

// The button is clicked on the GUI thread; the time ends when the widget shows the handler's
// change.
bench::Percentiles WithQt() {
    auto& display = *dynamic_cast<ui::qt::QtDisplay*>(ui::CurrentDisplay().get());
    const runtime::ThreadNo thread = runtime::Start([] { Counter().Run(); });
    const ui::WindowId window =
        display.WaitForWindow("Counter", std::chrono::seconds(10)).value_or(0);
    std::mutex mutex;
    std::condition_variable shown;
    int changes = 0;
    display.SetChangeObserver([&](ui::WindowId, int) {
        std::lock_guard lock(mutex);
        ++changes;
        shown.notify_one();
    });
    const auto result = bench::Time(kQtRounds, [&](int) {
        int before;
        {
            std::lock_guard lock(mutex);
            before = changes;
        }
        display.Trigger(window, "?PRESS");
        std::unique_lock lock(mutex);
        shown.wait(lock, [&] { return changes > before; });
    });
    display.SetChangeObserver(nullptr);
    display.CloseBox(window);
    runtime::Join(thread);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    std::printf("UI round trip (medians and 99th percentiles)\n");
    const bench::Percentiles peer = Peer();
    bench::Report("peer: thread hand-off and back", peer, peer);
    bench::Report("headless: press -> handler -> shown", Headless(), peer);

    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    bench::Percentiles qt;
    std::thread driver;
    const int loop = ui::qt::RunDisplayServer(argc, argv, [&] {
        driver = std::thread([&] {
            qt = WithQt();
            QMetaObject::invokeMethod(
                qApp, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
        });
    });
    driver.join();
    bench::Report("qt: click -> handler -> widget", qt, peer);
    return loop;
}
