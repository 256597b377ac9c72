#pragma once
// The display server's Display: shows every window model as Qt widgets. Made on the GUI thread
// once the QApplication exists. Procedure threads call it; each call is handed to the GUI
// thread and returns at once, except Ask, which waits for the user's answer. The GUI thread
// never waits for a procedure thread. Calls for windows that are not open are ignored.
//
// The test seams below wait for the GUI thread and so must not be called on it.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/window/display.h"

namespace zem::ui::qt {

class GuiChannel;
class WindowHost;
struct WindowView;

class QtDisplay final : public Display {
  public:
    QtDisplay();
    // Shuts down first when that has not happened yet; on the GUI thread.
    ~QtDisplay() override;
    QtDisplay(const QtDisplay&) = delete;
    QtDisplay& operator=(const QtDisplay&) = delete;

    void Opened(const WindowSnapshot& window) override;
    void WindowChanged(WindowId window, const WindowProps& props) override;
    void ControlChanged(WindowId window, const Control& control) override;
    void Closed(WindowId window) override;
    void Focus(WindowId window, int feq) override;
    void Busy(WindowId window, bool busy) override;
    void Standard(WindowId window, StdAction action) override;
    unsigned Ask(WindowId window, const MessageRequest& request) override;
    WindowId ActiveWindow() override;
    void PopUp(WindowId window, const PopupMenu& menu) override;

    // Closes every window and message box and stops taking calls; calls after it are ignored
    // and Ask answers the default button. On the GUI thread, before the QApplication goes.
    void Shutdown();

    // The desktop session ends (the session manager asks, or the program is told to terminate):
    // every window closes, the frames last. Callable from any thread.
    void EndSession();
    // The program gained or lost the desktop's activation.
    void ApplicationActivation(bool active);

    // Test seams, for a thread other than the GUI thread while the event loop runs.
    using Timeout = std::chrono::milliseconds;
    // After an ended session, windows that open are no longer told it ends: one test binary
    // runs the program again.
    bool ForgetSessionEnd();
    // The newest open window of the procedure, once its widgets exist.
    std::optional<WindowId> WaitForWindow(std::string_view procedure, Timeout timeout);
    bool WaitForClose(WindowId window, Timeout timeout);
    // Clicks the button, triggers the menu item or tool button, toggles the check box, chooses
    // the radio or the tab, through the widget. False when the window is covered by a nested
    // one or the control is missing, hidden or disabled.
    bool Trigger(WindowId window, std::string_view use);
    // Types text into an entry, text or spin box, replacing what it held, then leaves it.
    bool TypeText(WindowId window, std::string_view use, std::string_view text);
    // Chooses a row (from 1) of a list, tree or drop list, as picking it does.
    bool ChooseRow(WindowId window, std::string_view use, int row);
    // Presses and releases a mouse button (key::MouseLeft or key::MouseRight) on a list cell.
    bool ClickCell(WindowId window, std::string_view use, int row, int column, int key);
    // Clicks the window's close box.
    bool CloseBox(WindowId window);
    // Whether the window's client area takes input; nullopt when it is not open.
    std::optional<bool> WindowEnabled(WindowId window);
    // What the control's widget shows, in the window's character set: an entry's text, a check
    // box's "1"/"0", an option's chosen value, a label's or button's text, a list's current
    // row's first cell.
    std::optional<std::string> WidgetText(WindowId window, std::string_view use);
    // Writes a picture of the window (for the frame: with its MDI children) as a PNG file.
    bool Screenshot(WindowId window, const std::filesystem::path& png);
    // Called on the GUI thread after a control change was applied to its widget.
    void SetChangeObserver(std::function<void(WindowId, int feq)> observer);
    // The next message box is answered with this button as soon as it shows (or the one showing
    // now, when it is not answered yet).
    bool AnswerNextMessage(unsigned button);
    // Runs inspect on the GUI thread with the window's widgets (nullptr when it is not open) and
    // waits for it: for tests that send input events to the widgets themselves and read what
    // they show.
    bool Inspect(WindowId window, std::function<void(WindowView*)> inspect);
    // The open windows' ids, oldest first.
    std::vector<WindowId> OpenWindows();

  private:
    void Post(std::function<void(WindowHost&)> work);
    template <typename T>
    T Call(std::function<T(WindowHost&)> work, T fallback);

    std::atomic<WindowId> active_{0};
    std::unique_ptr<WindowHost> host_;
    std::unique_ptr<GuiChannel> channel_;  // goes first: dropped work may still name the host
};

}  // namespace zem::ui::qt
