#include "platform/ui/window/input.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/runtime/events.h"
#include "platform/ui/window/screen_state.h"

namespace zem::ui {
namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<WindowId, std::shared_ptr<ScreenState>> open;
    WindowId last = 0;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry;  // outlives threads still running at exit
    return *registry;
}

thread_local std::vector<WindowId> t_windows;

}  // namespace

void ScreenState::SetScreen(int feq, std::string screen) {
    std::lock_guard lock(mutex_);
    pending_.screens[feq] = std::move(screen);
}

void ScreenState::SetSelection(int feq, int selected) {
    std::lock_guard lock(mutex_);
    pending_.selections[feq] = selected;
}

void ScreenState::SetPlacement(const Rect& at, bool maximized) {
    std::lock_guard lock(mutex_);
    pending_.at = at;
    pending_.maximized = maximized;
    kept_.at = at;
    kept_.maximized = maximized;
}

void ScreenState::KeepPlacementAs(std::string name) {
    std::lock_guard lock(mutex_);
    kept_.name = std::move(name);
}

void ScreenState::PlacedAt(const Rect& at, bool maximized) {
    std::lock_guard lock(mutex_);
    kept_.at = at;
    kept_.maximized = maximized;
}

std::optional<KeptPlacement> ScreenState::Kept() const {
    std::lock_guard lock(mutex_);
    if (kept_.name.empty()) return std::nullopt;
    return kept_;
}

void ScreenState::SetColumnWidths(int feq, std::vector<int> widths) {
    std::lock_guard lock(mutex_);
    pending_.columnWidths[feq] = std::move(widths);
}

ScreenChanges ScreenState::Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(pending_, ScreenChanges{});
}

WindowId RegisterWindow(std::shared_ptr<ScreenState> state) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const WindowId id = ++r.last;
    r.open.emplace(id, std::move(state));
    return id;
}

void UnregisterWindow(WindowId window) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.open.erase(window);
}

std::shared_ptr<ScreenState> FindScreenState(WindowId window) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const auto it = r.open.find(window);
    return it == r.open.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<ScreenState>> OpenScreenStates() {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    std::vector<std::shared_ptr<ScreenState>> states;
    for (const auto& [id, state] : r.open) states.push_back(state);
    return states;
}

void PushCurrentWindow(WindowId window) {
    t_windows.push_back(window);
}

void PopCurrentWindow(WindowId window) {
    const auto it = std::find(t_windows.rbegin(), t_windows.rend(), window);
    if (it != t_windows.rend()) t_windows.erase(std::next(it).base());
}

WindowId CurrentWindow() {
    return t_windows.empty() ? 0 : t_windows.back();
}

runtime::ThreadNo WindowThread(WindowId window) {
    const auto state = FindScreenState(window);
    return state ? state->Thread() : 0;
}

bool SendInput(WindowId window, const Input& input) {
    const auto state = FindScreenState(window);
    if (!state) return false;
    if (input.screen) state->SetScreen(input.control, *input.screen);
    if (input.selected) state->SetSelection(input.control, *input.selected);
    runtime::Event event;
    event.code = input.code;
    event.control = input.control;
    event.window = window;
    event.key = input.key;
    event.row = input.row;
    event.column = input.column;
    event.input = true;
    return runtime::PostEvent(state->Thread(), event);
}

bool SetScreenValue(WindowId window, int feq, std::string screen) {
    const auto state = FindScreenState(window);
    if (!state) return false;
    state->SetScreen(feq, std::move(screen));
    return true;
}

bool SetScreenSelection(WindowId window, int feq, int selected) {
    const auto state = FindScreenState(window);
    if (!state) return false;
    state->SetSelection(feq, selected);
    return true;
}

bool ReportColumnWidths(WindowId window, int feq, std::vector<int> widths) {
    const auto state = FindScreenState(window);
    if (!state) return false;
    state->SetColumnWidths(feq, std::move(widths));
    return true;
}

bool ReportPlacement(WindowId window, const Rect& at, bool maximized) {
    const auto state = FindScreenState(window);
    if (!state) return false;
    state->SetPlacement(at, maximized);
    return true;
}

}  // namespace zem::ui
