#include "platform/ui/window/window.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/runtime/letter_case.h"
#include "platform/runtime/timers.h"
#include "platform/ui/window/app_settings.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/window/input.h"
#include "platform/ui/window/screen_state.h"
#include "platform/ui/window/window_hooks.h"

namespace zem::ui {
namespace {

thread_local std::vector<Window*> t_running;
// Events a procedure posted to an outer window while a nested one ran: kept for the outer.
thread_local std::deque<runtime::Event> t_held;

bool TakesInput(const Control& c) {
    return !c.disable && !c.hide;
}

}  // namespace

Window::Window() = default;

Window::~Window() {
    Close();
}

bool Window::Load(std::string_view resource, std::string_view windowName, std::string* error) {
    auto layout = LoadLayout(resource, windowName, error);
    if (!layout) return false;
    Load(std::move(*layout));
    return true;
}

void Window::Load(WindowLayout layout) {
    props_ = std::move(layout.props);
    layoutAt_ = props_.at;
    controls_ = std::move(layout.controls);
    layoutTimer_ = layout.timer;
    layoutWidths_.clear();
    for (const Control& c : controls_) {
        if (c.columns.empty()) continue;
        std::vector<int>& widths = layoutWidths_[c.feq];
        for (const ListColumn& column : c.columns) widths.push_back(column.width);
    }
}

std::vector<int> Window::LayoutWidths(int feq) const {
    const auto found = layoutWidths_.find(feq);
    return found != layoutWidths_.end() ? found->second : std::vector<int>{};
}

bool Window::Open(std::string_view procedure) {
    if (id_ != 0) return true;
    const runtime::ThreadNo thread = runtime::CurrentThread();
    if (thread == 0) return false;
    procedure_ = procedure;
    if (props_.charset < 0) props_.charset = DefaultCharset();
    display_ = CurrentDisplay();
    screen_ = std::make_shared<ScreenState>(thread);
    screen_->PlacedAt(props_.at, props_.maximized);
    if (!placementName_.empty()) screen_->KeepPlacementAs(placementName_);
    // Registered before the display hears of it, so input from the first moment finds it.
    id_ = RegisterWindow(screen_);
    outer_ = CurrentWindow();
    PushCurrentWindow(id_);
    t_running.push_back(this);
    outerTimer_ = runtime::TimerPeriod();
    runtime::SetTimer(layoutTimer_);
    closing_ = false;
    for (const auto& [feq, binding] : bindings_)
        if (Control* c = Mutable(feq)) c->screen = binding.get();

    WindowSnapshot snapshot;
    snapshot.id = id_;
    snapshot.outer = outer_;
    snapshot.thread = thread;
    snapshot.procedure = procedure_;
    snapshot.props = props_;
    snapshot.controls = controls_;
    snapshot.layoutWidth = layoutAt_.width;
    snapshot.layoutHeight = layoutAt_.height;
    // The open-window event comes before anything the user can do to the window.
    Post(runtime::event::kOpenWindow);
    display_->Opened(snapshot);
    MakeHandles(thread);
    RunOpenHooks(*this);
    return true;
}

void Window::MakeHandles(runtime::ThreadNo thread) {
    handle_ = win::CreateHandle({thread, id_, 0, 0}, nullptr);
    for (const Control& c : controls_)
        if (HasOwnHandle(c.kind))
            controlHandles_[c.feq] =
                win::CreateHandle({thread, id_, c.feq, ControlTypeCode(c.kind)}, nullptr);
}

void Window::DestroyHandles() {
    for (const auto& [feq, hwnd] : controlHandles_) win::DestroyHandle(hwnd);
    controlHandles_.clear();
    win::DestroyHandle(handle_);
    handle_ = 0;
}

win::Hwnd Window::ControlHandle(int feq) const {
    const auto it = controlHandles_.find(feq);
    return it == controlHandles_.end() ? 0 : it->second;
}

void Window::Close() {
    if (id_ == 0) return;
    TakeScreenChanges();
    DestroyHandles();
    display_->Closed(id_);
    PopCurrentWindow(id_);
    t_running.erase(std::remove(t_running.begin(), t_running.end(), this), t_running.end());
    UnregisterWindow(id_);
    // The outer window gets its timer back; a thread's last window leaves no timer behind.
    runtime::SetTimer(outer_ != 0 ? outerTimer_ : 0);
    t_held.erase(std::remove_if(t_held.begin(), t_held.end(),
                                [&](const runtime::Event& e) { return e.window == id_; }),
                 t_held.end());
    id_ = 0;
    outer_ = 0;
    kept_.clear();
    screen_.reset();
}

int Window::Feq(std::string_view use) const {
    for (const Control& c : controls_)
        if (!c.use.empty() && runtime::EqualIgnoringCase(c.use, use)) return c.feq;
    return 0;
}

const Control* Window::Find(int feq) const {
    for (const Control& c : controls_)
        if (c.feq == feq) return &c;
    return nullptr;
}

Control* Window::Mutable(int feq) {
    for (Control& c : controls_)
        if (c.feq == feq) return &c;
    return nullptr;
}

std::vector<int> Window::Children(int feq) const {
    std::vector<int> children;
    for (const Control& c : controls_)
        if (c.parent == feq) children.push_back(c.feq);
    return children;
}

void Window::Show(const Control& control) {
    if (id_ != 0) display_->ControlChanged(id_, control);
}

void Window::Change(int feq, const std::function<void(Control&)>& edit) {
    Control* c = Mutable(feq);
    if (!c) return;
    const Control before = *c;
    edit(*c);
    c->feq = before.feq;  // a control keeps its number and place
    c->parent = before.parent;
    if (*c == before) return;
    if (c->screen != before.screen && screen_) screen_->SetScreen(feq, c->screen);
    Show(*c);
}

void Window::SetText(int feq, std::string_view text) {
    Change(feq, [&](Control& c) { c.text = text; });
}
void Window::SetHide(int feq, bool hide) {
    Change(feq, [&](Control& c) { c.hide = hide; });
}
void Window::SetDisable(int feq, bool disable) {
    Change(feq, [&](Control& c) { c.disable = disable; });
}
void Window::SetReadOnly(int feq, bool readOnly) {
    Change(feq, [&](Control& c) { c.readOnly = readOnly; });
}
void Window::SetTip(int feq, std::string_view tip) {
    Change(feq, [&](Control& c) { c.tip = tip; });
}
void Window::SetIcon(int feq, std::string_view icon) {
    Change(feq, [&](Control& c) { c.icon = icon; });
}
void Window::SetScreen(int feq, std::string_view screen) {
    Change(feq, [&](Control& c) { c.screen = screen; });
}
// The current row and the rows are set without Change's copy of the whole control: a list of
// ten thousand rows would be copied and compared cell by cell for every move of the selection.
void Window::SetSelected(int feq, int selected) {
    Control* c = Mutable(feq);
    if (!c || c->selected == selected) return;
    c->selected = selected;
    Show(*c);
}
void Window::SetRows(int feq, std::vector<ListRow> rows) {
    Control* c = Mutable(feq);
    if (!c) return;
    const int selected = std::min(c->selected, static_cast<int>(rows.size()));
    if (selected == c->selected && rows == c->rows) return;
    c->rows = std::move(rows);
    c->selected = selected;
    Show(*c);
}
void Window::ReorderRows(int feq, const std::vector<std::size_t>& order, int sortColumn,
                         bool descending) {
    Control* c = Mutable(feq);
    if (!c || order.size() != c->rows.size()) return;
    std::vector<ListRow> rows;
    rows.reserve(order.size());
    int selected = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        rows.push_back(std::move(c->rows[order[i]]));
        if (static_cast<int>(order[i]) + 1 == c->selected) selected = static_cast<int>(i) + 1;
    }
    c->rows = std::move(rows);
    c->selected = selected;
    c->sortColumn = sortColumn;
    c->sortDescending = descending;
    Show(*c);
}
void Window::SetRow(int feq, int row, ListRow cells) {
    Control* c = Mutable(feq);
    if (!c || row < 1 || row > static_cast<int>(c->rows.size())) return;
    ListRow& at = c->rows[static_cast<std::size_t>(row) - 1];
    if (at == cells) return;
    at = std::move(cells);
    Show(*c);
}
void Window::SetSortShown(int feq, int sortColumn, bool descending) {
    Control* c = Mutable(feq);
    if (!c || (c->sortColumn == sortColumn && c->sortDescending == descending)) return;
    c->sortColumn = sortColumn;
    c->sortDescending = descending;
    Show(*c);
}
void Window::SetSkip(int feq, bool skip) {
    Change(feq, [&](Control& c) { c.skip = skip; });
}

