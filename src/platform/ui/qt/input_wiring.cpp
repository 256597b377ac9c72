#include "platform/ui/qt/input_wiring.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <memory>

#include "platform/runtime/event_codes.h"
#include "platform/ui/qt/list_widgets.h"
#include "platform/ui/qt/owned.h"
#include "platform/ui/qt/text_codec.h"
#include "platform/ui/qt/window_events.h"
#include "platform/ui/window/input.h"

namespace zem::ui::qt {
namespace {

namespace ev = runtime::event;

// The handlers of one control: they hold the view by pointer, which outlives the widgets.
class ControlInput {
  public:
    ControlInput(WindowView& view, const ControlView& control)
        : view_(&view), feq_(control.model.feq) {}

    bool Live() const { return !view_->applying && !view_->closing; }
    WindowId Window() const { return view_->id; }
    int Feq() const { return feq_; }
    int Charset() const {
        const ControlView* c = FindControl(*view_, feq_);
        return ControlCharset(c ? c->model.font.charset : -1, view_->Charset());
    }
    std::string Bytes(const QString& text) const { return Encode(text, Charset()); }
    // The column (from 1) a list's step locator looks in; 0: the list has none.
    int Locator() const {
        const ControlView* c = FindControl(*view_, feq_);
        return c ? c->model.locator : 0;
    }

    void NotePointer(QPoint global) const { view_->pointer = global; }
    bool PressDefault() const { return Live() && PressDefaultButton(*view_); }
    void Send(runtime::EventCode code) const { Deliver(Input{feq_, code}); }
    void SendValue(runtime::EventCode code, std::string screen) const {
        Showing(feq_, screen);
        Input input{feq_, code};
        input.screen = std::move(screen);
        Deliver(input);
    }
    void SendSelection(runtime::EventCode code, int selected, int row = 0, int column = 0) const {
        Input input{feq_, code};
        input.selected = selected;
        input.row = row;
        input.column = column;
        Deliver(input);
    }
    void SendKey(int key, int row, int column) const {
        Input input{feq_, ev::kAlertKey};
        input.key = key;
        input.row = row;
        input.column = column;
        Deliver(input);
    }
    void SendRow(runtime::EventCode code, int row) const {
        Input input{feq_, code};
        input.row = row;
        Deliver(input);
    }
    void SendHeader(int column) const {
        Input input{feq_, ev::kHeaderPressed};
        input.column = column;
        Deliver(input);
    }
    // For the option a radio belongs to.
    void SendFor(int control, runtime::EventCode code) const { Deliver(Input{control, code}); }
    void SendValueFor(int control, runtime::EventCode code, std::string screen) const {
        Showing(control, screen);
        Input input{control, code};
        input.screen = std::move(screen);
        Deliver(input);
    }
    // A multi-line text keeps the line ends the program gave it: CR LF when it held them.
    std::string TextBytes(const QPlainTextEdit* edit) const {
        QString text = edit->toPlainText();
        const ControlView* c = FindControl(*view_, feq_);
        if (c && c->model.screen.find("\r\n") != std::string::npos)
            text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        return Bytes(text);
    }

    void Deliver(const Input& input) const {
        if (Live()) SendInput(Window(), input);
    }

  private:
    // What the user gave the widget is what it shows now: the view's model follows, so the
    // window putting back the value it held before (an entry it refuses) is a change to apply.
    void Showing(int control, const std::string& screen) const {
        if (!Live()) return;
        if (ControlView* c = FindControl(*view_, control)) c->model.screen = screen;
    }

    WindowView* view_;
    int feq_;
};

// A control that takes the focus tells its window (the framework's selected event), whether
// the user clicked into it or tabbed to it; focus the program gives it is not the user's act.
class FocusWatcher : public QObject {
  public:
    FocusWatcher(ControlInput input, QWidget* widget) : input_(input) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::FocusIn) return false;
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::OtherFocusReason) return false;
        input_.Send(ev::kSelected);
        return false;
    }

  private:
    ControlInput input_;
};

// Multi-line texts are accepted when the focus leaves them changed.
class TextFocusWatcher : public QObject {
  public:
    TextFocusWatcher(ControlInput input, QPlainTextEdit* edit) : input_(input), edit_(edit) {
        edit->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusOut && edit_->document()->isModified()) {
            edit_->document()->setModified(false);
            input_.SendValue(ev::kAccepted, input_.TextBytes(edit_));
        }
        return false;
    }

  private:
    ControlInput input_;
    QPlainTextEdit* edit_;
};

