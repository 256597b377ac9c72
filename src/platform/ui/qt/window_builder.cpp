#include "platform/ui/qt/window_builder.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "platform/ui/window/app_settings.h"
#include "platform/ui/qt/control_factory.h"
#include "platform/ui/qt/fonts.h"
#include "platform/ui/qt/input_wiring.h"
#include "platform/ui/qt/resource_images.h"
#include "platform/ui/qt/text_codec.h"
#include "platform/ui/qt/window_events.h"
#include "platform/ui/qt/window_messages.h"

namespace zem::ui::qt {
namespace {

constexpr int kClientMargin = 8;
constexpr QSize kEmptyClient{320, 200};

// A toolbar that tiles its wallpaper behind the tool buttons.
class WallpaperToolBar : public QToolBar {
  public:
    void SetWallpaper(QPixmap wallpaper) {
        wallpaper_ = std::move(wallpaper);
        update();
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        if (wallpaper_.isNull()) {
            QToolBar::paintEvent(event);
            return;
        }
        QPainter painter(this);
        painter.drawTiledPixmap(rect(), wallpaper_);
    }

  private:
    QPixmap wallpaper_;
};

// Alt+Minus opens the active child's window menu, as the desktops MDI comes from do; as a
// shortcut of the frame it comes before any control of a child takes the key.
void AddWindowMenuKey(QMainWindow& main, QMdiArea& mdi) {
    auto* key = MakeChild<QShortcut>(&main, QKeySequence(Qt::ALT | Qt::Key_Minus), &main);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, &mdi, [area = &mdi] {
        if (QMdiSubWindow* sub = area->activeSubWindow(); sub && sub->isEnabled())
            sub->showSystemMenu();
    });
}

bool HasKind(const WindowSnapshot& window, ControlKind kind) {
    return std::any_of(window.controls.begin(), window.controls.end(),
                       [kind](const Control& c) { return c.kind == kind; });
}

// The frame of a window that is no application frame: the client area alone, or with menu bar,
// toolbars and status bar around it when it has them.
QWidget* MakeFrame(WindowView& view, const WindowSnapshot& window, std::unique_ptr<QWidget>& top) {
    const bool bars = HasKind(window, ControlKind::MenuBar) ||
                      HasKind(window, ControlKind::Toolbar) || !window.props.statusWidths.empty();
    if (!bars) {
        auto client = std::make_unique<ClientArea>();
        view.client = client.get();
        top = std::move(client);
        return top.get();
    }
    top = std::make_unique<QWidget>();
    auto* layout = MakeOwnedByParent<QVBoxLayout>(top.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    view.client = MakeChild<ClientArea>(top.get());
    layout->addWidget(view.client, 1);
    return top.get();
}

QVBoxLayout* FrameLayout(const WindowView& view) {
    return view.client && view.client->parentWidget()
               ? qobject_cast<QVBoxLayout*>(view.client->parentWidget()->layout())
               : nullptr;
}

void BuildStatusBar(WindowView& view) {
    if (view.props.statusWidths.empty()) return;
    QStatusBar* bar = nullptr;
    if (view.main) {
        bar = view.main->statusBar();
    } else if (QVBoxLayout* layout = FrameLayout(view)) {
        bar = MakeChild<QStatusBar>(view.client->parentWidget());
        layout->addWidget(bar);
    }
    if (!bar) return;
    view.statusBar = bar;
    bar->setSizeGripEnabled(view.props.resizable);
    for (const int width : view.props.statusWidths) {
        auto* zone = MakeChild<QLabel>(bar);
        zone->setTextFormat(Qt::PlainText);
        if (width > 0) zone->setMinimumWidth(width);
        bar->addWidget(zone, width < 0 ? 1 : 0);
        view.zones.emplace_back(zone);
    }
}

// Menus, menu items, toolbars and tool buttons, in equate order so parents come first.
void BuildBars(WindowView& view) {
    int toolbars = 0;
    for (const int feq : view.order) {
        ControlView& control = view.controls.at(feq);
        ControlView* parent = FindControl(view, control.model.parent);
        QMenu* parentMenu = parent ? parent->menu.data() : nullptr;
        auto* parentBar = parent ? qobject_cast<QMenuBar*>(parent->widget) : nullptr;
        auto* parentTools = parent ? qobject_cast<QToolBar*>(parent->widget) : nullptr;
        switch (control.model.kind) {
            case ControlKind::MenuBar: {
                QMenuBar* bar = nullptr;
                if (view.main) {
                    bar = view.main->menuBar();
                } else if (QVBoxLayout* layout = FrameLayout(view)) {
                    bar = MakeChild<QMenuBar>(view.client->parentWidget());
                    layout->setMenuBar(bar);
                }
                control.widget = bar;
                view.menuBar = bar;
                break;
            }
            case ControlKind::Toolbar: {
                QWidget* frame = view.main ? view.main.data() : view.client->parentWidget();
                auto* bar = MakeChild<WallpaperToolBar>(frame);
                bar->setMovable(false);
                bar->setFloatable(false);
                if (view.main)
                    view.main->addToolBar(bar);
                else if (QVBoxLayout* layout = FrameLayout(view))
                    layout->insertWidget(toolbars, bar);
                ++toolbars;
                control.widget = bar;
                if (!view.toolBar) view.toolBar = bar;
                break;
            }
            case ControlKind::Menu:
                if (parentMenu)
                    control.menu = parentMenu->addMenu(QString());
                else if (parentBar)
                    control.menu = parentBar->addMenu(QString());
                if (control.menu) control.action = control.menu->menuAction();
                break;
            case ControlKind::Item:
            case ControlKind::Button:
                if (parentMenu)
                    control.action = parentMenu->addAction(QString());
                else if (parentBar && control.model.kind == ControlKind::Item)
                    control.action = parentBar->addAction(QString());
                else if (parentTools)
                    control.action = parentTools->addAction(QString());
                break;
            case ControlKind::Separator:
                if (parentMenu)
                    control.action = parentMenu->addSeparator();
                else if (parentTools)
                    control.action = parentTools->addSeparator();
                break;
            default:
                continue;
        }
        const QString name = QString::fromLatin1(control.model.use.data(),
                                                 static_cast<qsizetype>(control.model.use.size()));
        if (control.widget) control.widget->setObjectName(name);
        if (control.menu) control.menu->setObjectName(name);
        if (control.action) control.action->setObjectName(name);
        ApplyControl(view, control, control.model, true);
    }
}

// Sheets, groups, options and boxes are drawn behind the controls that share their parent, as
// the layouts expect, whatever their place in the layout: a list placed before a tab sheet on
// the same spot stays visible. The first container of a layout ends up lowest.
void StackContainersBelow(WindowView& view) {
    for (auto feq = view.order.rbegin(); feq != view.order.rend(); ++feq) {
        ControlView& control = view.controls.at(*feq);
        switch (control.model.kind) {
            case ControlKind::Sheet:
            case ControlKind::Group:
            case ControlKind::Option:
            case ControlKind::Box:
                if (control.widget && !control.toolbarSlot) control.widget->lower();
                break;
            default:
                break;
        }
    }
}

// A prompt's mnemonic moves the focus to the control after it.
void SetBuddies(WindowView& view) {
    for (std::size_t i = 0; i + 1 < view.order.size(); ++i) {
        ControlView& prompt = view.controls.at(view.order[i]);
        auto* label = qobject_cast<QLabel*>(prompt.widget);
        if (prompt.model.kind != ControlKind::Prompt || !label) continue;
        ControlView& next = view.controls.at(view.order[i + 1]);
        if (!next.widget || next.widget->focusPolicy() == Qt::NoFocus) continue;
        label->setBuddy(next.widget);
        label->setText(
            Decode(prompt.model.text, ControlCharset(prompt.model.font.charset, view.Charset())));
    }
}

// The size the client area's controls take, with a margin; empty without controls.
QSize ControlsExtent(const WindowView& view) {
    QRect extent;
    for (const QObject* child : view.client->children())
        if (const auto* w = qobject_cast<const QWidget*>(child)) extent |= w->geometry();
    if (extent.isEmpty()) return {};
    return {extent.right() + 1 + kClientMargin, extent.bottom() + 1 + kClientMargin};
}

void Centre(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

void PlaceWindow(WindowView& view) {
    const Rect& at = view.props.at;
    const bool sized = at.width > 0 && at.height > 0;
    if (view.main) {
        view.main->resize(sized ? QSize(at.width, at.height) : view.main->sizeHint());
        if (view.client) view.client->resize(ControlsExtent(view));
    } else if (view.client) {
        const QSize extent = ControlsExtent(view);
        view.client->SetPreferredSize(sized              ? QSize(at.width, at.height)
                                      : extent.isEmpty() ? kEmptyClient
                                                         : extent);
        if (QWidget* frame = view.client->parentWidget(); frame && frame->layout())
            frame->layout()->activate();
        view.top->resize(view.top->sizeHint());
    }
    const bool centred = !view.sub && (view.props.noCaption || (at.x == 0 && at.y == 0));
    if (centred)
        Centre(view.top);
    else
        view.top->move(at.x, at.y);
}

void ApplyWallpaper(WindowView& view) {
    const QPixmap wallpaper = PictureFor(view.props.wallpaper);
    if (view.mdi) {
        view.mdi->setBackground(wallpaper.isNull() ? view.mdi->palette().brush(QPalette::Dark)
                                                   : QBrush(wallpaper));
        return;
    }
    if (!view.client) return;
    QPalette palette = view.client->palette();
    palette.setBrush(QPalette::Window, wallpaper.isNull()
                                           ? QApplication::palette().brush(QPalette::Window)
                                           : QBrush(wallpaper));
    view.client->setPalette(palette);
    view.client->setAutoFillBackground(!wallpaper.isNull());
}

void ApplyStatusTexts(WindowView& view) {
    for (std::size_t i = 0; i < view.zones.size(); ++i)
        if (QLabel* zone = view.zones[i])
            zone->setText(i < view.props.statusTexts.size()
                              ? Decode(view.props.statusTexts[i], view.Charset())
                              : QString());
}

// A caption that quotes a fixed-width record field carries the field's padding before its
// closing bracket ("(Amazon US", 111 blanks, ")"); on a title bar those blanks only push the
// bracket and the end of the name out of sight, so the title shows the caption without them.
QString ShownCaption(QString caption) {
    static const QRegularExpression padding(QStringLiteral(" +\\)"));
    return caption.replace(padding, QStringLiteral(")"));
}

void ApplyFrameProps(WindowView& view, const WindowProps* before) {
    const WindowProps& props = view.props;
    auto changed = [&](auto member) { return !before || before->*member != props.*member; };
    QWidget* top = view.top;
    if (changed(&WindowProps::caption))
        top->setWindowTitle(ShownCaption(Decode(props.caption, view.Charset())));
    if (changed(&WindowProps::icon)) {
        const std::string name = props.icon.empty() ? ApplicationIcon() : props.icon;
        if (const QIcon icon = IconFor(name); !icon.isNull()) top->setWindowIcon(icon);
    }
    if (changed(&WindowProps::font) && (before || NamesFont(props.font)))
        top->setFont(NamesFont(props.font) ? FontFor(props.font, QApplication::font()) : QFont());
    if (changed(&WindowProps::wallpaper)) ApplyWallpaper(view);
    if (changed(&WindowProps::toolbarWallpaper))
        if (auto* bar = dynamic_cast<WallpaperToolBar*>(view.toolBar.data()))
            bar->SetWallpaper(PictureFor(props.toolbarWallpaper));
    if (changed(&WindowProps::statusTexts)) ApplyStatusTexts(view);
}

}  // namespace

std::unique_ptr<WindowView> BuildWindow(const WindowSnapshot& window, WindowView* application,
                                        ActivationListener& listener) {
    auto view = std::make_unique<WindowView>();
    view->id = window.id;
    view->outer = window.outer;
    view->procedure = window.procedure;
    view->props = window.props;
    for (const Control& c : window.controls) {
        if (view->controls.contains(c.feq)) continue;
        view->controls[c.feq].model = c;
        view->order.push_back(c.feq);
    }

    const WindowType type = window.props.type;
    if (window.props.resizable && type != WindowType::Application) {
        view->layoutSize = QSize(window.layoutWidth, window.layoutHeight);
        view->anchors = AnchorControls(window.controls, window.layoutWidth, window.layoutHeight);
    }

    std::unique_ptr<QWidget> top;
    if (type == WindowType::Application) {
        auto main = std::make_unique<QMainWindow>();
        view->main = main.get();
        view->mdi = MakeChild<QMdiArea>(main.get());
        // A child keeps its own size and state: one opened or activated over a maximised child
        // is not maximised too, and the maximised one is not restored when it loses the
        // activation.
        view->mdi->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
        main->setCentralWidget(view->mdi);
        AddWindowMenuKey(*main, *view->mdi);
        view->client = MakeChild<ClientArea>(view->mdi->viewport());
        view->client->lower();
        top = std::move(main);
    } else if (type == WindowType::Mdi && application && application->mdi) {
        std::unique_ptr<QWidget> frame;
        MakeFrame(*view, window, frame);
        auto sub = std::make_unique<QMdiSubWindow>();
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        sub->setWidget(frame.release());  // the subwindow owns its widget
        view->sub = sub.get();
        application->mdi->addSubWindow(sub.get());
        if (window.props.noCaption) sub->setWindowFlags(Qt::FramelessWindowHint);
        top = std::move(sub);  // the view deletes it even though the MDI area is its parent
    } else {
        MakeFrame(*view, window, top);
        if (window.props.noCaption) top->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    }
    view->top = top.get();
    view->owner.Reset(top.release());

    BuildBars(*view);
    BuildStatusBar(*view);
    for (const int feq : view->order) CreateControlWidget(*view, view->controls.at(feq));
    StackContainersBelow(*view);
    SetBuddies(*view);
    for (const int feq : view->order) {
        ControlView& control = view->controls.at(feq);
        WireControl(*view, control);
        if (control.model.kind == ControlKind::Tab && control.inside && !control.widget)
            MakeChild<PagePlacer>(control.inside.data(), *view, control.inside.data());
    }
    ApplyFrameProps(*view, nullptr);
    MakeChild<WindowEventFilter>(view->top.data(), *view, listener)->Watch();
    MakeChild<WindowMessages>(view->top.data(), *view)->Watch();
    return view;
}

void ShowWindow(WindowView& view) {
    if (!view.top) return;
    const bool wasApplying = std::exchange(view.applying, true);
    PlaceWindow(view);
    if (!view.props.resizable && !view.sub && !view.main) view.top->setFixedSize(view.top->size());
    if (view.props.maximized)
        view.top->showMaximized();
    else if (view.props.iconized)
        view.top->showMinimized();
    else
        view.top->show();
    // From now on the client area's size is the window's own, and the controls follow it.
    view.following = !view.anchors.empty();
    if (view.following) PlaceAllControls(view);
    ActivateWindow(view);
    view.applying = wasApplying;
    // Where the window shows is its placement, also when it is centred and never moves again.
    ReportWindowPlacement(view);
}

void ActivateWindow(WindowView& view) {
    if (!view.top) return;
    if (view.sub && view.sub->mdiArea()) {
        view.sub->mdiArea()->setActiveSubWindow(view.sub);
    } else {
        view.top->raise();
        view.top->activateWindow();
    }
}

void ApplyWindowProps(WindowView& view, const WindowProps& props) {
    if (!view.top) return;
    WindowProps next = props;  // props may be view.props itself
    const WindowProps before = std::exchange(view.props, std::move(next));
    const bool wasApplying = std::exchange(view.applying, true);
    if (before.statusWidths != props.statusWidths) {
        view.zones.clear();
        if (view.statusBar && !view.main) view.statusBar->deleteLater();
        if (view.main) view.main->setStatusBar(nullptr);
        BuildStatusBar(view);
        ApplyStatusTexts(view);
    }
    ApplyFrameProps(view, &before);
    if (before.at != props.at) {
        if (!view.main && !view.props.resizable) view.top->setMinimumSize(0, 0);
        PlaceWindow(view);
    }
    if (before.maximized != props.maximized || before.iconized != props.iconized) {
        if (props.maximized)
            view.top->showMaximized();
        else if (props.iconized)
            view.top->showMinimized();
        else
            view.top->showNormal();
    }
    if (before.hidden != props.hidden) {
        // Hidden, the window is off the screen and the task bar; shown again, it comes back in
        // its normal state and active.
        if (props.hidden) {
            view.top->hide();
        } else {
            if (props.maximized)
                view.top->showMaximized();
            else
                view.top->showNormal();
            view.top->raise();
            view.top->activateWindow();
        }
    }
    view.applying = wasApplying;
}

}  // namespace zem::ui::qt
