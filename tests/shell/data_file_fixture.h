#pragma once
// The program's windows over a fresh data file: the frame fixture's data directory, the data
// file opened as start-up opens it, this thread's dictionary over it (to set rows up and read
// them back), the INI file, and the program's window counters at zero. The windows a test runs
// on framework threads of their own; the one in thread_ is joined when the test ends.
#include <gtest/gtest.h>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "frame_fixture.h"
#include "platform/runtime/threads.h"
#include "platform/store/errors.h"
#include "platform/ui/settings/ini_manager.h"
#include "shell/japanese_mode.h"
#include "shell/start_application.h"
#include "shell/window_counters.h"

namespace zem::test {

class DataFileTest : public FrameTest {
  protected:
    void SetUp() override {
        FrameTest::SetUp();
        if (HasFatalFailure()) return;
        store::OpenStatus status;
        ASSERT_TRUE(data::OpenZembrolaFile(shell::kDataFileName, status)) << status.text;
        ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
        // Positions and sort orders of earlier tests stay out of this one. The file is named by
        // its full path: a window thread joined after the test left the directory still saves
        // its place here.
        ui::IniManager::Global().Init(dir / shell::kIniFileName);
        ResetCounters();
    }

    void TearDown() override {
        FrameTest::TearDown();
        runtime::Join(thread_);
        thread_ = 0;
        if (data::HasDictionary()) data::KillDictionary();
        ResetCounters();
        ui::IniManager::Global().Kill();
    }

    // The window's (or the job's) framework thread.
    runtime::ThreadNo thread_ = 0;

  private:
    static void ResetCounters() {
        shell::BusyWindows = 0;
        shell::TreeReloadCount = 0;
        shell::JPMode = 0;
    }
};

}  // namespace zem::test
