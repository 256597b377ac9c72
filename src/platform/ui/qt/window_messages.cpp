#include "platform/ui/qt/window_messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/ui/qt/text_codec.h"
#include "platform/win/window_handles.h"

namespace zem::ui::qt {
namespace {

constexpr const char* kAddedItem = "zemSystemMenuItem";

void PostTo(WindowId window, int feq, unsigned message, win::WParam wParam = 0,
            win::LParam lParam = 0) {
    if (const win::Hwnd hwnd = win::FindHandle(window, feq))
        win::PostMessage(hwnd, message, wParam, lParam);
}

}  // namespace

WindowMessages::WindowMessages(WindowView& view) : view_(view) {}

void WindowMessages::Watch() {
    for (const auto& [feq, control] : view_.controls)
        if (control.widget) control.widget->installEventFilter(this);
    if (view_.top) view_.top->installEventFilter(this);
    if (view_.sub) {
        QMenu* menu = view_.sub->systemMenu();
        if (menu) connect(menu, &QMenu::aboutToShow, this, [this] { SyncSystemMenu(); });
    }
}

int WindowMessages::ControlOf(QObject* watched) const {
    for (const auto& [feq, control] : view_.controls)
        if (control.widget == watched) return feq;
    return -1;
}

bool WindowMessages::eventFilter(QObject* watched, QEvent* event) {
    if (view_.closing || view_.applying) return false;
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyboardLayoutChange) {
        // The desktop has switched already; the control with the focus hears of it as the
        // request and the change the window procedures know.
        int feq = ControlOf(watched);
        if (feq < 0)
            if (QWidget* focus = QApplication::focusWidget())
                for (const auto& [number, control] : view_.controls)
                    if (control.widget &&
                        (control.widget == focus || control.widget->isAncestorOf(focus)))
                        feq = number;
        if (feq <= 0) return false;
        PostTo(view_.id, feq, win::WM_INPUTLANGCHANGEREQUEST, 1);
        PostTo(view_.id, feq, win::WM_INPUTLANGCHANGE, 1);
        return false;
    }
    const int feq = ControlOf(watched);
    if (feq <= 0) return false;
    switch (type) {
        case QEvent::KeyPress:
            PostTo(view_.id, feq, win::WM_KEYDOWN,
                   static_cast<win::WParam>(static_cast<QKeyEvent*>(event)->nativeVirtualKey()));
            break;
        case QEvent::KeyRelease:
            PostTo(view_.id, feq, win::WM_KEYUP,
                   static_cast<win::WParam>(static_cast<QKeyEvent*>(event)->nativeVirtualKey()));
            break;
        case QEvent::MouseButtonPress:
            PostTo(view_.id, feq,
                   static_cast<QMouseEvent*>(event)->button() == Qt::RightButton
                       ? win::WM_RBUTTONDOWN
                       : win::WM_LBUTTONDOWN);
            break;
        case QEvent::FocusIn:
            PostTo(view_.id, feq, win::WM_SETFOCUS);
            break;
        case QEvent::FocusOut:
            PostTo(view_.id, feq, win::WM_KILLFOCUS);
            break;
        default:
            break;
    }
    return false;
}

void WindowMessages::SyncSystemMenu() {
    QMenu* menu = view_.sub ? view_.sub->systemMenu() : nullptr;
    if (!menu) return;
    for (QAction* action : menu->actions())
        if (action->property(kAddedItem).isValid()) {
            menu->removeAction(action);
            action->deleteLater();
        }
    const win::Hwnd hwnd = win::FindHandle(view_.id);
    for (const win::MenuItem& item : win::SystemMenuItems(hwnd)) {
        QAction* action = item.type == win::MFT_SEPARATOR
                              ? menu->addSeparator()
                              : menu->addAction(Decode(item.text, view_.Charset()));
        action->setProperty(kAddedItem, item.id);
        if (item.type == win::MFT_SEPARATOR) continue;
        const unsigned id = item.id;
        connect(action, &QAction::triggered, this,
                [hwnd, id] { win::PostMessage(hwnd, win::WM_SYSCOMMAND, id, 0); });
    }
}

}  // namespace zem::ui::qt
