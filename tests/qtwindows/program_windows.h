#pragma once
// The real program on the Qt display, offscreen, driven as a user drives it: a fresh data
// directory, the frame started the way the program starts it, the service simulator on loopback
// when a test needs the services, and input sent as mouse clicks and key presses to the windows'
// own widgets. The binary's main runs the Qt event loop; the tests run on a thread of their own
// and reach the widgets on the GUI thread only.
#include <gtest/gtest.h>

#include <QPoint>
#include <QString>
#include <Qt>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/runtime/threads.h"
#include "platform/ui/window/display.h"
#include "platform/ui/qt/qt_display.h"
#include "service_simulator.h"
#include "support/temp_dir.h"

class QWidget;
class QAction;

namespace zem::ui::qt {
struct WindowView;
struct ControlView;
}  // namespace zem::ui::qt

namespace zem::test {

using namespace std::chrono_literals;
inline constexpr std::chrono::milliseconds kWindowWait = 10s;

ui::qt::QtDisplay& Qt();

// Where screenshots go: a folder of the build tree.
std::filesystem::path ScreenshotDir();

class NoProxyGuard;

class ProgramWindowsTest : public ::testing::Test {
  protected:
    ProgramWindowsTest();
    ~ProgramWindowsTest() override;
    void SetUp() override;
    void TearDown() override;

    // --- Before the program starts. ---

    // Runs body with a dictionary of this thread's own over the data file, then closes the file
    // again, so start-up finds what body wrote.
    void Seed(const std::function<void()>& body);
    // Starts the service simulator on loopback; answers its address for the proxy setting.
    std::string StartSimulator(sim::ContentSettings settings = {});
    sim::ServiceSimulator* Simulator() { return simulator_.get(); }

    // --- The program. ---

    // Starts the program and waits for its frame; the splash is closed so it covers nothing.
    ui::WindowId StartProgram();
    // Starts the program and waits for its frame only; the splash is left to itself.
    ui::WindowId LaunchProgram();
    // Cancels the new query's form start-up opens, as a user who wants another window first
    // does (the configuration, for one, is refused while a query's form is open).
    void LeaveNewQuery();
    // Closes every window, the frame last, and answers the program's exit code.
    int Quit();
    // Waits for the program to end by itself (File > Exit, the session's end) and answers its
    // exit code.
    int AwaitEnd();
    ui::WindowId frame = 0;

    // The newest open window of the procedure.
    std::optional<ui::WindowId> WaitForWindow(std::string_view procedure);
    bool WaitForClose(ui::WindowId window);
    // Polls until test holds or kWindowWait has passed.
    static bool Eventually(const std::function<bool()>& test);

    // --- Input, as a user gives it. All of these send real events to the widgets. ---

    // Clicks the control: a button, check box, radio, tab, tool button, or a menu item through
    // its menu bar and menu. False when the control is not there, hidden or disabled.
    bool Click(ui::WindowId window, std::string_view use);
    // Clicks the entry, selects what it holds, types text and, when leave, presses Tab.
    bool Type(ui::WindowId window, std::string_view use, std::string_view text, bool leave = true);
    // Presses a key in the control's widget (the focused widget when use is empty).
    bool Key(ui::WindowId window, std::string_view use, ::Qt::Key key,
             ::Qt::KeyboardModifiers modifiers = ::Qt::NoModifier);
    // Types text into whatever has the focus, as key presses.
    bool KeysToFocus(ui::WindowId window, std::string_view text);
    // Clicks a point of the control's widget (its viewport for lists).
    bool ClickAt(ui::WindowId window, std::string_view use, QPoint at,
                 ::Qt::MouseButton button = ::Qt::LeftButton);

    // --- What the widgets show. ---

    // The text of the control's widget in the window's character set (see QtDisplay).
    std::optional<std::string> Shown(ui::WindowId window, std::string_view use);
    // The same as the user reads it, decoded.
    std::optional<QString> ShownText(ui::WindowId window, std::string_view use);
    std::optional<bool> Enabled(ui::WindowId window, std::string_view use);
    std::optional<bool> Visible(ui::WindowId window, std::string_view use);
    // The use name of the control whose widget has the focus ("" when none of the window's).
    std::string FocusedUse(ui::WindowId window);
    // Runs look on the GUI thread with the control's widget (nullptr when there is none).
    bool WithWidget(ui::WindowId window, std::string_view use,
                    const std::function<void(QWidget*)>& look);
    // Runs look on the GUI thread with the window's widgets.
    bool WithView(ui::WindowId window, const std::function<void(ui::qt::WindowView&)>& look);

    // The pop-up menu the window shows now: its items as the user reads them, "-" for
    // separators, with whether each is enabled.
    std::vector<std::pair<QString, bool>> PopupItems(ui::WindowId window);
    // Clicks the enabled item with this text in the pop-up menu showing now.
    bool ChoosePopup(ui::WindowId window, const QString& text);

    // Saves a picture of the window as <name>.png in the screenshot folder.
    bool Shot(ui::WindowId window, std::string_view name);

    // Lets the GUI thread and the window's procedure handle what is due: events sent now are
    // handled before the ones sent after.
    void Settle();

    TempDir dir;

  private:
    std::filesystem::path previous_;
    std::unique_ptr<sim::ServiceSimulator> simulator_;
    std::unique_ptr<NoProxyGuard> noProxy_;
    runtime::ThreadNo app_ = 0;
    std::shared_ptr<std::atomic<int>> exitCode_;
};

// On the GUI thread: the widget a user acts on for a control (a tab's tab bar, a menu item's
// action has none) and the control found by use name.
ui::qt::ControlView* ControlOf(ui::qt::WindowView& view, std::string_view use);

}  // namespace zem::test
