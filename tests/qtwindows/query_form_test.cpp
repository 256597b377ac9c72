// The query form and its item list on the Qt display, as a user works them: items loaded from
// the service simulator, the list's columns, editing a title and keywords in place, the tag
// commands of the list's menu and its Tag cells, numeric entries that refuse text, and sorting
// by a header; the node picker it opens from its Node entry and its lookup button.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "item_catalog.h"
#include "list_windows.h"
#include "menu_pixels.h"
#include "message_boxes.h"
#include "platform/ui/qt/list_header.h"
#include "platform/ui/qt/resource_images.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/win/owner_draw.h"
#include "research/jobs/service_request.h"
#include "research/queryform/query_items.h"
#include "research/queryform/queryform_fixture.h"
#include "tree_look.h"
#include "web/stores.h"

namespace zem::test {
namespace {

constexpr std::string_view kList = "?LIST";
// The item list's columns, from 0, as the widget counts them.
namespace column {
constexpr int kTag = 0;
constexpr int kRank = 1;
constexpr int kTitle = 2;
constexpr int kKeywords = 3;
constexpr int kAds = 4;
constexpr int kAffiliate = 5;
constexpr int kSaving = 8;
constexpr int kShipping = 9;
}  // namespace column

// The titles a completed load with the form's minimum saving 0 keeps, as the list shows them.
std::vector<QString> KeptListTitles(const std::string& keywords) {
    std::vector<QString> titles;
    for (const std::string& title : KeptTitles(keywords, 0))
        titles.push_back(QString::fromStdString(title));
    std::sort(titles.begin(), titles.end());
    return titles;
}

class QueryFormWindows : public ListWindowsTest {
  protected:
    void SetUp() override {
        ProgramWindowsTest::SetUp();
        keywords_ = KeywordsWithPages(2);
        const std::string proxy = StartSimulator(sim::ContentSettings{.seed = kFormSeed});
        Seed([&] {
            QueryFormTest::Seed();
            data::Dictionary& d = data::Dict();
            // The simulator is the configured proxy.
            data::TableManager& sysinfo = data::Access(data::TableId::Sysinfo);
            ASSERT_EQ(sysinfo.PrimeRecord(), ui::Benign);
            d.SYS.MANUAL = 1;
            data::SetCString(d.SYS.PROXY, proxy);
            ASSERT_EQ(sysinfo.Insert(), ui::Benign);
            // The seeded query searches for keywords with two pages of items.
            d.QUE.ID = kQuery;
            data::TableManager& queries = data::Access(data::TableId::Queries);
            ASSERT_EQ(queries.Fetch(data::QUE_KeyId), ui::Benign);
            data::SetCString(d.QUE.KEYWORDS, keywords_);
            ASSERT_EQ(queries.Update(), ui::Benign);
            // Counts and flags that sort differently as numbers and as text.
            struct Counts {
                std::int32_t id, ads, affiliate;
                std::uint8_t ship;
            };
            for (const Counts& c :
                 {Counts{102, 12, 0, 0}, Counts{103, 2, 1, 0}, Counts{104, 0, 0, 1}}) {
                data::TableManager& goods = data::Access(data::TableId::Goods);
                d.GOO.ID = c.id;
                ASSERT_EQ(goods.Fetch(data::GOO_KeyId), ui::Benign);
                d.GOO.ADS = c.ads;
                d.GOO.AFFILATIVE = c.affiliate;
                d.GOO.SHIP = c.ship;
                ASSERT_EQ(goods.Update(), ui::Benign);
            }
        });
        StartProgram();
        // The splash's closing opens a new query's form; the user leaves it.
        if (const auto newQuery = WaitForWindow("UpdateQueriesA")) {
            EXPECT_TRUE(Click(*newQuery, "?CANCEL"));
            EXPECT_TRUE(WaitForClose(*newQuery));
        }
    }

    // Opens the seeded query "Cameras" from the query list.
    ui::WindowId OpenForm() {
        EXPECT_TRUE(Click(frame, "?MENU5ITEM17"));  // "&Queries"
        const auto list = WaitForWindow("BrowseQueriesA");
        EXPECT_TRUE(list);
        if (!list) return 0;
        list_ = *list;
        EXPECT_TRUE(Eventually([&] { return RowOf(list_, "?BROWSE:1", "Cameras", 2) >= 0; }));
        EXPECT_TRUE(
            DoubleClick(list_, "?BROWSE:1",
                        CellPoint(list_, "?BROWSE:1", RowOf(list_, "?BROWSE:1", "Cameras", 2), 2)));
        const auto form = WaitForWindow("UpdateQueriesA");
        EXPECT_TRUE(form);
        if (!form) return 0;
        EXPECT_TRUE(Eventually([&] { return Cells(*form, kList).size() == 5; }));
        EXPECT_EQ(Caption(*form), "Change Query");
        return *form;
    }

    // The titles of the rows, from the top.
    std::vector<QString> Titles(ui::WindowId w) { return Column(w, kList, column::kTitle); }

    // Whether each row's Tag cell shows the check icon; an icon is all the cell shows.
    std::vector<bool> Checks(ui::WindowId w) {
        std::vector<bool> checks;
        WithWidget(w, kList, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            const QImage check = ui::qt::IconFor("~CHECK.ICO").pixmap(16).toImage();
            const QImage blank = ui::qt::IconFor("~BLANK.ICO").pixmap(16).toImage();
            for (QTreeWidgetItemIterator it(list); *it; ++it) {
                const QImage shown = (*it)->icon(column::kTag).pixmap(16).toImage();
                EXPECT_TRUE((*it)->text(column::kTag).isEmpty());
                EXPECT_TRUE(shown == check || shown == blank) << "the Tag cell shows no tag icon";
                checks.push_back(shown == check);
            }
        });
        return checks;
    }
    bool ShowsChecks(ui::WindowId w, const std::vector<bool>& want) {
        const bool shown = Eventually([&] { return Checks(w) == want; });
        if (!shown) {
            std::string now;
            for (const bool c : Checks(w)) now += c ? "x" : ".";
            ADD_FAILURE() << "checks shown: " << now;
        }
        return shown;
    }

    // Right button on a row's title, then the menu's item.
    bool Command(ui::WindowId w, int row, const QString& item) {
        if (!ClickAt(w, kList, CellPoint(w, kList, row, column::kTitle), ::Qt::RightButton))
            return false;
        if (PopupItems(w).empty()) return false;
        return ChoosePopup(w, item);
    }

