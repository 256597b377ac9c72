#include "program_windows.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <atomic>
#include <thread>
#include <vector>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "platform/ui/qt/window_view.h"
#include "research/support/job_test_support.h"
#include "shell/start_application.h"

namespace zem::test {

class NoProxyGuard : public ProxyEnvironment {};

namespace {

using ui::qt::ControlView;
using ui::qt::WindowView;

QString FromBytes(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Brings the window to the front and makes it the active one, as a user's click would, so the
// focus moves as it does on a desktop.
void Activate(WindowView& view) {
    if (view.sub && view.sub->mdiArea()) view.sub->mdiArea()->setActiveSubWindow(view.sub);
    if (!view.top) return;
    QWidget* window = view.top->window();
    window->raise();
    window->activateWindow();
    QApplication::setActiveWindow(window);
}

// A point inside the button where a click presses it: check boxes and radios take clicks on
// their indicator and text only.
QPoint PressPoint(QWidget* w) {
    if (qobject_cast<QAbstractButton*>(w) && !w->inherits("QPushButton") &&
        !w->inherits("QToolButton"))
        return QPoint(std::min(8, w->width() - 1), w->height() / 2);
    return w->rect().center();
}

// Opens the menus down to the action through its menu bar and clicks it.
bool ChooseFromMenus(WindowView& view, QAction* action) {
    if (!view.menuBar) return false;
    // From the menu holding the action up to the menu the bar shows.
    std::vector<QMenu*> chain;
    const std::function<bool(QAction*)> reach = [&](QAction* item) {
        for (QObject* o : item->associatedObjects()) {
            auto* menu = qobject_cast<QMenu*>(o);
            if (!menu) continue;
            chain.push_back(menu);
            if (view.menuBar->actions().contains(menu->menuAction()) || reach(menu->menuAction()))
                return true;
            chain.pop_back();
        }
        return false;
    };
    reach(action);
    if (chain.empty()) {
        ADD_FAILURE() << "the action sits in no menu";
        return false;
    }
    QMenu* top = chain.back();
    const QRect place = view.menuBar->actionGeometry(top->menuAction());
    if (!place.isValid()) {
        ADD_FAILURE() << "the menu bar does not show " << top->menuAction()->text().toStdString();
        return false;
    }
    QTest::mouseClick(view.menuBar, Qt::LeftButton, {}, place.center());
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        QMenu* menu = *it;
        if (!QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000)) {
            ADD_FAILURE() << "the menu " << menu->title().toStdString() << " did not open";
            return false;
        }
        QAction* next = std::next(it) == chain.rend() ? action : (*std::next(it))->menuAction();
        const QRect at = menu->actionGeometry(next);
        if (!at.isValid() || !next->isEnabled() || !next->isVisible()) {
            ADD_FAILURE() << "in menu " << menu->title().toStdString() << ", "
                          << next->text().toStdString() << " is not there to click";
            menu->close();
            return false;
        }
        QTest::mouseMove(menu, at.center());
        QTest::mouseClick(menu, Qt::LeftButton, {}, at.center());
    }
    return true;
}

bool ClickControl(WindowView& view, ControlView& control) {
    if (!ui::qt::Usable(view, control)) return false;
    Activate(view);
    if (control.model.kind == ui::ControlKind::Tab) {
        QTabWidget* sheet = ui::qt::SheetOf(view, control);
        if (!sheet || !control.inside) return false;
        const int index = sheet->indexOf(control.inside);
        if (index < 0 || !sheet->isTabEnabled(index)) return false;
        QTest::mouseClick(sheet->tabBar(), Qt::LeftButton, {},
                          sheet->tabBar()->tabRect(index).center());
        return true;
    }
    if (control.action && !control.menu) {
        if (!control.action->isEnabled()) return false;
        if (view.toolBar)
            if (QWidget* tool = view.toolBar->widgetForAction(control.action)) {
                QTest::mouseClick(tool, Qt::LeftButton, {}, tool->rect().center());
                return true;
            }
        return ChooseFromMenus(view, control.action);
    }
    QWidget* w = control.widget;
    if (!w || !w->isVisible() || !w->isEnabled()) return false;
    QTest::mouseClick(w, Qt::LeftButton, {}, PressPoint(w));
    return true;
}

// The widget that takes a control's keys: a spin box's or combo box's editor, else the widget.
QWidget* KeyTarget(QWidget* w) {
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) return spin;
    return w;
}

