#pragma once
// What the display server keeps of one open window: its widgets and the latest model of each
// control. Lives and is used on the GUI thread only.
#include <QAction>
#include <QButtonGroup>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSize>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidgetItem>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/ui/window/anchors.h"
#include "platform/ui/window/control.h"
#include "platform/ui/window/display.h"
#include "platform/ui/qt/client_area.h"
#include "platform/ui/qt/owned.h"

namespace zem::ui::qt {

struct ControlView {
    Control model;
    QPointer<QWidget> widget;  // none for menu items, separators and tool buttons
    QPointer<QAction> action;  // menu items, tool buttons, separators and a menu's own entry
    QPointer<QMenu> menu;
    QPointer<QAction> toolbarSlot;  // a widget in a toolbar shows and hides through its slot
    QPointer<QWidget> inside;       // where the controls within it sit: tab pages, groups, options
    QPointer<QButtonGroup> radios;
    std::vector<QTreeWidgetItem*> rows;  // lists and trees, in row order; the widget owns them
    QPointer<QWidget> cellEditor;        // the list cell edited in place, while one is open
    int editRow = 0, editColumn = 0;     // which cell that is
};

struct WindowView {
    WindowView() = default;
    // Deletes the widgets while the rest of the view still stands: what they report as they go
    // (focus leaving an entry) must find it, and finds it closing.
    ~WindowView() {
        closing = true;
        owner.Reset();
    }
    WindowView(const WindowView&) = delete;
    WindowView& operator=(const WindowView&) = delete;

    WindowId id = 0;
    WindowId outer = 0;
    std::string procedure;
    WindowProps props;

    WidgetOwner owner;      // the top-level widget, when the view owns one
    QPointer<QWidget> top;  // what the desktop shows: the main window, MDI child or window
    QPointer<QMainWindow> main;
    QPointer<QMdiArea> mdi;
    QPointer<QMdiSubWindow> sub;
    QPointer<ClientArea> client;
    QPointer<QMenuBar> menuBar;
    QPointer<QToolBar> toolBar;
    QPointer<QStatusBar> statusBar;
    std::vector<QPointer<QLabel>> zones;

    std::map<int, ControlView> controls;  // by number
    std::vector<int> order;               // equate order
    // How the controls follow the client area once the window is shown larger than its layout
    // (none for windows that keep their size).
    std::map<int, Anchor> anchors;
    QSize layoutSize;
    bool following = false;  // the window is placed: the client area's size is the user's
    int busy = 0;
    bool coveredByNested = false;
    bool applying = false;  // the program is changing widgets: nothing is the user's input
    bool closing = false;
    std::vector<QPointer<QWidget>> coveredParts;  // disabled while a nested window runs
    QPointer<QWidget> focusBeforeCover;           // gets the focus back when it ends
    // Where the last mouse button went down on a control, on the screen: pop-up menus open
    // there. Invalid until a press.
    QPoint pointer{-1, -1};
    QPointer<QMenu> popup;  // the pop-up menu showing now

    int Charset() const { return props.charset; }
};

ControlView* FindControl(WindowView& view, int feq);
ControlView* FindControl(WindowView& view, std::string_view use);
// A control takes input when it and every control it sits in are shown and enabled.
bool Usable(WindowView& view, const ControlView& control);
// Whether the control or one of the controls it sits in is hidden (disabled).
bool EffectivelyHidden(WindowView& view, const ControlView& control);
bool EffectivelyDisabled(WindowView& view, const ControlView& control);
// Whether ancestor is among the controls control sits in.
bool SitsIn(WindowView& view, const ControlView& control, int ancestor);
// The widget a control's own widget sits on: its container's, else the client area.
QWidget* ContainerOf(WindowView& view, const ControlView& control);
// Where the layout's place of a control is now, in client-area coordinates: moved and grown
// with the client area when the window is larger than its layout.
Rect PlaceNow(const WindowView& view, const ControlView& control);
// The tab sheet a tab sits on.
QTabWidget* SheetOf(WindowView& view, const ControlView& tab);
// What the control's widget shows, decoded: an entry's text, a check box's "1"/"0", a label's
// or button's text, a list's current row's first cell, a tab's or menu's caption.
std::optional<QString> ShownText(WindowView& view, ControlView& control);

}  // namespace zem::ui::qt
