#include "platform/ui/window/popup_actions.h"

#include <utility>

#include "platform/runtime/event_codes.h"

namespace zem::ui {

void PopupActions::Clear() {
    menu_.items.clear();
    actions_.clear();
}

void PopupActions::Add(PopupItem item, std::function<void()> action) {
    menu_.items.push_back(std::move(item));
    actions_.push_back(std::move(action));
}

void PopupActions::AddButton(Window& window, int button, bool hiddenWorks) {
    const Control* c = button != 0 ? window.Find(button) : nullptr;
    if (!c) return;
    auto usable = [hiddenWorks](const Control& b) {
        return !b.disable && (hiddenWorks || !b.hide);
    };
    Add(PopupItem{c->text, c->icon, usable(*c), false}, [&window, button, usable] {
        const Control* now = window.Find(button);
        if (now && usable(*now)) window.Post(runtime::event::kAccepted, button);
    });
}

void PopupActions::AddSeparator() {
    if (menu_.items.empty() || menu_.items.back().separator) return;
    Add(PopupItem{{}, {}, false, true}, {});
}

void PopupActions::Show(Window& window, int control) {
    // A trailing separator separates nothing.
    while (!menu_.items.empty() && menu_.items.back().separator) {
        menu_.items.pop_back();
        actions_.pop_back();
    }
    menu_.control = control;
    window.PopUp(menu_);
}

bool PopupActions::Take(const runtime::Event& event) {
    if (event.code != runtime::event::kPopupChosen || event.control != menu_.control ||
        menu_.control == 0)
        return false;
    const int item = event.row;
    if (item < 1 || item > static_cast<int>(actions_.size())) return true;
    const std::size_t at = static_cast<std::size_t>(item) - 1;
    if (menu_.items[at].enabled && actions_[at]) actions_[at]();
    return true;
}

}  // namespace zem::ui
