#pragma once
// The keyboard-layout switch guard ("Tavrillo"): attached to every window the framework opens,
// on every thread, through the window model's open hook, and to each of the window's controls
// that takes keyboard input. A control lets one layout-change request through and refuses the
// next ones until some other qualifying message has come; every window's system menu gets a
// separator and the "Tavrillo" item (666), which opens the guard's about window; session-end
// messages are answered yes and turned into the framework's close-down event.
#include <memory>
#include <string>
#include <string_view>

#include "platform/win/window_handles.h"

namespace zem::ui {
class Window;
}

namespace zem::addons {

inline constexpr unsigned kAboutCommand = 666;
inline constexpr std::string_view kGuardCaption = "Tavrillo";

struct LayoutGuardHook {
    int openHook = 0;  // the window model's open hook the guard runs in
};

// The module-level object: constructing it makes every window opened from then on guarded;
// destroying it stops guarding new windows (windows already guarded keep their guard).
class LayoutGuard {
  public:
    LayoutGuard();
    virtual ~LayoutGuard();
    LayoutGuard(const LayoutGuard&) = delete;
    LayoutGuard& operator=(const LayoutGuard&) = delete;

    std::unique_ptr<LayoutGuardHook> HOOK;
};

class LayoutGuardControl {
  public:
    virtual ~LayoutGuardControl() = default;
    virtual win::LResult WindowProc(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                                    win::LParam lParam);
    win::Hwnd HANDLE = 0;
    win::WndProc WNDPROC = nullptr;
    bool ISCHANGE = false;
};

class LayoutGuardWindow {
  public:
    virtual ~LayoutGuardWindow() = default;
    virtual win::LResult WindowProc(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                                    win::LParam lParam);
    win::Hwnd HANDLE = 0;
    win::WndProc WNDPROC = nullptr;
    std::string ITEM{kGuardCaption};
};

// Attaching by hand, as the open hook does.
void AttachToWindow(ui::Window& window);
void AttachToControl(ui::Window& window, int feq);
// Whether the handle carries a guard now.
bool IsGuarded(win::Hwnd hwnd);

// Runs the about window on the calling thread until it is closed.
void AboutWindow();
// The addresses the about window's links open.
inline constexpr std::string_view kGuardWebAddress = "https://tavrillo.example.org/";
inline constexpr std::string_view kGuardMailAddress = "tavrillo@tavrillo.example.org";

}  // namespace zem::addons
