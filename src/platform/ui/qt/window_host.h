#pragma once
// The GUI-thread side of the Qt display: every open window's widgets, built, changed and closed
// as the procedures' calls arrive, plus what the test seams read and do. Everything here runs
// on the GUI thread.
#include <QMessageBox>
#include <QPointer>
#include <atomic>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/window/display.h"
#include "platform/ui/qt/gui_call.h"
#include "platform/ui/qt/standard_actions.h"
#include "platform/ui/qt/window_events.h"
#include "platform/ui/qt/window_view.h"

namespace zem::ui::qt {

class WindowHost final : public ActivationListener {
  public:
    // active: where the active window's id is kept for other threads to read.
    explicit WindowHost(std::atomic<WindowId>& active);
    ~WindowHost() override;
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    void Open(const WindowSnapshot& window);
    void ChangeWindow(WindowId window, const WindowProps& props);
    void ChangeControl(WindowId window, const Control& control);
    void Close(WindowId window);
    void Focus(WindowId window, int feq);
    void Busy(WindowId window, bool busy);
    void Standard(WindowId window, StdAction action);
    void PopUp(WindowId window, const PopupMenu& menu);
    void Ask(WindowId window, const MessageRequest& request,
             std::shared_ptr<PendingResult<unsigned>> answer);
    // Closes every window and message box (shut-down).
    void CloseAll();

    void ActivationChanged() override;

    // Ends the desktop session in order: every window hears WM_QUERYENDSESSION and
    // WM_ENDSESSION, the application frames only once all other windows have closed, and a
    // window that opens meanwhile hears it as it opens. Message boxes, open or still to come,
    // are answered as their close box would answer them.
    void EndSession();
    // Test seam: the display takes a new program after an ended session.
    void ForgetSessionEnd() { endingSession_ = framesTold_ = false; }
    // The program gained or lost the activation: the frames hear WM_ACTIVATEAPP.
    void ApplicationActivation(bool active);

    // Test seams.
    std::optional<WindowId> FindWindow(std::string_view procedure) const;
    bool IsOpen(WindowId window) const { return views_.contains(window); }
    bool Trigger(WindowId window, std::string_view use);
    bool TypeText(WindowId window, std::string_view use, std::string_view text);
    bool ChooseRow(WindowId window, std::string_view use, int row);
    bool ClickCell(WindowId window, std::string_view use, int row, int column, int key);
    bool CloseBox(WindowId window);
    std::optional<bool> WindowEnabled(WindowId window);
    std::optional<std::string> WidgetText(WindowId window, std::string_view use);
    bool Screenshot(WindowId window, const std::filesystem::path& png);
    void SetChangeObserver(std::function<void(WindowId, int)> observer);
    void AnswerNextMessage(unsigned button);
    WindowView* View(WindowId window);
    std::vector<WindowId> OpenWindows() const { return order_; }

  private:
    WindowView* Find(WindowId window);
    WindowView* Frame();  // the newest open application frame
    // The control a user can act on now: the window is open and not covered by a nested one,
    // and the control and all it sits in are shown and enabled.
    ControlView* Actionable(WindowId window, std::string_view use);
    void Cover(WindowView& outer, const WindowView& nested);
    void Uncover(WindowView& outer);
    // Gives the window that a nested one covered the activation and its focus back.
    void Reactivate(WindowView& outer);
    void DetachChildrenOf(WindowView& frame);

    bool OpenedBefore(WindowId earlier, WindowId later) const;

    void TellSessionEnds(WindowId window);
    void EndSessionOfFrames();

    static constexpr int kMaxReclaims = 3;

    std::atomic<WindowId>& active_;
    // The newest window, active since it opened, until the user presses a key or a mouse
    // button; and how often it asked for the activation back since.
    WindowId awaited_ = 0;
    int reclaims_ = 0;
    std::unique_ptr<UserInputWatch> inputWatch_;
    bool endingSession_ = false;
    bool framesTold_ = false;
    std::map<WindowId, std::unique_ptr<WindowView>> views_;
    std::vector<WindowId> order_;  // opening order
    std::vector<QPointer<QMessageBox>> boxes_;
    std::deque<unsigned> answers_;  // for the next message boxes
    std::function<void(WindowId, int)> observer_;
    StandardActions standard_;
};

}  // namespace zem::ui::qt
