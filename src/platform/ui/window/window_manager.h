#pragma once
// The base every window procedure derives its window manager from. Run initialises, runs the
// event loop and kills; each step and each kind of event has an operation a procedure overrides,
// calling the base where it wants the framework's own handling.
#include <string>
#include <string_view>

#include "platform/ui/errors/error_manager.h"
#include "platform/ui/help/help.h"
#include "platform/ui/window/window.h"

namespace zem::ui {

class WindowManager {
  public:
    WindowManager() = default;
    virtual ~WindowManager() = default;
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // Init; the loop (Ask) when Init answered Benign; Kill. Answers Response, which also goes to
    // the thread's global response.
    int Run();

    // Base: takes the thread's global request into Request. Benign when the window may run.
    virtual Level Init();
    // Base: closes the window. Fatal when it has already run once.
    virtual Level Kill();
    // The step before the loop, then the loop: each event through TakeEvent until the window
    // closes. A procedure overrides it to act once before the first event.
    virtual void Ask();

    // The per-event hook: sorts the event to the handlers below. Notify from it or from a
    // handler drops the rest of the event's handling (a close-window then does not close);
    // Fatal ends the loop.
    virtual Level TakeEvent();
    virtual Level TakeAccepted();
    virtual Level TakeNewSelection();
    virtual Level TakeSelected();
    virtual Level TakeFieldEvent();
    virtual Level TakeWindowEvent();
    virtual Level TakeCloseEvent();
    // OK pressed: answers completed and closes. Forms override it to save first.
    virtual Level TakeCompleted();
    // F1, the help control, the frame's "Get Help" button and the help menu: the window's help
    // topic.
    virtual void TakeHelp();
    // Shows the bound fields again.
    virtual void Reset(bool force = false);

    // Sets the response and asks the window to close.
    void SetResponse(int response);

    Window& ThisWindow() { return window_; }
    const runtime::Event& Event() const { return window_.Event(); }
    int Field() const { return window_.Event().control; }

    // The framework's window-opening chores shared by every procedure: the default icon when
    // the layout names none, and the position kept in the INI file under the procedure name.
    void ApplyDefaultIcon();
    void RestorePlacement(std::string_view name);
    void SavePlacement(std::string_view name);
    // The end of a procedure's Kill: its position kept under placement (when the window was
    // opened and placement is not empty), its name taken off the error manager, its help gone.
    void EndProcedure(std::string_view placement);

    int Request = 0;
    int Response = 0;
    int OkControl = 0;
    int CancelControl = 0;
    int HelpControl = 0;  // takes the screen values, then shows the help topic
    bool Opened = false;

  protected:
    Window window_;
    Help help_;  // each procedure's own: Init with the help file, SetTopic, Kill

  private:
    bool dead_ = false;
};

// Keeps the placement of every window still open as its procedure keeps it when it closes,
// under the name it restored it from; for the program's end, which ends such windows without
// their closing.
void SaveOpenWindowPlacements();

}  // namespace zem::ui
