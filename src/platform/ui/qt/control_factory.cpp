#include "platform/ui/qt/control_factory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVariant>
#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <vector>

#include "platform/ui/qt/fonts.h"
#include "platform/ui/qt/input_wiring.h"
#include "platform/ui/qt/list_widgets.h"
#include "platform/ui/qt/owned.h"
#include "platform/ui/qt/resource_images.h"
#include "platform/ui/qt/text_codec.h"

namespace zem::ui::qt {
namespace {

std::optional<int> Number(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    int value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failure != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool IsOn(std::string_view screen) {
    return !screen.empty() && screen != "0";
}

// "&Name" shows as "Name" where no mnemonic can act; "&&" is a literal '&'.
QString WithoutMnemonic(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) ++i;
        out.append(text[i]);
    }
    return out;
}

// Shows a control hidden or disabled when it or a control it sits in is. Qt's own parents do
// that for containers; boxes, bare sheets, menus and toolbars need it done.
void ApplyEffectiveState(WindowView& view, ControlView& control) {
    const bool hidden = EffectivelyHidden(view, control);
    const bool disabled = EffectivelyDisabled(view, control);
    if (control.model.kind == ControlKind::Tab) {
        ControlView* sheet = FindControl(view, control.model.parent);
        auto* tabs = sheet ? qobject_cast<QTabWidget*>(sheet->widget) : nullptr;
        const int index = tabs && control.inside ? tabs->indexOf(control.inside) : -1;
        if (index >= 0) {
            // Hiding the shown tab moves the sheet to another: that is no choice of the user's.
            const QSignalBlocker blocker(tabs);
            tabs->setTabVisible(index, !hidden);
            tabs->setTabEnabled(index, !disabled);
        }
    }
    if (QAction* action = control.action) {
        const QSignalBlocker blocker(action);
        action->setVisible(!hidden);
        action->setEnabled(!disabled);
    }
    if (QWidget* w = control.widget) {
        const QSignalBlocker blocker(w);
        if (control.toolbarSlot)
            control.toolbarSlot->setVisible(!hidden);
        else
            w->setVisible(!hidden);
        w->setEnabled(!disabled);
    }
}

// Applies only what changed since before (everything when before is null).
class Applier {
  public:
    Applier(WindowView& view, ControlView& control, const Control* before)
        : view_(view),
          control_(control),
          model_(control.model),
          before_(before),
          charset_(ControlCharset(model_.font.charset, view.Charset())) {}

    void Run() {
        if (Changed(&Control::hide) || Changed(&Control::disable))
            ApplyEffectiveState(view_, control_);
        if (control_.action) ApplyAction();
        if (model_.kind == ControlKind::Tab) ApplyTab();
        if (QWidget* w = control_.widget) {
            const QSignalBlocker blocker(w);
            ApplyCommon(w);
            ApplyKind(w);
        }
        if (model_.kind == ControlKind::Radio) CheckRadiosOf(FindControl(view_, model_.parent));
        if (model_.kind == ControlKind::Option && Changed(&Control::screen))
            CheckRadiosOf(&control_);
    }

  private:
    template <typename Member>
    bool Changed(Member member) const {
        return !before_ || before_->*member != model_.*member;
    }
    QString Text(const std::string& bytes) const { return Decode(bytes, charset_); }

    void ApplyCommon(QWidget* w) {
        const int tipCharset = TextCharset(model_.tipCharset, charset_);
        if (Changed(&Control::tip) || Changed(&Control::tipCharset))
            w->setToolTip(Decode(model_.tip, tipCharset));
        if (Changed(&Control::message) || Changed(&Control::tipCharset))
            w->setStatusTip(Decode(model_.message, tipCharset));
        if (Changed(&Control::font) && (before_ || NamesFont(model_.font))) {
            if (NamesFont(model_.font) && w->parentWidget())
                w->setFont(FontFor(model_.font, w->parentWidget()->font()));
            else
                w->setFont(QFont());  // back to the font the window gives
        }
    }