    // Types into the cell editor that has the focus, as key presses.
    bool TypeInCell(ui::WindowId w, const QString& text) {
        bool done = false;
        WithView(w, [&](ui::qt::WindowView& view) {
            ui::qt::ControlView* list = ControlOf(view, kList);
            if (!list || !list->cellEditor) return;
            auto* editor = qobject_cast<QLineEdit*>(list->cellEditor.data());
            if (!editor) return;
            editor->selectAll();
            QTest::keyClicks(editor, text);
            done = true;
        });
        Settle();
        return done;
    }
    // The column (from 0) of the cell being edited; -1 when none is.
    int EditedColumn(ui::WindowId w) {
        int column = -1;
        WithView(w, [&](ui::qt::WindowView& view) {
            ui::qt::ControlView* list = ControlOf(view, kList);
            if (list && list->cellEditor && list->cellEditor->isVisible())
                column = list->editColumn - 1;
        });
        return column;
    }
    bool KeyInCell(ui::WindowId w, ::Qt::Key key) {
        bool done = false;
        WithView(w, [&](ui::qt::WindowView& view) {
            ui::qt::ControlView* list = ControlOf(view, kList);
            if (!list || !list->cellEditor) return;
            QTest::keyClick(list->cellEditor.data(), key);
            done = true;
        });
        Settle();
        return done;
    }

    // The control that has the window's focus, or gets it when the window is active again (a
    // message box closing leaves no window active on the offscreen desktop).
    std::string FocusInWindow(ui::WindowId w) {
        std::string use;
        WithView(w, [&](ui::qt::WindowView& view) {
            QWidget* focus = view.top ? view.top->focusWidget() : nullptr;
            for (auto& [feq, control] : view.controls)
                if (focus && control.widget == focus) use = control.model.use;
        });
        return use;
    }

    std::string keywords_;
    ui::WindowId list_ = 0;
};

TEST_F(QueryFormWindows, LoadedItemsShowInReadableColumns) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    EXPECT_EQ(Headers(form, kList),
              (std::vector<QString>{"Tag", "Rank", "Title", "Keywords", "# Ads", "Aff.", "List",
                                    "Amazon", "Save, %", "Free Shipping"}));
    // The flags say Yes and nothing else; a count of 0 and no flag leave the cell blank.
    EXPECT_EQ(Column(form, kList, column::kAffiliate),
              (std::vector<QString>{"Yes", "", "Yes", "", ""}));
    EXPECT_EQ(Column(form, kList, column::kShipping),
              (std::vector<QString>{"Yes", "", "", "Yes", ""}));
    std::vector<QString> ranks = Column(form, kList, column::kRank);
    for (QString& rank : ranks) rank = rank.trimmed();
    EXPECT_EQ(ranks, (std::vector<QString>{"12", "", "7", "", ""}));
    EXPECT_TRUE(ShowsChecks(form, {false, false, false, false, false}));
    EXPECT_TRUE(Shot(form, "query_form_seeded"));

    ASSERT_TRUE(Click(form, "?BUILDLIST"));
    const auto job = WaitForWindow("BuildList");
    ASSERT_TRUE(job);
    ASSERT_TRUE(Qt().WaitForClose(*job, 60s)) << "the load did not end";
    const std::vector<QString> kept = KeptListTitles(keywords_);
    ASSERT_FALSE(kept.empty());
    ASSERT_TRUE(Eventually([&] {
        std::vector<QString> titles = Titles(form);
        std::sort(titles.begin(), titles.end());
        return titles == kept;
    })) << Titles(form).size()
        << " rows, " << kept.size() << " kept";
    for (const std::vector<QString>& row : Cells(form, kList)) {
        for (const int flag : {column::kAffiliate, column::kShipping})
            EXPECT_TRUE(row[flag].isEmpty() || row[flag] == "Yes") << row[flag].toStdString();
        EXPECT_FALSE(row[column::kSaving].isEmpty());
    }
    EXPECT_TRUE(ShowsChecks(form, std::vector<bool>(kept.size(), false)));
    // Every column but the two that share the rest shows its widest cell and header whole.
    WithWidget(form, kList, [&](QWidget* widget) {
        auto* list = qobject_cast<QTreeWidget*>(widget);
        const QFontMetrics cells(list->font());
        const QFontMetrics headers(list->header()->font());
        for (int c = 0; c < list->columnCount(); ++c) {
            if (c == column::kTitle || c == column::kKeywords) {
                // The two that share the rest keep their format's width at least: the list
                // scrolls sideways before a title shrinks to a few letters.
                EXPECT_GE(list->header()->sectionSize(c), 120) << "column " << c;
                continue;
            }
            const int room = list->header()->sectionSize(c);
            EXPECT_LE(headers.horizontalAdvance(list->headerItem()->text(c)), room)
                << list->headerItem()->text(c).toStdString();
            for (QTreeWidgetItemIterator it(list); *it; ++it)
                EXPECT_LE(cells.horizontalAdvance((*it)->text(c)), room)
                    << (*it)->text(c).toStdString() << " in " << c;
            if (c == column::kTag) {
                EXPECT_GE(room, list->iconSize().width()) << "the Tag icon is cut";
            }
        }
    });
    EXPECT_TRUE(Shot(form, "query_form_loaded"));
    ASSERT_TRUE(Click(form, "?CANCEL"));
    EXPECT_TRUE(WaitForClose(form));
}

