#pragma once
// A window of a procedure: the model of its controls, opened on the procedure's thread and
// mirrored by the display. Everything here is called on the owning thread only; the display
// hears of every change, and what the user does comes back as events (Accept) with the screen
// values the window takes in before it hands the event out.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/clock.h"
#include "platform/runtime/events.h"
#include "platform/ui/window/control.h"
#include "platform/ui/window/display.h"
#include "platform/ui/window/field_binding.h"
#include "platform/ui/window/layout.h"
#include "platform/win/window_handles.h"

namespace zem::ui {

class ScreenState;

class Window {
  public:
    Window();
    ~Window();  // closes the window if it is still open
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The layout to open; Load answers false with the reason in error.
    bool Load(std::string_view resource, std::string_view windowName, std::string* error = nullptr);
    void Load(WindowLayout layout);

    // Shows the window on the calling thread. A window the thread already runs becomes its
    // outer window until this one closes: it takes no input, and its timer is put back when
    // this one closes.
    bool Open(std::string_view procedure);
    void Close();
    bool IsOpen() const { return id_ != 0; }
    WindowId Id() const { return id_; }
    const std::string& Procedure() const { return procedure_; }
    // The window's handle while it is open, and the handles of its controls that have a window
    // of their own (0 for the others).
    win::Hwnd Handle() const { return handle_; }
    win::Hwnd ControlHandle(int feq) const;

    // Controls, by number or use name (0 / nullptr when there is none).
    int Feq(std::string_view use) const;
    const Control* Find(int feq) const;
    const std::vector<Control>& Controls() const { return controls_; }
    // The controls whose parent is feq, in equate order.
    std::vector<int> Children(int feq) const;
    // A list's column widths as its layout gave them, before any change.
    std::vector<int> LayoutWidths(int feq) const;

    // Changes a control and shows the change. Unknown numbers are ignored.
    void Change(int feq, const std::function<void(Control&)>& edit);
    void SetText(int feq, std::string_view text);
    void SetHide(int feq, bool hide);
    void SetDisable(int feq, bool disable);
    void SetReadOnly(int feq, bool readOnly);
    void SetTip(int feq, std::string_view tip);
    void SetIcon(int feq, std::string_view icon);
    void SetScreen(int feq, std::string_view screen);
    void SetSelected(int feq, int selected);
    void SetRows(int feq, std::vector<ListRow> rows);
    // Puts a list's rows in a new order without copying them: row i of the list becomes the
    // row that stood at order[i] (from 0); order must name every row once. The header shows
    // the sort column (from 1, 0 none) and its direction; the selection stays on its row.
    void ReorderRows(int feq, const std::vector<std::size_t>& order, int sortColumn,
                     bool descending);
    // Replaces one row (from 1) of a list.
    void SetRow(int feq, int row, ListRow cells);
    // The sort column (from 1, 0 none) and direction the list's header shows.
    void SetSortShown(int feq, int sortColumn, bool descending);
    void SetSkip(int feq, bool skip);
    std::string Screen(int feq) const;
    int Selected(int feq) const;

    // The window itself.
    const WindowProps& Props() const { return props_; }
    void ChangeProps(const std::function<void(WindowProps&)>& edit);
    void SetCaption(std::string_view caption);
    void SetWindowIcon(std::string_view icon);
    void SetStatus(int zone, std::string_view text);
    // The thread's window timer, in hundredths; the layout's value when the window opens.
    void SetTimer(runtime::Ticks period);
    runtime::Ticks Timer() const;
    runtime::Ticks LayoutTimer() const { return layoutTimer_; }
    void SetPlacement(const Rect& at, bool maximized);
    // The name the window's placement is kept under in the INI file, so that it is kept also
    // when the program ends with the window still open (SaveOpenWindowPlacements).
    void KeepPlacementAs(std::string_view name);

    // Fields: a bound control shows its field (DisplayFields) and its screen value goes into the
    // field when the control is accepted or when the window takes all screen values (Update).
    void Bind(int feq, Binding binding);
    void Update(int feq = 0);
    void DisplayFields(int feq = 0);

    // Waits for this window's next event and takes in the screen values that came with it.
    // False when the window is closed or the thread is no framework thread.
    bool Accept();
    const runtime::Event& Event() const { return event_; }
    // Posts an event to this window.
    void Post(runtime::EventCode code, int control = 0);
    // Gives the focus to a control.
    void Select(int feq);
    // Mouse buttons and keys the window hands out as alert-key events (all others are dropped,
    // except F1, which asks for help).
    void Alert(int key);
    bool Alerted(int key) const { return alerts_.contains(key); }
    // Lets the display catch up while a command runs; events that come in are kept for after the
    // command, so no command runs inside another.
    void Yield();

    // Has the display carry out one of its standard actions for this window.
    void Standard(StdAction action);
    // Shows a pop-up menu for a control at the pointer; the choice comes back as an event.
    void PopUp(PopupMenu menu);

  private:
    // Tells the user the entry's text can't be read, shows the field again, keeps the focus.
    void RefuseEntry(const Control& entry);
    void Show(const Control& control);
    void TakeScreenChanges();
    Control* Mutable(int feq);

    void MakeHandles(runtime::ThreadNo thread);
    void DestroyHandles();

    WindowId id_ = 0;
    WindowId outer_ = 0;
    win::Hwnd handle_ = 0;
    std::map<int, win::Hwnd> controlHandles_;
    std::string procedure_;
    std::string placementName_;
    WindowProps props_;
    std::vector<Control> controls_;
    std::map<int, std::vector<int>> layoutWidths_;
    std::map<int, Binding> bindings_;
    std::set<int> alerts_;
    runtime::Ticks layoutTimer_ = 0;
    Rect layoutAt_;
    runtime::Ticks outerTimer_ = 0;
    std::shared_ptr<ScreenState> screen_;
    std::shared_ptr<Display> display_;
    std::deque<runtime::Event> kept_;
    runtime::Event event_;
    bool closing_ = false;
};

// Installs the wait cursor and yield of the busy hooks so they act on the calling thread's
// innermost window.
void InstallWindowBusyHooks();

}  // namespace zem::ui