// A link: a left click on it accepts it, and the pointer entering and leaving it are the
// window's to hear of.
class LinkWatcher : public QObject {
  public:
    LinkWatcher(ControlInput input, QWidget* widget) : input_(input), widget_(widget) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Enter:
                input_.Send(ev::kPointerIn);
                break;
            case QEvent::Leave:
                input_.Send(ev::kPointerOut);
                break;
            case QEvent::MouseButtonRelease: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() == Qt::LeftButton &&
                    widget_->rect().contains(mouse->position().toPoint()))
                    input_.Send(ev::kAccepted);
                break;
            }
            default:
                break;
        }
        return false;
    }

  private:
    ControlInput input_;
    QWidget* widget_;
};

// A press on a list cell reaches the window before the list moves to the row.
class ListMouseWatcher : public QObject {
  public:
    ListMouseWatcher(ControlInput input, QTreeWidget* list) : input_(input), list_(list) {
        list->viewport()->installEventFilter(this);
        list->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == list_) return OnListKey(event);
        const auto type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        input_.NotePointer(mouse->globalPosition().toPoint());
        QTreeWidgetItem* item = list_->itemAt(mouse->position().toPoint());
        // Below the rows only the right button means anything (the list's menu).
        if (!item && mouse->button() != Qt::RightButton) return false;
        const int row = RowOf(item);
        const int column = list_->header()->logicalIndexAt(mouse->position().toPoint().x()) + 1;
        int key = 0;
        if (mouse->button() == Qt::LeftButton)
            key = type == QEvent::MouseButtonDblClick ? key::MouseLeft2 : key::MouseLeft;
        else if (mouse->button() == Qt::RightButton)
            key = key::MouseRight;
        // A double click accepts the row it is on: the list moves there first, so the window
        // hears of the new row before the acceptance, also when no press came before it.
        const bool accepts =
            type == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton;
        if (accepts && item && item != list_->currentItem()) list_->setCurrentItem(item);
        if (key != 0) input_.SendKey(key, row, std::max(column, 1));
        if (accepts) input_.Send(ev::kAccepted);
        return false;
    }

  private:
    // Keys a list's window may handle go to it with the current row; a tree's expand and
    // contract keys never act on the view directly.
    bool OnListKey(QEvent* event) {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* press = static_cast<QKeyEvent*>(event);
        const bool tree = list_->rootIsDecorated();
        const bool ctrl = press->modifiers() & Qt::ControlModifier;
        const bool keypad = press->modifiers() & Qt::KeypadModifier;
        int code = 0;
        switch (press->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (!ctrl) {
                    // As in a dialog: Enter presses the window's default button; a list in a
                    // window without one accepts its current row.
                    if (!input_.PressDefault()) input_.Send(ev::kAccepted);
                    return true;
                }
                code = key::CtrlEnter;
                break;
            case Qt::Key_Delete:
                code = key::Delete;
                break;
            case Qt::Key_Left:
            case Qt::Key_Right:
                if (!tree) return false;
                code = press->key() == Qt::Key_Left ? key::Left : key::Right;
                break;
            case Qt::Key_Plus:
            case Qt::Key_Minus:
            case Qt::Key_Asterisk:
                if (!tree) return false;
                // Only the keypad's plus and minus are the window's; the others Qt would
                // take as expand keys, so a tree drops them.
                if (keypad && press->key() != Qt::Key_Asterisk)
                    code = press->key() == Qt::Key_Plus ? key::PadPlus : key::PadMinus;
                break;
            default:
                return StepLocate(*press);
        }
        if (code != 0)
            input_.SendKey(code, RowOf(list_->currentItem()),
                           std::max(list_->currentColumn(), 0) + 1);
        return true;
    }

    // A character typed into a list with a step locator moves it to the next row whose text in
    // the locator's column starts with the character, or, when none does, to the first row whose
    // text sorts after it (the list is in the locator column's order).
    bool StepLocate(const QKeyEvent& press) {
        const int column = input_.Locator() - 1;
        const QString typed = press.text();
        if (column < 0 || column >= list_->columnCount() || typed.size() != 1 ||
            !typed.front().isPrint() || typed.front().isSpace() ||
            (press.modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        const int rows = list_->topLevelItemCount();
        if (rows == 0) return true;
        const int from =
            list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
        QTreeWidgetItem* found = nullptr;
        for (int i = 1; i <= rows && !found; ++i) {
            QTreeWidgetItem* item = list_->topLevelItem((from + i) % rows);
            if (item->text(column).startsWith(typed, Qt::CaseInsensitive)) found = item;
        }
        for (int i = 0; i < rows && !found; ++i) {
            QTreeWidgetItem* item = list_->topLevelItem(i);
            if (QString::compare(item->text(column), typed, Qt::CaseInsensitive) > 0) found = item;
        }
        // Made current, the row is brought into view up or down; the list stays where the
        // user scrolled it sideways.
        if (found && found != list_->currentItem()) list_->setCurrentItem(found, column);
        return true;
    }

    ControlInput input_;
    QTreeWidget* list_;
};

// The editor of a list cell: Enter and Tab end the edit with the text, Escape without it, and
// the focus going elsewhere ends it as Tab does. None of these keys reaches the window, so
// Enter in a cell never presses the window's default button.
class CellEditor : public QLineEdit {
  public:
    CellEditor(ControlInput input, int row, int column, QWidget* parent)
        : QLineEdit(parent), input_(input), row_(row), column_(column) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                End(key::Enter);
                return;
            case Qt::Key_Escape:
                End(key::Escape);
                return;
            default:
                QLineEdit::keyPressEvent(event);
        }
    }
    bool focusNextPrevChild(bool) override {
        End(key::Tab);
        return true;
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        // A pop-up or the window losing activation is no move to another control.
        if (event->reason() != Qt::PopupFocusReason &&
            event->reason() != Qt::ActiveWindowFocusReason)
            End(key::Tab);
    }

  private:
    void End(int how) {
        if (ended_) return;
        ended_ = true;
        Input input{input_.Feq(), ev::kCellEdited};
        if (how != key::Escape) input.screen = input_.Bytes(text());
        input.key = how;
        input.row = row_;
        input.column = column_;
        input_.Deliver(input);
    }

    ControlInput input_;
    int row_, column_;
    bool ended_ = false;
};