TEST_F(QueryFormWindows, TitleAndKeywordsAreEditedInPlaceAndEnterEndsTheEditNotTheForm) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    ASSERT_TRUE(ClickAt(form, kList, CellPoint(form, kList, 1, column::kRank)));  // Beta
    ASSERT_TRUE(Click(form, "?CHANGE"));
    ASSERT_TRUE(Eventually([&] { return EditedColumn(form) == column::kTitle; }));
    ASSERT_TRUE(TypeInCell(form, "Beta zoom camera"));
    EXPECT_TRUE(Shot(form, "query_form_cell_edit"));
    // Tab goes on to the keywords, Enter ends the edit there.
    ASSERT_TRUE(KeyInCell(form, ::Qt::Key_Tab));
    ASSERT_TRUE(Eventually([&] { return EditedColumn(form) == column::kKeywords; }));
    ASSERT_TRUE(TypeInCell(form, "zoom camera deals"));
    ASSERT_TRUE(KeyInCell(form, ::Qt::Key_Return));
    ASSERT_TRUE(Eventually([&] { return EditedColumn(form) == -1; }));
    EXPECT_TRUE(Eventually([&] {
        const std::vector<QString> row = Cells(form, kList).at(1);
        return row[column::kTitle] == "Beta zoom camera" &&
               row[column::kKeywords] == "zoom camera deals";
    }));
    Settle();
    EXPECT_TRUE(Qt().WaitForClose(form, 300ms) == false) << "Enter in the cell closed the form";

    // Escape leaves the cell as it was; the form stays open.
    ASSERT_TRUE(Click(form, "?CHANGE"));
    ASSERT_TRUE(Eventually([&] { return EditedColumn(form) == column::kTitle; }));
    ASSERT_TRUE(TypeInCell(form, "thrown away"));
    ASSERT_TRUE(KeyInCell(form, ::Qt::Key_Escape));
    ASSERT_TRUE(Eventually([&] { return EditedColumn(form) == -1; }));
    EXPECT_EQ(Cells(form, kList).at(1)[column::kTitle], "Beta zoom camera");
    EXPECT_TRUE(Qt().WaitForClose(form, 300ms) == false) << "Escape in the cell closed the form";

    // No other column opens an editor: the keys and clicks a user tries on a rank leave it.
    ASSERT_TRUE(DoubleClick(form, kList, CellPoint(form, kList, 0, column::kRank)));
    ASSERT_TRUE(Key(form, kList, ::Qt::Key_F2));
    EXPECT_EQ(EditedColumn(form), -1);
    EXPECT_TRUE(Qt().WaitForClose(form, 300ms) == false);

    // OK keeps the edit.
    ASSERT_TRUE(Click(form, "?OK"));
    ASSERT_TRUE(WaitForClose(form));
    const auto again = [&] {
        EXPECT_TRUE(
            DoubleClick(list_, "?BROWSE:1",
                        CellPoint(list_, "?BROWSE:1", RowOf(list_, "?BROWSE:1", "Cameras", 2), 2)));
        return WaitForWindow("UpdateQueriesA");
    }();
    ASSERT_TRUE(again);
    EXPECT_TRUE(Eventually([&] {
        const auto rows = Cells(*again, kList);
        return rows.size() == 5 && rows[1][column::kTitle] == "Beta zoom camera" &&
               rows[1][column::kKeywords] == "zoom camera deals";
    }));
    ASSERT_TRUE(Click(*again, "?CANCEL"));
    EXPECT_TRUE(WaitForClose(*again));
}

TEST_F(QueryFormWindows, EscapeOutsideACellClosesTheFormAsItsCloseBoxDoesAndKeepsNothing) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    ASSERT_TRUE(Type(form, "?QUE:NAME", "Renamed", /*leave=*/false));
    ASSERT_TRUE(Key(form, "?QUE:NAME", ::Qt::Key_Escape));
    ASSERT_TRUE(WaitForClose(form)) << "Escape left the form open";
    // The list is active again and still lists the query under its old name.
    EXPECT_TRUE(Eventually([&] { return RowOf(list_, "?BROWSE:1", "Cameras", 2) >= 0; }));
    EXPECT_LT(RowOf(list_, "?BROWSE:1", "Renamed", 2), 0);
    // The list is no dialog of its own, yet Escape closes it too; the frame stays.
    ASSERT_TRUE(Key(list_, "?BROWSE:1", ::Qt::Key_Escape));
    ASSERT_TRUE(WaitForClose(list_));
    ASSERT_TRUE(WithView(frame, [](ui::qt::WindowView& view) {
        QTest::keyClick(view.top.data(), ::Qt::Key_Escape);
    }));
    Settle();
    EXPECT_TRUE(Qt().WaitForClose(frame, 300ms) == false) << "Escape closed the frame";
}

TEST_F(QueryFormWindows, TheListsMenuAndTagCellsTagItems) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    EXPECT_EQ(Enabled(form, "?CHECKLIST"), false);
    EXPECT_EQ(Enabled(form, "?CREATECAMPAIGN"), false);
    ASSERT_TRUE(ClickAt(form, kList, CellPoint(form, kList, 1, column::kTitle), ::Qt::RightButton));
    const auto items = PopupItems(form);
    // The tag commands in their three groups, after the list's own View and Change.
    const std::vector<std::pair<QString, bool>> tagItems{
        {"-", false}, {"&Tag", true},      {"&Untag", true},     {"&Flip", true},
        {"-", false}, {"Tag &All", true},  {"Unta&g All", true}, {"F&lip All", true},
        {"-", false}, {"&Prev Tag", true}, {"&Next Tag", true}};
    ASSERT_GE(items.size(), 2 + tagItems.size());
    EXPECT_EQ(items[0], (std::pair<QString, bool>{"&View", true}));
    EXPECT_EQ(items[1], (std::pair<QString, bool>{"&Change", true}));
    EXPECT_EQ(
        std::vector(items.begin() + 2, items.begin() + 2 + static_cast<long>(tagItems.size())),
        tagItems);
    EXPECT_TRUE(Shot(form, "query_form_menu"));
    // Each tag command shows its button's icon in the menu's icon bar.
    ASSERT_TRUE(win::CurrentOwnerDrawMenus()) << "the frame's menu painter draws the menu";
    const auto icons = PopupIconPixels("query_form_menu_icons");
    for (const auto& [text, enabled] : tagItems) {
        if (text == "-") continue;
        EXPECT_GT(icons.count(text) ? icons.at(text) : 0, 10) << text.toStdString();
    }
    ASSERT_TRUE(ChoosePopup(form, "&Tag"));
    EXPECT_TRUE(ShowsChecks(form, {false, true, false, false, false}));
    EXPECT_TRUE(Eventually([&] { return Enabled(form, "?CHECKLIST") == true; }));
    EXPECT_EQ(Enabled(form, "?CREATECAMPAIGN"), true);
    // The eight buttons behind the commands never show.
    for (const char* button : {"?TAGONE", "?UNTAGONE", "?FLIPONE", "?PREVTAG", "?TAGALL",
                               "?UNTAGALL", "?FLIPALL", "?NEXTTAG"})
        EXPECT_EQ(Visible(form, button), false) << button;

    ASSERT_TRUE(Command(form, 3, "&Flip"));
    EXPECT_TRUE(ShowsChecks(form, {false, true, false, true, false}));
    ASSERT_TRUE(Command(form, 0, "F&lip All"));
    EXPECT_TRUE(ShowsChecks(form, {true, false, true, false, true}));
    // A click on a Tag cell flips that row; a click beside it does not.
    ASSERT_TRUE(ClickAt(form, kList, CellPoint(form, kList, 4, column::kTag)));
    EXPECT_TRUE(ShowsChecks(form, {true, false, true, false, false}));
    ASSERT_TRUE(ClickAt(form, kList, CellPoint(form, kList, 3, column::kRank)));
    Settle();
    EXPECT_TRUE(ShowsChecks(form, {true, false, true, false, false}));
    // The jumps: from Delta back to Gamma, then on past the last tagged row to the message.
    ASSERT_TRUE(Command(form, 3, "&Prev Tag"));
    EXPECT_TRUE(Eventually([&] { return CurrentRow(form, kList) == 2; }));
    ASSERT_TRUE(Command(form, 2, "&Next Tag"));
    EXPECT_EQ(WaitForMessage(), "There are no more tagged records!");
    // The message has no caption, and the title bar shows none.
    EXPECT_EQ(DesktopTitleOfMessage(), "");
    EXPECT_TRUE(AnswerMessage("OK"));
    EXPECT_TRUE(Eventually([&] { return CurrentRow(form, kList) == 2; }));
    ASSERT_TRUE(Command(form, 2, "Unta&g All"));
    EXPECT_TRUE(ShowsChecks(form, {false, false, false, false, false}));
    EXPECT_TRUE(Eventually([&] { return Enabled(form, "?CHECKLIST") == false; }));
    ASSERT_TRUE(Command(form, 0, "Tag &All"));
    EXPECT_TRUE(ShowsChecks(form, {true, true, true, true, true}));
    EXPECT_TRUE(Shot(form, "query_form_all_tagged"));
    ASSERT_TRUE(Click(form, "?CANCEL"));
    EXPECT_TRUE(WaitForClose(form));
}

