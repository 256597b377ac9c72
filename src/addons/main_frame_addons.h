#pragma once
// The add-ons' side of the main frame: its menus drawn by the menu painter in the frame's style
// and its tray icon (a double click on it brings the frame back).
#include <memory>

#include "addons/layout_guard.h"
#include "addons/tray_icon_class.h"

namespace zem::addons {
struct MenuStyle;
}

namespace zem::addons {

// The frame's tray icon: the base behaviour, and a left double click posts the maximize event
// to the frame's thread, which restores the frame while it is on the tray.
std::unique_ptr<TrayIconClass> MakeFrameTrayIcon();

// The look the frame gives its menus.
void ApplyFrameMenuStyle(MenuStyle& style);

// Registers the frame's add-ons with the main frame. Once, at start-up.
void InstallFrameAddOns();

}  // namespace zem::addons