    void ApplyKind(QWidget* w) {
        switch (model_.kind) {
            case ControlKind::Prompt:
            case ControlKind::String:
                if (auto* label = qobject_cast<QLabel*>(w); label && Changed(&Control::text))
                    label->setText(label->buddy() ? Text(model_.text)
                                                  : WithoutMnemonic(Text(model_.text)));
                if (auto* label = qobject_cast<QLabel*>(w); label && model_.link)
                    ApplyLinkLook(label);
                break;
            case ControlKind::Entry:
            case ControlKind::Display:
                ApplyLineEdit(qobject_cast<QLineEdit*>(w));
                break;
            case ControlKind::Text:
                ApplyPlainText(qobject_cast<QPlainTextEdit*>(w));
                break;
            case ControlKind::Button:
                ApplyButton(qobject_cast<QPushButton*>(w));
                break;
            case ControlKind::Check:
                ApplyCheck(qobject_cast<QCheckBox*>(w));
                break;
            case ControlKind::Radio:
                if (auto* radio = qobject_cast<QRadioButton*>(w); radio && Changed(&Control::text))
                    radio->setText(Text(model_.text));
                break;
            case ControlKind::Option:
            case ControlKind::Group:
                if (auto* box = qobject_cast<QGroupBox*>(w); box && Changed(&Control::text))
                    box->setTitle(Text(model_.text));
                break;
            case ControlKind::Spin:
                ApplySpin(qobject_cast<QSpinBox*>(w));
                break;
            case ControlKind::Image:
                if (auto* label = qobject_cast<QLabel*>(w); label && Changed(&Control::picture))
                    label->setPixmap(PictureFor(model_.picture));
                break;
            case ControlKind::Progress:
                ApplyProgress(qobject_cast<QProgressBar*>(w));
                break;
            case ControlKind::List:
            case ControlKind::Tree:
                if (auto* list = qobject_cast<QTreeWidget*>(w)) {
                    ApplyList(list, control_, before_, charset_);
                    ApplyCellEdit(view_, control_);
                }
                break;
            case ControlKind::DropList:
                if (auto* box = qobject_cast<QComboBox*>(w))
                    ApplyDropList(box, model_, before_, charset_);
                break;
            case ControlKind::Sheet:
                ApplySheet(qobject_cast<QTabWidget*>(w));
                break;
            default:
                break;
        }
    }

    void ApplyLineEdit(QLineEdit* edit) {
        if (!edit) return;
        if (!before_) {
            const bool number = !model_.picture.empty() &&
                                (model_.picture.front() == 'n' || model_.picture.front() == 'N');
            edit->setAlignment(number ? Qt::AlignRight | Qt::AlignVCenter
                                      : Qt::AlignLeft | Qt::AlignVCenter);
        }
        if (Changed(&Control::screen)) {
            // The same text again (the echo of what the user typed) leaves the cursor alone.
            const QString text = Text(model_.screen);
            if (edit->text() != text) {
                edit->setText(text);
                // A text longer than the box shows its start, unless the user is typing in it:
                // Qt would leave the cursor, and the view, at its end.
                const bool readOnly = model_.readOnly || model_.kind == ControlKind::Display;
                if (readOnly || !edit->hasFocus()) edit->setCursorPosition(0);
            }
        }
        if (Changed(&Control::readOnly))
            edit->setReadOnly(model_.readOnly || model_.kind == ControlKind::Display);
        if (Changed(&Control::password))
            edit->setEchoMode(model_.password ? QLineEdit::Password : QLineEdit::Normal);
    }

    // Blue and underlined whatever font the window gives it, with the hand over it.
    static void ApplyLinkLook(QLabel* label) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
        label->setPalette(palette);
        label->setCursor(Qt::PointingHandCursor);
        QFont font = label->font();
        if (!font.underline()) {
            font.setUnderline(true);
            label->setFont(font);
        }
    }

    void ApplyPlainText(QPlainTextEdit* edit) {
        if (!edit) return;
        if (Changed(&Control::screen)) {
            QString text = Text(model_.screen);
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            if (edit->toPlainText() != text) edit->setPlainText(text);
        }
        if (Changed(&Control::readOnly)) edit->setReadOnly(model_.readOnly);
    }

    void ApplyButton(QPushButton* button) {
        if (!button) return;
        if (Changed(&Control::text)) button->setText(Text(model_.text));
        if (Changed(&Control::icon)) button->setIcon(IconFor(model_.icon));
        if (Changed(&Control::isDefault)) button->setDefault(model_.isDefault);
    }

    void ApplyCheck(QCheckBox* check) {
        if (!check) return;
        if (Changed(&Control::text)) check->setText(Text(model_.text));
        if (Changed(&Control::screen)) check->setChecked(IsOn(model_.screen));
        if (Changed(&Control::readOnly)) {
            // A check box has no read-only state of its own: it stops taking clicks and focus.
            check->setAttribute(Qt::WA_TransparentForMouseEvents, model_.readOnly);
            check->setFocusPolicy(model_.readOnly ? Qt::NoFocus : Qt::StrongFocus);
        }
    }

