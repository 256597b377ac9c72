#include "platform/ui/qt/tray_backend.h"

#include <QDBusConnection>
#include <QDBusInterface>

#include "platform/ui/qt/gui_channel.h"
#include "platform/ui/qt/text_codec.h"

namespace zem::ui::qt {
namespace {

constexpr unsigned kNotFound = 1168;

void Show(QSystemTrayIcon& icon, const win::NotifyIconData& data) {
    icon.setIcon(QIcon(QString::fromStdString(data.icon)));
    icon.setToolTip(Decode(data.tip, 0));
}

// The test Qt makes before it shows its icons as StatusNotifierItems.
bool StatusNotifierHostRegistered() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusInterface service(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return service.isValid() && service.property("IsStatusNotifierHostRegistered").toBool();
}

}  // namespace

TrayKind DesktopTrayKind() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return TrayKind::None;
    return StatusNotifierHostRegistered() ? TrayKind::StatusNotifier : TrayKind::XEmbed;
}

win::LParam TrayMouseMessage(QSystemTrayIcon::ActivationReason reason, TrayKind kind) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return kind == TrayKind::StatusNotifier ? win::WM_LBUTTONDBLCLK : win::WM_LBUTTONUP;
        case QSystemTrayIcon::DoubleClick:
            return win::WM_LBUTTONDBLCLK;
        case QSystemTrayIcon::Context:
            return win::WM_RBUTTONUP;
        default:
            return 0;
    }
}

QtTrayBackend::QtTrayBackend(std::function<TrayKind()> kind)
    : channel_(std::make_unique<GuiChannel>()), probe_(std::move(kind)) {}

QtTrayBackend::~QtTrayBackend() = default;

// Asked at every add: a panel may start after the program (an autostart at login), or be
// replaced by one of another kind.
TrayKind QtTrayBackend::Kind() {
    return probe_ ? probe_() : TrayKind::None;
}

unsigned QtTrayBackend::Add(const win::NotifyIconData& data) {
    return channel_->Call<unsigned>(
        [this, data]() -> unsigned {
            const TrayKind kind = Kind();
            if (kind == TrayKind::None) return win::ERROR_NO_NOTIFICATION_AREA;
            auto& icon = icons_[{data.hwnd, data.uid}];
            if (!icon) icon = std::make_unique<QSystemTrayIcon>();
            Show(*icon, data);
            const win::Hwnd hwnd = data.hwnd;
            const unsigned uid = data.uid;
            const unsigned message = data.callbackMessage;
            QObject::connect(icon.get(), &QSystemTrayIcon::activated, icon.get(),
                             [hwnd, uid, message, kind](QSystemTrayIcon::ActivationReason reason) {
                                 if (const win::LParam mouse = TrayMouseMessage(reason, kind))
                                     win::PostMessage(hwnd, message, uid, mouse);
                             });
            icon->show();
            return 0;
        },
        win::ERROR_NO_NOTIFICATION_AREA);
}

unsigned QtTrayBackend::Modify(const win::NotifyIconData& data) {
    return channel_->Call<unsigned>(
        [this, data]() -> unsigned {
            const auto it = icons_.find({data.hwnd, data.uid});
            if (it == icons_.end()) return kNotFound;
            Show(*it->second, data);
            return 0;
        },
        kNotFound);
}

unsigned QtTrayBackend::Delete(const win::NotifyIconData& data) {
    return channel_->Call<unsigned>(
        [this, data]() -> unsigned {
            return icons_.erase({data.hwnd, data.uid}) ? 0 : kNotFound;
        },
        kNotFound);
}

void QtTrayBackend::Close() {
    channel_->Close();
    icons_.clear();
}

QSystemTrayIcon* QtTrayBackend::Icon(win::Hwnd hwnd, unsigned uid) const {
    const auto it = icons_.find({hwnd, uid});
    return it == icons_.end() ? nullptr : it->second.get();
}

}  // namespace zem::ui::qt
