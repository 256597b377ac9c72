#include "platform/ui/qt/popup_menu.h"

#include <QCursor>

#include "platform/runtime/event_codes.h"
#include "platform/ui/window/input.h"
#include "platform/ui/qt/resource_images.h"
#include "platform/ui/qt/text_codec.h"

namespace zem::ui::qt {

void ShowPopupMenu(WindowView& view, const PopupMenu& menu) {
    if (view.popup) view.popup->close();
    if (!view.top || menu.items.empty()) return;
    const ControlView* control = FindControl(view, menu.control);
    const int charset = ControlCharset(control ? control->model.font.charset : -1, view.Charset());
    auto* popup = new QMenu(view.top);  // deletes itself when it closes
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setObjectName(QStringLiteral("popup"));
    const WindowId window = view.id;
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        const PopupItem& item = menu.items[i];
        if (item.separator) {
            popup->addSeparator();
            continue;
        }
        QAction* action = popup->addAction(IconFor(item.icon), Decode(item.text, charset));
        action->setEnabled(item.enabled);
        Input chosen{menu.control, runtime::event::kPopupChosen};
        chosen.row = static_cast<int>(i) + 1;
        QObject::connect(action, &QAction::triggered, popup,
                         [window, chosen] { SendInput(window, chosen); });
    }
    view.popup = popup;
    const QPoint at = view.pointer.x() >= 0 ? view.pointer : QCursor::pos();
    popup->popup(at);
}

}  // namespace zem::ui::qt
