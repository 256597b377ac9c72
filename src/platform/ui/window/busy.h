#pragma once
// Long walks in a window show the wait cursor and let the window handle its pending events now
// and then. The window framework installs what these do; without a display they do nothing.
#include <functional>

namespace zem::ui {

struct BusyHooks {
    std::function<void(bool busy)> cursor;  // true: show the wait cursor; false: restore
    std::function<void()> yield;            // process pending events without re-entering
};

void SetBusyHooks(BusyHooks hooks);

// Lets the calling thread's window process its pending events.
void YieldToEvents();

// Shows the wait cursor for its lifetime.
class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace zem::ui