// Scrolled sideways to see the prices, the list stays there while the user tags, jumps and
// moves between rows: the rows the window selects again are not brought into view sideways.
TEST_F(QueryFormWindows, TheItemListStaysWhereTheUserScrolledItSideways) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    auto sideways = [&] {
        int value = -1;
        WithWidget(form, kList, [&](QWidget* widget) {
            value = qobject_cast<QTreeWidget*>(widget)->horizontalScrollBar()->value();
        });
        return value;
    };
    WithWidget(form, kList, [&](QWidget* widget) {
        QScrollBar* bar = qobject_cast<QTreeWidget*>(widget)->horizontalScrollBar();
        for (int i = 0; i < 20; ++i)
            QTest::mouseClick(bar, ::Qt::LeftButton, {},
                              QPoint(bar->width() - 4, bar->height() / 2));
    });
    const int scrolled = sideways();
    ASSERT_GT(scrolled, 0) << "the scroll bar's arrow did not scroll";
    ASSERT_TRUE(Command(form, 3, "&Flip"));
    EXPECT_TRUE(ShowsChecks(form, {false, false, false, true, false}));
    Settle();
    EXPECT_EQ(sideways(), scrolled) << "after Flip";
    ASSERT_TRUE(Command(form, 0, "Tag &All"));
    EXPECT_TRUE(ShowsChecks(form, {true, true, true, true, true}));
    Settle();
    EXPECT_EQ(sideways(), scrolled) << "after Tag All";
    ASSERT_TRUE(Key(form, kList, ::Qt::Key_Down));
    Settle();
    EXPECT_EQ(sideways(), scrolled) << "after Down";
    EXPECT_TRUE(Shot(form, "query_form_scrolled_sideways"));
    ASSERT_TRUE(Click(form, "?CANCEL"));
    EXPECT_TRUE(WaitForClose(form));
}

TEST_F(QueryFormWindows, NumericEntriesRefuseTextAndKeepTheirValue) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    struct Case {
        const char* use;
        QString kept;
    };
    for (const Case& c : {Case{"?QUE:MINPRICE", "10.00"}, Case{"?QUE:MAXPRICE", "500.00"},
                          Case{"?CURSAVING", "0.00%"}, Case{"?QUE:NODE", "3"}}) {
        SCOPED_TRACE(c.use);
        // Into the entry first, as a user does before typing: the Node entry looks its node up
        // when it gets the focus.
        ASSERT_TRUE(ClickAt(form, c.use, QPoint(5, 5)));
        ASSERT_TRUE(Type(form, c.use, "abc"));
        EXPECT_EQ(WaitForMessage(),
                  "\"abc\" is not a valid value for this field. The previous value is kept.");
        EXPECT_TRUE(Shot(form, std::string("query_form_refused_") + (c.use + 1)));
        ASSERT_TRUE(AnswerMessage("OK"));
        EXPECT_TRUE(Eventually([&] {
            return ShownText(form, c.use).value_or("").trimmed() == c.kept;
        })) << ShownText(form, c.use).value_or("?").toStdString();
        EXPECT_TRUE(Eventually([&] { return FocusInWindow(form) == c.use; }))
            << FocusInWindow(form);
    }
    // A number is taken; the price rule raises the maximum to a minimum above it.
    ASSERT_TRUE(Type(form, "?QUE:MINPRICE", "600"));
    EXPECT_TRUE(Eventually(
        [&] { return ShownText(form, "?QUE:MAXPRICE").value_or("").trimmed() == "600.00"; }));
    ASSERT_TRUE(Click(form, "?CANCEL"));
    EXPECT_TRUE(WaitForClose(form));
}

// Typed key by key, a price is a new selection at every key; the rule that keeps the minimum
// at most the maximum waits until the entry is left, so "61" is never 6 first.
TEST_F(QueryFormWindows, ThePriceRuleWaitsUntilThePriceIsEntered) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    struct Step {
        const char* use;
        const char* typed;
        QString min, max;  // shown once the entry is left
    };
    for (const Step& s : {Step{"?QUE:MINPRICE", "21", "21.00", "500.00"},
                          Step{"?QUE:MAXPRICE", "61", "21.00", "61.00"},
                          Step{"?QUE:MAXPRICE", "20", "20.00", "20.00"},
                          Step{"?QUE:MINPRICE", "50", "50.00", "50.00"},
                          Step{"?QUE:MAXPRICE", "10", "10.00", "10.00"}}) {
        SCOPED_TRACE(std::string(s.use) + " " + s.typed);
        // One key at a time, each taken by the form before the next, then Tab out.
        const std::string_view typed = s.typed;
        ASSERT_TRUE(Type(form, s.use, typed.substr(0, 1), false));
        for (std::size_t i = 1; i < typed.size(); ++i)
            ASSERT_TRUE(KeysToFocus(form, typed.substr(i, 1)));
        ASSERT_TRUE(Key(form, s.use, ::Qt::Key_Tab));
        const auto shows = [&](const char* use, const QString& text) {
            return ShownText(form, use).value_or("").trimmed() == text;
        };
        EXPECT_TRUE(Eventually([&] {
            return shows("?QUE:MINPRICE", s.min) && shows("?QUE:MAXPRICE", s.max);
        })) << ShownText(form, "?QUE:MINPRICE").value_or("?").toStdString()
            << " / " << ShownText(form, "?QUE:MAXPRICE").value_or("?").toStdString();
    }
    ASSERT_TRUE(Click(form, "?CANCEL"));
    EXPECT_TRUE(WaitForClose(form));
}

