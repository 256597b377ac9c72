#pragma once
// What the display has reported for one open window and the procedure has not taken yet: screen
// values and selections by control, and the window's placement. Shared between the window's
// thread and the display; not for use outside the window framework.
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/threads.h"
#include "platform/ui/window/control.h"
#include "platform/ui/window/display.h"

namespace zem::ui {

struct ScreenChanges {
    std::map<int, std::string> screens;
    std::map<int, int> selections;
    std::map<int, std::vector<int>> columnWidths;
    std::optional<Rect> at;
    bool maximized = false;
};

// Where a window is now and the name it keeps its placement under.
struct KeptPlacement {
    std::string name;
    Rect at;
    bool maximized = false;
};

class ScreenState {
  public:
    explicit ScreenState(runtime::ThreadNo thread) : thread_(thread) {}
    runtime::ThreadNo Thread() const { return thread_; }

    // The window's thread names where its placement is kept and tells where the program put
    // the window; the display's reports (SetPlacement) follow it. So the placement of a window
    // still open can be kept from another thread, as the program ends.
    void KeepPlacementAs(std::string name);
    void PlacedAt(const Rect& at, bool maximized);
    // Nothing until a name was given.
    std::optional<KeptPlacement> Kept() const;

    void SetScreen(int feq, std::string screen);
    void SetSelection(int feq, int selected);
    void SetPlacement(const Rect& at, bool maximized);
    void SetColumnWidths(int feq, std::vector<int> widths);
    // Hands over what came in since the last call.
    ScreenChanges Take();

  private:
    const runtime::ThreadNo thread_;
    mutable std::mutex mutex_;
    ScreenChanges pending_;
    KeptPlacement kept_;
};

// Open windows by id. Register answers a new id; ids are never reused.
WindowId RegisterWindow(std::shared_ptr<ScreenState> state);
void UnregisterWindow(WindowId window);
std::shared_ptr<ScreenState> FindScreenState(WindowId window);
// Every open window's state.
std::vector<std::shared_ptr<ScreenState>> OpenScreenStates();

// The calling thread's stack of running windows, innermost last.
void PushCurrentWindow(WindowId window);
void PopCurrentWindow(WindowId window);

}  // namespace zem::ui
