// The query list and the catalog list, through their widgets: headers, rows and the lists'
// menus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "platform/ui/qt/window_view.h"
#include "program_windows.h"
#include "research/queryform_fixture.h"

namespace zem::test {
namespace {

class QueryWindows : public ProgramWindowsTest {
  protected:
    void SetUp() override {
        ProgramWindowsTest::SetUp();
        Seed([] { QueryFormTest::Seed(); });
        StartProgram();
    }

    ui::WindowId OpenQueryList() {
        EXPECT_TRUE(Click(frame, "?MENU5ITEM17"));  // "&Queries"
        const auto list = WaitForWindow("BrowseQueriesA");
        EXPECT_TRUE(list);
        return list.value_or(0);
    }

    // Headers and the rows' texts, column by column, as the list shows them.
    std::vector<QString> Headers(ui::WindowId w, std::string_view use) {
        std::vector<QString> headers;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list || list->isHeaderHidden()) return;
            for (int i = 0; i < list->columnCount(); ++i)
                headers.push_back(list->headerItem()->text(i));
        });
        return headers;
    }
    std::vector<std::vector<QString>> Cells(ui::WindowId w, std::string_view use) {
        std::vector<std::vector<QString>> rows;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list) return;
            for (int r = 0; r < list->topLevelItemCount(); ++r) {
                std::vector<QString> row;
                for (int c = 0; c < list->columnCount(); ++c)
                    row.push_back(list->topLevelItem(r)->text(c));
                rows.push_back(row);
            }
        });
        return rows;
    }
    // Row r's cell in column c (from 0), in the viewport.
    QPoint CellPoint(ui::WindowId w, std::string_view use, int r, int c) {
        QPoint at;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            QTreeWidgetItem* item = list->topLevelItem(r);
            const QRect row = list->visualItemRect(item);
            at = QPoint(
                list->header()->sectionViewportPosition(c) + list->header()->sectionSize(c) / 2,
                row.center().y());
        });
        return at;
    }
    // Whether every column of the list shows its widest text uncut.
    bool NothingCut(ui::WindowId w, std::string_view use) {
        bool whole = true;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            const QFontMetrics metrics(list->font());
            for (int r = 0; r < list->topLevelItemCount(); ++r)
                for (int c = 0; c < list->columnCount(); ++c) {
                    const QString text = list->topLevelItem(r)->text(c);
                    if (metrics.horizontalAdvance(text) > list->header()->sectionSize(c)) {
                        ADD_FAILURE() << "cut: " << text.toStdString() << " in column " << c;
                        whole = false;
                    }
                }
        });
        return whole;
    }

    std::vector<QString> PopupTexts(ui::WindowId w) {
        std::vector<QString> texts;
        Eventually([&] {
            bool shown = false;
            WithView(w, [&](ui::qt::WindowView&) {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                texts.clear();
                if (!menu) return;
                shown = true;
                for (QAction* a : menu->actions())
                    texts.push_back(a->isSeparator() ? QStringLiteral("-") : a->text());
            });
            return shown;
        });
        return texts;
    }
    bool ChoosePopup(ui::WindowId w, const QString& text) {
        bool done = false;
        WithView(w, [&](ui::qt::WindowView&) {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* a : menu->actions())
                if (a->text() == text && a->isEnabled()) {
                    QTest::mouseClick(menu, ::Qt::LeftButton, {}, menu->actionGeometry(a).center());
                    done = true;
                    return;
                }
        });
        Settle();
        return done;
    }
};

TEST_F(QueryWindows, TheQueryListAndTheCatalogListShowTheirRowsAndMenus) {
    const ui::WindowId list = OpenQueryList();
    ASSERT_TRUE(Eventually([&] { return Cells(list, "?BROWSE:1").size() == 2; }));
    EXPECT_FALSE(Headers(list, "?BROWSE:1").empty());
    EXPECT_TRUE(Shot(list, "query_list"));
    ASSERT_TRUE(ClickAt(list, "?BROWSE:1", CellPoint(list, "?BROWSE:1", 0, 0)));
    ASSERT_TRUE(ClickAt(list, "?BROWSE:1", CellPoint(list, "?BROWSE:1", 0, 0), ::Qt::RightButton));
    const std::vector<QString> items = PopupTexts(list);
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.front(), "&Restore Original Format");
    EXPECT_EQ(items[1], "-");
    ASSERT_TRUE(ChoosePopup(list, "&Restore Original Format"));

    // The catalog list from the Catalogs button of the third tab.
    ASSERT_TRUE(Click(list, "?TAB:3"));
    ASSERT_TRUE(Click(list, "?SELECT:3"));
    const auto catalogs = WaitForWindow("BrowseCatalogs");
    ASSERT_TRUE(catalogs);
    EXPECT_EQ(Headers(*catalogs, "?BROWSE:1"), (std::vector<QString>{"Name", "Parent"}));
    ASSERT_TRUE(Eventually([&] { return Cells(*catalogs, "?BROWSE:1").size() == 6; }));
    EXPECT_EQ(Cells(*catalogs, "?BROWSE:1")[0], (std::vector<QString>{"Amazon UK", ""}));
    EXPECT_TRUE(NothingCut(*catalogs, "?BROWSE:1"));
    EXPECT_TRUE(Shot(*catalogs, "catalog_list"));
    ASSERT_TRUE(ClickAt(*catalogs, "?BROWSE:1", CellPoint(*catalogs, "?BROWSE:1", 1, 0)));
    ASSERT_TRUE(ClickAt(*catalogs, "?BROWSE:1", CellPoint(*catalogs, "?BROWSE:1", 1, 0),
                        ::Qt::RightButton));
    EXPECT_EQ(PopupTexts(*catalogs),
              (std::vector<QString>{"&Restore Original Format", "-", "&Select"}));
    ASSERT_TRUE(ChoosePopup(*catalogs, "&Select"));
    EXPECT_TRUE(WaitForClose(*catalogs));
    ASSERT_TRUE(Click(list, "?CLOSE"));
    EXPECT_TRUE(WaitForClose(list));
}

}  // namespace
}  // namespace zem::test
