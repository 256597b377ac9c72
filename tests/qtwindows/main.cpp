// The program's windows on the Qt display, offscreen: the display server runs on the main
// thread and the tests on a thread of their own, driving the real windows as a user would.
// The program's procedures and the frame's add-ons are registered once, as the program's own main
// does.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdlib>
#include <thread>

#include "addons/main_frame_addons.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/qt/display_server.h"
#include "research/procedures/research_procedures.h"
#include "shell/dictionary_hooks.h"
#include "shell/shell_procedures.h"
#include "shell/tagging.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (the build's test discovery) starts no display server: nothing runs that
    // a sanitizer could report on, so the listing is the same every time.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    zem::ui::ErrorManager::Global().Init();
    zem::shell::TagModuleInit();
    zem::shell::InstallDictionaryHooks();
    zem::shell::RegisterShellProcedures();
    zem::research::RegisterResearchProcedures();
    // The frame finds its menu painter and tray icon, as in the program.
    zem::addons::InstallFrameAddOns();
    int result = 1;
    std::thread driver;
    const int loop = zem::ui::qt::RunDisplayServer(argc, argv, [&] {
        driver = std::thread([&] {
            result = RUN_ALL_TESTS();
            // exit, not quit: quit asks the windows to close first, and a window a failed test
            // left open (or one waiting on a message box) refuses, which would keep the loop
            // and the binary running.
            QMetaObject::invokeMethod(
                qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        });
    });
    driver.join();
    return loop != 0 ? loop : result;
}