void WireLineEdit(ControlInput input, QLineEdit* edit) {
    // Each change the user makes is a new selection carrying what the entry now shows.
    QObject::connect(edit, &QLineEdit::textEdited, edit, [input](const QString& text) {
        input.SendValue(ev::kNewSelection, input.Bytes(text));
    });
    // Return always accepts; leaving the entry accepts it when the user changed it.
    auto accept = [input, edit] {
        if (edit->isReadOnly()) return;
        edit->setModified(false);
        input.SendValue(ev::kAccepted, input.Bytes(edit->text()));
    };
    QObject::connect(edit, &QLineEdit::returnPressed, edit, accept);
    QObject::connect(edit, &QLineEdit::editingFinished, edit, [edit, accept] {
        if (edit->isModified()) accept();
    });
}

void WireSpin(ControlInput input, QSpinBox* spin) {
    auto changed = std::make_shared<bool>(false);
    QObject::connect(spin, &QSpinBox::textChanged, spin, [input, changed](const QString& text) {
        if (!input.Live()) return;
        *changed = true;
        input.SendValue(ev::kNewSelection, input.Bytes(text));
    });
    QObject::connect(spin, &QSpinBox::editingFinished, spin, [input, spin, changed] {
        if (!*changed || spin->isReadOnly()) return;
        *changed = false;
        input.SendValue(ev::kAccepted, input.Bytes(spin->text()));
    });
}

void WireRadio(WindowView& view, ControlInput input, const ControlView& radio,
               QRadioButton* button) {
    const int option = radio.model.parent;
    const std::string value = radio.model.value;
    WindowView* v = &view;
    QObject::connect(button, &QAbstractButton::clicked, button, [input, option, value, v] {
        const ControlView* owner = FindControl(*v, option);
        if (!owner || owner->model.kind != ControlKind::Option) return;
        // The option hears of the change first, then of its acceptance.
        input.SendValueFor(option, ev::kNewSelection, value);
        input.SendFor(option, ev::kAccepted);
    });
}

void WireList(ControlInput input, QTreeWidget* list) {
    MakeChild<ListMouseWatcher>(list, input, list);
    QObject::connect(list, &QTreeWidget::currentItemChanged, list,
                     [input, list](QTreeWidgetItem* current) {
                         const int row = RowOf(current);
                         if (row == 0) return;
                         const int column = std::max(0, list->currentColumn()) + 1;
                         input.SendSelection(ev::kNewSelection, row, row, column);
                     });
    QObject::connect(list->header(), &QHeaderView::sectionClicked, list,
                     [input](int index) { input.SendHeader(index + 1); });
    if (!list->rootIsDecorated()) return;
    // The expander asks the window; the entry goes back to what the window shows until the
    // window answers with its new rows.
    QObject::connect(list, &QTreeWidget::itemExpanded, list, [input, list](QTreeWidgetItem* item) {
        if (!input.Live()) return;
        {
            const QSignalBlocker blocker(list);
            item->setExpanded(false);
        }
        input.SendRow(ev::kExpanded, RowOf(item));
    });
    QObject::connect(list, &QTreeWidget::itemCollapsed, list, [input, list](QTreeWidgetItem* item) {
        if (!input.Live()) return;
        {
            const QSignalBlocker blocker(list);
            item->setExpanded(true);
        }
        input.SendRow(ev::kContracted, RowOf(item));
    });
}

}  // namespace

