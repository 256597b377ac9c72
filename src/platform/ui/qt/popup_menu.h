#pragma once
// A window's pop-up menu: shown at the pointer, its choice sent to the window as an event of the
// control it was shown for. One menu per window: a new one replaces the one showing.
#include "platform/ui/qt/window_view.h"

namespace zem::ui::qt {

void ShowPopupMenu(WindowView& view, const PopupMenu& menu);

}  // namespace zem::ui::qt
