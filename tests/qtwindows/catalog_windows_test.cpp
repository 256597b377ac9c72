// The catalog tree, its node form, the query list and the catalog list, through their widgets:
// expanders, keys, double clicks and the right button's menus, as a user works them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <string>
#include <vector>

#include "menu_pixels.h"
#include "platform/ui/errors/message_sink.h"
#include "platform/ui/qt/window_view.h"
#include "platform/win/owner_draw.h"
#include "program_windows.h"
#include "research/querylist/querylist_fixture.h"
#include "tree_look.h"

namespace zem::test {
namespace {

// What a tree or list shows of one row: its text in a column, whether it shows an expander and
// whether it is open.
struct RowLook {
    QString text;
    bool expander = false;
    bool open = false;
    friend bool operator==(const RowLook&, const RowLook&) = default;
};

std::ostream& operator<<(std::ostream& out, const RowLook& r) {
    return out << "{" << r.text.toStdString() << (r.expander ? " +" : "") << (r.open ? " open" : "")
               << "}";
}

class CatalogWindows : public ProgramWindowsTest {
  protected:
    void SetUp() override {
        ProgramWindowsTest::SetUp();
        Seed([] {
            SeedCatalogTree();
            for (const QueryRow& row : kQueryRows) AddQuery(row);
        });
        StartProgram();
    }

    ui::WindowId OpenTree() {
        EXPECT_TRUE(Click(frame, "?MENU5ITEM16"));  // "&Catalogs tree"
        const auto tree = WaitForWindow("BrowseTreeA");
        EXPECT_TRUE(tree);
        return tree.value_or(0);
    }

    // The rows in display order, every one of them, with the text of a column.
    std::vector<RowLook> Rows(ui::WindowId w, std::string_view use, int column = 0) {
        std::vector<RowLook> rows;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list) return;
            for (QTreeWidgetItemIterator it(list); *it; ++it) {
                const QTreeWidgetItem* item = *it;
                const bool expander = item->childCount() > 0 || item->childIndicatorPolicy() ==
                                                                    QTreeWidgetItem::ShowIndicator;
                rows.push_back(RowLook{item->text(column), expander, item->isExpanded()});
            }
        });
        return rows;
    }

    // Waits until the rows show these texts.
    bool ShowsTexts(ui::WindowId w, std::string_view use, const std::vector<QString>& texts,
                    int column = 0) {
        const bool shown = Eventually([&] {
            std::vector<QString> now;
            for (const RowLook& r : Rows(w, use, column)) now.push_back(r.text);
            return now == texts;
        });
        if (!shown)
            for (const RowLook& r : Rows(w, use, column)) ADD_FAILURE() << "shows " << r;
        return shown;
    }

    // Where a row (counted from 0 in display order) shows: its cell rectangle in the viewport.
    QRect RowRect(ui::WindowId w, std::string_view use, int row, int column = 0) {
        QRect rect;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            int at = 0;
            for (QTreeWidgetItemIterator it(list); *it; ++it, ++at)
                if (at == row) {
                    list->scrollToItem(*it);
                    rect = list->visualItemRect(*it);
                    // Beyond the first column a cell starts where its header section does.
                    if (column > 0) {
                        rect.setLeft(list->header()->sectionViewportPosition(column));
                        rect.setWidth(list->header()->sectionSize(column));
                    }
                }
        });
        return rect;
    }

    // The point of a tree row's expander.
    QPoint ExpanderOf(ui::WindowId w, int row) {
        int indentation = 0;
        WithWidget(w, "?FILETREE", [&](QWidget* widget) {
            indentation = qobject_cast<QTreeWidget*>(widget)->indentation();
        });
        const QRect rect = RowRect(w, "?FILETREE", row);
        return QPoint(rect.left() - indentation / 2, rect.center().y());
    }

    bool DoubleClick(ui::WindowId w, std::string_view use, QPoint at) {
        const bool done = WithWidget(w, use, [&](QWidget* widget) {
            QWidget* viewport = qobject_cast<QAbstractItemView*>(widget)->viewport();
            QTest::mouseDClick(viewport, ::Qt::LeftButton, {}, at);
        });
        Settle();
        return done;
    }

    // The middle of the view across the row showing the text, beyond every expander; the tree
    // is not scrolled to find it.
    QPoint MiddleOfRow(ui::WindowId w, const QString& text) {
        QPoint at;
        WithWidget(w, "?FILETREE", [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            for (QTreeWidgetItemIterator it(list); *it; ++it)
                if ((*it)->text(0) == text)
                    at = QPoint(list->viewport()->width() / 2,
                                list->visualItemRect(*it).center().y());
        });
        return at;
    }

    bool CurrentRowIs(ui::WindowId w, const QString& text) {
        bool is = false;
        WithWidget(w, "?FILETREE", [&](QWidget* widget) {
            const QTreeWidgetItem* current = qobject_cast<QTreeWidget*>(widget)->currentItem();
            is = current && current->text(0) == text;
        });
        return is;
    }

    // The row showing the text in a column, from 0; -1 when none does.
    int RowOf(ui::WindowId w, std::string_view use, const QString& text, int column) {
        const std::vector<RowLook> rows = Rows(w, use, column);
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].text == text) return static_cast<int>(i);
        return -1;
    }
};

