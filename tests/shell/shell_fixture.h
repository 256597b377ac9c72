#pragma once
// A fresh seeded data file with this thread's dictionary over it, every message caught by a
// recording sink, and the wait cursor and yields of long walks counted.
#include <gtest/gtest.h>

#include <memory>

#include "data/data_file_setup.h"
#include "data/data_fixture.h"
#include "data/dictionary.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/errors/recording_sink.h"
#include "shell/tagging.h"
#include "support/temp_dir.h"

namespace zem::test {

// What the busy hooks saw on the thread that ran the walk.
struct BusyCounts {
    int shown = 0;     // wait cursor switched on
    int restored = 0;  // wait cursor switched off
    int yields = 0;
    int yieldsWithoutCursor = 0;  // yields while the wait cursor was not showing
};

class ShellTest : public DataTest {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        shell::TagModuleInit();
    }
    void TearDown() override {
        ui::SetBusyHooks({});
        if (data::HasDictionary())
            DataTest::TearDown();
        else {
            data::CloseZembrolaFile();
            ui::ErrorManager::Global().SetSink(nullptr);
        }
    }

    // From here on the busy hooks count into busy.
    void WatchBusy() {
        BusyCounts* counts = &busy;
        auto showing = std::make_shared<bool>(false);
        ui::SetBusyHooks({[counts, showing](bool on) {
                              *showing = on;
                              ++(on ? counts->shown : counts->restored);
                          },
                          [counts, showing] {
                              ++counts->yields;
                              if (!*showing) ++counts->yieldsWithoutCursor;
                          }});
    }

    BusyCounts busy;
};

}  // namespace zem::test
