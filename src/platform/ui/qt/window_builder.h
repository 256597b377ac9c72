#pragma once
// The widgets of a window by its type: the application frame (a main window around an MDI area,
// with menu bar, toolbar and status bar), an MDI child inside the frame, or a window of its own.
#include <memory>

#include "platform/ui/window/display.h"
#include "platform/ui/qt/window_events.h"
#include "platform/ui/qt/window_view.h"

namespace zem::ui::qt {

// Builds every widget of an opened window, wired for input, not shown yet. An MDI child goes
// into application's MDI area; without an open frame it becomes a window of its own.
std::unique_ptr<WindowView> BuildWindow(const WindowSnapshot& window, WindowView* application,
                                        ActivationListener& listener);

// Sizes, places and shows the window, and makes it the active one.
void ShowWindow(WindowView& view);

// Makes the window the active one: the active MDI child of its area, or the active window of
// the desktop.
void ActivateWindow(WindowView& view);

// Shows changed window properties: caption, icon, font, wallpapers, status bar, placement.
void ApplyWindowProps(WindowView& view, const WindowProps& props);

}  // namespace zem::ui::qt
