// The campaign window on the Qt display, A and J variants, reached as a user reaches it: the
// query list, Change on a query, Tag cells of the item list clicked, then "&Campaign". The name
// is typed with key presses, the texts are read as the window shows them, and Copy is checked
// on the desktop's clipboard.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QRegularExpression>
#include <QStringList>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/ui/qt/window_view.h"
#include "program_windows.h"
#include "research/queryform/query_item_list.h"
#include "research/queryform/queryform_fixture.h"

namespace zem::test {
namespace {

using data::TableId;

// One variant: the windows' procedure names end in its letter.
struct Variant {
    const char* letter;
    bool japanese;
};

// "ロボット セット" and "春のセール" in Shift-JIS, as the store keeps them.
constexpr const char* kRobotSetSjis =
    "\x83\x8D\x83{\x83"
    "b\x83g \x83Z\x83"
    "b\x83g";
const QString kRobotSet = QString::fromUtf8("\u30ED\u30DC\u30C3\u30C8 \u30BB\u30C3\u30C8");
const QString kSpringSale = QString::fromUtf8("\u6625\u306E\u30BB\u30FC\u30EB");

// The fields of each line of a campaign text, as the window shows it (one line a row) or as
// the clipboard holds it (CR LF between lines).
std::vector<QStringList> Lines(const QString& text) {
    std::vector<QStringList> lines;
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r?\n"))))
        lines.push_back(line.split(QLatin1Char('\t')));
    return lines;
}

std::string Printed(const std::optional<QString>& text) {
    return text ? text->toStdString() : std::string("(no such control)");
}

class CampaignWindows : public ProgramWindowsTest {
  protected:
    // The query form's seed; for the J variant Amazon JP is the only active store (the program
    // starts in Japanese mode), the query is one of Amazon JP and its first item has Japanese
    // keywords.
    void SeedAndStart(const Variant& v) {
        Seed([&] {
            QueryFormTest::Seed();
            if (!v.japanese) return;
            for (const std::int32_t id : {1, 2, 4, 8, 16, 32})
                QueryFormTest::SetSiteActive(id, id == 16);
            data::Dictionary& d = data::Dict();
            d.QUE.ID = kQuery;
            ASSERT_EQ(data::Access(TableId::Queries).Fetch(data::QUE_KeyId), ui::Benign);
            d.QUE.SITE = 16;
            d.QUE.CATALOG = 0;
            d.QUE.NODE = 0;
            ASSERT_EQ(data::Access(TableId::Queries).Update(), ui::Benign);
            d.GOO.ID = 101;
            ASSERT_EQ(data::Access(TableId::Goods).Fetch(data::GOO_KeyId), ui::Benign);
            data::SetCString(d.GOO.KEYWORDS, kRobotSetSjis);
            ASSERT_EQ(data::Access(TableId::Goods).Update(), ui::Benign);
        });
        StartProgram();
        // The splash, once closed, opens a new query's form; while it is open the query list
        // opens no other form. The user cancels it.
        const auto newQuery = WaitForWindow(Name(v, "UpdateQueries"));
        ASSERT_TRUE(newQuery) << "no new query's form after the splash";
        ASSERT_TRUE(Click(*newQuery, "?CANCEL"));
        ASSERT_TRUE(WaitForClose(*newQuery));
    }

    std::string Name(const Variant& v, const char* procedure) {
        return std::string(procedure) + v.letter;
    }

    static QTreeWidget* Tree(QWidget* widget) { return qobject_cast<QTreeWidget*>(widget); }

    // The row (from 0) whose cell shows text, in any column; -1 when none does.
    int RowShowing(ui::WindowId w, std::string_view use, const QString& text) {
        int found = -1;
        WithWidget(w, use, [&](QWidget* widget) {
            QTreeWidget* list = Tree(widget);
            if (!list) return;
            for (int r = 0; r < list->topLevelItemCount() && found < 0; ++r)
                for (int c = 0; c < list->columnCount(); ++c)
                    if (list->topLevelItem(r)->text(c) == text) found = r;
        });
        return found;
    }

