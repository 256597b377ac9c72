#include "platform/ui/qt/window_view.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QTreeWidget>

#include "platform/runtime/letter_case.h"

namespace zem::ui::qt {
namespace {

// Layouts nest a few levels; the bound keeps a layout whose parents loop from hanging a walk.
constexpr int kMaxDepth = 64;

// Whether test holds for the control or one it sits in.
template <typename Test>
bool AnyUp(WindowView& view, const ControlView& control, Test test) {
    int depth = 0;
    for (const ControlView* at = &control; at && depth < kMaxDepth; ++depth) {
        if (test(*at)) return true;
        at = at->model.parent ? FindControl(view, at->model.parent) : nullptr;
    }
    return false;
}

}  // namespace

ControlView* FindControl(WindowView& view, int feq) {
    const auto found = view.controls.find(feq);
    return found == view.controls.end() ? nullptr : &found->second;
}

ControlView* FindControl(WindowView& view, std::string_view use) {
    for (const int feq : view.order) {
        ControlView& c = view.controls.at(feq);
        if (!c.model.use.empty() && runtime::EqualIgnoringCase(c.model.use, use)) return &c;
    }
    return nullptr;
}

bool Usable(WindowView& view, const ControlView& control) {
    return !AnyUp(view, control,
                  [](const ControlView& c) { return c.model.hide || c.model.disable; });
}

bool EffectivelyHidden(WindowView& view, const ControlView& control) {
    return AnyUp(view, control, [](const ControlView& c) { return c.model.hide; });
}

bool EffectivelyDisabled(WindowView& view, const ControlView& control) {
    return AnyUp(view, control, [](const ControlView& c) { return c.model.disable; });
}

bool SitsIn(WindowView& view, const ControlView& control, int ancestor) {
    const ControlView* parent = FindControl(view, control.model.parent);
    return parent && AnyUp(view, *parent,
                           [ancestor](const ControlView& c) { return c.model.feq == ancestor; });
}

QWidget* ContainerOf(WindowView& view, const ControlView& control) {
    int depth = 0;
    for (ControlView* at = FindControl(view, control.model.parent); at && depth < kMaxDepth;
         at = FindControl(view, at->model.parent), ++depth)
        if (at->inside) return at->inside;
    return view.client;
}

Rect PlaceNow(const WindowView& view, const ControlView& control) {
    const Rect& at = control.model.at;
    if (!view.following || !view.client || view.layoutSize.isEmpty()) return at;
    const auto anchor = view.anchors.find(control.model.feq);
    if (anchor == view.anchors.end()) return at;
    return Anchored(at, anchor->second, view.client->width() - view.layoutSize.width(),
                    view.client->height() - view.layoutSize.height());
}

QTabWidget* SheetOf(WindowView& view, const ControlView& tab) {
    ControlView* sheet = FindControl(view, tab.model.parent);
    return sheet ? qobject_cast<QTabWidget*>(sheet->widget) : nullptr;
}

std::optional<QString> ShownText(WindowView& view, ControlView& control) {
    if (control.menu) return control.menu->title();
    if (control.action) return control.action->text();
    if (control.model.kind == ControlKind::Tab) {
        QTabWidget* tabs = SheetOf(view, control);
        if (!tabs || !control.inside) return std::nullopt;
        return tabs->tabText(tabs->indexOf(control.inside));
    }
    QWidget* w = control.widget;
    if (!w) return std::nullopt;
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    if (auto* text = qobject_cast<QPlainTextEdit*>(w)) return text->toPlainText();
    if (auto* check = qobject_cast<QCheckBox*>(w)) return QString(check->isChecked() ? "1" : "0");
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* spin = qobject_cast<QSpinBox*>(w)) return spin->text();
    if (auto* bar = qobject_cast<QProgressBar*>(w)) return QString::number(bar->value());
    if (auto* list = qobject_cast<QTreeWidget*>(w))
        return list->currentItem() ? list->currentItem()->text(0) : QString();
    if (auto* box = qobject_cast<QComboBox*>(w)) return box->currentText();
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) return tabs->tabText(tabs->currentIndex());
    if (auto* group = qobject_cast<QGroupBox*>(w)) return group->title();
    return QString();
}

}  // namespace zem::ui::qt