std::string Window::Screen(int feq) const {
    const Control* c = Find(feq);
    return c ? c->screen : std::string();
}

int Window::Selected(int feq) const {
    const Control* c = Find(feq);
    return c ? c->selected : 0;
}

void Window::ChangeProps(const std::function<void(WindowProps&)>& edit) {
    const WindowProps before = props_;
    edit(props_);
    if (props_ == before || id_ == 0) return;
    if (props_.at != before.at || props_.maximized != before.maximized)
        screen_->PlacedAt(props_.at, props_.maximized);
    display_->WindowChanged(id_, props_);
}

void Window::SetCaption(std::string_view caption) {
    ChangeProps([&](WindowProps& p) { p.caption = caption; });
}

void Window::SetWindowIcon(std::string_view icon) {
    ChangeProps([&](WindowProps& p) { p.icon = icon; });
}

void Window::SetStatus(int zone, std::string_view text) {
    if (zone < 0) return;
    ChangeProps([&](WindowProps& p) {
        if (p.statusTexts.size() <= static_cast<std::size_t>(zone))
            p.statusTexts.resize(static_cast<std::size_t>(zone) + 1);
        p.statusTexts[static_cast<std::size_t>(zone)] = text;
    });
}

void Window::SetTimer(runtime::Ticks period) {
    if (id_ == 0) {
        layoutTimer_ = period;
        return;
    }
    runtime::SetTimer(period);
}