// A header click sorts by its column, a second one the other way; numbers by their value.
TEST_F(QueryFormWindows, AHeaderSortsItsColumnNumbersAndFlagsByValue) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    // Seeded: Alpha rank 12, 3 ads, affiliate, free shipping; Beta 12 ads; Gamma rank 7, 2 ads,
    // affiliate; Delta free shipping; Epsilon nothing. Savings 30, 5, 0, -20 and 50 %.
    const QString a = "Alpha camera", b = "Beta camera", g = "Gamma camera", d = "Delta camera",
                  e = "Epsilon camera";
    // Rows that compare equal keep the order the list showed them in.
    struct Case {
        int column;
        std::vector<QString> ascending, descending;
    };
    const Case cases[] = {
        {column::kRank, {b, d, e, g, a}, {a, g, b, d, e}},
        {column::kTitle, {a, b, d, e, g}, {g, e, d, b, a}},
        {column::kAds, {e, d, g, a, b}, {b, a, g, e, d}},
        {column::kAffiliate, {b, e, d, a, g}, {a, g, b, e, d}},
        {column::kSaving, {d, g, b, a, e}, {e, a, b, g, d}},
        {column::kShipping, {e, b, g, a, d}, {a, d, e, b, g}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Headers(form, kList).at(static_cast<std::size_t>(c.column)).toStdString());
        ASSERT_TRUE(ClickHeader(form, kList, c.column));
        EXPECT_TRUE(Eventually([&] { return Titles(form) == c.ascending; }))
            << Titles(form).front().toStdString();
        if (c.column == column::kAffiliate) {
            EXPECT_TRUE(Shot(form, "query_form_sorted_aff"));
        }
        ASSERT_TRUE(ClickHeader(form, kList, c.column));
        EXPECT_TRUE(Eventually([&] { return Titles(form) == c.descending; }))
            << Titles(form).front().toStdString();
    }
    ASSERT_TRUE(Click(form, "?CANCEL"));
    EXPECT_TRUE(WaitForClose(form));
}

// Numbers and flags stand where the list's format puts them, the price columns under one
// common header, and the header shows which column sorts and which way.
TEST_F(QueryFormWindows, ColumnsAlignAsTheirFormatSaysUnderTheirHeadersAndTheSortShows) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    ASSERT_TRUE(ClickHeader(form, kList, column::kTitle));  // Alpha, Beta, Delta, Epsilon, Gamma
    ASSERT_TRUE(Eventually([&] { return Titles(form).back() == "Gamma camera"; }));
    // Gamma (not the current row): rank 7, affiliate, no list price, so "Save, %" 0.00.
    const int gamma = 4;
    enum class Side { Left, Center, Right };
    struct Case {
        int column;
        Side side;
    };
    for (const Case& c : {Case{column::kRank, Side::Right}, Case{column::kTitle, Side::Left},
                          Case{column::kAds, Side::Right}, Case{column::kAffiliate, Side::Center},
                          Case{7, Side::Right}, Case{column::kSaving, Side::Right}}) {
        SCOPED_TRACE(Headers(form, kList).at(static_cast<std::size_t>(c.column)).toStdString());
        const Ink ink = InkOf(form, kList, gamma, c.column);
        ASSERT_GE(ink.left, 0) << "the cell shows nothing";
        const int before = ink.left, after = ink.width - 1 - ink.right;
        switch (c.side) {
            case Side::Left:
                EXPECT_LT(before, after);
                EXPECT_LE(before, 8);
                break;
            case Side::Right:
                EXPECT_LT(after, before);
                EXPECT_LE(after, 8);
                break;
            case Side::Center:
                EXPECT_LE(std::abs(before - after), 2) << before << " | " << after;
                break;
        }
    }
    // "Prices" stands over List, Amazon and "Save, %", in a band above their own headers.
    WithWidget(form, kList, [&](QWidget* widget) {
        auto* list = qobject_cast<QTreeWidget*>(widget);
        auto* header = dynamic_cast<ui::qt::ListHeader*>(list->header());
        ASSERT_TRUE(header);
        const QRect prices = header->GroupRect("Prices");
        ASSERT_FALSE(prices.isEmpty());
        EXPECT_EQ(prices.left(), header->sectionViewportPosition(6));
        EXPECT_EQ(prices.right(), header->sectionViewportPosition(8) + header->sectionSize(8) - 1);
        EXPECT_LE(prices.bottom(), header->height() / 2);
        const QImage band = header->viewport()->grab(prices).toImage();
        auto inked = [](const QImage& image) {
            int dark = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qGray(image.pixel(x, y)) < 100) ++dark;
            return dark;
        };
        EXPECT_GT(inked(band), 10) << "no caption over the prices";
        EXPECT_EQ(header->Groups().at(column::kTitle), "");
    });
    // The sort column and its direction, as each click leaves them.
    auto sortShown = [&] {
        std::pair<int, Qt::SortOrder> shown{-1, Qt::AscendingOrder};
        WithWidget(form, kList, [&](QWidget* widget) {
            QHeaderView* header = qobject_cast<QTreeWidget*>(widget)->header();
            if (header->isSortIndicatorShown())
                shown = {header->sortIndicatorSection(), header->sortIndicatorOrder()};
        });
        return shown;
    };
    // A sort column's caption keeps its whole width: the arrow stands beside the caption where
    // the column has room (Title), above it where it has none (the narrow "Save, %", in the
    // lower band of its group). Caption: the column's own band, and where its text ends.
    struct Caption {
        QImage image;
        int textEnd = 0;
    };
    auto caption = [&](int column, bool grouped) {
        Caption c;
        WithWidget(form, kList, [&](QWidget* widget) {
            auto* header = qobject_cast<QTreeWidget*>(widget)->header();
            const int top = grouped ? header->height() / 2 : 0;
            const int width = header->sectionSize(column);
            c.image = header->viewport()
                          ->grab(QRect(header->sectionViewportPosition(column), top, width,
                                       header->height() - top))
                          .toImage();
            const QString text = header->model()->headerData(column, ::Qt::Horizontal).toString();
            c.textEnd = width / 2 + header->fontMetrics().horizontalAdvance(text) / 2 + 1;
        });
        return c;
    };
    auto dark = [](const QImage& image, QRect area) {
        int n = 0;
        area &= image.rect();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(image.pixel(x, y)) < 100) ++n;
        return n;
    };
    const Caption titleSorted = caption(column::kTitle, false);
    EXPECT_EQ(sortShown(), std::make_pair(column::kTitle, Qt::AscendingOrder));
    EXPECT_TRUE(Shot(form, "query_form_columns"));
    ASSERT_TRUE(ClickHeader(form, kList, column::kRank));
    EXPECT_TRUE(Eventually(
        [&] { return sortShown() == std::make_pair(column::kRank, Qt::AscendingOrder); }));
    const Caption title = caption(column::kTitle, false);
    ASSERT_EQ(titleSorted.image.size(), title.image.size());
    const QRect beside(title.textEnd, 0, title.image.width() - title.textEnd, title.image.height());
    EXPECT_EQ(dark(title.image, beside), 0);
    EXPECT_GT(dark(titleSorted.image, beside), 3) << "no arrow beside the caption";
    EXPECT_EQ(titleSorted.image.copy(0, 0, title.textEnd, title.image.height()),
              title.image.copy(0, 0, title.textEnd, title.image.height()))
        << "the arrow moved or cut the caption";
    ASSERT_TRUE(ClickHeader(form, kList, column::kRank));
    EXPECT_TRUE(Eventually(
        [&] { return sortShown() == std::make_pair(column::kRank, Qt::DescendingOrder); }));
    const int strip = 4;
    const Caption saving = caption(column::kSaving, true);
    ASSERT_TRUE(ClickHeader(form, kList, column::kSaving));
    EXPECT_TRUE(Eventually(
        [&] { return sortShown() == std::make_pair(column::kSaving, Qt::AscendingOrder); }));
    const Caption savingSorted = caption(column::kSaving, true);
    ASSERT_EQ(savingSorted.image.size(), saving.image.size());
    const QRect above(0, 0, saving.image.width(), strip);
    EXPECT_EQ(dark(saving.image, above), 0);
    EXPECT_GT(dark(savingSorted.image, above), 3) << "no arrow over the sort column";
    const int below = saving.image.height() - strip;
    EXPECT_EQ(savingSorted.image.copy(0, strip, saving.image.width(), below),
              saving.image.copy(0, strip, saving.image.width(), below))
        << "the arrow moved or cut the caption";
    EXPECT_TRUE(Shot(form, "query_form_sorted_saving"));
    ASSERT_TRUE(Click(form, "?CANCEL"));
    EXPECT_TRUE(WaitForClose(form));
}

