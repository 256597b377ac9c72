#pragma once
// What a window carries besides its controls: a window handle for itself and for every control
// that has a window of its own, and the hooks that run right after a window has opened, on the
// window's own thread, so add-ons can attach to every window without the procedures' help.
#include <functional>

#include "platform/ui/window/control.h"
#include "platform/win/window_handles.h"

namespace zem::ui {

class Window;

// The framework's control-type code of a kind (menu 19, menu item 20, string 2, prompt 10...).
int ControlTypeCode(ControlKind kind);
// Whether the display gives controls of the kind a window of their own (menus, items, tabs and
// boxes are drawn by their parent).
bool HasOwnHandle(ControlKind kind);

// Runs after every successful Window::Open, on the opening thread, in the order added. Added
// once at start-up, before windows open; answers the hook's number for RemoveOpenHook.
using OpenHook = std::function<void(Window& window)>;
int AddOpenHook(OpenHook hook);
void RemoveOpenHook(int id);
void RunOpenHooks(Window& window);

}  // namespace zem::ui
