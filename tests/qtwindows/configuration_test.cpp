// The configuration window, opened from the frame's File menu and used through its widgets.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QSpinBox>
#include <QTreeWidget>

#include "program_windows.h"

namespace zem::test {
namespace {

using ConfigurationWindow = ProgramWindowsTest;

TEST_F(ConfigurationWindow, ShowsTheStoredCatalogLevelAndListsTheStoresUnderHeaders) {
    StartProgram();
    LeaveNewQuery();
    ASSERT_TRUE(Click(frame, "?FILECONFIGURE"));
    const auto config = WaitForWindow("UpdateSysInfo");
    ASSERT_TRUE(config);
    // A fresh data file stores level 0; the box shows it although its arrows step from 1.
    EXPECT_EQ(Shown(*config, "?SYS:CATALOGLEVEL"), "0");
    EXPECT_TRUE(Shot(*config, "configuration_general"));
    // The proxy password shows as marks, not as its text.
    bool marks = false;
    WithWidget(*config, "?SYS:PASSWORD", [&](QWidget* w) {
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            marks = edit->echoMode() == QLineEdit::Password;
    });
    EXPECT_TRUE(marks);

    ASSERT_TRUE(Click(*config, "?TAB2"));
    struct Shown {
        int rows = 0;
        QString firstName;
        QString nameHeader;
        bool headerShown = false;
    };
    auto listed = [&] {
        Shown shown;
        WithWidget(*config, "?LIST", [&](QWidget* w) {
            auto* list = qobject_cast<QTreeWidget*>(w);
            if (!list) return;
            shown.rows = list->topLevelItemCount();
            if (shown.rows > 0) shown.firstName = list->topLevelItem(0)->text(1);
            shown.nameHeader = list->headerItem()->text(1);
            shown.headerShown = !list->isHeaderHidden() && list->header()->isVisible();
        });
        return shown;
    };
    // A fresh file has Amazon US active; the list shows the active stores first.
    Shown active = listed();
    EXPECT_EQ(active.rows, 1);
    EXPECT_EQ(active.firstName, "Amazon US");
    EXPECT_EQ(active.nameHeader, "Name");
    EXPECT_TRUE(active.headerShown);
    EXPECT_TRUE(Shot(*config, "configuration_sites"));
    ASSERT_TRUE(Click(*config, "?ST::SHOWACTIVE:RADIO2"));
    EXPECT_TRUE(Eventually([&] { return listed().rows == 5; }));
    EXPECT_TRUE(Shot(*config, "configuration_inactive_sites"));
    ASSERT_TRUE(Click(*config, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(*config));
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace zem::test
