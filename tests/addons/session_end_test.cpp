// The program on the display server, offscreen, with its add-ons: when the desktop session
// ends, every window closes in order through its own handling, the query form first and the
// frame last, and the data file is left whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include "addons/frame_addons.h"
#include "addons/layout_guard.h"
#include "data/data_file_setup.h"
#include "platform/runtime/threads.h"
#include "platform/ui/display.h"
#include "platform/ui/qt/display_server.h"
#include "platform/ui/qt/qt_display.h"
#include "research/procedures/research_procedures.h"
#include "shell/dictionary_hooks.h"
#include "shell/shell_procedures.h"
#include "shell/start_application.h"
#include "support/temp_dir.h"

namespace zem::test {
namespace {

using namespace std::chrono_literals;
// Generous: the whole suite may run at once on a loaded machine.
constexpr auto kWait = 30s;

ui::qt::QtDisplay& Display() {
    return *dynamic_cast<ui::qt::QtDisplay*>(ui::CurrentDisplay().get());
}

std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(SessionEnd, ClosesTheRunningProgramWithAnOpenQueryFormAndLosesNothing) {
    TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    shell::InstallDictionaryHooks();
    shell::RegisterShellProcedures();
    research::RegisterResearchProcedures();
    const addons::LayoutGuard guard;
    addons::InstallFrameAddOns();

    std::atomic<int> exitCode{-1};
    const runtime::ThreadNo app = runtime::Start([&] { exitCode = shell::RunApplication(); });
    const auto frame = Display().WaitForWindow("Main", kWait);
    ASSERT_TRUE(frame);
    // Closing the splash opens a new query form, which holds its transaction over Goods. The
    // splash also closes by itself when it loses the focus, which a slow start may bring
    // about before the test gets to it: the form comes either way.
    std::optional<ui::WindowId> form;
    const auto end = std::chrono::steady_clock::now() + kWait;
    while (!(form = Display().WaitForWindow("UpdateQueriesA", 0ms)) &&
           std::chrono::steady_clock::now() < end) {
        if (const auto splash = Display().WaitForWindow("Splash", 0ms)) Display().CloseBox(*splash);
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(form);
    ASSERT_TRUE(Display().TypeText(*form, "?QUE:NAME", "never saved"));
    std::this_thread::sleep_for(300ms);
    // The frame's own menu, drawn by the painter with the icons the frame registered.
    QMetaObject::invokeMethod(
        qApp,
        [&previous] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* main = qobject_cast<QMainWindow*>(top))
                    if (QMenu* menu = main->menuBar()->actions().value(0)->menu()) {
                        main->menuBar()->setActiveAction(menu->menuAction());
                        QApplication::processEvents();
                        menu->grab().save(
                            QString::fromStdString((previous / "program_menu.png").string()));
                        menu->hide();
                    }
        },
        Qt::BlockingQueuedConnection);

    // The desktop ends the session the way a Linux desktop does: it sends SIGTERM.
    ::raise(SIGTERM);

    ASSERT_TRUE(Display().WaitForClose(*form, kWait));
    ASSERT_TRUE(Display().WaitForClose(*frame, kWait));
    runtime::Join(app);
    EXPECT_EQ(exitCode, 0);

    // Each window went through its own closing: positions were saved as on Cancel and on
    // closing the frame.
    const std::string ini = Read(dir / "quorel.ini");
    EXPECT_NE(ini.find("[UpdateQueriesA]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Main]"), std::string::npos) << ini;
    // The data file opens again, with nothing left to roll back.
    store::OpenStatus status;
    EXPECT_TRUE(data::OpenZembrolaFile(dir / "zembrola.cfg", status)) << status.text;
    data::CloseZembrolaFile();
    std::filesystem::current_path(previous);
}

}  // namespace
}  // namespace zem::test

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    int result = 1;
    std::thread driver;
    const int loop = zem::ui::qt::RunDisplayServer(argc, argv, [&] {
        driver = std::thread([&] {
            result = RUN_ALL_TESTS();
            QMetaObject::invokeMethod(
                qApp, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
        });
    });
    driver.join();
    return loop != 0 ? loop : result;
}
