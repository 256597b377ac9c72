#pragma once
// The display without widgets: it keeps a mirror of every open window and lets a test act as the
// user would (type, press, choose, click rows, answer message boxes) and read what each control
// shows. Thread-safe; the waits let a test follow windows that run on other threads.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/window/display.h"

namespace zem::ui {

class HeadlessDisplay final : public Display {
  public:
    using Timeout = std::chrono::milliseconds;
    static constexpr Timeout kWait{5000};

    struct WindowView {
        WindowSnapshot window;
        bool enabled = true;
        bool busy = false;
        int focus = 0;
        std::optional<PopupMenu> popup;  // the pop-up menu showing now
    };

    struct MessageRecord {
        WindowId window = 0;
        MessageRequest request;
        unsigned answer = 0;
    };

    // Display.
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

    // Finding windows: the newest open window of the procedure.
    std::optional<WindowId> FindWindow(std::string_view procedure) const;
    std::optional<WindowId> WaitForWindow(std::string_view procedure, Timeout timeout = kWait);
    bool WaitForClose(WindowId window, Timeout timeout = kWait);
    bool IsOpen(WindowId window) const;
    std::vector<WindowView> OpenWindows() const;
    std::optional<WindowView> View(WindowId window) const;
    // Every window that was ever opened, in opening order, by procedure name.
    std::vector<std::string> OpenedProcedures() const;

    // Reading controls.
    std::optional<Control> ControlOf(WindowId window, std::string_view use) const;
    std::optional<Control> ControlOf(WindowId window, int feq) const;
    // An entry's or check box's screen value, otherwise its text.
    std::string Shown(WindowId window, std::string_view use) const;
    // Waits until the test holds for the mirror; the test runs under the display's lock.
    bool WaitUntil(const std::function<bool()>& test, Timeout timeout = kWait);
    bool WaitForView(WindowId window, const std::function<bool(const WindowView&)>& test,
                     Timeout timeout = kWait);
    bool WaitForControl(WindowId window, std::string_view use,
                        const std::function<bool(const Control&)>& test, Timeout timeout = kWait);

    // Acting. Each answers false when the window is not open, is disabled by a nested window,
    // or the control is missing, hidden or disabled.
    bool Type(WindowId window, std::string_view use, std::string_view text);      // and accept
    bool TypeOnly(WindowId window, std::string_view use, std::string_view text);  // keystrokes
    // One key typed at the end of what the entry shows, reported as an entry reports typing: a
    // new selection with what it then shows; nothing is accepted.
    bool TypeKey(WindowId window, std::string_view use, char key);
    bool Press(WindowId window, std::string_view use);
    bool Choose(WindowId window, std::string_view use);  // a menu item
    bool PressNumber(WindowId window, int feq);          // a control by number
    bool Check(WindowId window, std::string_view use, bool on);
    bool ChooseRadio(WindowId window, std::string_view optionUse, std::string_view radioUse);
    bool ChooseRow(WindowId window, std::string_view use, int row);  // lists and drop lists
    // Row 0 is the list's area below its rows.
    bool ClickCell(WindowId window, std::string_view use, int row, int column, int key);
    bool ClickHeader(WindowId window, std::string_view use, int column);
    // Ends the edit of the list cell open in place with a key: Enter or Tab with the text
    // typed, Escape without it. False when no cell is open.
    bool EditCell(WindowId window, std::string_view use, std::string_view text,
                  int key = key::Enter);
    // Opens (expand) or closes a tree row's expander; false when the row shows none that way.
    bool ToggleExpander(WindowId window, std::string_view use, int row, bool expand);
    // The pop-up menu the window shows now, once it shows one.
    std::optional<PopupMenu> WaitForPopup(WindowId window, Timeout timeout = kWait);
    // Chooses the enabled item with this text from the menu showing; false when there is no
    // such item. The menu closes either way.
    bool ChoosePopup(WindowId window, std::string_view text);
    bool SelectTab(WindowId window, std::string_view sheetUse, int tab);
    bool PressKey(WindowId window, int key);  // a key or mouse button on the window
    bool CloseBox(WindowId window);
    // Makes window the active one; the old active window loses the focus and the new gains it.
    void Activate(WindowId window);

    // Message boxes: each answers the next queued button, else its default button.
    void AnswerNext(unsigned button);
    std::vector<MessageRecord> Messages() const;
    std::optional<MessageRecord> WaitForMessage(std::size_t count, Timeout timeout = kWait);

    std::vector<std::pair<WindowId, StdAction>> Actions() const;

  private:
    WindowView* Find(WindowId window);
    const WindowView* Find(WindowId window) const;
    // The control a user can act on now, or nullptr.
    Control* Actionable(WindowId window, std::string_view use);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<WindowView> open_;  // opening order
    std::vector<std::string> opened_;
    std::vector<MessageRecord> messages_;
    std::deque<unsigned> answers_;
    std::vector<std::pair<WindowId, StdAction>> actions_;
    WindowId active_ = 0;
};

}  // namespace zem::ui
