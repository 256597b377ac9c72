#include "platform/ui/window/headless_display.h"

#include <algorithm>
#include <utility>

#include "platform/runtime/event_codes.h"
#include "platform/runtime/letter_case.h"
#include "platform/ui/window/input.h"

namespace zem::ui {
namespace {

namespace ev = runtime::event;

Control* ControlIn(std::vector<Control>& controls, std::string_view use) {
    for (Control& c : controls)
        if (runtime::EqualIgnoringCase(c.use, use)) return &c;
    return nullptr;
}

Control* ControlIn(std::vector<Control>& controls, int feq) {
    for (Control& c : controls)
        if (c.feq == feq) return &c;
    return nullptr;
}

// A control takes input when it and every control it sits in are shown and enabled.
bool Usable(std::vector<Control>& controls, const Control& c) {
    for (const Control* at = &c; at; at = at->parent ? ControlIn(controls, at->parent) : nullptr)
        if (at->hide || at->disable) return false;
    return true;
}

}  // namespace

HeadlessDisplay::WindowView* HeadlessDisplay::Find(WindowId window) {
    for (WindowView& v : open_)
        if (v.window.id == window) return &v;
    return nullptr;
}

const HeadlessDisplay::WindowView* HeadlessDisplay::Find(WindowId window) const {
    for (const WindowView& v : open_)
        if (v.window.id == window) return &v;
    return nullptr;
}

void HeadlessDisplay::Opened(const WindowSnapshot& window) {
    std::lock_guard lock(mutex_);
    if (WindowView* outer = Find(window.outer)) outer->enabled = false;
    open_.push_back(WindowView{window, true, false, 0});
    opened_.push_back(window.procedure);
    active_ = window.id;
    changed_.notify_all();
}

void HeadlessDisplay::WindowChanged(WindowId window, const WindowProps& props) {
    std::lock_guard lock(mutex_);
    if (WindowView* v = Find(window)) v->window.props = props;
    changed_.notify_all();
}

void HeadlessDisplay::ControlChanged(WindowId window, const Control& control) {
    std::lock_guard lock(mutex_);
    if (WindowView* v = Find(window))
        if (Control* c = ControlIn(v->window.controls, control.feq)) *c = control;
    changed_.notify_all();
}

void HeadlessDisplay::Closed(WindowId window) {
    std::lock_guard lock(mutex_);
    const auto it = std::find_if(open_.begin(), open_.end(),
                                 [&](const WindowView& v) { return v.window.id == window; });
    if (it == open_.end()) return;
    const WindowId outer = it->window.outer;
    open_.erase(it);
    if (WindowView* o = Find(outer)) o->enabled = true;
    if (active_ == window) active_ = open_.empty() ? 0 : open_.back().window.id;
    changed_.notify_all();
}

void HeadlessDisplay::Focus(WindowId window, int feq) {
    std::lock_guard lock(mutex_);
    if (WindowView* v = Find(window)) v->focus = feq;
    changed_.notify_all();
}

void HeadlessDisplay::Busy(WindowId window, bool busy) {
    std::lock_guard lock(mutex_);
    if (WindowView* v = Find(window)) v->busy = busy;
}

void HeadlessDisplay::Standard(WindowId window, StdAction action) {
    std::lock_guard lock(mutex_);
    actions_.emplace_back(window, action);
    changed_.notify_all();
}

unsigned HeadlessDisplay::Ask(WindowId window, const MessageRequest& request) {
    std::lock_guard lock(mutex_);
    unsigned answer = request.defaultButton;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    messages_.push_back(MessageRecord{window, request, answer});
    changed_.notify_all();
    return answer;
}

WindowId HeadlessDisplay::ActiveWindow() {
    std::lock_guard lock(mutex_);
    return active_;
}

std::optional<WindowId> HeadlessDisplay::FindWindow(std::string_view procedure) const {
    std::lock_guard lock(mutex_);
    for (auto it = open_.rbegin(); it != open_.rend(); ++it)
        if (it->window.procedure == procedure) return it->window.id;
    return std::nullopt;
}

std::optional<WindowId> HeadlessDisplay::WaitForWindow(std::string_view procedure,
                                                       Timeout timeout) {
    std::optional<WindowId> found;
    WaitUntil(
        [&] {
            for (auto it = open_.rbegin(); it != open_.rend(); ++it)
                if (it->window.procedure == procedure) {
                    found = it->window.id;
                    return true;
                }
            return false;
        },
        timeout);
    return found;
}

bool HeadlessDisplay::WaitForClose(WindowId window, Timeout timeout) {
    return WaitUntil([&] { return Find(window) == nullptr; }, timeout);
}

bool HeadlessDisplay::IsOpen(WindowId window) const {
    std::lock_guard lock(mutex_);
    return Find(window) != nullptr;
}

std::vector<HeadlessDisplay::WindowView> HeadlessDisplay::OpenWindows() const {
    std::lock_guard lock(mutex_);
    return open_;
}

std::optional<HeadlessDisplay::WindowView> HeadlessDisplay::View(WindowId window) const {
    std::lock_guard lock(mutex_);
    const WindowView* v = Find(window);
    if (!v) return std::nullopt;
    return *v;
}

std::vector<std::string> HeadlessDisplay::OpenedProcedures() const {
    std::lock_guard lock(mutex_);
    return opened_;
}

std::optional<Control> HeadlessDisplay::ControlOf(WindowId window, std::string_view use) const {
    std::lock_guard lock(mutex_);
    const WindowView* v = Find(window);
    if (!v) return std::nullopt;
    for (const Control& c : v->window.controls)
        if (runtime::EqualIgnoringCase(c.use, use)) return c;
    return std::nullopt;
}

std::optional<Control> HeadlessDisplay::ControlOf(WindowId window, int feq) const {
    std::lock_guard lock(mutex_);
    const WindowView* v = Find(window);
    if (!v) return std::nullopt;
    for (const Control& c : v->window.controls)
        if (c.feq == feq) return c;
    return std::nullopt;
}

std::string HeadlessDisplay::Shown(WindowId window, std::string_view use) const {
    const auto c = ControlOf(window, use);
    if (!c) return {};
    switch (c->kind) {
        case ControlKind::Entry:
        case ControlKind::Text:
        case ControlKind::Display:
        case ControlKind::Spin:
        case ControlKind::Check:
        case ControlKind::Option:
        case ControlKind::Progress:
            return c->screen;
        default:
            return c->text;
    }
}

bool HeadlessDisplay::WaitUntil(const std::function<bool()>& test, Timeout timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, test);
}

