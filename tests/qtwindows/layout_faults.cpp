#include "layout_faults.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <map>

#include "platform/ui/qt/window_view.h"

namespace zem::test {
namespace {

namespace uq = ui::qt;

QString Plain(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

// Whether a widget paints a background a sibling below it can't show through.
bool Opaque(const QWidget* w) {
    return !qobject_cast<const QGroupBox*>(w) && !qobject_cast<const QLabel*>(w);
}

// Whether the title bar of an MDI child shows its whole caption: the room is what the style
// leaves the label between the icon and the buttons, the font the one QMdiSubWindow draws with.
bool TitleFits(QMdiSubWindow* sub) {
    QStyleOptionTitleBar option;
    option.initFrom(sub);
    option.text = sub->windowTitle();
    option.icon = sub->windowIcon();
    option.titleBarFlags = sub->windowFlags();
    option.titleBarState = sub->windowState();
    option.subControls = QStyle::SC_All;
    const int height = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, sub);
    option.rect = QRect(0, 0, sub->width(), height);
    const QRect label =
        sub->style()->subControlRect(QStyle::CC_TitleBar, &option, QStyle::SC_TitleBarLabel, sub);
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    return metrics.horizontalAdvance(option.text) <= label.width() - 2;
}

}  // namespace

std::vector<std::string> LayoutFaults(uq::WindowView& view) {
    std::vector<std::string> faults;
    if (view.sub && !TitleFits(view.sub))
        faults.push_back("the title bar cuts \"" + view.sub->windowTitle().toStdString() + "\"");
    std::map<const QWidget*, std::string> useOf;
    for (auto& [feq, control] : view.controls)
        if (control.widget) useOf[control.widget] = control.model.use;
    auto nameOf = [&](const QWidget* w) {
        const auto it = useOf.find(w);
        return it == useOf.end() ? w->objectName().toStdString() : it->second;
    };
    for (auto& [feq, control] : view.controls) {
        QWidget* w = control.widget;
        if (!w || !w->isVisible() || control.model.kind == ui::ControlKind::MenuBar ||
            control.model.kind == ui::ControlKind::Toolbar)
            continue;
        const std::string use = control.model.use;
        const ui::ControlKind kind = control.model.kind;
        const bool container = kind == ui::ControlKind::Sheet || kind == ui::ControlKind::Group ||
                               kind == ui::ControlKind::Option || kind == ui::ControlKind::Box;
        // Covered: a sibling above it in the stacking order overlaps it and paints over it.
        if (QWidget* parent = w->parentWidget(); parent && !container) {
            const auto siblings = parent->children();
            bool above = false;
            for (QObject* o : siblings) {
                if (o == w) {
                    above = true;
                    continue;
                }
                auto* s = qobject_cast<QWidget*>(o);
                if (!above || !s || !s->isVisible() || !Opaque(s) || !useOf.contains(s)) continue;
                if (s->geometry().intersects(w->geometry()))
                    faults.push_back(use + " is covered by " + nameOf(s));
            }
        }
        if (control.model.kind == ui::ControlKind::List)
            if (auto* list = qobject_cast<QTreeWidget*>(w);
                list && (list->isHeaderHidden() || !list->header()->isVisible()))
                faults.push_back(use + " shows no header");
        QString text;
        int room = 0;
        if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull()) {
            text = Plain(label->text());
            room = label->contentsRect().width();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = Plain(button->text());
            // Qt draws a button's text centred and clips it at the frame, not at the margins.
            room = button->contentsRect().width() - 4;
            if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button))
                room -= 20;  // the indicator
            else if (!button->icon().isNull())
                room -= button->iconSize().width() + 4;
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
            text = Plain(box->title());
            room = box->width() - 16;
        }
        if (!text.isEmpty() && !text.contains(QLatin1Char('\n')) &&
            w->fontMetrics().horizontalAdvance(text) > room)
            faults.push_back(use + " cuts \"" + text.toStdString() + "\"");
        if (auto* sheet = qobject_cast<QTabWidget*>(w)) {
            QTabBar* bar = sheet->tabBar();
            for (int i = 0; i < sheet->count(); ++i) {
                const QString tab = Plain(sheet->tabText(i));
                if (bar->fontMetrics().horizontalAdvance(tab) > bar->tabRect(i).width())
                    faults.push_back(use + " cuts the tab \"" + tab.toStdString() + "\"");
            }
        }
    }
    return faults;
}

}  // namespace zem::test
