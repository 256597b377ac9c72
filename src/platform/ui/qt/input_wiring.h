#pragma once
// From widgets to the window's thread: each control's signals become the screen values and
// events the headless display sends for the same acts, through ui::SendInput and friends.
// Nothing the program does to a widget is reported: its signals are blocked while it applies a
// change, and the handlers also stand down while the view is applying or closing.
#include "platform/ui/qt/window_view.h"

namespace zem::ui::qt {

void WireControl(WindowView& view, ControlView& control);

// Opens, moves or closes the editor of a list's cell as the model's edit cell says; the
// editor reports how the user ended it (Enter, Tab, Escape, or the focus leaving as Tab).
void ApplyCellEdit(WindowView& view, ControlView& control);

// What a user's typing into a control ends with: the entry, text or spin box is accepted.
// Used by the test seam that types, so it runs the same path as a user.
void FinishTyping(QWidget* widget);

}  // namespace zem::ui::qt
