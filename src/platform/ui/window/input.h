#pragma once
// The way back from the display to the procedures: what the user does to a window reaches the
// window's thread as an event, and what the user typed or chose waits in the window's screen
// values until the procedure takes it. Callable from any thread; nothing here waits for a
// procedure thread.
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/event_codes.h"
#include "platform/runtime/threads.h"
#include "platform/ui/window/control.h"
#include "platform/ui/window/display.h"

namespace zem::ui {

struct Input {
    int control = 0;  // 0 for window events
    runtime::EventCode code = runtime::event::kAccepted;
    std::optional<std::string> screen;  // the control's new screen value
    std::optional<int> selected;        // the control's new row or tab (from 1)
    int key = 0;
    int row = 0;
    int column = 0;
};

// Records the screen value and selection the input carries, then posts its event to the
// window's thread. False when the window is not open.
bool SendInput(WindowId window, const Input& input);

// Changes a screen value without an event, as typing does between two events.
bool SetScreenValue(WindowId window, int feq, std::string screen);
bool SetScreenSelection(WindowId window, int feq, int selected);

// The user resized a list's columns (widths in pixels, first column first).
bool ReportColumnWidths(WindowId window, int feq, std::vector<int> widths);

// The user moved or sized the window.
bool ReportPlacement(WindowId window, const Rect& at, bool maximized);

// The thread a window runs on; 0 when it is not open.
runtime::ThreadNo WindowThread(WindowId window);

// The innermost window the calling thread runs now; 0 when it runs none.
WindowId CurrentWindow();

}  // namespace zem::ui
