#include "addons/tray_icon_class.h"

#include "platform/runtime/event_codes.h"
#include "platform/runtime/events.h"
#include "platform/ui/resources/resources.h"
#include "platform/ui/window/window.h"

namespace zem::addons {
namespace {

namespace ev = runtime::event;

thread_local TrayIconClass* t_head = nullptr;

std::string LoadIconResource(std::string_view name) {
    const auto path = ui::IconResourcePath(name);
    return path ? path->string() : std::string();
}

void NotifySelf(std::uint32_t code, std::int64_t parameter) {
    runtime::Notify(code, runtime::CurrentThread(), parameter);
}

}  // namespace

TrayIconClass* TrayChainHead() {
    return t_head;
}

void TrayIconClass::Init(ui::Window& window, bool allowTray, bool allowShutdown, bool noTooltip,
                         std::string_view iconName, std::string_view tooltip) {
    MAINWINDOW = &window;
    ALLOWTRAYICON = allowTray;
    ALLOWSHUTDOWN = allowShutdown;
    TOTRAYONLOSEFOCUS = false;
    PRVWINEXT = t_head;
    t_head = this;
    frameHandle_ = window.Handle();
    ORIGWNDPROC = win::SetWindowProc(frameHandle_, &TrayIconClass::WindowProc);
    SetIcon(iconName);
    if (!noTooltip) SetTooltip(tooltip);
}

void TrayIconClass::Kill() {
    if (win::IsWindow(frameHandle_) && win::GetWindowProc(frameHandle_) == &WindowProc)
        win::SetWindowProc(frameHandle_, ORIGWNDPROC);
    // An object Killed out of order is taken out of the chain wherever it is.
    if (t_head == this) {
        t_head = PRVWINEXT;
    } else {
        for (TrayIconClass* o = t_head; o; o = o->PRVWINEXT)
            if (o->PRVWINEXT == this) o->PRVWINEXT = PRVWINEXT;
    }
    PRVWINEXT = nullptr;
}

void TrayIconClass::SetIcon(std::string_view name) {
    ICONNAME = name.substr(0, 127);
    if (ICONNAME.size() >= 4 && ICONNAME[ICONNAME.size() - 4] == '.')
        ICONNAME[ICONNAME.size() - 4] = '_';
    ICONHANDLE = LoadIconResource(ICONNAME);
    if (ONTRAY && ALLOWTRAYICON) ModifyIcon();
}

void TrayIconClass::SetTooltip(std::string_view text) {
    TOOLTIP = text.substr(0, 63);
    if (ONTRAY && ALLOWTRAYICON) ModifyIcon();
}

void TrayIconClass::FillNid(unsigned flags) {
    NID = {};
    NID.cbSize = 88;
    NID.hwnd = frameHandle_;
    NID.uid = 1;
    NID.flags = flags;
    NID.callbackMessage = tray::kCallback;
    NID.icon = ICONHANDLE;
    NID.tip = TOOLTIP.substr(0, 63);
}

bool TrayIconClass::AddIcon() {
    FillNid(win::NIF_MESSAGE | win::NIF_ICON | win::NIF_TIP);
    return win::Shell_NotifyIcon(win::NIM_ADD, NID) || win::GetLastError() == 0;
}

void TrayIconClass::RemoveIcon() {
    FillNid(win::NIF_MESSAGE | win::NIF_ICON | win::NIF_TIP);
    win::Shell_NotifyIcon(win::NIM_DELETE, NID);
}

void TrayIconClass::ModifyIcon() {
    FillNid(win::NIF_ICON | win::NIF_TIP);
    win::Shell_NotifyIcon(win::NIM_MODIFY, NID);
}

bool TrayIconClass::GoToTray() {
    if (!ALLOWTRAYICON || ONTRAY) return ONTRAY;
    if (AddIcon()) {
        MAINWINDOW->ChangeProps([](ui::WindowProps& p) { p.hidden = true; });
        ONTRAY = true;
    } else {
        ONTRAY = false;
    }
    return ONTRAY;
}

void TrayIconClass::Restore() {
    if (!ONTRAY) return;
    ONTRAY = false;
    RemoveIcon();
    // Back in its normal state: shown, not minimised, and the active window again.
    MAINWINDOW->ChangeProps([](ui::WindowProps& p) {
        p.hidden = false;
        p.iconized = false;
    });
}

void TrayIconClass::TakeEvent() {
    const runtime::Event& e = MAINWINDOW->Event();
    switch (e.code) {
        case ev::kCloseWindow:
            if (ONTRAY) {
                RemoveIcon();
                MAINWINDOW->ChangeProps([](ui::WindowProps& p) { p.hidden = false; });
                ONTRAY = false;
            }
            break;
        case ev::kMaximize:
            if (ONTRAY) Restore();
            break;
        case ev::kIconized:
            if (!GoToTray()) runtime::Post(runtime::CurrentThread(), ev::kMaximize);
            break;
        case ev::kNotify: {
            const runtime::Notification& n = e.notification;
            if (n.sender == runtime::CurrentThread()) {
                if (ONTRAY) {
                    switch (n.code) {
                        case tray::kLeftClick:
                            OnLeftClick();
                            break;
                        case tray::kRightClick:
                            OnRightClick();
                            break;
                        case tray::kLeftDoubleClick:
                            OnLeftDoubleClick();
                            break;
                        case tray::kRightDoubleClick:
                            OnRightDoubleClick();
                            break;
                        default:
                            break;
                    }
                } else if (n.code == ev::kLoseFocus && TOTRAYONLOSEFOCUS) {
                    GoToTray();
                }
            }
            if (n.code == ev::kCloseDown) runtime::Post(runtime::CurrentThread(), ev::kCloseDown);
            break;
        }
        default:
            break;
    }
}

win::LResult TrayIconClass::WindowProc(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                                       win::LParam lParam) {
    TrayIconClass* self = t_head;
    if (!self) return win::DefWindowProc(hwnd, message, wParam, lParam);
    const auto parameter = static_cast<std::int64_t>(wParam);
    switch (message) {
        case tray::kCallback:
            switch (lParam & 0xFFFF) {
                case win::WM_LBUTTONUP:
                    NotifySelf(tray::kLeftClick, parameter);
                    break;
                case win::WM_LBUTTONDBLCLK:
                    NotifySelf(tray::kLeftDoubleClick, parameter);
                    break;
                case win::WM_RBUTTONUP:
                    NotifySelf(tray::kRightClick, parameter);
                    break;
                case win::WM_RBUTTONDBLCLK:
                    NotifySelf(tray::kRightDoubleClick, parameter);
                    break;
                default:
                    break;
            }
            return 0;
        case win::WM_QUERYENDSESSION:
            if (!self->ALLOWSHUTDOWN) return 0;
            self->ONSHUTDOWN = self->OnShutdown();
            return self->ONSHUTDOWN ? 1 : 0;
        case win::WM_ENDSESSION:
            if (!self->ALLOWSHUTDOWN) return 0;
            NotifySelf(ev::kCloseDown, 0);
            return 1;
        case win::WM_ACTIVATEAPP:
            if (wParam != 0) break;
            NotifySelf(ev::kLoseFocus, 0);
            return 1;
        default:
            break;
    }
    return win::CallWindowProc(self->ORIGWNDPROC, hwnd, message, wParam, lParam);
}

}  // namespace zem::addons
