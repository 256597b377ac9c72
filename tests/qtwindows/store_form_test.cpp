// The store form, opened from the configuration as a user opens it: a preview line longer than
// its box shows its start; Amazon JP's, in Japanese mode, shows the store's yen sign as a yen,
// and its title bar the whole caption.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTreeWidget>
#include <optional>
#include <string>
#include <string_view>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "layout_faults.h"
#include "platform/ui/qt/window_view.h"
#include "program_windows.h"

namespace zem::test {
namespace {

class StoreFormWindow : public ProgramWindowsTest {
  protected:
    // Opens the form of the only active store from the configuration's store list.
    std::optional<ui::WindowId> OpenStoreForm(std::string_view procedure) {
        StartProgram();
        LeaveNewQuery();
        EXPECT_TRUE(Click(frame, "?FILECONFIGURE"));
        const auto configuration = WaitForWindow("UpdateSysInfo");
        if (!configuration) return std::nullopt;
        configuration_ = *configuration;
        EXPECT_TRUE(Click(configuration_, "?TAB2"));
        // The active stores' list holds the store alone: its row is clicked.
        QPoint row;
        EXPECT_TRUE(WithWidget(configuration_, "?LIST", [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (list && list->topLevelItemCount() > 0)
                row = list->visualItemRect(list->topLevelItem(0)).center();
        }));
        EXPECT_TRUE(ClickAt(configuration_, "?LIST", row));
        EXPECT_TRUE(Click(configuration_, "?CHANGE"));
        return WaitForWindow(procedure);
    }

    void CloseAll(ui::WindowId form) {
        ASSERT_TRUE(Click(form, "?CANCEL"));
        ASSERT_TRUE(WaitForClose(form));
        ASSERT_TRUE(Click(configuration_, "?CANCEL"));
        ASSERT_TRUE(WaitForClose(configuration_));
        EXPECT_EQ(Quit(), 0);
    }

    ui::WindowId configuration_ = 0;
};

// Only the store with this id active, its ad line (0 headline, 1 and 2 the lines) set.
void SeedOneStore(std::int32_t active, int line, const char* ad) {
    for (const std::int32_t id : {1, 2, 4, 8, 16, 32}) {
        data::Dict().SIT.ID = id;
        ASSERT_EQ(data::Access(data::TableId::Sites).Fetch(data::SIT_KeyId), ui::Benign);
        data::Dict().SIT.ISACTIVE = id == active ? 1 : 0;
        if (id == active) data::SetCString(data::Dict().SIT.ADWORDS[line], ad);
        ASSERT_EQ(data::Access(data::TableId::Sites).Update(), ui::Benign);
    }
}

TEST_F(StoreFormWindow, APreviewLongerThanItsBoxShowsItsStart) {
    const std::string ad = "Start of {KEYWORD} " + std::string(200, 'x');
    Seed([&] { SeedOneStore(1, 0, ad.c_str()); });
    const auto form = OpenStoreForm("UpdateSiteA");
    ASSERT_TRUE(form);
    ASSERT_TRUE(Eventually(
        [&] { return ShownText(*form, "?ADHEAD").value_or(QString()).startsWith("Start of "); }));
    Settle();
    ASSERT_TRUE(WithWidget(*form, "?ADHEAD", [&](QWidget* widget) {
        auto* preview = qobject_cast<QLineEdit*>(widget);
        ASSERT_TRUE(preview);
        ASSERT_GT(preview->fontMetrics().horizontalAdvance(preview->text()), preview->width());
        // Where the line shows from: its start is in view, at the box's left.
        EXPECT_EQ(preview->cursorPosition(), 0);
        EXPECT_LT(preview->inputMethodQuery(::Qt::ImCursorRectangle).toRect().left(),
                  preview->width() / 4);
    }));
    EXPECT_TRUE(Shot(*form, "store_form_long_headline"));
    CloseAll(*form);
}

TEST_F(StoreFormWindow, TheJapaneseStoresPreviewShowsTheYenSign) {
    // Amazon JP active alone: the program starts in Japanese mode.
    Seed([] { SeedOneStore(16, 1, "Only {PRICE}!"); });
    const auto form = OpenStoreForm("UpdateSiteJ");
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

    CloseAll(*form);
}

}  // namespace
}  // namespace zem::test
