#include "platform/ui/qt/tray_backend.h"

#include <QSystemTrayIcon>

#include "platform/ui/qt/gui_channel.h"
#include "platform/ui/qt/text_codec.h"

namespace zem::ui::qt {
namespace {

void Show(QSystemTrayIcon& icon, const win::NotifyIconData& data) {
    icon.setIcon(QIcon(QString::fromStdString(data.icon)));
    icon.setToolTip(Decode(data.tip, 0));
}

}  // namespace

QtTrayBackend::QtTrayBackend() : channel_(std::make_unique<GuiChannel>()) {}

QtTrayBackend::~QtTrayBackend() = default;

unsigned QtTrayBackend::Add(const win::NotifyIconData& data) {
    return channel_->Call<unsigned>(
        [this, data]() -> unsigned {
            if (!QSystemTrayIcon::isSystemTrayAvailable()) return win::ERROR_NO_NOTIFICATION_AREA;
            auto& icon = icons_[{data.hwnd, data.uid}];
            if (!icon) icon = std::make_unique<QSystemTrayIcon>();
            Show(*icon, data);
            const win::Hwnd hwnd = data.hwnd;
            const unsigned uid = data.uid;
            const unsigned message = data.callbackMessage;
            QObject::connect(icon.get(), &QSystemTrayIcon::activated, icon.get(),
                             [hwnd, uid, message](QSystemTrayIcon::ActivationReason reason) {
                                 win::LParam mouse = 0;
                                 switch (reason) {
                                     case QSystemTrayIcon::Trigger:
                                         mouse = win::WM_LBUTTONUP;
                                         break;
                                     case QSystemTrayIcon::DoubleClick:
                                         mouse = win::WM_LBUTTONDBLCLK;
                                         break;
                                     case QSystemTrayIcon::Context:
                                         mouse = win::WM_RBUTTONUP;
                                         break;
                                     default:
                                         return;
                                 }
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
            if (it == icons_.end()) return 1168;  // not found
            Show(*it->second, data);
            return 0;
        },
        1168);
}

unsigned QtTrayBackend::Delete(const win::NotifyIconData& data) {
    return channel_->Call<unsigned>(
        [this, data]() -> unsigned {
            return icons_.erase({data.hwnd, data.uid}) ? 0 : 1168;
        },
        1168);
}

void QtTrayBackend::Close() {
    channel_->Close();
    icons_.clear();
}

}  // namespace zem::ui::qt
