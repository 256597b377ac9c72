#include "support/qt_test_main.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

#include "platform/ui/qt/display_server.h"

namespace zem::test {
namespace {

QtTestSetUp& SetUp() {
    static QtTestSetUp setUp;
    return setUp;
}

}  // namespace

QtTestSetUpHook::QtTestSetUpHook(QtTestSetUp setUp) {
    // Two set-ups in one binary would leave one of them silently unrun.
    if (SetUp()) {
        std::fputs("qt_test_main: a second QtTestSetUpHook in one binary\n", stderr);
        std::abort();
    }
    SetUp() = std::move(setUp);
}

}  // namespace zem::test

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    std::shared_ptr<void> kept;
    if (const zem::test::QtTestSetUp& setUp = zem::test::SetUp()) kept = setUp();

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
    kept.reset();
    return loop != 0 ? loop : result;
}
