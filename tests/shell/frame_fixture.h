#pragma once
// The program as a user meets it: start-up on a framework thread in a fresh data directory, the
// headless display standing in for the screen, help requests recorded, the clock set.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "data/data_file_setup.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/threads.h"
#include "platform/ui/window/display.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/window/headless_display.h"
#include "platform/ui/help/help.h"
#include "platform/ui/help/recording_help_viewer.h"
#include "platform/ui/window/window.h"
#include "probe_window.h"
#include "shell/dictionary_hooks.h"
#include "shell/japanese_mode.h"
#include "shell/procedures.h"
#include "shell/start_application.h"
#include "support/temp_dir.h"

namespace zem::test {

// Friday, October 31, 2008, 17:07:33.
inline runtime::Date TestDate() {
    return *runtime::DateFromCalendar(2008, 10, 31);
}
inline runtime::Time TestTime() {
    return *runtime::TimeFromClock(17, 7, 33);
}

class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(dir.Path().empty());
        std::filesystem::current_path(dir.Path());
        shell::InstallDictionaryHooks();
        // Framework thread 1 builds no dictionary of its own (start-up builds it): use it up, so
        // every window thread of a test gets one.
        static const bool firstUsed = [] {
            runtime::Join(runtime::Start([] {}));
            return true;
        }();
        (void)firstUsed;
        ui::SetDisplay(display);
        ui::RouteMessagesToDisplay();
        ui::InstallWindowBusyHooks();
        ui::SetHelpViewer(help);
        shell::JPMode = 0;
    }

    void TearDown() override {
        // Every window still open is closed as the user would, frame last, until no thread of
        // the program runs (closing the splash may still open a new query).
        for (int round = 0; round < 250; ++round) {
            const auto open = display->OpenWindows();
            if (open.empty() && runtime::RunningThreads() == 0) break;
            for (auto it = open.rbegin(); it != open.rend(); ++it)
                if (it->enabled) display->CloseBox(it->window.id);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (app_) runtime::Join(app_);
        for (auto name : {shell::kConfigureApplication, shell::kBrowseQueries, shell::kBrowseTree,
                          shell::kNewQuery})
            shell::UnregisterProcedure(name);
        shell::SetStartupObserver(nullptr);
        ui::SetHelpViewer(nullptr);
        ui::ErrorManager::Global().SetSink(nullptr);
        ui::SetDisplay(nullptr);
        data::CloseZembrolaFile();
        std::filesystem::current_path(previous_);
    }

    // Registers a probe window under a procedure name the frame starts.
    void Provide(std::string_view procedure) {
        ProbeLog* log = &probes;
        std::string name(procedure);
        shell::RegisterProcedure(procedure, [name, log] { RunProbe(name, log); });
    }

    // Starts the program and waits for its frame.
    ui::WindowId StartProgram() {
        app_ = runtime::Start([this] { exitCode = shell::RunApplication(); });
        const auto frame = display->WaitForWindow("Main");
        EXPECT_TRUE(frame);
        return frame.value_or(0);
    }

    // Closes the frame (after every other window) and waits for start-up to return.
    int EndProgram(ui::WindowId frame) {
        for (int round = 0; round < 10; ++round) {
            bool others = false;
            const auto open = display->OpenWindows();
            for (auto it = open.rbegin(); it != open.rend(); ++it)
                if (it->window.id != frame) {
                    others = true;
                    display->CloseBox(it->window.id);
                    display->WaitForClose(it->window.id);
                }
            if (!others) break;
        }
        // What the other windows keep at their end (positions) is in before the frame saves.
        Eventually([] { return runtime::RunningThreads() <= 1; });
        EXPECT_TRUE(display->CloseBox(frame));
        EXPECT_TRUE(display->WaitForClose(frame));
        runtime::Join(app_);
        app_ = 0;
        return exitCode;
    }

    // Polls test until it holds (it may call the display) or five seconds have passed.
    template <typename Test>
    static bool Eventually(Test test) {
        for (int i = 0; i < 2500; ++i) {
            if (test()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return test();
    }

    // Waits until the frame's thread has handled everything sent to it before: a standard
    // action chosen now reaches the display only after that.
    void SyncWith(ui::WindowId window, const char* tileItem = "?TILE") {
        const std::size_t before = display->Actions().size();
        ASSERT_TRUE(display->Choose(window, tileItem));
        ASSERT_TRUE(Eventually([&] { return display->Actions().size() > before; }));
    }

    std::string Status(ui::WindowId frame, std::size_t zone) const {
        const auto view = display->View(frame);
        if (!view || view->window.props.statusTexts.size() <= zone) return {};
        return view->window.props.statusTexts[zone];
    }

    TempDir dir;
    runtime::TestClock clock{TestDate(), TestTime()};
    std::shared_ptr<ui::HeadlessDisplay> display = std::make_shared<ui::HeadlessDisplay>();
    std::shared_ptr<ui::RecordingHelpViewer> help = std::make_shared<ui::RecordingHelpViewer>();
    ProbeLog probes;
    std::atomic<int> exitCode{-1};

  private:
    std::filesystem::path previous_ = std::filesystem::current_path();
    runtime::ThreadNo app_ = 0;
};

}  // namespace zem::test
