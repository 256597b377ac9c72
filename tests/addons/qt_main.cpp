// The add-on tests on the real display server: it runs on the main thread, offscreen, and the
// tests on a thread of their own. The exit code is the tests'.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdlib>
#include <thread>

#include "platform/ui/qt/display_server.h"

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
