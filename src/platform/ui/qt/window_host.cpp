#include "platform/ui/qt/window_host.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <charconv>
#include <utility>

#include "platform/runtime/event_codes.h"
#include "platform/runtime/events.h"
#include "platform/ui/window/app_settings.h"
#include "platform/ui/window/input.h"
#include "platform/ui/qt/control_factory.h"
#include "platform/ui/qt/input_wiring.h"
#include "platform/ui/qt/message_box.h"
#include "platform/ui/qt/popup_menu.h"
#include "platform/ui/qt/text_codec.h"
#include "platform/ui/qt/window_builder.h"
#include "platform/win/window_handles.h"

namespace zem::ui::qt {
namespace {

namespace ev = runtime::event;

constexpr const char* kAnswerScheduled = "zemAnswerScheduled";

void ScheduleAnswer(QMessageBox* box, unsigned button) {
    box->setProperty(kAnswerScheduled, true);
    // Answered once it has shown, as a user would.
    QTimer::singleShot(0, box, [box, button] { AnswerMessageBox(box, button); });
}

int Charset(const WindowView& view, const ControlView& control) {
    return ControlCharset(control.model.font.charset, view.Charset());
}

// An option shows the value of its checked radio.
std::string OptionValue(WindowView& view, const ControlView& option) {
    for (const int feq : view.order) {
        const ControlView& radio = view.controls.at(feq);
        if (radio.model.parent != option.model.feq) continue;
        if (const auto* button = qobject_cast<const QRadioButton*>(radio.widget);
            button && button->isChecked())
            return radio.model.value;
    }
    return {};
}

}  // namespace

WindowHost::WindowHost(std::atomic<WindowId>& active)
    : active_(active), inputWatch_(std::make_unique<UserInputWatch>([this] { awaited_ = 0; })) {}

WindowHost::~WindowHost() {
    CloseAll();
}

WindowView* WindowHost::Find(WindowId window) {
    const auto found = views_.find(window);
    return found == views_.end() ? nullptr : found->second.get();
}

WindowView* WindowHost::View(WindowId window) {
    return Find(window);
}

WindowView* WindowHost::Frame() {
    for (auto id = order_.rbegin(); id != order_.rend(); ++id)
        if (WindowView* view = Find(*id); view && view->main) return view;
    return nullptr;
}

void WindowHost::Open(const WindowSnapshot& window) {
    if (window.id == 0 || views_.contains(window.id)) return;
    auto built = BuildWindow(window, Frame(), *this);
    WindowView& view = *built;
    views_.emplace(window.id, std::move(built));
    order_.push_back(window.id);
    if (view.mdi)
        QObject::connect(view.mdi, &QMdiArea::subWindowActivated, view.mdi,
                         [this] { ActivationChanged(); });
    if (WindowView* outer = Find(window.outer)) Cover(*outer, view);
    // The newest window is the active one from the moment it opens, as the desktop makes it.
    active_ = window.id;
    awaited_ = window.id;
    reclaims_ = 0;
    ShowWindow(view);
    // A frame that opens once the frames' turn has come (the session ended during start-up) is
    // told at once as well.
    if (endingSession_ && (!view.main || framesTold_)) TellSessionEnds(window.id);
}

void WindowHost::Cover(WindowView& outer, const WindowView& nested) {
    outer.coveredByNested = true;
    // Disabled, the window loses its focus; it is given back when the nested window ends.
    outer.focusBeforeCover = outer.top ? outer.top->focusWidget() : nullptr;
    std::vector<QWidget*> parts;
    if (outer.main && nested.sub && nested.sub->mdiArea() == outer.mdi) {
        // An MDI child of the frame's own thread lives inside the frame: the frame's menus,
        // toolbar and controls stand still, the child does not.
        parts = {outer.menuBar.data(), outer.toolBar.data(), outer.client.data()};
    } else {
        parts = {outer.top.data()};
    }
    for (QWidget* part : parts) {
        if (!part) continue;
        part->setEnabled(false);
        outer.coveredParts.emplace_back(part);
    }
}

void WindowHost::Uncover(WindowView& outer) {
    for (const QPointer<QWidget>& part : outer.coveredParts) {
        if (!part) continue;
        // A bar that is a control of its own keeps the state its model gives it.
        bool enabled = true;
        for (const auto& [feq, control] : outer.controls)
            if (control.widget == part) enabled = !control.model.disable;
        part->setEnabled(enabled);
    }
    outer.coveredParts.clear();
    outer.coveredByNested = false;
}

void WindowHost::Reactivate(WindowView& outer) {
    ActivateWindow(outer);
    QWidget* focus = std::exchange(outer.focusBeforeCover, nullptr);
    if (focus && focus->isEnabled() && focus->isVisible()) focus->setFocus(Qt::OtherFocusReason);
}

void WindowHost::DetachChildrenOf(WindowView& frame) {
    // MDI children that outlive their frame become windows of their own.
    for (auto& [id, view] : views_) {
        if (view.get() == &frame || !view->sub || view->sub->mdiArea() != frame.mdi) continue;
        frame.mdi->removeSubWindow(view->sub);
        view->sub->show();
    }
}

void WindowHost::ChangeWindow(WindowId window, const WindowProps& props) {
    if (WindowView* view = Find(window)) ApplyWindowProps(*view, props);
}

void WindowHost::ChangeControl(WindowId window, const Control& control) {
    WindowView* view = Find(window);
    ControlView* shown = view ? FindControl(*view, control.feq) : nullptr;
    if (!shown) return;
    ApplyControl(*view, *shown, control, false);
    if (observer_) observer_(window, control.feq);
}

void WindowHost::Close(WindowId window) {
    const auto found = views_.find(window);
    if (found == views_.end()) return;
    WindowView& view = *found->second;
    view.closing = true;
    if (view.main) DetachChildrenOf(view);
    const WindowId outer = view.outer;
    // Out of the order first: deleting the widgets moves the activation, which reads it.
    order_.erase(std::remove(order_.begin(), order_.end(), window), order_.end());
    const std::unique_ptr<WindowView> closing = std::move(found->second);
    views_.erase(found);
    closing->owner.Reset();  // deletes the widgets
    const bool wasActive = active_ == window;
    if (wasActive) active_ = order_.empty() ? 0 : order_.back();
    if (WindowView* o = Find(outer)) {
        Uncover(*o);
        // The desktop gives the activation back to the window a nested one covered, as it does
        // for an owned window; while covered, that window could not take it on its own.
        if (wasActive && !endingSession_) Reactivate(*o);
    }
    if (endingSession_) EndSessionOfFrames();
}

void WindowHost::TellSessionEnds(WindowId window) {
    // The window's handle exists once its thread has opened it; a window whose handle is not
    // there yet hears it through its thread's close-down all the same, as the guard posts it.
    const win::Hwnd hwnd = win::FindHandle(window);
    if (hwnd != 0) {
        win::PostMessage(hwnd, win::WM_QUERYENDSESSION, 0, 0);
        win::PostMessage(hwnd, win::WM_ENDSESSION, 1, 0);
    } else if (const runtime::ThreadNo thread = WindowThread(window)) {
        runtime::Post(thread, runtime::event::kCloseDown);
    }
}

void WindowHost::EndSession() {
    if (std::exchange(endingSession_, true)) return;
    // A thread waiting on a message box hears nothing else: the boxes are answered as closed,
    // so each thread goes on to its window's closing.
    for (const QPointer<QMessageBox>& box : std::exchange(boxes_, {})) CloseMessageBox(box);
    for (auto id = order_.rbegin(); id != order_.rend(); ++id)
        if (WindowView* view = Find(*id); view && !view->main) TellSessionEnds(*id);
    EndSessionOfFrames();
}

void WindowHost::EndSessionOfFrames() {
    if (framesTold_) return;
    for (const auto& [id, view] : views_)
        if (!view->main) return;
    framesTold_ = true;
    for (auto id = order_.rbegin(); id != order_.rend(); ++id) TellSessionEnds(*id);
}

void WindowHost::ApplicationActivation(bool active) {
    for (const WindowId id : order_)
        if (WindowView* view = Find(id); view && view->main)
            if (const win::Hwnd hwnd = win::FindHandle(id))
                win::PostMessage(hwnd, win::WM_ACTIVATEAPP, active ? 1 : 0, 0);
}

void WindowHost::Focus(WindowId window, int feq) {
    WindowView* view = Find(window);
    ControlView* control = view ? FindControl(*view, feq) : nullptr;
    if (!control || !control->widget) return;
    // A list whose cell is edited keeps the focus in the cell: taking it to the list would end
    // the edit as leaving the cell does.
    if (control->cellEditor) {
        control->cellEditor->setFocus(Qt::OtherFocusReason);
        return;
    }
    control->widget->setFocus(Qt::OtherFocusReason);
}

void WindowHost::Busy(WindowId window, bool busy) {
    WindowView* view = Find(window);
    if (!view || !view->top) return;
    // Wait cursors nest: the cursor comes back when the outermost one ends.
    const int before = view->busy;
    view->busy = busy ? view->busy + 1 : std::max(0, view->busy - 1);
    if (before == 0 && view->busy > 0) view->top->setCursor(Qt::WaitCursor);
    if (before > 0 && view->busy == 0) view->top->unsetCursor();
}

void WindowHost::Standard(WindowId window, StdAction action) {
    if (WindowView* view = Find(window)) standard_.Run(*view, Frame(), action);
}

void WindowHost::PopUp(WindowId window, const PopupMenu& menu) {
    if (WindowView* view = Find(window); view && !view->coveredByNested) ShowPopupMenu(*view, menu);
}

void WindowHost::Ask(WindowId window, const MessageRequest& request,
                     std::shared_ptr<PendingResult<unsigned>> answer) {
    WindowView* view = Find(window);
    QWidget* parent = view ? view->top.data() : nullptr;
    const int charset = TextCharset(request.charset, view ? view->Charset() : DefaultCharset());
    QMessageBox* box = ShowMessageBox(parent, request, charset, std::move(answer));
    if (endingSession_) {
        // Once the session ends no one is left to answer.
        CloseMessageBox(box);
        return;
    }
    std::erase_if(boxes_, [](const QPointer<QMessageBox>& b) { return b.isNull(); });
    boxes_.emplace_back(box);
    if (!answers_.empty()) {
        ScheduleAnswer(box, answers_.front());
        answers_.pop_front();
    }
}

void WindowHost::CloseAll() {
    // Deleting a box that is still open drops its answer, which gives the default button.
    for (const QPointer<QMessageBox>& box : boxes_) std::unique_ptr<QMessageBox> gone(box.data());
    boxes_.clear();
    while (!order_.empty()) Close(order_.back());
    standard_.Release();
}

void WindowHost::ActivationChanged() {
    const QWidget* activeTop = QApplication::activeWindow();
    WindowId now = 0;
    for (const WindowId id : order_) {
        WindowView* found = Find(id);
        if (!found) continue;
        WindowView& view = *found;
        if (view.main && view.main == activeTop) {
            const QMdiSubWindow* sub = view.mdi ? view.mdi->activeSubWindow() : nullptr;
            now = id;
            for (const auto& [childId, child] : views_)
                if (sub && child->sub == sub) now = childId;
        } else if (!(view.sub && view.sub->mdiArea()) && view.top == activeTop) {
            now = id;
        }
    }
    // Until the user acts, activation the desktop gives a window opened before the newest one
    // answers the program's own earlier request: an X11 window manager activates a window as it
    // maps, which may come after the program has opened a newer one. The newest keeps the
    // activation and hears no loss; it asks for the activation again, a bounded number of times.
    if (awaited_ != 0 && active_ == awaited_ && now != 0 && now != awaited_ &&
        OpenedBefore(now, awaited_) && reclaims_ < kMaxReclaims) {
        ++reclaims_;
        if (WindowView* newest = Find(awaited_)) ActivateWindow(*newest);
        return;
    }
    const WindowId before = active_.exchange(now);
    if (before == now) return;
    if (before != 0 && IsOpen(before)) SendInput(before, Input{0, ev::kLoseFocus});
    if (now != 0) SendInput(now, Input{0, ev::kGainFocus});
}

bool WindowHost::OpenedBefore(WindowId earlier, WindowId later) const {
    const auto a = std::find(order_.begin(), order_.end(), earlier);
    const auto b = std::find(order_.begin(), order_.end(), later);
    return a != order_.end() && b != order_.end() && a < b;
}

std::optional<WindowId> WindowHost::FindWindow(std::string_view procedure) const {
    for (auto id = order_.rbegin(); id != order_.rend(); ++id)
        if (const auto view = views_.find(*id);
            view != views_.end() && view->second->procedure == procedure)
            return *id;
    return std::nullopt;
}

ControlView* WindowHost::Actionable(WindowId window, std::string_view use) {
    WindowView* view = Find(window);
    if (!view || view->coveredByNested || !view->top || !view->top->isEnabled()) return nullptr;
    ControlView* control = FindControl(*view, use);
    if (!control || !Usable(*view, *control)) return nullptr;
    if (control->widget && !control->widget->isEnabled()) return nullptr;
    if (control->action && !control->action->isEnabled()) return nullptr;
    return control;
}

bool WindowHost::Trigger(WindowId window, std::string_view use) {
    ControlView* control = Actionable(window, use);
    if (!control) return false;
    if (control->action && !control->menu) {
        if (control->model.kind == ControlKind::Separator) return false;
        control->action->trigger();
        return true;
    }
    if (control->model.kind == ControlKind::Tab) {
        QTabWidget* tabs = SheetOf(*Find(window), *control);
        if (!tabs || !control->inside) return false;
        tabs->setCurrentWidget(control->inside);
        return true;
    }
    if (control->model.kind == ControlKind::Check && control->model.readOnly) return false;
    if (auto* button = qobject_cast<QAbstractButton*>(control->widget)) {
        button->click();
        return true;
    }
    return false;
}

bool WindowHost::TypeText(WindowId window, std::string_view use, std::string_view text) {
    ControlView* control = Actionable(window, use);
    if (!control || control->model.readOnly) return false;
    const QString typed = Decode(text, Charset(*Find(window), *control));
    if (auto* edit = qobject_cast<QLineEdit*>(control->widget)) {
        if (edit->isReadOnly()) return false;
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        edit->insert(typed);  // as keystrokes: the edit reports it as typed
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control->widget)) {
        plain->selectAll();
        plain->insertPlainText(typed);
    } else if (auto* spin = qobject_cast<QSpinBox*>(control->widget)) {
        int value = 0;
        const std::string number = typed.trimmed().toStdString();
        const auto [end, failure] =
            std::from_chars(number.data(), number.data() + number.size(), value);
        if (failure != std::errc() || end != number.data() + number.size() || number.empty())
            return false;
        spin->setValue(value);
    } else {
        return false;
    }
    FinishTyping(control->widget);
    return true;
}

