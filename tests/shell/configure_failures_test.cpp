// The configuration window when things go wrong: a save that fails must leave later changes
// undoable, and reading the packed records must never bind a reference to one of their fields.
#include <gtest/gtest.h>

#include <cstdint>

#include "configure_fixture.h"
#include "data/dictionary.h"
#include "platform/store/errors.h"
#include "platform/ui/settings/ini_manager.h"
#include "shell/configure_application.h"
#include "shell/main_frame.h"
#include "shell/window_counters.h"
#include "support/failing_write.h"

namespace zem::test {
namespace {

using data::TableId;

// The configuration window with the helpers that break its save behind its back.
class ConfigureFailureTest : public ConfigureWindowTest {
  protected:
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
    Finish(window, "?CANCEL");

    EXPECT_EQ(SiteActive(1), 1);
}

// The first configuration is stored by the first OK even when the Sites transaction then fails
// to commit; the next OK must change that record, not add a second one.
TEST_F(ConfigureFailureTest, OkAfterAFailedFirstCommitKeepsOneConfigurationRecord) {
    const ui::WindowId window = Open();
    // A change in the Sites transaction, so the commit has something to write.
    ASSERT_TRUE(display->ClickCell(window, "?LIST", 1, 1, ui::key::MouseLeft));
    ASSERT_TRUE(display->WaitForControl(window, "?LIST",
                                        [](const ui::Control& l) { return l.rows.empty(); }));
    {
        // The commit fails while Amazon US stands switched off; the rollback puts it back first.
        FailingWrite refused("_journal_Sites", "DELETE",
                             "(SELECT ISACTIVE FROM Sites WHERE ID=1)=0");
        ASSERT_TRUE(refused.Ok());
        ASSERT_TRUE(display->Press(window, "?OK"));
        const auto message = display->WaitForMessage(1);
        ASSERT_TRUE(message);
        EXPECT_EQ(message->request.text.rfind("Transaction error: ", 0), 0u)
            << message->request.text;
    }
    ASSERT_TRUE(display->WaitForControl(window, "?LIST",
                                        [](const ui::Control& l) { return l.rows.size() == 1; }));
    ASSERT_TRUE(display->IsOpen(window));
    Finish(window, "?OK");

    data::TableManager& sys = data::Access(TableId::Sysinfo);
    sys.UseFile();
    sys.File().SetFile();
    int records = 0;
    while (sys.TryNext() == ui::Benign) ++records;
    EXPECT_EQ(records, 1);
    EXPECT_EQ(SiteActive(1), 1);
}

// The user-agent list is filled by pushing the packed BRO:ID member into a vector, which binds a
// reference to a misaligned int; the sanitizer build stops on it as the window opens.
TEST_F(ConfigureFailureTest, TheUserAgentListFillsWithoutMisalignedAccess) {
    const ui::WindowId window = Open();
    const auto agents = display->ControlOf(window, "?BRO:NAME");
    ASSERT_TRUE(agents);
    EXPECT_FALSE(agents->rows.empty());
    Finish(window, "?CANCEL");
}

}  // namespace
}  // namespace zem::test
