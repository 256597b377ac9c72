// The configuration window when things go wrong: a save that fails must leave later changes
// undoable, and reading the packed records must never bind a reference to one of their fields.
#include <gtest/gtest.h>

#include <cstdint>

#include "data/dictionary.h"
#include "frame_fixture.h"
#include "platform/store/errors.h"
#include "platform/ui/ini_manager.h"
#include "shell/configure_application.h"
#include "shell/main_frame.h"
#include "shell/window_counters.h"

namespace zem::test {
namespace {

using data::TableId;

// The configuration window on its own thread over a fresh data file; this thread keeps a
// dictionary of its own to change rows behind the window's back and read them afterwards.
class ConfigureFailureTest : public FrameTest {
  protected:
    void SetUp() override {
        FrameTest::SetUp();
        store::OpenStatus status;
        ASSERT_TRUE(data::OpenZembrolaFile(shell::kDataFileName, status)) << status.text;
        ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
        ui::IniManager::Global().Init(shell::kIniFileName);
        shell::BusyWindows = 0;
        shell::TreeReloadCount = 0;
    }
    void TearDown() override {
        FrameTest::TearDown();
        if (data::HasDictionary()) data::KillDictionary();
        shell::BusyWindows = 0;
        shell::TreeReloadCount = 0;
    }

    ui::WindowId Open() {
        thread_ = runtime::Start(&shell::ConfigureApplication, shell::kStack25000);
        const auto window = display->WaitForWindow("UpdateSysInfo");
        EXPECT_TRUE(window);
        if (window)
            display->WaitForView(*window, [](const ui::HeadlessDisplay::WindowView& v) {
                return v.window.props.caption == "Zembrola configuration manager";
            });
        return window.value_or(0);
    }

    static std::uint8_t SiteActive(std::int32_t id) {
        data::Dict().SIT.ID = id;
        EXPECT_EQ(data::Access(TableId::Sites).Fetch(data::SIT_KeyId), ui::Benign);
        return data::Dict().SIT.ISACTIVE;
    }

    // Removes the configuration record, so the window's save of it must fail.
    static void DeleteSysinfo() {
        data::TableManager& sys = data::Access(TableId::Sysinfo);
        sys.UseFile();
        sys.File().SetFile();
        ASSERT_EQ(sys.TryNext(), ui::Benign);
        ASSERT_EQ(sys.File().Delete(), store::NoError);
    }

    static void WriteSysinfo() {
        data::TableManager& sys = data::Access(TableId::Sysinfo);
        ASSERT_EQ(sys.PrimeRecord(), ui::Benign);
        data::Dict().SYS.CATALOGLEVEL = 3;
        ASSERT_EQ(sys.Insert(), ui::Benign);
    }

    runtime::ThreadNo thread_ = 0;
};

// A failed save rolls the Sites transaction back but leaves the window open with none: what the
// user toggles afterwards is written for good, and Cancel can no longer undo it.
TEST_F(ConfigureFailureTest, AToggleAfterAFailedSaveIsStillUndoneByCancel) {
    WriteSysinfo();
    ASSERT_EQ(SiteActive(1), 1);
    const ui::WindowId window = Open();
    DeleteSysinfo();

    ASSERT_TRUE(display->Press(window, "?OK"));
    ASSERT_TRUE(display->WaitForMessage(1));  // the failed save is reported
    ASSERT_TRUE(display->IsOpen(window));

    // The store's status icon switches it at once, without a question.
    ASSERT_TRUE(display->ClickCell(window, "?LIST", 1, 1, ui::key::MouseLeft));
    ASSERT_TRUE(display->WaitForControl(window, "?LIST",
                                        [](const ui::Control& l) { return l.rows.empty(); }));
    ASSERT_TRUE(display->Press(window, "?CANCEL"));
    ASSERT_TRUE(display->WaitForClose(window));
    runtime::Join(thread_);

    EXPECT_EQ(SiteActive(1), 1);
}

// The user-agent list is filled by pushing the packed BRO:ID member into a vector, which binds a
// reference to a misaligned int; the sanitizer build stops on it as the window opens.
TEST_F(ConfigureFailureTest, TheUserAgentListFillsWithoutMisalignedAccess) {
    const ui::WindowId window = Open();
    const auto agents = display->ControlOf(window, "?BRO:NAME");
    ASSERT_TRUE(agents);
    EXPECT_FALSE(agents->rows.empty());
    ASSERT_TRUE(display->Press(window, "?CANCEL"));
    ASSERT_TRUE(display->WaitForClose(window));
    runtime::Join(thread_);
}

}  // namespace
}  // namespace zem::test