    // The middle of row r's cell in column c, in the list's viewport.
    QPoint CellPoint(ui::WindowId w, std::string_view use, int r, int c) {
        QPoint at(-1, -1);
        WithWidget(w, use, [&](QWidget* widget) {
            QTreeWidget* list = Tree(widget);
            if (!list || r >= list->topLevelItemCount()) return;
            const QRect row = list->visualItemRect(list->topLevelItem(r));
            at = QPoint(
                list->header()->sectionViewportPosition(c) + list->header()->sectionSize(c) / 2,
                row.center().y());
        });
        return at;
    }

    // The query form of "Cameras", through the query list's Change button.
    ui::WindowId OpenQueryForm(const Variant& v) {
        EXPECT_TRUE(Click(frame, "?MENU5ITEM17"));  // "&Queries"
        const auto list = WaitForWindow(Name(v, "BrowseQueries"));
        if (!list) {
            ADD_FAILURE() << "the query list did not open";
            return 0;
        }
        queryList_ = *list;
        int row = -1;
        EXPECT_TRUE(Eventually([&] {
            row = RowShowing(*list, "?BROWSE:1", QStringLiteral("Cameras"));
            return row >= 0;
        }));
        if (row < 0) return 0;
        EXPECT_TRUE(ClickAt(*list, "?BROWSE:1", CellPoint(*list, "?BROWSE:1", row, 0)));
        EXPECT_TRUE(Click(*list, "?CHANGE:4"));
        const auto form = WaitForWindow(Name(v, "UpdateQueries"));
        if (!form) {
            ADD_FAILURE() << "the query form did not open";
            return 0;
        }
        EXPECT_TRUE(Eventually([&] { return ItemRows(*form) == 5; }))
            << "the item list shows " << ItemRows(*form) << " rows";
        return *form;
    }

    int ItemRows(ui::WindowId form) {
        int rows = -1;
        WithWidget(form, "?LIST", [&](QWidget* widget) {
            if (QTreeWidget* list = Tree(widget)) rows = list->topLevelItemCount();
        });
        return rows;
    }

    // A click on the Tag cell of the item whose title the list shows.
    bool TagItem(ui::WindowId form, const char* title) {
        const int row = RowShowing(form, "?LIST", QString::fromUtf8(title));
        if (row < 0) {
            ADD_FAILURE() << "the item list does not show " << title;
            return false;
        }
        return ClickAt(form, "?LIST", CellPoint(form, "?LIST", row, research::item_cell::kTag - 1));
    }

    QString Clipboard(ui::WindowId w) {
        QString text;
        WithView(w, [&](ui::qt::WindowView&) { text = QGuiApplication::clipboard()->text(); });
        return text;
    }

    // Copy puts what the text shows on the clipboard, its lines separated by CR LF.
    bool CopiesShown(ui::WindowId w, std::string_view button, std::string_view text) {
        CopyElsewhere(w, QStringLiteral("something else"));
        if (!Click(w, button)) return false;
        const auto shown = ShownText(w, text);
        if (!shown) return false;
        const bool copied = Eventually([&] { return Lines(Clipboard(w)) == Lines(*shown); });
        if (!copied)
            ADD_FAILURE() << button << " copied \"" << Clipboard(w).toStdString()
                          << "\", the text shows \"" << shown->toStdString() << "\"";
        const auto lines = Lines(*shown).size();
        EXPECT_EQ(Clipboard(w).count(QStringLiteral("\r\n")), lines > 0 ? lines - 1 : 0);
        return copied;
    }

    // Another program's copy.
    void CopyElsewhere(ui::WindowId w, const QString& text) {
        WithView(w, [&](ui::qt::WindowView&) { QGuiApplication::clipboard()->setText(text); });
    }

    // Waits until the text's lines hold what check wants of them.
    bool TextShows(ui::WindowId w, std::string_view use,
                   const std::function<bool(const std::vector<QStringList>&)>& check) {
        const bool shown = Eventually([&] {
            const auto text = ShownText(w, use);
            return text && check(Lines(*text));
        });
        if (!shown) ADD_FAILURE() << use << " shows \"" << Printed(ShownText(w, use)) << "\"";
        return shown;
    }

