#pragma once
// A pop-up menu a window builds item by item, each item with what it does: shown for a control
// at the pointer, its choice comes back as that control's pop-up-chosen event, which Take turns
// into the chosen item's action.
#include <functional>
#include <vector>

#include "platform/runtime/events.h"
#include "platform/ui/window/window.h"

namespace zem::ui {

class PopupActions {
  public:
    void Clear();
    void Add(PopupItem item, std::function<void()> action);
    // An item standing for a button: its text and icon, enabled as the button is (a hidden
    // button counts as disabled unless hiddenWorks), and chosen it presses the button when the
    // button is still enabled then. A missing button adds nothing.
    void AddButton(Window& window, int button, bool hiddenWorks = false);
    // A separator goes between items only: none first, none twice in a row.
    void AddSeparator();
    bool Empty() const { return menu_.items.empty(); }
    const std::vector<PopupItem>& Items() const { return menu_.items; }

    void Show(Window& window, int control);
    // Runs the chosen item's action when it is enabled; false when the event is no choice from
    // this menu.
    bool Take(const runtime::Event& event);

  private:
    PopupMenu menu_;
    std::vector<std::function<void()>> actions_;
};

}  // namespace zem::ui