// What the node picker's tree shows of one row: its name, whether it shows an expander and
// whether it is open.
struct TreeRow {
    QString name;
    bool expander = false;
    bool open = false;
    friend bool operator==(const TreeRow&, const TreeRow&) = default;
};
std::ostream& operator<<(std::ostream& out, const TreeRow& r) {
    return out << "{" << r.name.toStdString() << (r.expander ? " +" : "") << (r.open ? " open" : "")
               << "}";
}

class NodePickerWindows : public QueryFormWindows {
  protected:
    static constexpr std::string_view kTree = "?FILETREE";

    std::vector<TreeRow> Rows(ui::WindowId picker) {
        std::vector<TreeRow> rows;
        WithWidget(picker, kTree, [&](QWidget* widget) {
            auto* tree = qobject_cast<QTreeWidget*>(widget);
            if (!tree) return;
            for (QTreeWidgetItemIterator it(tree); *it; ++it) {
                const QTreeWidgetItem* item = *it;
                const bool expander = item->childCount() > 0 || item->childIndicatorPolicy() ==
                                                                    QTreeWidgetItem::ShowIndicator;
                rows.push_back(TreeRow{item->text(0), expander, item->isExpanded()});
            }
        });
        return rows;
    }
    bool Shows(ui::WindowId picker, const std::vector<TreeRow>& want) {
        const bool shown = Eventually([&] { return Rows(picker) == want; });
        if (!shown)
            for (const TreeRow& r : Rows(picker)) ADD_FAILURE() << "shows " << r;
        return shown;
    }
    // The point of a row's expander, left of the row's indented start.
    QPoint ExpanderOf(ui::WindowId picker, int row) {
        QPoint at;
        WithWidget(picker, kTree, [&](QWidget* widget) {
            auto* tree = qobject_cast<QTreeWidget*>(widget);
            int i = 0;
            for (QTreeWidgetItemIterator it(tree); *it; ++it, ++i)
                if (i == row) {
                    const QRect rect = tree->visualItemRect(*it);
                    at = QPoint(rect.left() - tree->indentation() / 2, rect.center().y());
                }
        });
        return at;
    }

    // The faults of the tree's look (see TreeLookFaults) and the height of its rows.
    std::pair<std::string, int> Look(ui::WindowId picker) {
        std::pair<std::string, int> look;
        Settle();
        WithWidget(picker, kTree, [&](QWidget* widget) {
            auto* tree = qobject_cast<QTreeWidget*>(widget);
            look = {TreeLookFaults(tree), CommonRowHeight(tree)};
        });
        return look;
    }

    // The user opens the window's menu with Alt+Minus from the entry that has the focus.
    bool OpenWindowMenu(ui::WindowId w) {
        if (!Key(w, "?QUE:NAME", ::Qt::Key_Minus, ::Qt::AltModifier)) return false;
        return Eventually([&] {
            bool shown = false;
            WithView(w, [&](ui::qt::WindowView& view) {
                shown = view.sub && view.sub->systemMenu() && view.sub->systemMenu()->isVisible();
            });
            return shown;
        });
    }
    // Clicks the item of the open window menu whose text, without its mnemonic, is text.
    bool ChooseFromWindowMenu(ui::WindowId w, const QString& text) {
        bool done = false;
        WithView(w, [&](ui::qt::WindowView& view) {
            QMenu* menu = view.sub ? view.sub->systemMenu() : nullptr;
            if (!menu) return;
            for (QAction* action : menu->actions())
                if (action->text().remove('&') == text) {
                    QTest::mouseClick(menu, ::Qt::LeftButton, {},
                                      menu->actionGeometry(action).center());
                    done = true;
                }
        });
        Settle();
        return done;
    }
    bool Maximised(ui::WindowId w) {
        bool maximised = false;
        WithView(w, [&](ui::qt::WindowView& view) { maximised = view.sub->isMaximized(); });
        return maximised;
    }
    QSize SizeOf(ui::WindowId w) {
        QSize size;
        WithView(w, [&](ui::qt::WindowView& view) { size = view.sub->size(); });
        return size;
    }

