// The catalog tree, its node form, the query list and the catalog list, through their widgets:
// expanders, keys, double clicks and the right button's menus, as a user works them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <string>
#include <vector>

#include "platform/ui/message_sink.h"
#include "platform/ui/qt/window_view.h"
#include "program_windows.h"
#include "research/querylist/querylist_fixture.h"

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

    // The pop-up menu the window shows now: its items as the user reads them, "-" for
    // separators, and whether each is enabled.
    std::vector<std::pair<QString, bool>> PopupItems(ui::WindowId w) {
        std::vector<std::pair<QString, bool>> items;
        Eventually([&] {
            bool shown = false;
            WithView(w, [&](ui::qt::WindowView&) {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                items.clear();
                if (!menu) return;
                shown = true;
                for (QAction* a : menu->actions())
                    items.emplace_back(a->isSeparator() ? QStringLiteral("-") : a->text(),
                                       !a->isSeparator() && a->isEnabled());
            });
            return shown;
        });
        return items;
    }

    // Clicks the item with this text in the pop-up menu showing now.
    bool ChoosePopup(ui::WindowId w, const QString& text) {
        bool done = false;
        WithView(w, [&](ui::qt::WindowView&) {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* a : menu->actions())
                if (a->text() == text) {
                    QTest::mouseClick(menu, ::Qt::LeftButton, {}, menu->actionGeometry(a).center());
                    done = true;
                    return;
                }
        });
        Settle();
        return done;
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
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel, 1));
    // Both stores have children that are not listed: each shows a closed expander.
    EXPECT_EQ(Rows(tree, "?FILETREE", 1),
              (std::vector<RowLook>{{"AMAZON root", true, true},
                                    {"Amazon UK (Amazon UK)", true, false},
                                    {"Amazon US (Amazon US)", true, false}}));
    EXPECT_EQ(Enabled(tree, "?CHANGE"), false);
    EXPECT_TRUE(Shot(tree, "catalog_tree_contracted"));

    // The expander asks the window, which lists the children.
    ASSERT_TRUE(ClickAt(tree, "?FILETREE", ExpanderOf(tree, 2)));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kUsOpen, 1));
    const std::vector<RowLook> rows = Rows(tree, "?FILETREE", 1);
    EXPECT_TRUE(rows[2].open);
    EXPECT_TRUE(rows[3].expander && !rows[3].open);  // Books has children of its own
    EXPECT_FALSE(rows[4].expander);                  // Electronics is a leaf
    EXPECT_TRUE(Shot(tree, "catalog_tree_expanded"));
    // Closing it by the expander, then the keys: Right and keypad plus open, Left and keypad
    // minus close, each through the window.
    ASSERT_TRUE(ClickAt(tree, "?FILETREE", ExpanderOf(tree, 2)));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel, 1));
    ASSERT_TRUE(ClickAt(tree, "?FILETREE", RowRect(tree, "?FILETREE", 2, 1).center()));
    EXPECT_EQ(Enabled(tree, "?CHANGE"), true);
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Right));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kUsOpen, 1));
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Left));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel, 1));
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Plus, ::Qt::KeypadModifier));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kUsOpen, 1));
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Minus, ::Qt::KeypadModifier));
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel, 1));
    // Qt's own asterisk would open the whole branch behind the window's back: it does nothing.
    ASSERT_TRUE(Key(tree, "?FILETREE", ::Qt::Key_Asterisk));
    EXPECT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel, 1));
    EXPECT_FALSE(Rows(tree, "?FILETREE", 1)[2].open);
    ASSERT_TRUE(Click(tree, "?CANCELBUTTON"));
    EXPECT_TRUE(WaitForClose(tree));
}

TEST_F(CatalogWindows, TheTreesMenuDoubleClickAndNodeFormRenameANode) {
    const ui::WindowId tree = OpenTree();
    ASSERT_TRUE(ShowsTexts(tree, "?FILETREE", kFirstLevel, 1));
    // The right button on an entry offers the window's buttons.
    ASSERT_TRUE(ClickAt(tree, "?FILETREE", RowRect(tree, "?FILETREE", 2, 1).center()));
    ASSERT_TRUE(
        ClickAt(tree, "?FILETREE", RowRect(tree, "?FILETREE", 2, 1).center(), ::Qt::RightButton));
    EXPECT_EQ(PopupItems(tree), (std::vector<std::pair<QString, bool>>{{"&Select", false},
                                                                       {"-", false},
                                                                       {"&Change", true},
                                                                       {"&Delete", true},
                                                                       {"-", false},
                                                                       {"&Expand All", true},
                                                                       {"&Contract All", true}}));
    EXPECT_TRUE(Shot(tree, "catalog_tree_menu"));
    ASSERT_TRUE(ChoosePopup(tree, "&Expand All"));
    ASSERT_TRUE(Eventually([&] { return Rows(tree, "?FILETREE", 1).size() == 11; }));

    // A double click on Fiction opens the node form on it.
    const int fiction = RowOf(tree, "?FILETREE", "Fiction", 1);
    ASSERT_GE(fiction, 0);
    ASSERT_TRUE(DoubleClick(tree, "?FILETREE", RowRect(tree, "?FILETREE", fiction, 1).center()));
    const auto form = WaitForWindow("UpdateNodeA");
    ASSERT_TRUE(form);
    EXPECT_EQ(Shown(*form, "?NOD:NAME"), "Fiction");
    EXPECT_EQ(Qt().WindowEnabled(tree), false);
    ASSERT_TRUE(Type(*form, "?NOD:NAME", "Novels"));
    EXPECT_TRUE(Shot(*form, "node_form"));
    ASSERT_TRUE(Click(*form, "?OK"));
    ASSERT_TRUE(WaitForClose(*form));
    ASSERT_TRUE(Eventually([&] { return RowOf(tree, "?FILETREE", "Novels", 1) >= 0; }));

    ASSERT_TRUE(Click(tree, "?CANCELBUTTON"));
    EXPECT_TRUE(WaitForClose(tree));
}

}  // namespace
}  // namespace zem::test