void WireControl(WindowView& view, ControlView& control) {
    const ControlInput input(view, control);
    if (control.action && !control.menu && control.model.kind != ControlKind::Separator) {
        QObject::connect(control.action, &QAction::triggered, control.action,
                         [input] { input.Send(ev::kAccepted); });
        return;
    }
    QWidget* w = control.widget;
    if (!w) return;
    switch (control.model.kind) {
        case ControlKind::Entry:
        case ControlKind::Text:
        case ControlKind::Spin:
        case ControlKind::DropList:
            MakeChild<FocusWatcher>(w, input, w);
            break;
        default:
            break;
    }
    switch (control.model.kind) {
        case ControlKind::Entry:
            if (auto* edit = qobject_cast<QLineEdit*>(w)) WireLineEdit(input, edit);
            break;
        case ControlKind::Text:
            if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
                QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [input, edit] {
                    if (input.Live())
                        SetScreenValue(input.Window(), input.Feq(), input.TextBytes(edit));
                });
                MakeChild<TextFocusWatcher>(edit, input, edit);
            }
            break;
        case ControlKind::Spin:
            if (auto* spin = qobject_cast<QSpinBox*>(w)) WireSpin(input, spin);
            break;
        case ControlKind::Button:
            if (auto* button = qobject_cast<QAbstractButton*>(w))
                QObject::connect(button, &QAbstractButton::clicked, button,
                                 [input] { input.Send(ev::kAccepted); });
            break;
        case ControlKind::Check:
            if (auto* check = qobject_cast<QCheckBox*>(w))
                QObject::connect(check, &QAbstractButton::clicked, check, [input](bool on) {
                    input.SendValue(ev::kAccepted, on ? "1" : "0");
                });
            break;
        case ControlKind::Radio:
            if (auto* radio = qobject_cast<QRadioButton*>(w))
                WireRadio(view, input, control, radio);
            break;
        case ControlKind::List:
        case ControlKind::Tree:
            if (auto* list = qobject_cast<QTreeWidget*>(w)) WireList(input, list);
            break;
        case ControlKind::DropList:
            if (auto* box = qobject_cast<QComboBox*>(w))
                QObject::connect(box, &QComboBox::activated, box, [input](int index) {
                    // A drop list's choice is also its acceptance.
                    input.SendSelection(ev::kNewSelection, index + 1);
                    input.Send(ev::kAccepted);
                });
            break;
        case ControlKind::String:
            if (control.model.link) MakeChild<LinkWatcher>(w, input, w);
            break;
        case ControlKind::Sheet:
            if (auto* tabs = qobject_cast<QTabWidget*>(w))
                QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [input](int index) {
                    if (index >= 0) input.SendSelection(ev::kNewSelection, index + 1);
                });
            break;
        default:
            break;
    }
}

void ApplyCellEdit(WindowView& view, ControlView& control) {
    auto* list = qobject_cast<QTreeWidget*>(control.widget);
    if (!list) return;
    const Control& model = control.model;
    const int row = model.editRow, column = model.editColumn;
    const bool open = row >= 1 && row <= static_cast<int>(control.rows.size()) && column >= 1 &&
                      column <= list->columnCount();
    // A rebuilt list has new items: an editor of the old ones is gone with them.
    if (control.cellEditor && open && row == control.editRow && column == control.editColumn)
        return;
    // The list deletes an editor it takes away.
    if (control.cellEditor)
        for (QTreeWidgetItem* item : control.rows)
            if (list->itemWidget(item, control.editColumn - 1) == control.cellEditor)
                list->removeItemWidget(item, control.editColumn - 1);
    control.cellEditor = nullptr;
    control.editRow = control.editColumn = 0;
    if (!open) return;
    QTreeWidgetItem* item = control.rows[static_cast<std::size_t>(row) - 1];
    auto* editor = new CellEditor(ControlInput(view, control), row, column, list->viewport());
    editor->setText(item->text(column - 1));
    editor->selectAll();
    list->setItemWidget(item, column - 1, editor);  // the list owns it now
    list->scrollToItem(item);
    control.cellEditor = editor;
    control.editRow = row;
    control.editColumn = column;
    editor->setFocus(Qt::OtherFocusReason);
}

void FinishTyping(QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        emit edit->editingFinished();
    } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
        emit spin->editingFinished();
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
        QFocusEvent leave(QEvent::FocusOut, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(text, &leave);
    }
}

}  // namespace zem::ui::qt