    void ApplySpin(QSpinBox* spin) {
        if (!spin) return;
        const auto value = Number(model_.screen);
        if (Changed(&Control::rangeLow) || Changed(&Control::rangeHigh) ||
            Changed(&Control::screen)) {
            int low = std::numeric_limits<int>::min();
            int high = std::numeric_limits<int>::max();
            if (model_.rangeLow != 0 || model_.rangeHigh != 0) {
                low = std::min(model_.rangeLow, model_.rangeHigh);
                high = std::max(model_.rangeLow, model_.rangeHigh);
            }
            // The box shows what the field holds, also outside the range its arrows step in.
            if (value) {
                low = std::min(low, *value);
                high = std::max(high, *value);
            }
            if (spin->minimum() != low || spin->maximum() != high) spin->setRange(low, high);
        }
        if (Changed(&Control::step)) spin->setSingleStep(model_.step > 0 ? model_.step : 1);
        if (Changed(&Control::screen) || Changed(&Control::rangeLow) ||
            Changed(&Control::rangeHigh))
            if (value && spin->value() != *value) spin->setValue(*value);
        if (Changed(&Control::readOnly)) spin->setReadOnly(model_.readOnly);
    }

    void ApplyProgress(QProgressBar* bar) {
        if (!bar) return;
        if (Changed(&Control::rangeLow) || Changed(&Control::rangeHigh)) {
            if (model_.rangeLow == 0 && model_.rangeHigh == 0)
                bar->setRange(0, 100);
            else
                bar->setRange(std::min(model_.rangeLow, model_.rangeHigh),
                              std::max(model_.rangeLow, model_.rangeHigh));
        }
        const int value = Number(model_.screen).value_or(bar->minimum());
        bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
    }

    void ApplySheet(QTabWidget* tabs) {
        if (!tabs || !Changed(&Control::selected)) return;
        if (model_.selected >= 1 && model_.selected <= tabs->count())
            tabs->setCurrentIndex(model_.selected - 1);
    }

    void ApplyTab() {
        ControlView* sheet = FindControl(view_, model_.parent);
        auto* tabs = sheet ? qobject_cast<QTabWidget*>(sheet->widget) : nullptr;
        const int index = tabs && control_.inside ? tabs->indexOf(control_.inside) : -1;
        if (index < 0) return;
        const QSignalBlocker blocker(tabs);
        if (Changed(&Control::text)) tabs->setTabText(index, Text(model_.text));
        if (Changed(&Control::tip)) tabs->setTabToolTip(index, Text(model_.tip));
        if (Changed(&Control::icon)) tabs->setTabIcon(index, IconFor(model_.icon));
    }

    void ApplyAction() {
        QAction* action = control_.action;
        const QSignalBlocker blocker(action);
        if (control_.menu && Changed(&Control::text)) control_.menu->setTitle(Text(model_.text));
        if (Changed(&Control::text) && !control_.menu) action->setText(Text(model_.text));
        if (Changed(&Control::tip) || Changed(&Control::text))
            action->setToolTip(model_.tip.empty() ? WithoutMnemonic(Text(model_.text))
                                                  : Text(model_.tip));
        if (Changed(&Control::message)) action->setStatusTip(Text(model_.message));
        if (Changed(&Control::icon)) action->setIcon(IconFor(model_.icon));
        if (Changed(&Control::font) && NamesFont(model_.font))
            action->setFont(FontFor(model_.font, action->font()));
    }

    // Checks the radio whose value the option's screen holds, and only that one.
    void CheckRadiosOf(ControlView* option) {
        if (!option || option->model.kind != ControlKind::Option || !option->radios) return;
        QButtonGroup* group = option->radios;
        group->setExclusive(false);
        for (const int feq : view_.order) {
            ControlView& radio = view_.controls.at(feq);
            if (radio.model.parent != option->model.feq || radio.model.kind != ControlKind::Radio)
                continue;
            if (auto* button = qobject_cast<QRadioButton*>(radio.widget)) {
                const QSignalBlocker blocker(button);
                button->setChecked(radio.model.value == option->model.screen);
            }
        }
        group->setExclusive(true);
    }

    WindowView& view_;
    ControlView& control_;
    const Control& model_;
    const Control* before_;
    const int charset_;
};

QWidget* MakeTab(WindowView& view, ControlView& control, QWidget* parent) {
    ControlView* sheet = FindControl(view, control.model.parent);
    auto* tabs = sheet ? qobject_cast<QTabWidget*>(sheet->widget) : nullptr;
    if (!tabs) {
        // A tab outside a sheet is only a container.
        control.inside = MakeChild<QWidget>(parent);
        return control.inside;
    }
    auto page = std::make_unique<QWidget>();
    control.inside = page.get();
    tabs->addTab(page.release(), QString());  // the sheet owns its pages
    return nullptr;
}