const std::vector<QString> kFirstLevel{"AMAZON root", "Amazon UK (Amazon UK)",
                                       "Amazon US (Amazon US)"};
const std::vector<QString> kUsOpen{"AMAZON root",
                                   "Amazon UK (Amazon UK)",
                                   "Amazon US (Amazon US)",
                                   "All books, Books (Books)",
                                   "Electronics (Electronics)",
                                   "Music"};

TEST_F(CatalogWindows, TheTreeOpensAndClosesEntriesByTheirExpandersAndKeysOnly) {
    const ui::WindowId tree = OpenTree();
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel));
    // Both stores have children that are not listed: each shows a closed expander.
    EXPECT_EQ(Rows(tree, "?FILETREE"),
              (std::vector<RowLook>{{"AMAZON root", true, true},
                                    {"Amazon UK (Amazon UK)", true, false},
                                    {"Amazon US (Amazon US)", true, false}}));
    EXPECT_EQ(Enabled(tree, "?CHANGE"), false);
    EXPECT_TRUE(Shot(tree, "catalog_tree_contracted"));

    // The expander asks the window, which lists the children.
    ASSERT_TRUE(ClickAt(tree, "?FILETREE", ExpanderOf(tree, 2)));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kUsOpen));
    const std::vector<RowLook> rows = Rows(tree, "?FILETREE");
    EXPECT_TRUE(rows[2].open);
    EXPECT_TRUE(rows[3].expander && !rows[3].open);  // Books has children of its own
    EXPECT_FALSE(rows[4].expander);                  // Electronics is a leaf
    EXPECT_TRUE(Shot(tree, "catalog_tree_expanded"));
    // Closing it by the expander, then the keys: Right and keypad plus open, Left and keypad
    // minus close, each through the window.
    ASSERT_TRUE(ClickAt(tree, "?FILETREE", ExpanderOf(tree, 2)));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel));
    ASSERT_TRUE(ClickAt(tree, "?FILETREE", RowRect(tree, "?FILETREE", 2).center()));
    EXPECT_EQ(Enabled(tree, "?CHANGE"), true);
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Right));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kUsOpen));
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Left));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel));
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Plus, ::Qt::KeypadModifier));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kUsOpen));
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Minus, ::Qt::KeypadModifier));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel));
    // Qt's own asterisk would open the whole branch behind the window's back: it does nothing.
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Asterisk));
    EXPECT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel));
    EXPECT_FALSE(Rows(tree, "?FILETREE")[2].open);
    ASSERT_TRUE(Click(tree, "?CANCELBUTTON"));
    EXPECT_TRUE(WaitForClose(tree));
}

