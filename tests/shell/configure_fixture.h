#pragma once
// The configuration window on its own thread over a fresh data file; this thread keeps a
// dictionary of its own to set rows up, change them behind the window's back and read them back.
#include <gtest/gtest.h>

#include <cstdint>

#include "data/dictionary.h"
#include "data_file_fixture.h"
#include "platform/runtime/threads.h"
#include "platform/ui/window/headless_display.h"
#include "platform/ui/settings/ini_manager.h"
#include "shell/configure_application.h"
#include "shell/main_frame.h"
#include "shell/window_counters.h"

namespace zem::test {

class ConfigureWindowTest : public DataFileTest {
  protected:
    // Starts the configuration and waits for its window.
    ui::WindowId Open() {
        thread_ = runtime::Start(&shell::ConfigureApplication, shell::kStack25000);
        const auto window = display->WaitForWindow("UpdateSysInfo");
        EXPECT_TRUE(window);
        if (window) {
            // The window has run its opening once the caption is set.
            display->WaitForView(*window, [](const ui::HeadlessDisplay::WindowView& v) {
                return v.window.props.caption == "Zembrola configuration manager";
            });
        }
        return window.value_or(0);
    }

    // Closes the window with button and waits for the configuration's thread to end.
    void Finish(ui::WindowId window, const char* button) {
        ASSERT_TRUE(display->Press(window, button));
        ASSERT_TRUE(display->WaitForClose(window));
        runtime::Join(thread_);
    }

    static data::SitesRecord Site(std::int32_t id) {
        data::Dict().SIT.ID = id;
        EXPECT_EQ(data::Access(data::TableId::Sites).Fetch(data::SIT_KeyId), ui::Benign);
        return data::Dict().SIT;
    }
    // By value: the packed record's field cannot be bound to a reference.
    static std::uint8_t SiteActive(std::int32_t id) { return Site(id).ISACTIVE; }
};

}  // namespace zem::test