bool HeadlessDisplay::WaitForView(WindowId window,
                                  const std::function<bool(const WindowView&)>& test,
                                  Timeout timeout) {
    return WaitUntil(
        [&] {
            const WindowView* v = Find(window);
            return v && test(*v);
        },
        timeout);
}

bool HeadlessDisplay::WaitForControl(WindowId window, std::string_view use,
                                     const std::function<bool(const Control&)>& test,
                                     Timeout timeout) {
    return WaitUntil(
        [&] {
            WindowView* v = Find(window);
            if (!v) return false;
            const Control* c = ControlIn(v->window.controls, use);
            return c && test(*c);
        },
        timeout);
}

Control* HeadlessDisplay::Actionable(WindowId window, std::string_view use) {
    WindowView* v = Find(window);
    if (!v || !v->enabled) return nullptr;
    Control* c = ControlIn(v->window.controls, use);
    if (!c || !Usable(v->window.controls, *c)) return nullptr;
    return c;
}

bool HeadlessDisplay::TypeOnly(WindowId window, std::string_view use, std::string_view text) {
    std::lock_guard lock(mutex_);
    Control* c = Actionable(window, use);
    if (!c || c->readOnly) return false;
    c->screen = text;
    return SetScreenValue(window, c->feq, std::string(text));
}

bool HeadlessDisplay::TypeKey(WindowId window, std::string_view use, char key) {
    std::lock_guard lock(mutex_);
    Control* c = Actionable(window, use);
    if (!c || c->readOnly) return false;
    c->screen += key;
    return SendInput(window, Input{c->feq, ev::kNewSelection, c->screen});
}