TEST_F(CatalogWindows, TheTreesMenuDoubleClickAndNodeFormRenameANode) {
    const ui::WindowId tree = OpenTree();
    // The buttons of one row share one font, however much room each text needs.
    auto fontOf = [&](std::string_view use) {
        QFont font;
        WithWidget(tree, use, [&](QWidget* w) {
            if (w) font = w->font();
        });
        return font;
    };
    EXPECT_EQ(fontOf("?EXPANDALL"), fontOf("?CONTRACTALL"));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel));
    // The right button on an entry offers the window's buttons.
    ASSERT_TRUE(ClickAt(tree, "?FILETREE", RowRect(tree, "?FILETREE", 2).center()));
    ASSERT_TRUE(
        ClickAt(tree, "?FILETREE", RowRect(tree, "?FILETREE", 2).center(), ::Qt::RightButton));
    EXPECT_EQ(PopupItems(tree), (std::vector<std::pair<QString, bool>>{{"&Select", false},
                                                                       {"-", false},
                                                                       {"&Change", true},
                                                                       {"&Delete", true},
                                                                       {"-", false},
                                                                       {"&Expand All", true},
                                                                       {"&Contract All", true}}));
    EXPECT_TRUE(Shot(tree, "catalog_tree_menu"));
    // Each item shows its button's icon in the menu's icon bar, the disabled one too.
    ASSERT_TRUE(win::CurrentOwnerDrawMenus()) << "the frame's menu painter draws the menu";
    const auto icons = PopupIconPixels("catalog_tree_menu_icons");
    for (const char* item : {"&Select", "&Change", "&Delete", "&Expand All", "&Contract All"})
        EXPECT_GT(icons.count(item) ? icons.at(item) : 0, 10) << item << " shows no icon";
    ASSERT_TRUE(ChoosePopup(tree, "&Expand All"));
    ASSERT_TRUE(Eventually([&] { return Rows(tree, "?FILETREE").size() == 11; }));

    // A double click on Fiction opens the node form on it.
    const int fiction = RowOf(tree, "?FILETREE", "Fiction", 0);
    ASSERT_GE(fiction, 0);
    ASSERT_TRUE(DoubleClick(tree, "?FILETREE", RowRect(tree, "?FILETREE", fiction).center()));
    const auto form = WaitForWindow("UpdateNodeA");
    ASSERT_TRUE(form);
    EXPECT_EQ(Shown(*form, "?NOD:NAME"), "Fiction");
    EXPECT_EQ(Qt().WindowEnabled(tree), false);
    ASSERT_TRUE(Type(*form, "?NOD:NAME", "Novels"));
    EXPECT_TRUE(Shot(*form, "node_form"));
    ASSERT_TRUE(Click(*form, "?OK"));
    ASSERT_TRUE(WaitForClose(*form));
    ASSERT_TRUE(Eventually([&] { return RowOf(tree, "?FILETREE", "Novels", 0) >= 0; }));

    ASSERT_TRUE(Click(tree, "?CANCELBUTTON"));
    EXPECT_TRUE(WaitForClose(tree));
}

// What the tree shows and where it stands sideways, read on the GUI thread.
struct TreeState {
    std::string faults;  // of its look, see TreeLookFaults
    int rowHeight = 0;
    int sideways = 0;         // the horizontal scroll offset
    int sidewaysRoom = 0;     // how far it can scroll sideways
    bool namesWhole = false;  // the column is as wide as its widest entry needs
};

