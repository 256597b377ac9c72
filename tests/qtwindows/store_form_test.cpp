// The store form of Amazon JP in Japanese mode, opened from the configuration as a user opens
// it: its preview shows the store's yen sign as a yen, and its title bar the whole caption.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTreeWidget>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "layout_faults.h"
#include "platform/ui/qt/window_view.h"
#include "program_windows.h"

namespace zem::test {
namespace {

using StoreFormWindow = ProgramWindowsTest;

TEST_F(StoreFormWindow, TheJapaneseStoresPreviewShowsTheYenSign) {
    Seed([] {
        // Amazon JP active alone: the program starts in Japanese mode.
        for (const std::int32_t id : {1, 2, 4, 8, 16, 32}) {
            data::Dict().SIT.ID = id;
            ASSERT_EQ(data::Access(data::TableId::Sites).Fetch(data::SIT_KeyId), ui::Benign);
            data::Dict().SIT.ISACTIVE = id == 16 ? 1 : 0;
            if (id == 16) data::SetCString(data::Dict().SIT.ADWORDS[1], "Only {PRICE}!");
            ASSERT_EQ(data::Access(data::TableId::Sites).Update(), ui::Benign);
        }
    });
    StartProgram();
    LeaveNewQuery();
    ASSERT_TRUE(Click(frame, "?FILECONFIGURE"));
    const auto configuration = WaitForWindow("UpdateSysInfo");
    ASSERT_TRUE(configuration);
    ASSERT_TRUE(Click(*configuration, "?TAB2"));

    // The active stores' list holds Amazon JP alone: its row is clicked.
    QPoint row;
    ASSERT_TRUE(WithWidget(*configuration, "?LIST", [&](QWidget* widget) {
        auto* list = qobject_cast<QTreeWidget*>(widget);
        if (list && list->topLevelItemCount() > 0)
            row = list->visualItemRect(list->topLevelItem(0)).center();
    }));
    ASSERT_TRUE(ClickAt(*configuration, "?LIST", row));
    ASSERT_TRUE(Click(*configuration, "?CHANGE"));
    const auto form = WaitForWindow("UpdateSiteJ");
    ASSERT_TRUE(form);

    // The full-width yen: the one-byte 0x5C of Shift-JIS would show as a backslash.
    const QString expected = QStringLiteral("Only \uFFE5123.00!");
    EXPECT_TRUE(Eventually([&] { return ShownText(*form, "?ADBODY1") == expected; }))
        << ShownText(*form, "?ADBODY1").value_or(QString()).toStdString();
    EXPECT_TRUE(Shot(*form, "store_form_jp"));

    // The caption quotes the store's whole name field, padding and all; the title bar shows the
    // name up to its closing bracket.
    std::string title;
    std::vector<std::string> faults;
    ASSERT_TRUE(WithView(*form, [&](ui::qt::WindowView& view) {
        title = view.top->windowTitle().toStdString();
        faults = LayoutFaults(view);
    }));
    EXPECT_EQ(title, "Record Will Be Changed  (Amazon JP)");
    EXPECT_THAT(faults, ::testing::IsEmpty());

    ASSERT_TRUE(Click(*form, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(*form));
    ASSERT_TRUE(Click(*configuration, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(*configuration));
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace zem::test
