// The query list and the catalog list, through their widgets: headers, rows and the lists'
// menus.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTreeWidget>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "list_windows.h"
#include "message_boxes.h"
#include "research/queryform/queryform_fixture.h"

namespace zem::test {
namespace {

class QueryWindows : public ListWindowsTest {
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
};

TEST_F(QueryWindows, TheQueryListAndTheCatalogListShowTheirRowsAndMenus) {
    const ui::WindowId list = OpenQueryList();
    ASSERT_TRUE(Eventually([&] { return Cells(list, "?BROWSE:1").size() == 2; }));
    EXPECT_FALSE(Headers(list, "?BROWSE:1").empty());
    EXPECT_TRUE(Shot(list, "query_list"));
    ASSERT_TRUE(ClickAt(list, "?BROWSE:1", CellPoint(list, "?BROWSE:1", 0, 0)));
    ASSERT_TRUE(ClickAt(list, "?BROWSE:1", CellPoint(list, "?BROWSE:1", 0, 0), ::Qt::RightButton));
    // The browse's own items first; the list-format entries come last, after a separator.
    const std::vector<QString> items = PopupTexts(list);
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items.front(), "&Select");
    EXPECT_EQ(items[items.size() - 2], "-");
    EXPECT_EQ(items.back(), "&Restore Original Format");
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
    // The step locator: a typed letter moves to the first row whose name starts with it.
    {
        const std::vector<QString> names = Column(*catalogs, "?BROWSE:1", 0);
        const QString last = names.back();
        int first = 0;
        while (
            !names[static_cast<std::size_t>(first)].startsWith(last.front(), ::Qt::CaseInsensitive))
            ++first;
        ASSERT_GT(first, 0) << "the last name's letter starts the first name too";
        ASSERT_TRUE(ClickAt(*catalogs, "?BROWSE:1", CellPoint(*catalogs, "?BROWSE:1", 0, 1)));
        // The user widens the Name column past the list's width and scrolls to the right: the
        // locator's column starts left of the view.
        ASSERT_TRUE(DragColumnEdge(*catalogs, "?BROWSE:1", 0, 200));
        int scrolled = 0;
        WithWidget(*catalogs, "?BROWSE:1", [&](QWidget* widget) {
            QScrollBar* bar = qobject_cast<QTreeWidget*>(widget)->horizontalScrollBar();
            ASSERT_GT(bar->maximum(), 0) << "the list cannot scroll sideways";
            for (int i = 0; i < 5; ++i)
                QTest::mouseClick(bar, ::Qt::LeftButton, {},
                                  QPoint(bar->width() - 4, bar->height() / 2));
            scrolled = bar->value();
        });
        ASSERT_GT(scrolled, 0) << "the scroll bar's arrow did not scroll";
        ASSERT_TRUE(KeysToFocus(*catalogs, last.left(1).toLower().toStdString()));
        EXPECT_TRUE(Eventually([&] { return CurrentRow(*catalogs, "?BROWSE:1") == first; }))
            << "on row " << CurrentRow(*catalogs, "?BROWSE:1") << ", not " << first;
        Settle();
        // The row found is in view, and the list has not moved sideways.
        WithWidget(*catalogs, "?BROWSE:1", [&](QWidget* widget) {
            auto* rows = qobject_cast<QTreeWidget*>(widget);
            EXPECT_TRUE(rows->viewport()->rect().contains(
                rows->visualItemRect(rows->currentItem()).center()));
            EXPECT_EQ(rows->horizontalScrollBar()->value(), scrolled);
        });
    }
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

// Three queries that differ in every field the form shows: the form must show the one chosen.
class QueryListChange : public QueryWindows {
  protected:
    void SetUp() override {
        ProgramWindowsTest::SetUp();
        Seed([] {
            QueryFormTest::Seed();
            data::Dictionary& d = data::Dict();
            data::TableManager& queries = data::Access(data::TableId::Queries);
            ASSERT_EQ(queries.UseFile(), ui::Benign);
            queries.File().ClearBuffer();
            d.QUE.ID = 9;
            d.QUE.SITE = kUs;
            d.QUE.CATALOG = catalog::kUsBooks;
            d.QUE.NODE = node::kElectronics;
            d.QUE.BRAND = kNikon;
            data::SetString(d.QUE.NAME, "Binoculars");
            data::SetCString(d.QUE.KEYWORDS, "field glasses");
            d.QUE.MINPRICE = 20;
            d.QUE.MAXPRICE = 80;
            ASSERT_EQ(queries.Insert(), ui::Benign);
        });
        StartProgram();
    }

