#include "platform/ui/qt/window_events.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStatusTipEvent>
#include <QWindowStateChangeEvent>

#include "platform/runtime/event_codes.h"
#include "platform/ui/window/input.h"
#include "platform/ui/qt/control_factory.h"
#include "platform/ui/qt/text_codec.h"

namespace zem::ui::qt {
namespace {

namespace ev = runtime::event;

void SendKey(WindowId window, int key) {
    Input press{0, ev::kAlertKey};
    press.key = key;
    SendInput(window, press);
}

}  // namespace

WindowEventFilter::WindowEventFilter(WindowView& view, ActivationListener& listener)
    : view_(view), listener_(listener) {}

void WindowEventFilter::Watch() {
    if (view_.top) view_.top->installEventFilter(this);
    if (view_.client) view_.client->installEventFilter(this);
    if (view_.mdi) view_.mdi->viewport()->installEventFilter(this);
}

bool WindowEventFilter::eventFilter(QObject* watched, QEvent* event) {
    if (view_.closing) return false;
    if (watched == view_.top) {
        if (OnTop(event)) return true;
    }
    if (watched == view_.client || (view_.mdi && watched == view_.mdi->viewport()))
        OnBackground(event);
    if (watched == view_.client && event->type() == QEvent::Resize && view_.following)
        PlaceAllControls(view_);
    return false;
}

bool WindowEventFilter::OnTop(QEvent* event) {
    switch (event->type()) {
        case QEvent::Close:
            // The procedure decides whether the window closes; it closes it through the model.
            event->ignore();
            if (!view_.coveredByNested) SendInput(view_.id, Input{0, ev::kCloseWindow});
            return true;
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
            listener_.ActivationChanged();
            return false;
        case QEvent::WindowStateChange: {
            // Minimised by the user: the window hears of it as the iconized event.
            const auto* change = static_cast<QWindowStateChangeEvent*>(event);
            if (!view_.applying && view_.top->isMinimized() &&
                !change->oldState().testFlag(Qt::WindowMinimized))
                SendInput(view_.id, Input{0, ev::kIconized});
            ReportPlacement();
            return false;
        }
        case QEvent::Move:
        case QEvent::Resize:
            ReportPlacement();
            return false;
        case QEvent::KeyPress:
            return OnKey(event);
        case QEvent::StatusTip:
            return OnStatusTip(event);
        default:
            return false;
    }
}

void WindowEventFilter::OnBackground(QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool twice = event->type() == QEvent::MouseButtonDblClick;
    if (!press && !twice) return;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton)
        SendKey(view_.id, twice ? key::MouseLeft2 : key::MouseLeft);
    else if (mouse->button() == Qt::RightButton)
        SendKey(view_.id, key::MouseRight);
}

bool WindowEventFilter::OnKey(QEvent* event) {
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    if (keyEvent->key() == Qt::Key_F1) {
        SendKey(view_.id, key::F1);
        return true;
    }
    // Ctrl+H asks for the previous value of the field that has the focus.
    if (keyEvent->key() == Qt::Key_H && (keyEvent->modifiers() & Qt::ControlModifier)) {
        Input recall{0, ev::kAlertKey};
        recall.key = key::CtrlH;
        const QWidget* focus = QApplication::focusWidget();
        for (const int feq : view_.order) {
            const ControlView& control = view_.controls.at(feq);
            if (focus && control.widget &&
                (control.widget == focus || control.widget->isAncestorOf(focus)))
                recall.control = feq;
        }
        SendInput(view_.id, recall);
        return true;
    }
    // Escape that no control took asks to close the window, as its close box does; the frame
    // is no dialog and stays.
    if (keyEvent->key() == Qt::Key_Escape && keyEvent->modifiers() == Qt::NoModifier) {
        if (view_.main) return false;
        if (!view_.coveredByNested) SendInput(view_.id, Input{0, ev::kCloseWindow});
        return true;
    }
    if (keyEvent->key() != Qt::Key_Return && keyEvent->key() != Qt::Key_Enter) return false;
    // Return that no control took presses the window's default button.
    return PressDefaultButton(view_);
}

bool WindowEventFilter::OnStatusTip(QEvent* event) {
    if (view_.zones.empty() || !view_.zones.front()) return false;
    const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    // Zone 0 shows the highlighted item's message, and its own text again afterwards.
    QLabel* zone = view_.zones.front();
    if (!tip.isEmpty())
        zone->setText(tip);
    else
        zone->setText(view_.props.statusTexts.empty()
                          ? QString()
                          : Decode(view_.props.statusTexts.front(), view_.Charset()));
    return true;
}

void WindowEventFilter::ReportPlacement() {
    if (!view_.applying) ReportWindowPlacement(view_);
}

void ReportWindowPlacement(WindowView& view) {
    if (!view.top) return;
    const QWidget* sized = view.main ? static_cast<QWidget*>(view.main) : view.client.data();
    if (!sized) return;
    const QPoint at = view.top->pos();
    const bool maximized = view.top->isMaximized();
    // A maximized window keeps the placement it had before, as the desktop does.
    if (maximized) {
        ui::ReportPlacement(view.id, view.props.at, true);
        return;
    }
    ui::ReportPlacement(view.id, Rect{at.x(), at.y(), sized->width(), sized->height()}, false);
}

UserInputWatch::UserInputWatch(std::function<void()> acted) : acted_(std::move(acted)) {
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

bool UserInputWatch::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::NonClientAreaMouseButtonPress:
            if (event->spontaneous()) acted_();
            break;
        default:
            break;
    }
    return false;
}

bool PressDefaultButton(WindowView& view) {
    for (const int feq : view.order) {
        ControlView& control = view.controls.at(feq);
        if (control.model.kind != ControlKind::Button || !control.model.isDefault) continue;
        auto* button = qobject_cast<QAbstractButton*>(control.widget);
        if (!button || !button->isEnabled() || !button->isVisible() || !Usable(view, control))
            continue;
        button->click();
        return true;
    }
    return false;
}

PagePlacer::PagePlacer(WindowView& view, QWidget* page) : view_(view) {
    page->installEventFilter(this);
}

bool PagePlacer::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (!view_.closing && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show))
        PlaceControlsIn(view_, static_cast<QWidget*>(watched));
    return false;
}

}  // namespace zem::ui::qt
