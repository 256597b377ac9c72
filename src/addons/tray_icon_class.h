#pragma once
// TrayIconClass takes a frame window to the notification area when it is minimised and back on
// request: the frame is hidden and an icon with the frame's icon takes its place. Mouse activity
// over the icon, session-end messages and the loss of activation become notifications of the
// frame's own thread, which TakeEvent turns into the virtual On... operations. Objects of one
// thread form a chain (Init links, Kill unlinks, last in first out); the replacement window
// procedure serves the head of the chain of the thread it runs on.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win/tray_icon.h"
#include "platform/win/window_handles.h"

namespace zem::ui {
class Window;
}

namespace zem::addons {

namespace tray {
inline constexpr unsigned kCallback = 0x660;
inline constexpr std::uint32_t kLeftClick = 0x661;
inline constexpr std::uint32_t kRightClick = 0x662;
inline constexpr std::uint32_t kLeftDoubleClick = 0x663;
inline constexpr std::uint32_t kRightDoubleClick = 0x664;
}  // namespace tray

class TrayIconClass {
  public:
    TrayIconClass() = default;
    virtual ~TrayIconClass() = default;
    TrayIconClass(const TrayIconClass&) = delete;
    TrayIconClass& operator=(const TrayIconClass&) = delete;

    // After the frame's window has opened and before its event loop.
    void Init(ui::Window& window, bool allowTray, bool allowShutdown, bool noTooltip,
              std::string_view iconName, std::string_view tooltip);
    void Kill();
    // Looks at the frame's current event; the frame calls it before its own handling.
    void TakeEvent();
    bool GoToTray();
    void Restore();
    void SetTooltip(std::string_view text);
    void SetIcon(std::string_view name);
    bool AddIcon();
    void RemoveIcon();
    void ModifyIcon();

    virtual void OnLeftClick() {}
    virtual void OnRightClick() {}
    virtual void OnLeftDoubleClick() {}
    virtual void OnRightDoubleClick() {}
    virtual bool OnShutdown() { return true; }

    static win::LResult WindowProc(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                                   win::LParam lParam);

    ui::Window* MAINWINDOW = nullptr;
    TrayIconClass* PRVWINEXT = nullptr;
    win::WndProc ORIGWNDPROC = nullptr;
    bool ALLOWTRAYICON = false;
    bool TOTRAYONLOSEFOCUS = false;
    bool ALLOWSHUTDOWN = false;
    bool ONTRAY = false;
    bool ONSHUTDOWN = false;
    win::NotifyIconData NID;
    std::string ICONNAME;    // at most 127 characters
    std::string ICONHANDLE;  // the loaded icon's picture; empty when the name loads none
    std::string TOOLTIP;     // at most 63 characters

  private:
    void FillNid(unsigned flags);
    win::Hwnd frameHandle_ = 0;
};

// The head of the calling thread's chain; nullptr when it has none.
TrayIconClass* TrayChainHead();

}  // namespace zem::addons