    ui::WindowId OpenPickerByButton(ui::WindowId form) {
        EXPECT_TRUE(Click(form, "?CALLLOOKUP"));
        const auto picker = WaitForWindow("SelectTreeA");
        EXPECT_TRUE(picker) << "the node picker did not open";
        return picker.value_or(0);
    }
};

const std::vector<TreeRow> kPickerOpen{{"AMAZON root", true, true},
                                       {"Amazon US (Amazon US)", true, true},
                                       {"Electronics (Electronics)", true, true},
                                       {"Cameras", false, false}};
const std::vector<TreeRow> kElectronicsClosed{{"AMAZON root", true, true},
                                              {"Amazon US (Amazon US)", true, true},
                                              {"Electronics (Electronics)", true, false}};

TEST_F(NodePickerWindows, TheLookupButtonsPickerOpensExpandedOnTheNodeAndItsKeysWorkTheTree) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    const ui::WindowId picker = OpenPickerByButton(form);
    ASSERT_NE(picker, 0u);
    EXPECT_EQ(Caption(picker), "AMAZON catalogs");
    // Only the query's store, and of it the branch of the query's catalog, fully open, on the
    // query's node.
    ASSERT_TRUE(Shows(picker, kPickerOpen));
    EXPECT_EQ(CurrentRow(picker, kTree), 3);
    EXPECT_EQ(Enabled(picker, "?SELECT"), true);
    EXPECT_EQ(Qt().WindowEnabled(form), false);
    EXPECT_TRUE(Shot(picker, "node_picker"));
    // The right button offers Select, Expand All and Contract All, each with its button's icon.
    ASSERT_TRUE(ClickAt(picker, kTree, CellPoint(picker, kTree, 3, 0), ::Qt::RightButton));
    EXPECT_EQ(PopupTexts(picker),
              (std::vector<QString>{"&Select", "-", "&Expand All", "&Contract All"}));
    ASSERT_TRUE(win::CurrentOwnerDrawMenus()) << "the frame's menu painter draws the menu";
    const auto icons = PopupIconPixels("node_picker_menu_icons");
    for (const char* item : {"&Select", "&Expand All", "&Contract All"})
        EXPECT_GT(icons.count(item) ? icons.at(item) : 0, 10) << item << " shows no icon";
    ClosePopup();
    Settle();
    // One column "Name", each entry's icon and name indented by its level.
    const auto opened = Look(picker);
    EXPECT_EQ(opened.first, "");

    // The keys: on Electronics, Left and keypad minus close it, Right and keypad plus open it,
    // each through the window.
    ASSERT_TRUE(ClickAt(picker, kTree, CellPoint(picker, kTree, 2, 0)));
    EXPECT_EQ(CurrentRow(picker, kTree), 2);
    ASSERT_TRUE(Key(picker, kTree, ::Qt::Key_Left));
    ASSERT_TRUE(Shows(picker, kElectronicsClosed));
    EXPECT_TRUE(Shot(picker, "node_picker_contracted"));
    ASSERT_TRUE(Key(picker, kTree, ::Qt::Key_Right));
    ASSERT_TRUE(Shows(picker, kPickerOpen));
    EXPECT_EQ(Look(picker), opened) << "the rows changed their look when opened by Right";
    ASSERT_TRUE(Key(picker, kTree, ::Qt::Key_Minus, ::Qt::KeypadModifier));
    ASSERT_TRUE(Shows(picker, kElectronicsClosed));
    ASSERT_TRUE(Key(picker, kTree, ::Qt::Key_Plus, ::Qt::KeypadModifier));
    ASSERT_TRUE(Shows(picker, kPickerOpen));
    EXPECT_EQ(Look(picker), opened) << "the rows changed their look when opened by keypad +";
    // And the expander, as a click.
    ASSERT_TRUE(ClickAt(picker, kTree, ExpanderOf(picker, 2)));
    ASSERT_TRUE(Shows(picker, kElectronicsClosed));
    ASSERT_TRUE(ClickAt(picker, kTree, ExpanderOf(picker, 2)));
    ASSERT_TRUE(Shows(picker, kPickerOpen));
    // A store's root is no node to choose.
    ASSERT_TRUE(ClickAt(picker, kTree, CellPoint(picker, kTree, 1, 0)));
    EXPECT_TRUE(Eventually([&] { return Enabled(picker, "?SELECT") == false; }));

    // Choosing Electronics fills the form's Node.
    ASSERT_TRUE(ClickAt(picker, kTree, CellPoint(picker, kTree, 2, 0)));
    EXPECT_TRUE(Eventually([&] { return Enabled(picker, "?SELECT") == true; }));
    ASSERT_TRUE(Click(picker, "?SELECT"));
    ASSERT_TRUE(WaitForClose(picker));
    EXPECT_TRUE(Eventually([&] {
        return ShownText(form, "?QUE:NODE").value_or("").trimmed() == "2" &&
               ShownText(form, "?NOD:NAME") == "Electronics";
    })) << ShownText(form, "?QUE:NODE").value_or("?").toStdString();
    EXPECT_EQ(Qt().WindowEnabled(form), true);
    EXPECT_TRUE(Shot(form, "node_picked"));

    // Closed without a choice, the picker leaves the node as it was.
    const ui::WindowId again = OpenPickerByButton(form);
    ASSERT_NE(again, 0u);
    EXPECT_TRUE(Eventually([&] { return CurrentRow(again, kTree) == 2; }));
    ASSERT_TRUE(Click(again, "?CANCELBUTTON"));
    ASSERT_TRUE(WaitForClose(again));
    EXPECT_EQ(ShownText(form, "?QUE:NODE").value_or("").trimmed(), "2");
    ASSERT_TRUE(Click(form, "?CANCEL"));
    EXPECT_TRUE(WaitForClose(form));
}

