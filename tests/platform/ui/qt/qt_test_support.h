#pragma once
// What the display server tests share. The test binary's main runs the real display server on
// the main thread (offscreen) and the tests on a thread of their own; these helpers reach the
// display, run a check on the GUI thread, and run procedures on framework threads that log
// every event their window hands out.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/runtime/events.h"
#include "platform/runtime/threads.h"
#include "platform/ui/window/display.h"
#include "platform/ui/window/field_binding.h"
#include "platform/ui/window/layout.h"
#include "platform/ui/qt/qt_display.h"
#include "platform/ui/window/window_manager.h"

namespace zem::ui::qt::testing {

using namespace std::chrono_literals;
inline constexpr std::chrono::milliseconds kWait = 5s;

// The resource directory the test binary made for itself (ZEMBROLA_RESOURCES names it).
const std::filesystem::path& TestResources();

inline QtDisplay& Display() {
    static QtDisplay* const display = dynamic_cast<QtDisplay*>(CurrentDisplay().get());
    return *display;
}

// Runs check on the GUI thread and waits for it.
template <typename F>
auto OnGui(F check) {
    using T = decltype(check());
    if constexpr (std::is_void_v<T>) {
        QMetaObject::invokeMethod(qApp, std::move(check), Qt::BlockingQueuedConnection);
    } else {
        T result{};
        QMetaObject::invokeMethod(
            qApp, [&] { result = check(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

// An event as the procedure's window handed it out, with what the window then held.
struct Seen {
    runtime::EventCode code = 0;
    std::string use;  // of the event's control; empty for window events
    std::string screen;
    int selected = 0;
    int key = 0;
    int row = 0;
    int column = 0;
    friend bool operator==(const Seen&, const Seen&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const Seen& s) {
    return out << "{0x" << std::hex << s.code << std::dec << " " << s.use << " screen \""
               << s.screen << "\" selected " << s.selected << " key " << s.key << " row " << s.row
               << " column " << s.column << "}";
}

// Written by procedure threads, read by the test.
class EventLog {
  public:
    void Add(Seen seen) {
        std::lock_guard lock(mutex_);
        seen_.push_back(std::move(seen));
        changed_.notify_all();
    }
    void Note(std::string note) {
        std::lock_guard lock(mutex_);
        notes_.push_back(std::move(note));
        changed_.notify_all();
    }
    std::vector<Seen> Events() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        seen_.clear();
        notes_.clear();
    }
    // Waits until the events (leaving out focus changes) end with the expected ones.
    bool WaitForTail(const std::vector<Seen>& tail) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kWait, [&] { return EndsWith(tail); });
    }
    bool WaitForNote(std::string_view note) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kWait, [&] {
            return std::find(notes_.begin(), notes_.end(), note) != notes_.end();
        });
    }

  private:
    bool EndsWith(const std::vector<Seen>& tail) const {
        std::vector<Seen> input;
        for (const Seen& s : seen_)
            if (s.code != runtime::event::kGainFocus && s.code != runtime::event::kLoseFocus)
                input.push_back(s);
        return input.size() >= tail.size() &&
               std::equal(tail.begin(), tail.end(), input.end() - tail.size());
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Seen> seen_;
    std::vector<std::string> notes_;
};

inline WindowLayout LayoutOf(std::string_view json) {
    std::string error;
    auto layout = ParseLayout(json, "W", &error);
    if (!layout) {
        ADD_FAILURE() << "test layout: " << error;
        return {};
    }
    return std::move(*layout);
}

// A procedure that opens a layout, logs every event and lets the test add handlers.
class LoggingProcedure : public WindowManager {
  public:
    using Handler = std::function<void(LoggingProcedure&)>;

    LoggingProcedure(std::string procedure, WindowLayout layout, EventLog& log)
        : procedure_(std::move(procedure)), layout_(std::move(layout)), log_(log) {}

    std::function<void(LoggingProcedure&)> beforeOpen;
    std::map<std::string, Handler> onAccepted;  // by use name
    std::atomic<bool> refuseClose = false;

    Level Init() override {
        const Level level = WindowManager::Init();
        window_.Load(layout_);
        if (beforeOpen) beforeOpen(*this);
        if (!window_.Open(procedure_)) return Fatal;
        log_.Note("opened " + procedure_);
        return level;
    }
    Level TakeEvent() override {
        const runtime::Event& e = Event();
        const Control* c = e.control ? window_.Find(e.control) : nullptr;
        // Only acceptance and selection carry the control's value.
        const bool carries =
            c && (e.code == runtime::event::kAccepted || e.code == runtime::event::kNewSelection);
        log_.Add(Seen{e.code, c ? c->use : std::string(), carries ? c->screen : std::string(),
                      carries ? c->selected : 0, e.key, e.row, e.column});
        return WindowManager::TakeEvent();
    }
    Level TakeAccepted() override {
        const Control* c = window_.Find(Field());
        if (c)
            if (const auto handler = onAccepted.find(c->use); handler != onAccepted.end())
                handler->second(*this);
        return WindowManager::TakeAccepted();
    }
    Level TakeCloseEvent() override {
        if (refuseClose) {
            log_.Note("refused close");
            return Notify;
        }
        return WindowManager::TakeCloseEvent();
    }
    Level Kill() override {
        const Level level = WindowManager::Kill();
        log_.Note("closed " + procedure_);
        return level;
    }

    Window& Win() { return window_; }
    int FeqOf(std::string_view use) const { return window_.Feq(use); }
    EventLog& Log() { return log_; }

  private:
    std::string procedure_;
    WindowLayout layout_;
    EventLog& log_;
};

// Runs a procedure on a framework thread of its own. The destructor asks every window the
// thread still runs to close, and waits for the thread.
class ProcedureThread {
  public:
    explicit ProcedureThread(std::function<void()> body)
        : done_(std::make_shared<std::atomic<bool>>(false)),
          thread_(runtime::Start([body = std::move(body), done = done_] {
              body();
              *done = true;
          })) {}
    ~ProcedureThread() {
        while (thread_ != 0 && !*done_) {
            runtime::Post(thread_, runtime::event::kCloseDown);
            std::this_thread::sleep_for(20ms);
        }
        runtime::Join(thread_);
    }
    ProcedureThread(const ProcedureThread&) = delete;
    ProcedureThread& operator=(const ProcedureThread&) = delete;

  private:
    std::shared_ptr<std::atomic<bool>> done_;
    runtime::ThreadNo thread_;
};

}  // namespace zem::ui::qt::testing
