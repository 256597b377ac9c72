// The display server tests' main: the real display server runs on the main thread, offscreen,
// and the tests run on a thread of their own, driving it as a user would. The exit code is the
// tests'.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdlib>
#include <memory>
#include <thread>

#include "platform/ui/qt/display_server.h"
#include "platform/ui/resources/temp_resources.h"
#include "qt_test_support.h"

namespace {

std::unique_ptr<zem::test::TempResources> g_resources;

}  // namespace

namespace zem::ui::qt::testing {

const std::filesystem::path& TestResources() {
    return g_resources->Path();
}

}  // namespace zem::ui::qt::testing

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (the build's test discovery) starts no display server: nothing runs that
    // a sanitizer could report on, so the listing is the same every time.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    // Set before any thread starts, so no thread reads the environment while it changes.
    g_resources = std::make_unique<zem::test::TempResources>();

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
    g_resources.reset();
    return loop != 0 ? loop : result;
}