    // What the form shows of its query.
    struct FormLook {
        QString caption, name, node, catalog, brand, minPrice, maxPrice, keywords;
        std::size_t items = 0;
        friend bool operator==(const FormLook&, const FormLook&) = default;
    };
    friend std::ostream& operator<<(std::ostream& out, const FormLook& f) {
        return out << "{" << f.caption.toStdString() << ", " << f.name.toStdString() << ", "
                   << f.node.toStdString() << ", " << f.catalog.toStdString() << ", "
                   << f.brand.toStdString() << ", " << f.minPrice.toStdString() << "-"
                   << f.maxPrice.toStdString() << ", " << f.keywords.toStdString() << ", "
                   << f.items << " items}";
    }
    FormLook Look(ui::WindowId form) {
        auto text = [&](std::string_view use) { return ShownText(form, use).value_or("?"); };
        return FormLook{Caption(form),
                        text("?QUE:NAME"),
                        text("?NOD:NAME"),
                        text("?CAT:NAME"),
                        text("?BRA:NAME"),
                        text("?QUE:MINPRICE").trimmed(),
                        text("?QUE:MAXPRICE").trimmed(),
                        text("?QUE:KEYWORDS"),
                        Cells(form, "?LIST").size()};
    }
};

// How the user asks for the chosen query's form.
enum class ChangeBy { Button, EnterKey, DoubleClick, Menu };

TEST_F(QueryListChange, ChangeOpensTheQueryTheUserChoseHoweverItIsAsked) {
    const std::map<QString, FormLook> expected{
        {"Binoculars",
         {"Change Query", "Binoculars", "Electronics", "Books", "Nikon", "20.00", "80.00",
          "field glasses", 0}},
        {"Cameras",
         {"Change Query", "Cameras", "Cameras", "Electronics", "Canon", "10.00", "500.00",
          "digital camera", 5}},
        {"Lenses",
         {"Change Query", "Lenses", "Cameras", "Electronics", "Canon", "10.00", "500.00",
          "digital camera", 1}},
    };
    struct Case {
        ChangeBy by;
        const char* query;
        int sortHeader;  // a header clicked before (-1: none)
    };
    const Case cases[] = {
        {ChangeBy::Button, "Lenses", -1},         {ChangeBy::Button, "Binoculars", -1},
        {ChangeBy::EnterKey, "Cameras", -1},      {ChangeBy::DoubleClick, "Lenses", -1},
        {ChangeBy::Menu, "Binoculars", -1},       {ChangeBy::Button, "Cameras", 2},
        {ChangeBy::DoubleClick, "Binoculars", 2}, {ChangeBy::EnterKey, "Lenses", 2},
    };
    // The splash's closing opened a new query's form; while it is open, Change is refused and
    // the new query's form stays what it is.
    const auto newQuery = WaitForWindow("UpdateQueriesA");
    ASSERT_TRUE(newQuery);
    EXPECT_EQ(Caption(*newQuery), "New Query");
    const ui::WindowId list = OpenQueryList();
    ASSERT_TRUE(Eventually([&] { return Cells(list, "?BROWSE:1").size() == 3; }));
    constexpr int kName = 2;
    ASSERT_TRUE(ClickAt(list, "?BROWSE:1", CellPoint(list, "?BROWSE:1", 1, kName)));
    ASSERT_TRUE(Click(list, "?CHANGE:4"));
    EXPECT_EQ(WaitForMessage(), "Sorry, you MUST close all windows for this action.");
    ASSERT_TRUE(AnswerMessage("OK"));
    EXPECT_EQ(Qt().OpenWindows().size(), 3u);  // the frame, the new query's form, the list
    EXPECT_EQ(Look(*newQuery).name, "");
    EXPECT_EQ(Caption(*newQuery), "New Query");
    ASSERT_TRUE(Click(*newQuery, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(*newQuery));

    int sorted = -1;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.query) + " by " + std::to_string(static_cast<int>(c.by)) +
                     " sorted " + std::to_string(c.sortHeader));
        if (c.sortHeader != sorted) {
            ASSERT_TRUE(ClickHeader(list, "?BROWSE:1", c.sortHeader));
            sorted = c.sortHeader;
            ASSERT_TRUE(Eventually([&] {
                const std::vector<QString> names = Column(list, "?BROWSE:1", kName);
                return names == std::vector<QString>{"Binoculars", "Cameras", "Lenses"};
            }));
        }
        const int row = RowOf(list, "?BROWSE:1", c.query, kName);
        ASSERT_GE(row, 0);
        const QPoint at = CellPoint(list, "?BROWSE:1", row, kName);
        switch (c.by) {
            case ChangeBy::Button:
                ASSERT_TRUE(ClickAt(list, "?BROWSE:1", at));
                ASSERT_TRUE(Click(list, "?CHANGE:4"));
                break;
            case ChangeBy::EnterKey:
                ASSERT_TRUE(ClickAt(list, "?BROWSE:1", at));
                ASSERT_TRUE(Key(list, "?BROWSE:1", ::Qt::Key_Return));
                break;
            case ChangeBy::DoubleClick:
                ASSERT_TRUE(DoubleClick(list, "?BROWSE:1", at));
                break;
            case ChangeBy::Menu:
                ASSERT_TRUE(ClickAt(list, "?BROWSE:1", at, ::Qt::RightButton));
                ASSERT_TRUE(ChoosePopup(list, "&Change"));
                break;
        }
        EXPECT_EQ(CurrentRow(list, "?BROWSE:1"), row);
        const auto form = WaitForWindow("UpdateQueriesA");
        ASSERT_TRUE(form);
        const FormLook want = expected.at(c.query);
        EXPECT_TRUE(Eventually([&] { return Look(*form) == want; })) << Look(*form);
        if (c.by == ChangeBy::Button && c.sortHeader < 0) {
            EXPECT_TRUE(Shot(*form, std::string("query_change_") + c.query));
        }
        ASSERT_TRUE(Click(*form, "?CANCEL"));
        ASSERT_TRUE(WaitForClose(*form));
        // The list keeps the query it was on.
        EXPECT_TRUE(Eventually([&] { return CurrentRow(list, "?BROWSE:1") == row; }));
    }
    ASSERT_TRUE(Click(list, "?CLOSE"));
    EXPECT_TRUE(WaitForClose(list));
}

}  // namespace
}  // namespace zem::test
