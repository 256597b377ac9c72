#pragma once
// The notification-area icon service: a program adds, changes and removes its icon there, and
// mouse activity over the icon comes back to the window the icon names as its callback message
// (posted, lParam the mouse message). The desktop side is a backend: the display server's, or a
// test double. Without a backend, and where the desktop has no notification area, adding fails
// with a non-zero last error.
#include <memory>
#include <string>

#include "platform/win/window_handles.h"

namespace zem::win {

inline constexpr unsigned NIM_ADD = 0;
inline constexpr unsigned NIM_MODIFY = 1;
inline constexpr unsigned NIM_DELETE = 2;
inline constexpr unsigned NIF_MESSAGE = 1;
inline constexpr unsigned NIF_ICON = 2;
inline constexpr unsigned NIF_TIP = 4;
inline constexpr unsigned ERROR_NO_NOTIFICATION_AREA = 1460;

struct NotifyIconData {
    unsigned cbSize = 88;
    Hwnd hwnd = 0;
    unsigned uid = 0;
    unsigned flags = 0;
    unsigned callbackMessage = 0;
    std::string icon;  // the icon's picture file; empty for none
    std::string tip;   // at most 63 bytes
    friend bool operator==(const NotifyIconData&, const NotifyIconData&) = default;
};

class TrayBackend {
  public:
    virtual ~TrayBackend() = default;
    // Each answers 0 on success, else an error code.
    virtual unsigned Add(const NotifyIconData& data) = 0;
    virtual unsigned Modify(const NotifyIconData& data) = 0;
    virtual unsigned Delete(const NotifyIconData& data) = 0;
};

void SetTrayBackend(std::shared_ptr<TrayBackend> backend);
std::shared_ptr<TrayBackend> CurrentTrayBackend();

// False when the operation failed; GetLastError then tells why. The tip is cut to 63 bytes.
bool Shell_NotifyIcon(unsigned operation, const NotifyIconData& data);
// The calling thread's last error from Shell_NotifyIcon (0 after a success).
unsigned GetLastError();

}  // namespace zem::win