TEST_F(CatalogWindows, TheTreeIsOneIndentedColumnOnlyTheUserScrollsSideways) {
    const ui::WindowId tree = OpenTree();
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel));
    auto state = [&] {
        TreeState s;
        Settle();
        WithWidget(tree, "?FILETREE", [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            s.faults = TreeLookFaults(list);
            s.rowHeight = CommonRowHeight(list);
            s.sideways = list->horizontalScrollBar()->value();
            s.sidewaysRoom = list->horizontalScrollBar()->maximum();
            s.namesWhole = NamesWhole(list);
        });
        return s;
    };
    const TreeState opened = state();
    EXPECT_EQ(opened.faults, "");
    EXPECT_TRUE(opened.namesWhole);

    // Opened by Right on Amazon US, the rows keep their height.
    ASSERT_TRUE(ClickAt(tree, "?FILETREE", RowRect(tree, "?FILETREE", 2).center()));
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Right));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kUsOpen));
    EXPECT_EQ(state().rowHeight, opened.rowHeight);

    // Fiction, deep in the tree, renamed to a name far wider than the view.
    ASSERT_TRUE(Click(tree, "?EXPANDALL"));
    ASSERT_TRUE(Eventually([&] { return Rows(tree, "?FILETREE").size() == 11; }));
    const int fiction = RowOf(tree, "?FILETREE", "Fiction", 0);
    ASSERT_GE(fiction, 0);
    ASSERT_TRUE(DoubleClick(tree, "?FILETREE", RowRect(tree, "?FILETREE", fiction).center()));
    const auto form = WaitForWindow("UpdateNodeA");
    ASSERT_TRUE(form);
    const QString wide = "Novels " + QString("and stories ").repeated(12) + "end";
    ASSERT_TRUE(Type(*form, "?NOD:NAME", wide.toStdString()));
    ASSERT_TRUE(Click(*form, "?OK"));
    ASSERT_TRUE(WaitForClose(*form));
    ASSERT_TRUE(Eventually([&] { return RowOf(tree, "?FILETREE", wide, 0) >= 0; }))
        << Rows(tree, "?FILETREE")[static_cast<std::size_t>(fiction)];
    const TreeState renamed = state();
    EXPECT_EQ(renamed.faults, "");
    EXPECT_EQ(renamed.rowHeight, opened.rowHeight);
    EXPECT_TRUE(renamed.namesWhole) << "the wide name is cut";
    EXPECT_GT(renamed.sidewaysRoom, 0);
    EXPECT_EQ(renamed.sideways, 0);
    EXPECT_TRUE(Shot(tree, "catalog_tree_wide_name"));

    // A click on the wide entry leaves the tree where it stands.
    ASSERT_TRUE(ClickAt(tree, "?FILETREE", MiddleOfRow(tree, wide)));
    EXPECT_TRUE(Eventually([&] { return CurrentRowIs(tree, wide); }));
    EXPECT_EQ(state().sideways, 0);
    EXPECT_EQ(state().faults, "");

    // The user scrolls sideways with the scroll bar's arrow; clicks and keys keep that place.
    WithWidget(tree, "?FILETREE", [&](QWidget* widget) {
        QScrollBar* bar = qobject_cast<QTreeWidget*>(widget)->horizontalScrollBar();
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(bar, ::Qt::LeftButton, {},
                              QPoint(bar->width() - 4, bar->height() / 2));
    });
    const int scrolled = state().sideways;
    ASSERT_GT(scrolled, 0) << "the scroll bar's arrow did not scroll";
    ASSERT_TRUE(ClickAt(tree, "?FILETREE", MiddleOfRow(tree, "Music")));
    EXPECT_TRUE(Eventually([&] { return CurrentRowIs(tree, "Music"); }));
    EXPECT_EQ(state().sideways, scrolled);
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Up));
    EXPECT_EQ(state().sideways, scrolled);
    // Amazon UK closed by Left: the window lists the rows anew, the tree stays where it was.
    ASSERT_TRUE(ClickAt(tree, "?FILETREE", MiddleOfRow(tree, "Amazon UK (Amazon UK)")));
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Left));
    ASSERT_TRUE(Eventually([&] { return Rows(tree, "?FILETREE").size() == 9; }));
    const TreeState closed = state();
    EXPECT_EQ(closed.sideways, scrolled);
    EXPECT_EQ(closed.rowHeight, opened.rowHeight);
    EXPECT_EQ(closed.faults, "");

    ASSERT_TRUE(Click(tree, "?CANCELBUTTON"));
    EXPECT_TRUE(WaitForClose(tree));
}

}  // namespace
}  // namespace zem::test