bool WindowHost::ChooseRow(WindowId window, std::string_view use, int row) {
    ControlView* control = Actionable(window, use);
    if (!control) return false;
    if (auto* list = qobject_cast<QTreeWidget*>(control->widget)) {
        if (row < 1 || row > static_cast<int>(control->rows.size())) return false;
        list->setCurrentItem(control->rows[static_cast<std::size_t>(row - 1)]);
        return true;
    }
    if (auto* box = qobject_cast<QComboBox*>(control->widget)) {
        if (row < 1 || row > box->count()) return false;
        box->setCurrentIndex(row - 1);
        emit box->activated(row - 1);  // what a choice from the popup signals
        return true;
    }
    return false;
}

bool WindowHost::ClickCell(WindowId window, std::string_view use, int row, int column, int key) {
    ControlView* control = Actionable(window, use);
    auto* list = control ? qobject_cast<QTreeWidget*>(control->widget) : nullptr;
    if (!list || row < 1 || row > static_cast<int>(control->rows.size()) || column < 1 ||
        column > list->columnCount())
        return false;
    if (key != key::MouseLeft && key != key::MouseRight) return false;
    QTreeWidgetItem* item = control->rows[static_cast<std::size_t>(row - 1)];
    list->doItemsLayout();
    list->scrollToItem(item);
    const QRect cell = list->visualItemRect(item);
    const QPointF at(list->header()->sectionViewportPosition(column - 1) + 2, cell.center().y());
    const QPointF global = list->viewport()->mapToGlobal(at);
    const Qt::MouseButton button = key == key::MouseRight ? Qt::RightButton : Qt::LeftButton;
    QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &release);
    return true;
}

