#pragma once
// The notification-area backend of the display server: one QSystemTrayIcon per added icon. Where
// the desktop has no notification area (offscreen, or a desktop without a tray), adding answers
// ERROR_NO_NOTIFICATION_AREA. What the user does to an icon is posted to the icon's window as
// its callback message, as the mouse message the program's icon expects for the same act (see
// TrayMouseMessage).
#include <QSystemTrayIcon>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "platform/win/tray_icon.h"

namespace zem::ui::qt {

class GuiChannel;

// The kinds of notification area Qt's icons use on Linux desktops: the freedesktop system tray
// that embeds the icon's window (XEmbed), and the StatusNotifierItem service of KDE Plasma and
// of GNOME with the AppIndicator extension.
enum class TrayKind { None, XEmbed, StatusNotifier };

// The kind the desktop offers now, as Qt chooses it for its icons: a StatusNotifierItem host on
// the session bus wins over an XEmbed tray. On the GUI thread.
TrayKind DesktopTrayKind();

// The mouse message an activation of the icon stands for; 0 for none. An XEmbed tray reports a
// click and a double click apart; a StatusNotifierItem host reports only the user's activation
// (a click on KDE Plasma and on GNOME), which is what a double click is on the other: the icon's
// way back to its window.
win::LParam TrayMouseMessage(QSystemTrayIcon::ActivationReason reason, TrayKind kind);

class QtTrayBackend final : public win::TrayBackend {
  public:
    // On the GUI thread. kind tells which notification area the desktop has; it is asked at
    // every add, so a panel that starts later is used.
    explicit QtTrayBackend(std::function<TrayKind()> kind = DesktopTrayKind);
    ~QtTrayBackend() override;

    unsigned Add(const win::NotifyIconData& data) override;
    unsigned Modify(const win::NotifyIconData& data) override;
    unsigned Delete(const win::NotifyIconData& data) override;

    // Removes every icon and refuses further calls; on the GUI thread.
    void Close();

    // The icon shown for a window's icon id, nullptr when there is none; on the GUI thread.
    QSystemTrayIcon* Icon(win::Hwnd hwnd, unsigned uid) const;

  private:
    using Key = std::pair<win::Hwnd, unsigned>;
    TrayKind Kind();

    std::unique_ptr<GuiChannel> channel_;
    std::function<TrayKind()> probe_;
    std::map<Key, std::unique_ptr<QSystemTrayIcon>> icons_;  // on the GUI thread
};

}  // namespace zem::ui::qt
