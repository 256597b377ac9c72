#pragma once
// What the window tests share: layouts from JSON text, a display that records every call, and a
// fixture that installs a display for one test and puts the process-wide switches back after it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/runtime/events.h"
#include "platform/runtime/framework_thread.h"
#include "platform/runtime/threads.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/window/display.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/window/headless_display.h"
#include "platform/ui/window/layout.h"

namespace zem::ui::testing {

using runtime::testing::RunOnFrameworkThread;

// The window "W" of a layout text; a layout that does not parse fails the test.
inline WindowLayout LayoutOf(std::string_view json) {
    std::string error;
    auto layout = ParseLayout(json, "W", &error);
    if (!layout) {
        ADD_FAILURE() << "test layout: " << error;
        return {};
    }
    return std::move(*layout);
}

// Records what the windows tell the display. onOpened runs after an Opened call is recorded, as
// the display server would react to a new window on its own thread.
class RecordingDisplay final : public Display {
  public:
    struct ControlCall {
        WindowId window;
        Control control;
    };
    struct WindowCall {
        WindowId window;
        WindowProps props;
    };

    std::function<void(const WindowSnapshot&)> onOpened;

    void Opened(const WindowSnapshot& window) override {
        {
            std::lock_guard lock(mutex_);
            opened_.push_back(window);
        }
        if (onOpened) onOpened(window);
    }
    void WindowChanged(WindowId window, const WindowProps& props) override {
        std::lock_guard lock(mutex_);
        windowCalls_.push_back({window, props});
    }
    void ControlChanged(WindowId window, const Control& control) override {
        std::lock_guard lock(mutex_);
        controlCalls_.push_back({window, control});
    }
    void Closed(WindowId window) override {
        std::lock_guard lock(mutex_);
        closed_.push_back(window);
    }
    void Focus(WindowId window, int feq) override {
        std::lock_guard lock(mutex_);
        focus_.emplace_back(window, feq);
    }
    void Busy(WindowId, bool) override {}
    void Standard(WindowId window, StdAction action) override {
        std::lock_guard lock(mutex_);
        actions_.emplace_back(window, action);
    }
    unsigned Ask(WindowId, const MessageRequest& request) override { return request.defaultButton; }
    WindowId ActiveWindow() override { return 0; }

    std::vector<WindowSnapshot> Opened() const { return Locked(opened_); }
    std::vector<WindowCall> WindowCalls() const { return Locked(windowCalls_); }
    std::vector<ControlCall> ControlCalls() const { return Locked(controlCalls_); }
    std::vector<WindowId> Closed() const { return Locked(closed_); }
    std::vector<std::pair<WindowId, int>> Focused() const { return Locked(focus_); }
    std::vector<std::pair<WindowId, StdAction>> Actions() const { return Locked(actions_); }

  private:
    template <typename T>
    T Locked(const T& value) const {
        std::lock_guard lock(mutex_);
        return value;
    }

    mutable std::mutex mutex_;
    std::vector<WindowSnapshot> opened_;
    std::vector<WindowCall> windowCalls_;
    std::vector<ControlCall> controlCalls_;
    std::vector<WindowId> closed_;
    std::vector<std::pair<WindowId, int>> focus_;
    std::vector<std::pair<WindowId, StdAction>> actions_;
};

// Installs a display of type D for the test; afterwards no display, the console for messages
// and no busy hooks, as a process starts.
template <typename D>
class DisplayTest : public ::testing::Test {
  protected:
    void SetUp() override { SetDisplay(display_); }
    void TearDown() override {
        SetDisplay(nullptr);
        ErrorManager::Global().SetSink(nullptr);
        SetBusyHooks({});
    }

    D& display() { return *display_; }

    std::shared_ptr<D> display_ = std::make_shared<D>();
};

using HeadlessTest = DisplayTest<HeadlessDisplay>;
using RecordingTest = DisplayTest<RecordingDisplay>;

// An event as a window handed it out, with what the window then held for its control.
struct Seen {
    runtime::EventCode code = 0;
    int control = 0;
    int key = 0;
    int row = 0;
    int column = 0;
    std::string screen;
    int selected = 0;
    friend bool operator==(const Seen&, const Seen&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const Seen& s) {
    return out << "{code 0x" << std::hex << s.code << std::dec << ", control " << s.control
               << ", key " << s.key << ", row " << s.row << ", column " << s.column << ", screen \""
               << s.screen << "\", selected " << s.selected << "}";
}

}  // namespace zem::ui::testing