    // Every line starts with the name.
    bool AllNamed(ui::WindowId w, std::string_view use, const QString& name, std::size_t count) {
        return TextShows(w, use, [&](const std::vector<QStringList>& lines) {
            if (lines.size() != count) return false;
            for (const QStringList& fields : lines)
                if (fields.empty() || fields[0] != name) return false;
            return true;
        });
    }

    // Closes the campaign window and the query form and list behind it.
    void CloseAll(ui::WindowId campaign, ui::WindowId form) {
        ASSERT_TRUE(Click(campaign, "?CANCEL"));
        ASSERT_TRUE(WaitForClose(campaign));
        ASSERT_TRUE(Click(form, "?CANCEL"));
        ASSERT_TRUE(WaitForClose(form));
        ASSERT_TRUE(Click(queryList_, "?CLOSE"));
        ASSERT_TRUE(WaitForClose(queryList_));
        EXPECT_EQ(Quit(), 0);
    }

    ui::WindowId queryList_ = 0;
};

TEST_F(CampaignWindows, TheAVariantBuildsWhileTheUserTypesAndCopiesWhatItShows) {
    const Variant v{"A", false};
    ASSERT_NO_FATAL_FAILURE(SeedAndStart(v));
    const ui::WindowId form = OpenQueryForm(v);
    ASSERT_NE(form, 0);
    // "&Campaign" waits for a tagged item.
    EXPECT_EQ(Enabled(form, "?CREATECAMPAIGN"), false);
    ASSERT_TRUE(TagItem(form, "Alpha camera"));
    ASSERT_TRUE(TagItem(form, "Epsilon camera"));
    EXPECT_TRUE(Eventually([&] { return Enabled(form, "?CREATECAMPAIGN") == true; }));
    EXPECT_TRUE(Shot(form, "campaign_query_form_a"));
    ASSERT_TRUE(Click(form, "?CREATECAMPAIGN"));
    const auto campaign = WaitForWindow("CreateCompaignA");
    ASSERT_TRUE(campaign);
    const ui::WindowId w = *campaign;

    // One text ad per tagged item; no keyword line without a match option.
    ASSERT_TRUE(TextShows(w, "?SSTR", [](const std::vector<QStringList>& lines) {
        return lines.size() == 2 && lines[0].size() == 7 && lines[0][1] == "Alpha camera deals" &&
               lines[1][1] == "Epsilon camera deals";
    }));
    EXPECT_EQ(ShownText(w, "?FSTR"), QString());
    const QStringList first = Lines(*ShownText(w, "?SSTR"))[0];
    EXPECT_EQ(first.mid(0, 6),
              (QStringList{"", "Alpha camera deals", "Alpha camera deals",
                           "Save 30.00 % on Alpha camera deals today.",
                           "Only $70.00 at Amazon. Order now!", "www.amazon.com"}));
    EXPECT_TRUE(first[6].startsWith("http://www.amazon.com/exec/obidos/ASIN/B000000101/"))
        << first[6].toStdString();

    // Each key press rebuilds both texts with the name as it stands.
    ASSERT_TRUE(Type(w, "?COMPAGNNAME", "Spr", false));
    EXPECT_TRUE(AllNamed(w, "?SSTR", "Spr", 2));
    ASSERT_TRUE(KeysToFocus(w, "ing"));
    EXPECT_TRUE(AllNamed(w, "?SSTR", "Spring", 2));
    ASSERT_TRUE(Key(w, "", ::Qt::Key_Tab));

    // Broad: the three call-to-action lines of the store for each item.
    ASSERT_TRUE(Click(w, "?BROAD"));
    ASSERT_TRUE(AllNamed(w, "?FSTR", "Spring", 6));
    const QStringList keyword = Lines(*ShownText(w, "?FSTR"))[0];
    EXPECT_EQ(keyword,
              (QStringList{"Spring", "Alpha camera deals",
                           "Buy Alpha camera deals now and save 30.00 %", "broad", "0,00"}));
    EXPECT_TRUE(Shot(w, "campaign_a"));

    EXPECT_TRUE(CopiesShown(w, "?COPY", "?FSTR"));
    EXPECT_TRUE(CopiesShown(w, "?COPY:2", "?SSTR"));
    CloseAll(w, form);
}

TEST_F(CampaignWindows, TheJVariantShowsCopiesAndPastesJapanese) {
    const Variant v{"J", true};
    ASSERT_NO_FATAL_FAILURE(SeedAndStart(v));
    const ui::WindowId form = OpenQueryForm(v);
    ASSERT_NE(form, 0);
    ASSERT_TRUE(TagItem(form, "Alpha camera"));
    EXPECT_TRUE(Eventually([&] { return Enabled(form, "?CREATECAMPAIGN") == true; }));
    EXPECT_TRUE(Shot(form, "campaign_query_form_j"));
    ASSERT_TRUE(Click(form, "?CREATECAMPAIGN"));
    const auto campaign = WaitForWindow("CreateCompaignJ");
    ASSERT_TRUE(campaign);
    const ui::WindowId w = *campaign;

    // The keywords decoded as Shift-JIS; the yen is the full-width one.
    ASSERT_TRUE(TextShows(w, "?SSTR", [](const std::vector<QStringList>& lines) {
        return lines.size() == 1 && lines[0].size() == 7 && lines[0][1] == kRobotSet;
    }));
    EXPECT_EQ(
        Lines(*ShownText(w, "?SSTR"))[0].mid(0, 6),
        (QStringList{"", kRobotSet, kRobotSet, "Save 30.00 % on " + kRobotSet + " today.",
                     QString::fromUtf8("Only \uFFE570.00 at Amazon.co.jp."), "www.amazon.co.jp"}));

    // A Japanese name typed key by key.
    const QString name = QString::fromUtf8("JP\u6625");  // "JP春"
    ASSERT_TRUE(Type(w, "?COMPAGNNAME", name.toStdString(), false));
    EXPECT_TRUE(AllNamed(w, "?SSTR", name, 1));
    ASSERT_TRUE(Key(w, "", ::Qt::Key_Tab));
    ASSERT_TRUE(Click(w, "?EXACT"));
    ASSERT_TRUE(AllNamed(w, "?FSTR", name, 2));
    const std::vector<QStringList> keywordLines = Lines(*ShownText(w, "?FSTR"));
    EXPECT_EQ(keywordLines[0],
              (QStringList{name, kRobotSet, "Buy " + kRobotSet + " now and save 30.00 %", "exact",
                           "0,00"}));
    EXPECT_EQ(keywordLines[1][2], QString::fromUtf8("Only \uFFE570.00 - you save \uFFE530.00"));
    EXPECT_TRUE(Shot(w, "campaign_j"));

    // Copy: the desktop gets the Japanese the window shows, not Shift-JIS bytes read as 1252.
    EXPECT_TRUE(CopiesShown(w, "?COPY:2", "?SSTR"));
    EXPECT_TRUE(Clipboard(w).startsWith(name + "\t" + kRobotSet + "\t" + kRobotSet + "\t"))
        << Clipboard(w).toStdString();
    EXPECT_TRUE(CopiesShown(w, "?COPY", "?FSTR"));
    EXPECT_TRUE(Clipboard(w).contains(QString::fromUtf8("\uFFE530.00\texact\t0,00")))
        << Clipboard(w).toStdString();

    // Paste: Japanese another program copied becomes the name, in the window's character set.
    CopyElsewhere(w, kSpringSale);
    ASSERT_TRUE(Type(w, "?COMPAGNNAME", "", false));
    ASSERT_TRUE(Key(w, "?COMPAGNNAME", ::Qt::Key_V, ::Qt::ControlModifier));
    EXPECT_TRUE(AllNamed(w, "?SSTR", kSpringSale, 1));
    EXPECT_TRUE(AllNamed(w, "?FSTR", kSpringSale, 2));
    CloseAll(w, form);
}

}  // namespace
}  // namespace zem::test