bool HeadlessDisplay::Type(WindowId window, std::string_view use, std::string_view text) {
    std::lock_guard lock(mutex_);
    Control* c = Actionable(window, use);
    if (!c || c->readOnly) return false;
    c->screen = text;
    return SendInput(window, Input{c->feq, ev::kAccepted, std::string(text)});
}

bool HeadlessDisplay::Press(WindowId window, std::string_view use) {
    std::lock_guard lock(mutex_);
    const Control* c = Actionable(window, use);
    return c && SendInput(window, Input{c->feq, ev::kAccepted});
}

bool HeadlessDisplay::Choose(WindowId window, std::string_view use) {
    return Press(window, use);
}

bool HeadlessDisplay::PressNumber(WindowId window, int feq) {
    std::lock_guard lock(mutex_);
    WindowView* v = Find(window);
    if (!v || !v->enabled) return false;
    const Control* c = ControlIn(v->window.controls, feq);
    if (!c || !Usable(v->window.controls, *c)) return false;
    return SendInput(window, Input{feq, ev::kAccepted});
}

bool HeadlessDisplay::Check(WindowId window, std::string_view use, bool on) {
    std::lock_guard lock(mutex_);
    Control* c = Actionable(window, use);
    if (!c || c->readOnly) return false;
    c->screen = on ? "1" : "0";
    return SendInput(window, Input{c->feq, ev::kAccepted, c->screen});
}

bool HeadlessDisplay::ChooseRadio(WindowId window, std::string_view optionUse,
                                  std::string_view radioUse) {
    std::lock_guard lock(mutex_);
    Control* option = Actionable(window, optionUse);
    const Control* radio = Actionable(window, radioUse);
    if (!option || !radio || radio->parent != option->feq) return false;
    option->screen = radio->value;
    // The option hears of the change first, then of its acceptance, as a click on a radio does.
    return SendInput(window, Input{option->feq, ev::kNewSelection, radio->value}) &&
           SendInput(window, Input{option->feq, ev::kAccepted});
}

bool HeadlessDisplay::ChooseRow(WindowId window, std::string_view use, int row) {
    std::lock_guard lock(mutex_);
    Control* c = Actionable(window, use);
    if (!c || row < 1 || row > static_cast<int>(c->rows.size())) return false;
    c->selected = row;
    const bool sent = SendInput(window, Input{c->feq, ev::kNewSelection, std::nullopt, row});
    // A drop list's choice is also its acceptance.
    if (c->kind == ControlKind::DropList) return sent && SendInput(window, Input{c->feq});
    return sent;
}

bool HeadlessDisplay::ClickCell(WindowId window, std::string_view use, int row, int column,
                                int key) {
    std::lock_guard lock(mutex_);
    Control* c = Actionable(window, use);
    if (!c || row < 0 || row > static_cast<int>(c->rows.size())) return false;
    Input click{c->feq, ev::kAlertKey};
    click.key = key;
    click.row = row;
    click.column = column;
    // The click reaches the window before the list moves to the row, as with a mouse-down.
    const bool sent = SendInput(window, click);
    if (row == 0) return sent;  // below the rows: nothing to move to
    c->selected = row;
    Input select{c->feq, ev::kNewSelection, std::nullopt, row};
    select.row = row;
    select.column = column;
    return sent && SendInput(window, select);
}

bool HeadlessDisplay::ClickHeader(WindowId window, std::string_view use, int column) {
    std::lock_guard lock(mutex_);
    const Control* c = Actionable(window, use);
    if (!c || column < 1 || column > static_cast<int>(c->columns.size())) return false;
    Input header{c->feq, ev::kHeaderPressed};
    header.column = column;
    return SendInput(window, header);
}

bool HeadlessDisplay::EditCell(WindowId window, std::string_view use, std::string_view text,
                               int key) {
    std::lock_guard lock(mutex_);
    const Control* c = Actionable(window, use);
    if (!c || c->editRow < 1 || c->editColumn < 1) return false;
    Input edited{c->feq, ev::kCellEdited};
    if (key != key::Escape) edited.screen = std::string(text);
    edited.key = key;
    edited.row = c->editRow;
    edited.column = c->editColumn;
    return SendInput(window, edited);
}