runtime::Ticks Window::Timer() const {
    return id_ == 0 ? layoutTimer_ : runtime::TimerPeriod();
}

void Window::SetPlacement(const Rect& at, bool maximized) {
    ChangeProps([&](WindowProps& p) {
        p.at = at;
        p.maximized = maximized;
    });
}

void Window::KeepPlacementAs(std::string_view name) {
    placementName_ = name;
    if (screen_) screen_->KeepPlacementAs(placementName_);
}

void Window::Bind(int feq, Binding binding) {
    bindings_[feq] = std::move(binding);
}

void Window::Update(int feq) {
    TakeScreenChanges();
    for (auto& [bound, binding] : bindings_) {
        if (feq != 0 && bound != feq) continue;
        if (const Control* c = Find(bound)) binding.set(c->screen);
    }
}

void Window::DisplayFields(int feq) {
    for (auto& [bound, binding] : bindings_) {
        if (feq != 0 && bound != feq) continue;
        const std::string text = binding.get();
        Change(bound, [&](Control& c) { c.screen = text; });
    }
}

void Window::TakeScreenChanges() {
    if (!screen_) return;
    ScreenChanges changes = screen_->Take();
    for (auto& [feq, text] : changes.screens)
        if (Control* c = Mutable(feq)) c->screen = std::move(text);
    for (const auto& [feq, selected] : changes.selections)
        if (Control* c = Mutable(feq)) c->selected = selected;
    for (const auto& [feq, widths] : changes.columnWidths)
        if (Control* c = Mutable(feq))
            for (std::size_t i = 0; i < widths.size() && i < c->columns.size(); ++i)
                c->columns[i].width = widths[i];
    if (changes.at) {
        props_.at = *changes.at;
        props_.maximized = changes.maximized;
    }
}

