#pragma once
// What shows the window models: the headless display in tests, the Qt display server in the
// program. Procedure threads call it; every call is thread-safe and returns without waiting for
// the user, except Ask, which waits for the answer of a message box.
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/threads.h"
#include "platform/ui/window/control.h"
#include "platform/ui/errors/message_sink.h"

namespace zem::ui {

using WindowId = int;

// The character set of texts in code page 1251.
inline constexpr int kCyrillicCharset = 204;

enum class WindowType {
    Application,  // the frame: the parent of the MDI children
    Mdi,          // a child window inside the frame
    Window,       // a window of its own (dialogs, the splash)
};

struct WindowProps {
    std::string name;  // the layout's window name
    WindowType type = WindowType::Window;
    std::string caption;
    bool noCaption = false;  // no title bar at all
    std::string icon;
    std::string wallpaper;         // picture tiled behind the client area
    std::string toolbarWallpaper;  // picture behind the toolbar
    Font font;
    int charset = 0;  // 0: code page 1252; 128: Shift-JIS; 204: code page 1251
    Rect at;
    bool maximized = false;
    bool iconized = false;
    bool hidden = false;  // off the screen and the task bar (the frame on the tray)
    bool resizable = true;
    std::vector<int> statusWidths;  // one per status bar zone; -1 takes the rest
    std::vector<std::string> statusTexts;
    friend bool operator==(const WindowProps&, const WindowProps&) = default;
};

struct WindowSnapshot {
    WindowId id = 0;
    WindowId outer = 0;  // the window of the same thread this one covers while it runs
    runtime::ThreadNo thread = 0;
    std::string procedure;
    WindowProps props;
    std::vector<Control> controls;
    // The client size the layout places the controls for; 0 when it gives none.
    int layoutWidth = 0, layoutHeight = 0;
};

class Display {
  public:
    virtual ~Display() = default;

    // A window opened; while it runs its outer window (if any) takes no input and shows disabled.
    virtual void Opened(const WindowSnapshot& window) = 0;
    virtual void WindowChanged(WindowId window, const WindowProps& props) = 0;
    virtual void ControlChanged(WindowId window, const Control& control) = 0;
    virtual void Closed(WindowId window) = 0;
    virtual void Focus(WindowId window, int feq) = 0;
    virtual void Busy(WindowId window, bool busy) = 0;
    virtual void Standard(WindowId window, StdAction action) = 0;
    // Shows a message box modal to window (0: to no window) and answers the button chosen.
    virtual unsigned Ask(WindowId window, const MessageRequest& request) = 0;
    // The window that is active in the process now; 0 when none.
    virtual WindowId ActiveWindow() = 0;
    // Shows a pop-up menu at the pointer and returns at once. A display without menus shows
    // nothing, which is a menu closed without a choice.
    virtual void PopUp(WindowId /*window*/, const PopupMenu& /*menu*/) {}
};

// The display windows report to. Until one is set, a display that shows nothing and answers
// every message box with its default button stands in.
void SetDisplay(std::shared_ptr<Display> display);
std::shared_ptr<Display> CurrentDisplay();

// Routes the error manager's message boxes to the current display, modal to the calling
// thread's innermost window.
void RouteMessagesToDisplay();

}  // namespace zem::ui