QWidget* MakeOption(ControlView& control, QWidget* parent) {
    QWidget* box = control.model.text.empty() ? static_cast<QWidget*>(MakeChild<QFrame>(parent))
                                              : MakeChild<QGroupBox>(parent);
    control.inside = box;
    control.radios = MakeChild<QButtonGroup>(box);
    control.radios->setExclusive(true);
    return box;
}

QWidget* MakeWidget(WindowView& view, ControlView& control, QWidget* parent) {
    switch (control.model.kind) {
        case ControlKind::Sheet:
            return MakeChild<QTabWidget>(parent);
        case ControlKind::Tab:
            return MakeTab(view, control, parent);
        case ControlKind::Prompt:
        case ControlKind::String: {
            auto* label = MakeChild<QLabel>(parent);
            label->setTextFormat(Qt::PlainText);
            return label;
        }
        case ControlKind::Entry:
        case ControlKind::Display:
            return MakeChild<QLineEdit>(parent);
        case ControlKind::Text:
            return MakeChild<QPlainTextEdit>(parent);
        case ControlKind::Button: {
            // Return on a focused button presses that button, as dialogs do.
            auto* button = MakeChild<QPushButton>(parent);
            button->setAutoDefault(true);
            return button;
        }
        case ControlKind::Check:
            return MakeChild<QCheckBox>(parent);
        case ControlKind::Option:
            return MakeOption(control, parent);
        case ControlKind::Radio: {
            auto* radio = MakeChild<QRadioButton>(parent);
            if (ControlView* option = FindControl(view, control.model.parent);
                option && option->radios)
                option->radios->addButton(radio);
            return radio;
        }
        case ControlKind::Spin:
            return MakeChild<QSpinBox>(parent);
        case ControlKind::Group: {
            auto* group = MakeChild<QGroupBox>(parent);
            control.inside = group;
            return group;
        }
        case ControlKind::Box: {
            auto* frame = MakeChild<QFrame>(parent);
            frame->setFrameStyle(QFrame::Box | QFrame::Plain);
            return frame;
        }
        case ControlKind::Image: {
            auto* label = MakeChild<QLabel>(parent);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::Progress: {
            auto* bar = MakeChild<QProgressBar>(parent);
            bar->setTextVisible(false);
            return bar;
        }
        case ControlKind::List:
        case ControlKind::Tree:
            return MakeListWidget(parent, control.model.kind);
        case ControlKind::DropList:
            return MakeChild<QComboBox>(parent);
        default:
            return nullptr;
    }
}

}  // namespace

bool IsBarControl(WindowView& view, const Control& control) {
    switch (control.kind) {
        case ControlKind::MenuBar:
        case ControlKind::Menu:
        case ControlKind::Item:
        case ControlKind::Separator:
        case ControlKind::Toolbar:
            return true;
        case ControlKind::Button: {
            const ControlView* parent = FindControl(view, control.parent);
            return parent && parent->model.kind == ControlKind::Toolbar;
        }
        default:
            return false;
    }
}

void CreateControlWidget(WindowView& view, ControlView& control) {
    if (IsBarControl(view, control.model)) return;
    ControlView* parent = FindControl(view, control.model.parent);
    const bool inToolbar = parent && parent->model.kind == ControlKind::Toolbar;
    QWidget* container = inToolbar ? parent->widget.data() : ContainerOf(view, control);
    if (!container) return;
    control.widget = MakeWidget(view, control, container);
    // Widgets carry their use name, for accessibility tools and tests to find them by.
    const QString name = QString::fromLatin1(control.model.use.data(),
                                             static_cast<qsizetype>(control.model.use.size()));
    if (control.widget) control.widget->setObjectName(name);
    if (control.inside && control.inside != control.widget) control.inside->setObjectName(name);
    if (inToolbar && control.widget)
        if (auto* bar = qobject_cast<QToolBar*>(container))
            control.toolbarSlot = bar->addWidget(control.widget);
    ApplyControl(view, control, control.model, true);
}