bool WindowHost::CloseBox(WindowId window) {
    WindowView* view = Find(window);
    if (!view || !view->top || view->coveredByNested) return false;
    view->top->close();  // the window's filter turns it into a close-window event
    return true;
}

std::optional<bool> WindowHost::WindowEnabled(WindowId window) {
    WindowView* view = Find(window);
    if (!view || !view->client) return std::nullopt;
    return view->client->isEnabled();
}

std::optional<std::string> WindowHost::WidgetText(WindowId window, std::string_view use) {
    WindowView* view = Find(window);
    ControlView* control = view ? FindControl(*view, use) : nullptr;
    if (!control) return std::nullopt;
    if (control->model.kind == ControlKind::Option) return OptionValue(*view, *control);
    const auto shown = ShownText(*view, *control);
    if (!shown) return std::nullopt;
    return Encode(*shown, Charset(*view, *control));
}

bool WindowHost::Screenshot(WindowId window, const std::filesystem::path& png) {
    WindowView* view = Find(window);
    if (!view || !view->top) return false;
    const QPixmap picture = view->top->grab();
    return !picture.isNull() && picture.save(QString::fromStdString(png.string()), "PNG");
}

void WindowHost::SetChangeObserver(std::function<void(WindowId, int)> observer) {
    observer_ = std::move(observer);
}

void WindowHost::AnswerNextMessage(unsigned button) {
    // A box already showing and not yet answered is the next one.
    for (const QPointer<QMessageBox>& box : boxes_) {
        if (box && box->isVisible() && !box->property(kAnswerScheduled).toBool()) {
            ScheduleAnswer(box, button);
            return;
        }
    }
    answers_.push_back(button);
}

}  // namespace zem::ui::qt