bool HeadlessDisplay::ToggleExpander(WindowId window, std::string_view use, int row, bool expand) {
    std::lock_guard lock(mutex_);
    const Control* c = Actionable(window, use);
    if (!c || c->kind != ControlKind::Tree || row < 1 || row > static_cast<int>(c->rows.size()))
        return false;
    const ListRow& at = c->rows[static_cast<std::size_t>(row) - 1];
    const bool open = static_cast<std::size_t>(row) < c->rows.size() &&
                      c->rows[static_cast<std::size_t>(row)].level > at.level;
    if (expand ? !at.contracted : !open) return false;
    Input toggle{c->feq, expand ? ev::kExpanded : ev::kContracted};
    toggle.row = row;
    return SendInput(window, toggle);
}

void HeadlessDisplay::PopUp(WindowId window, const PopupMenu& menu) {
    std::lock_guard lock(mutex_);
    if (WindowView* v = Find(window)) v->popup = menu;
    changed_.notify_all();
}

std::optional<PopupMenu> HeadlessDisplay::WaitForPopup(WindowId window, Timeout timeout) {
    std::optional<PopupMenu> found;
    WaitUntil(
        [&] {
            const WindowView* v = Find(window);
            if (v && v->popup) found = v->popup;
            return found.has_value();
        },
        timeout);
    return found;
}

bool HeadlessDisplay::ChoosePopup(WindowId window, std::string_view text) {
    std::lock_guard lock(mutex_);
    WindowView* v = Find(window);
    if (!v || !v->enabled || !v->popup) return false;
    const PopupMenu menu = *std::exchange(v->popup, std::nullopt);
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        const PopupItem& item = menu.items[i];
        if (item.separator || item.text != text) continue;
        if (!item.enabled) return false;
        Input chosen{menu.control, ev::kPopupChosen};
        chosen.row = static_cast<int>(i) + 1;
        return SendInput(window, chosen);
    }
    return false;
}

bool HeadlessDisplay::SelectTab(WindowId window, std::string_view sheetUse, int tab) {
    std::lock_guard lock(mutex_);
    Control* c = Actionable(window, sheetUse);
    if (!c || tab < 1) return false;
    c->selected = tab;
    return SendInput(window, Input{c->feq, ev::kNewSelection, std::nullopt, tab});
}

bool HeadlessDisplay::PressKey(WindowId window, int key) {
    std::lock_guard lock(mutex_);
    WindowView* v = Find(window);
    if (!v || !v->enabled) return false;
    Input press{0, ev::kAlertKey};
    press.key = key;
    return SendInput(window, press);
}

bool HeadlessDisplay::CloseBox(WindowId window) {
    std::lock_guard lock(mutex_);
    WindowView* v = Find(window);
    if (!v || !v->enabled) return false;
    return SendInput(window, Input{0, ev::kCloseWindow});
}

void HeadlessDisplay::Activate(WindowId window) {
    std::lock_guard lock(mutex_);
    if (!Find(window) || active_ == window) return;
    if (active_ != 0) SendInput(active_, Input{0, ev::kLoseFocus});
    active_ = window;
    SendInput(window, Input{0, ev::kGainFocus});
}

void HeadlessDisplay::AnswerNext(unsigned button) {
    std::lock_guard lock(mutex_);
    answers_.push_back(button);
}

std::vector<HeadlessDisplay::MessageRecord> HeadlessDisplay::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::optional<HeadlessDisplay::MessageRecord> HeadlessDisplay::WaitForMessage(std::size_t count,
                                                                              Timeout timeout) {
    std::optional<MessageRecord> found;
    WaitUntil(
        [&] {
            if (messages_.size() < count || count == 0) return false;
            found = messages_[count - 1];
            return true;
        },
        timeout);
    return found;
}

std::vector<std::pair<WindowId, StdAction>> HeadlessDisplay::Actions() const {
    std::lock_guard lock(mutex_);
    return actions_;
}

}  // namespace zem::ui
