// The program's windows on the Qt display, offscreen: the display server runs on the main
// thread and the tests on a thread of their own, driving the real windows as a user would.
// The program is wired once, as its own main wires it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdlib>
#include <thread>

#include "app/wiring.h"
#include "platform/ui/qt/display_server.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (the build's test discovery) starts no display server: nothing runs that
    // a sanitizer could report on, so the listing is the same every time.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    const auto guard = zem::app::WireProgram();
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