bool Window::Accept() {
    while (id_ != 0) {
        std::optional<runtime::Event> next;
        const auto held = std::find_if(t_held.begin(), t_held.end(),
                                       [&](const runtime::Event& e) { return e.window == id_; });
        if (held != t_held.end()) {
            next = *held;
            t_held.erase(held);
        } else if (!kept_.empty()) {
            next = kept_.front();
            kept_.pop_front();
        } else {
            if (runtime::CurrentThread() == 0) return false;
            next = runtime::WaitEvent(std::chrono::hours(1));
            if (!next) continue;
        }
        if (next->window != 0 && next->window != id_) {
            // Input for an outer window that got through before this one opened is dropped;
            // what a procedure posted to its still open outer window waits for it.
            if (!next->input && FindScreenState(next->window)) t_held.push_back(*next);
            continue;
        }
        if (next->code == runtime::event::kWindowMessage) {
            win::DispatchPosted(next->hwnd, next->message, next->wParam, next->lParam);
            continue;
        }
        TakeScreenChanges();
        if (next->code == runtime::event::kAlertKey && !Alerted(next->key) && next->key != key::F1)
            continue;
        if (next->control != 0 && next->input) {
            const Control* c = Find(next->control);
            if (!c || !TakesInput(*c)) continue;
            const bool takesValue = next->code == runtime::event::kAccepted ||
                                    next->code == runtime::event::kNewSelection;
            if (takesValue) {
                const auto b = bindings_.find(next->control);
                const bool read = b == bindings_.end() || b->second.set(c->screen);
                // An entry refuses what its picture can't read: the field keeps its value, the
                // entry shows it again and keeps the focus. While the user types, nothing is
                // said yet.
                if (!read && next->code == runtime::event::kAccepted) {
                    RefuseEntry(*c);
                    continue;
                }
            }
        }
        event_ = *next;
        return true;
    }
    return false;
}

void Window::RefuseEntry(const Control& entry) {
    const int feq = entry.feq;
    const std::string typed = entry.screen;
    ErrorManager::Global().ThrowMessage(msg::EntryNotReadable, typed);
    DisplayFields(feq);
    Select(feq);
}

void Window::Post(runtime::EventCode code, int control) {
    if (!screen_) return;
    runtime::Event event;
    event.code = code;
    event.control = control;
    // The procedure's own events are not input: they pass whatever a control's state.
    event.window = id_;
    runtime::PostEvent(screen_->Thread(), event);
}

void Window::Select(int feq) {
    if (id_ != 0 && Find(feq)) display_->Focus(id_, feq);
}

void Window::Alert(int key) {
    alerts_.insert(key);
}

void Window::Yield() {
    while (auto next = runtime::TakeEvent()) {
        if (next->window != 0 && next->window != id_) {
            // Not this window's: a procedure's event for an open outer window waits for it,
            // input for another window is dropped as Accept would.
            if (!next->input && FindScreenState(next->window)) t_held.push_back(*next);
            continue;
        }
        kept_.push_back(*next);
    }
}

void Window::Standard(StdAction action) {
    if (id_ != 0) display_->Standard(id_, action);
}

void Window::PopUp(PopupMenu menu) {
    if (id_ != 0) display_->PopUp(id_, menu);
}

void InstallWindowBusyHooks() {
    BusyHooks hooks;
    hooks.cursor = [](bool busy) {
        if (const WindowId w = CurrentWindow()) CurrentDisplay()->Busy(w, busy);
    };
    hooks.yield = [] {
        if (!t_running.empty()) t_running.back()->Yield();
    };
    SetBusyHooks(std::move(hooks));
}

}  // namespace zem::ui
