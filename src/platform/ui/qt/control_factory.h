#pragma once
// The widget of each kind of control, and how a control's model is shown on it. Menus, menu
// items and toolbars are built by the window builder; their properties are applied here too.
#include "platform/ui/qt/window_view.h"

namespace zem::ui::qt {

// Makes the widget of a control that sits in the client area (or in a container within it) and
// shows its model. Does nothing for menus, their items and toolbars.
void CreateControlWidget(WindowView& view, ControlView& control);

// Shows model on the control's widgets and keeps it as the control's model. Only what differs
// from the model shown so far is applied; with full set, everything is. The widgets' signals are
// blocked meanwhile, so nothing of it is reported as input.
void ApplyControl(WindowView& view, ControlView& control, const Control& model, bool full);

// Puts the control's widget at its place: the layout gives client-area coordinates, so a
// control inside a container is moved by the container's offset. A zero size takes the size
// hint.
void PlaceControl(WindowView& view, ControlView& control);
// Places every control again (the client area changed its size).
void PlaceAllControls(WindowView& view);
// Places every control whose container is the given widget (a tab page that moved).
void PlaceControlsIn(WindowView& view, const QWidget* container);

// Menus, their items, toolbars and the tool buttons in them: the parts of a window's frame.
bool IsBarControl(WindowView& view, const Control& control);

}  // namespace zem::ui::qt
