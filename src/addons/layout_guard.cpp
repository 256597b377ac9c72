#include "addons/layout_guard.h"

#include "platform/runtime/event_codes.h"
#include "platform/runtime/events.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_hooks.h"

namespace zem::addons {
namespace {

constexpr std::string_view kControlProp = "LayoutGuardControl";
constexpr std::string_view kWindowProp = "LayoutGuardWindow";

// Messages that leave a let-through request standing: they come with or after a layout change
// without the user having done anything else in the control.
bool KeepsRequestStanding(unsigned message) {
    switch (message) {
        case win::WM_SETCURSOR:
        case win::WM_INPUTLANGCHANGE:
        case win::WM_NCHITTEST:
        case win::WM_KEYUP:
        case win::WM_MOUSEMOVE:
        case win::WM_IME_SETCONTEXT:
        case win::WM_IME_NOTIFY:
            return true;
        default:
            return message >= 0x240A;
    }
}

bool IsDestroy(unsigned message) {
    return message == win::WM_DESTROY || message == win::WM_NCDESTROY;
}

// The tail every guard shares: on destruction the previous procedure goes back in place (when
// no one has subclassed the window after the guard), the message reaches it, and the guard is
// released; everything else goes to the previous procedure.
template <typename Guard>
win::LResult Tail(Guard* guard, win::WndProc self, std::string_view prop, win::Hwnd hwnd,
                  unsigned message, win::WParam wParam, win::LParam lParam) {
    const win::WndProc previous = guard->WNDPROC;
    if (!IsDestroy(message)) return win::CallWindowProc(previous, hwnd, message, wParam, lParam);
    if (win::GetWindowProc(hwnd) == self) win::SetWindowProc(hwnd, previous);
    win::RemoveProp(hwnd, prop);
    delete guard;
    return win::CallWindowProc(previous, hwnd, message, wParam, lParam);
}

win::LResult ControlDispatcher(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                               win::LParam lParam) {
    auto* guard = static_cast<LayoutGuardControl*>(win::GetProp(hwnd, kControlProp));
    if (!guard) return win::DefWindowProc(hwnd, message, wParam, lParam);
    return guard->WindowProc(hwnd, message, wParam, lParam);
}

win::LResult WindowDispatcher(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                              win::LParam lParam) {
    auto* guard = static_cast<LayoutGuardWindow*>(win::GetProp(hwnd, kWindowProp));
    if (!guard) return win::DefWindowProc(hwnd, message, wParam, lParam);
    return guard->WindowProc(hwnd, message, wParam, lParam);
}

template <typename Guard>
void Subclass(std::unique_ptr<Guard> guard, win::Hwnd hwnd, std::string_view prop,
              win::WndProc dispatcher) {
    if (!win::IsWindow(hwnd) || win::GetProp(hwnd, prop)) return;
    guard->HANDLE = hwnd;
    win::SetProp(hwnd, prop, guard.get());
    guard->WNDPROC = win::SetWindowProc(hwnd, dispatcher);
    guard.release();  // the window owns it from now on: it goes with WM_DESTROY
}

}  // namespace

LayoutGuard::LayoutGuard() : HOOK(std::make_unique<LayoutGuardHook>()) {
    HOOK->openHook = ui::AddOpenHook([](ui::Window& window) { AttachToWindow(window); });
}

LayoutGuard::~LayoutGuard() {
    if (HOOK) ui::RemoveOpenHook(HOOK->openHook);
}

win::LResult LayoutGuardControl::WindowProc(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                                            win::LParam lParam) {
    if (message == win::WM_INPUTLANGCHANGEREQUEST) {
        if (ISCHANGE) return 0;
        ISCHANGE = true;
    } else if (ISCHANGE && !KeepsRequestStanding(message)) {
        ISCHANGE = false;
    }
    return Tail(this, &ControlDispatcher, kControlProp, hwnd, message, wParam, lParam);
}

win::LResult LayoutGuardWindow::WindowProc(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                                           win::LParam lParam) {
    switch (message) {
        case win::WM_QUERYENDSESSION:
            return 1;
        case win::WM_ENDSESSION:
            runtime::Post(win::InfoOf(hwnd).thread, runtime::event::kCloseDown);
            return 1;
        case win::WM_SYSCOMMAND:
            if ((wParam & 0xFFFF) == kAboutCommand) AboutWindow();
            break;
        default:
            break;
    }
    return Tail(this, &WindowDispatcher, kWindowProp, hwnd, message, wParam, lParam);
}

void AttachToControl(ui::Window& window, int feq) {
    const ui::Control* control = window.Find(feq);
    if (!control) return;
    switch (ui::ControlTypeCode(control->kind)) {
        case 0:
        case 1:
        case 2:
        case 10:
        case 19:
        case 20:
        case 22:
            return;
        default:
            break;
    }
    const win::Hwnd hwnd = window.ControlHandle(feq);
    if (hwnd == 0) return;
    Subclass(std::make_unique<LayoutGuardControl>(), hwnd, kControlProp, &ControlDispatcher);
}

void AttachToWindow(ui::Window& window) {
    const win::Hwnd hwnd = window.Handle();
    auto guard = std::make_unique<LayoutGuardWindow>();
    const std::string item = guard->ITEM;
    Subclass(std::move(guard), hwnd, kWindowProp, &WindowDispatcher);
    for (const ui::Control& c : window.Controls()) AttachToControl(window, c.feq);
    if (!win::HasSystemMenu(hwnd)) return;
    const int count = win::GetMenuItemCount(hwnd);
    win::InsertMenuItem(hwnd, count, {win::MFT_SEPARATOR, 0, {}});
    win::InsertMenuItem(hwnd, count + 1, {win::MFT_STRING, kAboutCommand, item});
}

bool IsGuarded(win::Hwnd hwnd) {
    return win::GetProp(hwnd, kControlProp) || win::GetProp(hwnd, kWindowProp);
}

}  // namespace zem::addons