// Key presses for text: letters and digits with their key codes, everything else by its text.
void TypeInto(QWidget* target, const QString& text) {
    for (const QChar ch : text) {
        Qt::Key key = Qt::Key_unknown;
        if (ch.unicode() < 0x80) {
            const QChar up = ch.toUpper();
            key = static_cast<Qt::Key>(up.unicode());
        }
        QTest::sendKeyEvent(QTest::Click, target, key, QString(ch), Qt::NoModifier);
    }
}

}  // namespace

ui::qt::QtDisplay& Qt() {
    static ui::qt::QtDisplay* const display =
        dynamic_cast<ui::qt::QtDisplay*>(ui::CurrentDisplay().get());
    return *display;
}

std::filesystem::path ScreenshotDir() {
    static const std::filesystem::path dir = [] {
        std::filesystem::path d = ZEM_SCREENSHOT_DIR;
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

ui::qt::ControlView* ControlOf(ui::qt::WindowView& view, std::string_view use) {
    return ui::qt::FindControl(view, use);
}

ProgramWindowsTest::ProgramWindowsTest() = default;
ProgramWindowsTest::~ProgramWindowsTest() = default;

void ProgramWindowsTest::SetUp() {
    previous_ = std::filesystem::current_path();
    ASSERT_FALSE(dir.Path().empty());
    std::filesystem::current_path(dir.Path());
}

void ProgramWindowsTest::TearDown() {
    if (app_ != 0) Quit();
    if (simulator_) simulator_->Stop();
    noProxy_.reset();
    std::filesystem::current_path(previous_);
}

void ProgramWindowsTest::Seed(const std::function<void()>& body) {
    store::OpenStatus status;
    auto file = data::OpenZembrolaFile(shell::kDataFileName, status);
    ASSERT_TRUE(file) << status.text;
    ASSERT_TRUE(data::InitDictionary(std::move(file)));
    body();
    data::KillDictionary();
    data::CloseZembrolaFile();
}

std::string ProgramWindowsTest::StartSimulator(sim::ContentSettings settings) {
    noProxy_ = std::make_unique<NoProxyGuard>();
    simulator_ = std::make_unique<sim::ServiceSimulator>(settings);
    const int port = simulator_->Start(0);
    EXPECT_GT(port, 0);
    return "127.0.0.1:" + std::to_string(port);
}

ui::WindowId ProgramWindowsTest::LaunchProgram() {
    exitCode_ = std::make_shared<std::atomic<int>>(-1);
    app_ = runtime::Start([code = exitCode_] { *code = shell::RunApplication(); });
    const auto main = Qt().WaitForWindow("Main", kWindowWait);
    EXPECT_TRUE(main) << "the frame did not open";
    frame = main.value_or(0);
    return frame;
}

ui::WindowId ProgramWindowsTest::StartProgram() {
    LaunchProgram();
    // The splash goes with the first frame command, or by itself when it loses the focus or its
    // time is up (which a loaded machine makes likely before a test looks); its closing opens a
    // new query's form. Start-up is over when the splash is gone and that form is open, so every
    // test begins with the same windows.
    const auto deadline = std::chrono::steady_clock::now() + 3 * kWindowWait;
    bool started = false;
    while (!started && std::chrono::steady_clock::now() < deadline) {
        if (const auto splash = Qt().WaitForWindow("Splash", 0ms)) {
            Qt().CloseBox(*splash);
            Qt().WaitForClose(*splash, kWindowWait);
        }
        started =
            Qt().WaitForWindow("UpdateQueriesA", 0ms) || Qt().WaitForWindow("UpdateQueriesJ", 0ms);
        if (!started) std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(started) << "no new query's form after the splash";
    return frame;
}

void ProgramWindowsTest::LeaveNewQuery() {
    for (const char* procedure : {"UpdateQueriesA", "UpdateQueriesJ"})
        if (const auto form = Qt().WaitForWindow(procedure, 0ms)) {
            EXPECT_TRUE(Click(*form, "?CANCEL"));
            EXPECT_TRUE(WaitForClose(*form));
        }
}

int ProgramWindowsTest::Quit() {
    if (app_ == 0) return -1;
    // Every other window first, newest first, as the user closes them; then the frame.
    for (int round = 0; round < 20; ++round) {
        const std::vector<ui::WindowId> open = Qt().OpenWindows();
        bool others = false;
        for (auto it = open.rbegin(); it != open.rend(); ++it) {
            if (*it == frame) continue;
            others = true;
            Qt().CloseBox(*it);
            Qt().WaitForClose(*it, 2s);
        }
        if (!others) break;
    }
    EXPECT_TRUE(Qt().CloseBox(frame));
    EXPECT_TRUE(Qt().WaitForClose(frame, kWindowWait));
    runtime::Join(app_);
    app_ = 0;
    return *exitCode_;
}

int ProgramWindowsTest::AwaitEnd() {
    if (app_ == 0) return -1;
    runtime::Join(app_);
    app_ = 0;
    return *exitCode_;
}

std::optional<ui::WindowId> ProgramWindowsTest::WaitForWindow(std::string_view procedure) {
    return Qt().WaitForWindow(procedure, kWindowWait);
}

bool ProgramWindowsTest::WaitForClose(ui::WindowId window) {
    return Qt().WaitForClose(window, kWindowWait);
}

std::vector<std::pair<QString, bool>> ProgramWindowsTest::PopupItems(ui::WindowId window) {
    std::vector<std::pair<QString, bool>> items;
    Eventually([&] {
        bool shown = false;
        WithView(window, [&](ui::qt::WindowView&) {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            items.clear();
            if (!menu) return;
            shown = true;
            for (QAction* a : menu->actions())
                items.emplace_back(a->isSeparator() ? QStringLiteral("-") : a->text(),
                                   !a->isSeparator() && a->isEnabled());
        });
        return shown;
    });
    return items;
}

bool ProgramWindowsTest::ChoosePopup(ui::WindowId window, const QString& text) {
    bool done = false;
    WithView(window, [&](ui::qt::WindowView&) {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* a : menu->actions())
            if (a->text() == text && a->isEnabled()) {
                QTest::mouseClick(menu, ::Qt::LeftButton, {}, menu->actionGeometry(a).center());
                done = true;
                return;
            }
    });
    Settle();
    return done;
}

bool ProgramWindowsTest::Eventually(const std::function<bool()>& test) {
    const auto end = std::chrono::steady_clock::now() + kWindowWait;
    while (!test()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

bool ProgramWindowsTest::WithView(ui::WindowId window,
                                  const std::function<void(ui::qt::WindowView&)>& look) {
    bool found = false;
    Qt().Inspect(window, [&](WindowView* view) {
        if (!view) return;
        found = true;
        look(*view);
    });
    return found;
}

bool ProgramWindowsTest::WithWidget(ui::WindowId window, std::string_view use,
                                    const std::function<void(QWidget*)>& look) {
    bool found = false;
    WithView(window, [&](WindowView& view) {
        ControlView* control = ControlOf(view, use);
        found = control && control->widget;
        look(found ? control->widget.data() : nullptr);
    });
    return found;
}

bool ProgramWindowsTest::Click(ui::WindowId window, std::string_view use) {
    bool done = false;
    const bool open = WithView(window, [&](WindowView& view) {
        if (view.coveredByNested) {
            ADD_FAILURE() << "the window is covered by a nested one";
            return;
        }
        ControlView* control = ControlOf(view, use);
        if (!control) ADD_FAILURE() << "the window has no control " << use;
        if (control) done = ClickControl(view, *control);
    });
    if (!open) ADD_FAILURE() << "the window is not open";
    Settle();
    return done;
}

bool ProgramWindowsTest::ClickAt(ui::WindowId window, std::string_view use, QPoint at,
                                 ::Qt::MouseButton button) {
    bool done = false;
    WithView(window, [&](WindowView& view) {
        ControlView* control = ControlOf(view, use);
        if (!control || !control->widget || !ui::qt::Usable(view, *control)) return;
        Activate(view);
        QWidget* target = control->widget;
        if (auto* items = qobject_cast<QAbstractItemView*>(target)) target = items->viewport();
        QTest::mouseClick(target, button, {}, at);
        done = true;
    });
    Settle();
    return done;
}

bool ProgramWindowsTest::Type(ui::WindowId window, std::string_view use, std::string_view text,
                              bool leave) {
    bool done = false;
    WithView(window, [&](WindowView& view) {
        ControlView* control = ControlOf(view, use);
        if (!control || !control->widget || !ui::qt::Usable(view, *control) ||
            !control->widget->isEnabled())
            return;
        Activate(view);
        QWidget* w = KeyTarget(control->widget);
        w->setFocus(::Qt::MouseFocusReason);
        QTest::mouseClick(w, ::Qt::LeftButton, {}, w->rect().center());
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w;
        QTest::keyClick(target, ::Qt::Key_A, ::Qt::ControlModifier);
        if (text.empty()) QTest::keyClick(target, ::Qt::Key_Delete);
        TypeInto(target, FromBytes(text));
        if (leave) QTest::keyClick(target, ::Qt::Key_Tab);
        done = true;
    });
    Settle();
    return done;
}

bool ProgramWindowsTest::Key(ui::WindowId window, std::string_view use, ::Qt::Key key,
                             ::Qt::KeyboardModifiers modifiers) {
    bool done = false;
    WithView(window, [&](WindowView& view) {
        Activate(view);
        QWidget* target = nullptr;
        if (use.empty()) {
            target = QApplication::focusWidget();
        } else if (ControlView* control = ControlOf(view, use); control && control->widget) {
            target = KeyTarget(control->widget);
        }
        if (!target) return;
        QTest::keyClick(target, key, modifiers);
        done = true;
    });
    Settle();
    return done;
}

bool ProgramWindowsTest::KeysToFocus(ui::WindowId window, std::string_view text) {
    bool done = false;
    WithView(window, [&](WindowView& view) {
        Activate(view);
        if (QWidget* target = QApplication::focusWidget()) {
            TypeInto(target, FromBytes(text));
            done = true;
        }
    });
    Settle();
    return done;
}

std::optional<std::string> ProgramWindowsTest::Shown(ui::WindowId window, std::string_view use) {
    return Qt().WidgetText(window, use);
}

std::optional<QString> ProgramWindowsTest::ShownText(ui::WindowId window, std::string_view use) {
    std::optional<QString> shown;
    WithView(window, [&](WindowView& view) {
        if (ControlView* control = ControlOf(view, use)) shown = ui::qt::ShownText(view, *control);
    });
    return shown;
}

std::optional<bool> ProgramWindowsTest::Enabled(ui::WindowId window, std::string_view use) {
    std::optional<bool> enabled;
    WithView(window, [&](WindowView& view) {
        ControlView* control = ControlOf(view, use);
        if (!control) return;
        if (control->widget)
            enabled = control->widget->isEnabled() && !ui::qt::EffectivelyDisabled(view, *control);
        else if (control->action)
            enabled = control->action->isEnabled();
    });
    return enabled;
}

std::optional<bool> ProgramWindowsTest::Visible(ui::WindowId window, std::string_view use) {
    std::optional<bool> visible;
    WithView(window, [&](WindowView& view) {
        ControlView* control = ControlOf(view, use);
        if (!control) return;
        if (control->widget)
            visible = control->widget->isVisible();
        else if (control->action)
            visible = control->action->isVisible();
    });
    return visible;
}

std::string ProgramWindowsTest::FocusedUse(ui::WindowId window) {
    std::string use;
    WithView(window, [&](WindowView& view) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus) return;
        // The innermost control holding the focus: a spin box's editor is the spin box's.
        int depth = -1;
        for (auto& [feq, control] : view.controls) {
            if (!control.widget ||
                !(control.widget == focus || control.widget->isAncestorOf(focus)))
                continue;
            int d = 0;
            for (QWidget* up = control.widget; up; up = up->parentWidget()) ++d;
            if (d > depth) {
                depth = d;
                use = control.model.use;
            }
        }
    });
    return use;
}

bool ProgramWindowsTest::Shot(ui::WindowId window, std::string_view name) {
    Settle();
    return Qt().Screenshot(window, ScreenshotDir() / (std::string(name) + ".png"));
}

void ProgramWindowsTest::Settle() {
    // Twice round both sides: the procedure's answer to an event comes back as a change the GUI
    // thread applies after.
    for (int round = 0; round < 2; ++round) {
        Qt().OpenWindows();
        std::this_thread::sleep_for(60ms);
    }
    Qt().OpenWindows();
}

}  // namespace zem::test