void ApplyControl(WindowView& view, ControlView& control, const Control& model, bool full) {
    Control next = model;  // model may be control.model itself
    const Control before = std::exchange(control.model, std::move(next));
    const bool wasApplying = std::exchange(view.applying, true);
    Applier(view, control, full ? nullptr : &before).Run();
    // What a control shows of its own state, the controls within it show too.
    if (!full && (before.hide != control.model.hide || before.disable != control.model.disable))
        for (const int feq : view.order) {
            ControlView& inner = view.controls.at(feq);
            if (SitsIn(view, inner, control.model.feq)) ApplyEffectiveState(view, inner);
        }
    view.applying = wasApplying;
    // Size hints follow the text and font, so a control without a size moves with them.
    const Control& now = control.model;
    const bool sized = now.at.width > 0 && now.at.height > 0;
    const bool fixedText = now.kind == ControlKind::Prompt || now.kind == ControlKind::String;
    if (full || before.at != now.at ||
        ((!sized || fixedText) &&
         (before.text != now.text || before.font != now.font || before.picture != now.picture)))
        PlaceControl(view, control);
}

namespace {

// A button keeps the size its layout gives it; where this desktop's font would cut its text, the
// text is set a little smaller until it fits, down to a size that stays readable. The buttons of
// one row (same top and height) all take the smallest size any of them needs, so a row never
// mixes fonts.
constexpr const char* kFittedFrom = "zemFittedFrom";  // the point size before fitting
constexpr const char* kFittedTo = "zemFittedTo";      // the point size fitting set

QFont UnfittedFont(const QPushButton* button) {
    QFont font = button->font();
    const QVariant from = button->property(kFittedFrom);
    const QVariant to = button->property(kFittedTo);
    // A font given since fitting (the window changed it) is the new starting point.
    if (from.isValid() && to.isValid() && qFuzzyCompare(font.pointSizeF(), to.toDouble()))
        font.setPointSizeF(from.toDouble());
    return font;
}

double FittedSize(const QPushButton* button) {
    QFont font = UnfittedFont(button);
    const QString text = WithoutMnemonic(button->text());
    if (text.isEmpty()) return font.pointSizeF();
    const int iconRoom = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
    const int room = button->contentsRect().width() - 4 - iconRoom;
    constexpr double kSmallest = 6.0;
    while (QFontMetrics(font).horizontalAdvance(text) > room && font.pointSizeF() > kSmallest)
        font.setPointSizeF(std::max(kSmallest, font.pointSizeF() - 0.5));
    return font.pointSizeF();
}

void SetFittedSize(QPushButton* button, double size) {
    const QFont unfitted = UnfittedFont(button);
    QFont font = unfitted;
    if (size < unfitted.pointSizeF()) font.setPointSizeF(size);
    if (font == button->font()) return;
    button->setProperty(kFittedFrom, unfitted.pointSizeF());
    button->setProperty(kFittedTo, font.pointSizeF());
    button->setFont(font);
}

void FitButtonText(QPushButton* button) {
    std::vector<QPushButton*> row{button};
    if (QWidget* container = button->parentWidget())
        for (auto* other : container->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
            if (other != button && !other->isHidden() &&
                other->geometry().top() == button->geometry().top() &&
                other->height() == button->height())
                row.push_back(other);
    double size = FittedSize(button);
    for (const QPushButton* other : row) size = std::min(size, FittedSize(other));
    for (QPushButton* member : row) SetFittedSize(member, size);
}

}  // namespace

void PlaceControl(WindowView& view, ControlView& control) {
    QWidget* w = control.widget;
    if (!w || !view.client || IsBarControl(view, control.model)) return;
    QWidget* container = w->parentWidget();
    if (!container || (container != view.client && !view.client->isAncestorOf(container))) return;
    const QPoint origin =
        container == view.client ? QPoint() : container->mapTo(view.client, QPoint(0, 0));
    const Rect at = PlaceNow(view, control);
    const QSize hint = w->sizeHint();
    int width = at.width > 0 ? at.width : std::max(hint.width(), 1);
    const int height = at.height > 0 ? at.height : std::max(hint.height(), 1);
    // A fixed text is never cut: where this desktop's font needs more room than the layout
    // gave, the text takes it (labels paint no background, so nothing is hidden).
    if (auto* label = qobject_cast<QLabel*>(w);
        label && label->pixmap().isNull() && !label->wordWrap())
        width = std::max(width, hint.width());
    w->setGeometry(at.x - origin.x(), at.y - origin.y(), width, height);
    if (auto* button = qobject_cast<QPushButton*>(w)) FitButtonText(button);
}

void PlaceAllControls(WindowView& view) {
    // Equate order puts containers before what sits in them.
    for (const int feq : view.order) PlaceControl(view, view.controls.at(feq));
}

void PlaceControlsIn(WindowView& view, const QWidget* container) {
    for (const int feq : view.order) {
        ControlView& control = view.controls.at(feq);
        if (control.widget && control.widget->parentWidget() == container)
            PlaceControl(view, control);
    }
}

}  // namespace zem::ui::qt
