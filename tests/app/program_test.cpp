// The program on the real display server, offscreen: start-up opens the frame and its splash,
// the about box and the configuration window open from the menu, and everything closes cleanly.
// Screenshots land in the test's working directory as artefacts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMetaObject>
#include <QTabWidget>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/runtime/threads.h"
#include "platform/ui/display.h"
#include "platform/ui/qt/display_server.h"
#include "platform/ui/qt/qt_display.h"
#include "shell/dictionary_hooks.h"
#include "shell/procedures.h"
#include "shell/shell_procedures.h"
#include "shell/start_application.h"
#include "support/temp_dir.h"

namespace zem::test {
namespace {

using namespace std::chrono_literals;
constexpr auto kWait = 10s;

ui::qt::QtDisplay& Display() {
    return *dynamic_cast<ui::qt::QtDisplay*>(ui::CurrentDisplay().get());
}

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::current_path(dir.Path());
        shell::InstallDictionaryHooks();
        shell::RegisterShellProcedures();
        app_ = runtime::Start([this] { exitCode_ = shell::RunApplication(); });
        const auto frame = Display().WaitForWindow("Main", kWait);
        ASSERT_TRUE(frame);
        frame_ = *frame;
        // The splash goes when a frame command is chosen; close it now so the screenshots show
        // the frame itself.
        if (const auto splash = Display().WaitForWindow("Splash", kWait)) {
            Display().CloseBox(*splash);
            Display().WaitForClose(*splash, kWait);
        }
    }

    void TearDown() override {
        if (app_ != 0) {
            Display().CloseBox(frame_);
            Display().WaitForClose(frame_, kWait);
            runtime::Join(app_);
        }
        std::filesystem::current_path(previous_);
    }

    int Quit() {
        EXPECT_TRUE(Display().CloseBox(frame_));
        EXPECT_TRUE(Display().WaitForClose(frame_, kWait));
        runtime::Join(app_);
        app_ = 0;
        return exitCode_;
    }

    static std::filesystem::path Artefact(const char* name) { return previous_ / name; }

    TempDir dir;
    ui::WindowId frame_ = 0;

  private:
    static inline std::filesystem::path previous_ = std::filesystem::current_path();
    runtime::ThreadNo app_ = 0;
    std::atomic<int> exitCode_{-1};
};

TEST_F(ProgramTest, FrameAndAboutBoxOpenAndTheProgramQuitsCleanly) {
    ASSERT_TRUE(Display().Trigger(frame_, "?HELPABOUT"));
    const auto about = Display().WaitForWindow("AboutForm", kWait);
    ASSERT_TRUE(about);
    EXPECT_EQ(Display().WidgetText(*about, "?CLOSE"), "&Close");
    EXPECT_EQ(Display().WindowEnabled(frame_), false);
    EXPECT_TRUE(Display().Screenshot(frame_, Artefact("program_frame.png")));
    EXPECT_TRUE(Display().Screenshot(*about, Artefact("program_about.png")));
    ASSERT_TRUE(Display().Trigger(*about, "?CLOSE"));
    ASSERT_TRUE(Display().WaitForClose(*about, kWait));
    EXPECT_EQ(Display().WindowEnabled(frame_), true);
    EXPECT_EQ(Quit(), 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "quorel.ini"));
}

TEST_F(ProgramTest, ConfigurationOpensFromTheMenuOnItsSitesTab) {
    ASSERT_TRUE(Display().Trigger(frame_, "?FILECONFIGURE"));
    const auto config = Display().WaitForWindow("UpdateSysInfo", kWait);
    ASSERT_TRUE(config);
    // The user clicks the second tab.
    QMetaObject::invokeMethod(
        qApp,
        [] {
            for (QWidget* w : QApplication::allWidgets())
                if (auto* sheet = qobject_cast<QTabWidget*>(w);
                    sheet && sheet->objectName() == "?CURRENTTAB")
                    sheet->setCurrentIndex(1);
        },
        Qt::BlockingQueuedConnection);
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(Display().Screenshot(frame_, Artefact("program_configuration.png")));
    ASSERT_TRUE(Display().Trigger(*config, "?CANCEL"));
    ASSERT_TRUE(Display().WaitForClose(*config, kWait));
    EXPECT_EQ(Quit(), 0);
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
