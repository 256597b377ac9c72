#pragma once
// The notification-area backend of the display server: one QSystemTrayIcon per added icon. Where
// the desktop has no notification area (offscreen, or a desktop without a tray), adding answers
// ERROR_NO_NOTIFICATION_AREA. Mouse activity over an icon is posted to the icon's window as its
// callback message: a click as a left-button release, a double click as a left double click, the
// context request as a right-button release.
#include <map>
#include <memory>
#include <utility>

#include "platform/win/tray_icon.h"

class QSystemTrayIcon;

namespace zem::ui::qt {

class GuiChannel;

class QtTrayBackend final : public win::TrayBackend {
  public:
    QtTrayBackend();  // on the GUI thread
    ~QtTrayBackend() override;

    unsigned Add(const win::NotifyIconData& data) override;
    unsigned Modify(const win::NotifyIconData& data) override;
    unsigned Delete(const win::NotifyIconData& data) override;

    // Removes every icon and refuses further calls; on the GUI thread.
    void Close();

  private:
    using Key = std::pair<win::Hwnd, unsigned>;
    std::unique_ptr<GuiChannel> channel_;
    std::map<Key, std::unique_ptr<QSystemTrayIcon>> icons_;  // on the GUI thread
};

}  // namespace zem::ui::qt