TEST_F(NodePickerWindows, TabbingIntoAnEmptyNodeOpensThePickerAndADoubleClickChooses) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    // The node cleared; leaving the entry with Tab opens nothing yet.
    ASSERT_TRUE(ClickAt(form, "?QUE:NODE", QPoint(5, 5)));
    ASSERT_TRUE(Type(form, "?QUE:NODE", "0"));
    EXPECT_TRUE(Eventually([&] { return ShownText(form, "?NOD:NAME") == ""; }));
    EXPECT_FALSE(Qt().WaitForWindow("SelectTreeA", 300ms));
    // Back into it with Shift+Tab: the empty node opens the picker at once.
    ASSERT_TRUE(Key(form, "", ::Qt::Key_Tab, ::Qt::ShiftModifier));
    const auto picker = WaitForWindow("SelectTreeA");
    ASSERT_TRUE(picker) << "tabbing into the empty node opened no picker; focus on "
                        << FocusedUse(form);
    // With no node the picker stands on the row after the root.
    ASSERT_TRUE(Shows(*picker, kPickerOpen));
    EXPECT_TRUE(Eventually([&] { return CurrentRow(*picker, kTree) == 1; }));
    EXPECT_TRUE(Shot(*picker, "node_picker_from_entry"));
    ASSERT_TRUE(DoubleClick(*picker, kTree, CellPoint(*picker, kTree, 3, 0)));  // Cameras
    ASSERT_TRUE(WaitForClose(*picker));
    EXPECT_TRUE(Eventually([&] {
        return ShownText(form, "?QUE:NODE").value_or("").trimmed() == "3" &&
               ShownText(form, "?NOD:NAME") == "Cameras";
    })) << ShownText(form, "?QUE:NODE").value_or("?").toStdString();

    // Left without a choice, the picker gives the focus back to the empty entry and does not
    // open again at once.
    ASSERT_TRUE(Type(form, "?QUE:NODE", "0"));
    ASSERT_TRUE(Key(form, "", ::Qt::Key_Tab, ::Qt::ShiftModifier));
    const auto second = WaitForWindow("SelectTreeA");
    ASSERT_TRUE(second);
    ASSERT_TRUE(Click(*second, "?CANCELBUTTON"));
    ASSERT_TRUE(WaitForClose(*second));
    EXPECT_TRUE(Eventually([&] { return FocusInWindow(form) == "?QUE:NODE"; }))
        << FocusInWindow(form);
    EXPECT_FALSE(Qt().WaitForWindow("SelectTreeA", 500ms));
    ASSERT_TRUE(Click(form, "?CANCEL"));
    EXPECT_TRUE(WaitForClose(form));
}

TEST_F(NodePickerWindows, EnterInTheTreePressesSelectAndAltMinusOpensTheWindowMenu) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    const ui::WindowId picker = OpenPickerByButton(form);
    ASSERT_NE(picker, 0u);
    ASSERT_TRUE(Shows(picker, kPickerOpen));
    // On a store's root there is no node to choose: Enter leaves the picker open.
    ASSERT_TRUE(ClickAt(picker, kTree, CellPoint(picker, kTree, 1, 0)));
    ASSERT_TRUE(Eventually([&] { return Enabled(picker, "?SELECT") == false; }));
    ASSERT_TRUE(Key(picker, kTree, ::Qt::Key_Return));
    EXPECT_FALSE(Qt().WaitForClose(picker, 300ms));
    // On Electronics "Select" is the default button, and Enter in the tree presses it.
    ASSERT_TRUE(ClickAt(picker, kTree, CellPoint(picker, kTree, 2, 0)));
    ASSERT_TRUE(Eventually([&] { return Enabled(picker, "?SELECT") == true; }));
    bool isDefault = false;
    WithWidget(picker, "?SELECT", [&](QWidget* w) {
        const auto* button = qobject_cast<QPushButton*>(w);
        isDefault = button && button->isDefault();
    });
    EXPECT_TRUE(isDefault);
    EXPECT_TRUE(Shot(picker, "node_picker_default_select"));
    ASSERT_TRUE(Key(picker, kTree, ::Qt::Key_Return));
    ASSERT_TRUE(WaitForClose(picker));
    EXPECT_TRUE(Eventually([&] {
        return ShownText(form, "?QUE:NODE").value_or("").trimmed() == "2" &&
               ShownText(form, "?NOD:NAME") == "Electronics";
    })) << ShownText(form, "?QUE:NODE").value_or("?").toStdString();

    // Alt+Minus opens the form's window menu, also from an entry that takes a minus itself.
    const auto name = ShownText(form, "?QUE:NAME");
    ASSERT_TRUE(OpenWindowMenu(form)) << "Alt+Minus opened no window menu";
    EXPECT_EQ(ShownText(form, "?QUE:NAME"), name);
    WithView(form, [](ui::qt::WindowView& view) {
        QTest::keyClick(view.sub->systemMenu(), ::Qt::Key_Escape);
    });
    ASSERT_TRUE(Click(form, "?CANCEL"));
    EXPECT_TRUE(WaitForClose(form));
}

TEST_F(NodePickerWindows, AMaximisedFormStaysSoAndAWindowOverItOpensAtItsOwnSize) {
    const ui::WindowId form = OpenForm();
    ASSERT_NE(form, 0u);
    const ui::WindowId first = OpenPickerByButton(form);
    ASSERT_NE(first, 0u);
    Settle();
    const QSize pickerSize = SizeOf(first);
    ASSERT_TRUE(Click(first, "?CANCELBUTTON"));
    ASSERT_TRUE(WaitForClose(first));

    // The user maximises the form from its window menu.
    ASSERT_TRUE(OpenWindowMenu(form));
    ASSERT_TRUE(ChooseFromWindowMenu(form, "Maximize"));
    ASSERT_TRUE(Eventually([&] { return Maximised(form); }));

    const ui::WindowId picker = OpenPickerByButton(form);
    ASSERT_NE(picker, 0u);
    ASSERT_TRUE(Shows(picker, kPickerOpen));
    EXPECT_FALSE(Maximised(picker));
    EXPECT_EQ(SizeOf(picker), pickerSize);
    EXPECT_TRUE(Maximised(form));
    EXPECT_TRUE(Shot(frame, "picker_over_maximised_form"));
    ASSERT_TRUE(Click(picker, "?CANCELBUTTON"));
    ASSERT_TRUE(WaitForClose(picker));
    Settle();
    EXPECT_TRUE(Maximised(form)) << "the form came back in normal size";
    EXPECT_TRUE(Shot(frame, "maximised_form_after_picker"));

    // It is kept maximised when it closes.
    ASSERT_TRUE(Click(form, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(form));
    const auto kept = ui::IniManager::Global().FetchWindow("UpdateQueriesA");
    ASSERT_TRUE(kept);
    EXPECT_TRUE(kept->maximized);
}

}  // namespace
}  // namespace zem::test
