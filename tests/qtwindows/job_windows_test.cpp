// The three long jobs on the Qt display, started as a user starts them: the item-list loader and
// the competition check from the query form's buttons, the catalog updater from the catalog
// tree's Update button. Each runs against the service simulator, set up as the proxy, with the
// window's own timer; what the progress window shows is read from its widgets while it runs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QProgressBar>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "browse_tree.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "item_catalog.h"
#include "platform/runtime/pictures.h"
#include "platform/store/errors.h"
#include "platform/ui/qt/resource_images.h"
#include "platform/ui/qt/window_view.h"
#include "program_windows.h"
#include "research/jobs/service_request.h"
#include "research/queryform/queryform_fixture.h"
#include "result_page.h"
#include "web/browse_node_loader.h"
#include "web/stores.h"

namespace zem::test {
namespace {

// A job and what follows it may take long on a loaded machine; every wait still ends.
constexpr std::chrono::milliseconds kJobWait = 120s;

constexpr sim::TreeShape kShape{.depth = 3, .fanout = 2};
// Search indexes are asked for, their children are not: one request per index.
constexpr int kCatalogLevel = 2;

// The query form's item list columns, from 0.
constexpr int kTagColumn = research::item_cell::kTag - 1;
constexpr int kTitleColumn = research::item_cell::kTitle - 1;
constexpr int kAdsColumn = research::item_cell::kAds - 1;

// What a progress window shows, read from its widgets in one go.
struct ProgressLook {
    std::string caption;
    std::string tab;
    std::string percent;
    std::string totalLabel, total;
    std::string loadedLabel, loaded;
    int bar = -1;
    bool cancel = false;
    friend bool operator==(const ProgressLook&, const ProgressLook&) = default;
};

std::ostream& operator<<(std::ostream& out, const ProgressLook& p) {
    return out << "{" << p.caption << " | " << p.tab << " | " << p.percent << " bar " << p.bar
               << " | " << p.totalLabel << " " << p.total << " | " << p.loadedLabel << " "
               << p.loaded << (p.cancel ? " | Cancel" : " | no Cancel") << "}";
}

// A job window as it opens: its caption, one tab, what its two counters count, Cancel offered.
void ExpectOpeningLook(const ProgressLook& look, const std::string& caption,
                       const std::string& counted) {
    EXPECT_EQ(look.caption, caption);
    EXPECT_EQ(look.tab, "1) Progress");
    EXPECT_EQ(look.totalLabel, "Total " + counted + ":");
    EXPECT_EQ(look.loadedLabel, "Loaded " + counted + ":");
    EXPECT_TRUE(look.cancel);
}

// The percent text for the counters, as the window's picture writes it.
std::string PercentOf(double loaded, double total) {
    const double percent = total != 0 ? loaded * 100 / total : 0;
    return runtime::Trimmed(runtime::FormatNumber(percent, "N8.2~ %~"));
}

std::string Describe(const std::map<QString, QString>& cells) {
    std::string out;
    for (const auto& [key, value] : cells)
        out += key.toStdString() + ": " + value.toStdString() + "; ";
    return out;
}

// A message box showing now, as the user reads it.
struct BoxLook {
    std::string caption;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<std::string> buttons;
};

// How many items of each page the loader stores (those with a new price) and how many of them
// the form keeps with its minimum saving of 0 (no list price, or a price not above it).
struct PageYield {
    std::vector<int> stored;
    int kept = 0;
};
PageYield YieldOf(const std::string& keywords) {
    const sim::ItemQuery query = SimQuery(keywords);
    PageYield yield;
    const int pages = sim::TotalPagesOf(sim::TotalResultsOf(kFormSeed, query));
    for (int page = 1; page <= pages; ++page) {
        int stored = 0;
        for (const sim::Item& item : sim::ItemsOfPage(kFormSeed, query, page)) {
            if (!item.lowestNewPrice) continue;
            ++stored;
            if (!item.listPrice || *item.lowestNewPrice <= *item.listPrice) ++yield.kept;
        }
        yield.stored.push_back(stored);
    }
    return yield;
}

// How many ordinary results of the simulator's page for the keywords, searched as a phrase in
// the US, lead elsewhere than the store: what the check stores as the item's ads.
int CompetitorsOf(const std::string& keywords) {
    const web::StoreInfo* store = web::StoreBySite(kUs);
    const sim::ResultPageFacts facts =
        sim::DrawResultPage(kFormSeed, *store, store->searchHost, "\"" + keywords + "\"").facts;
    return static_cast<int>(std::count(facts.linkIsStore.begin(), facts.linkIsStore.end(), false));
}

// The seeded items carry this many ads: no result page gives it, so a row the check reached
// shows it no longer.
constexpr std::int32_t kUncheckedAds = 99;

// A stored Goods row of the query.
struct StoredGoods {
    std::int32_t id = 0;
    std::int32_t ads = 0;
    std::string keywords;
};

class JobWindows : public ProgramWindowsTest {
  protected:
    // The query form's query, its items and the catalog tree in a fresh data file, the
    // configuration with the simulator as the proxy and the catalog level, then the program.
    void Begin(sim::ContentSettings settings = {.seed = kFormSeed, .tree = kShape},
               const std::function<void()>& more = {}) {
        const std::string proxy = StartSimulator(std::move(settings));
        Seed([&] {
            QueryFormTest::Seed();
            data::TableManager& sysinfo = data::Access(data::TableId::Sysinfo);
            ASSERT_EQ(sysinfo.PrimeRecord(), ui::Benign);
            data::SysinfoRecord& sys = data::Dict().SYS;
            sys.USERAGENT = 1;
            sys.MANUAL = 1;
            data::SetCString(sys.PROXY, proxy);
            sys.CATALOGLEVEL = kCatalogLevel;
            ASSERT_EQ(sysinfo.Insert(), ui::Benign);
            if (more) more();
        });
        StartProgram();
        // The splash's closing opens a new query's form; the jobs start from windows that
        // want no other open.
        const auto newQuery = WaitForWindow("UpdateQueriesA");
        ASSERT_TRUE(newQuery);
        ASSERT_TRUE(Click(*newQuery, "?CANCEL"));
        ASSERT_TRUE(WaitForClose(*newQuery));
    }

    // A message box a failed test left open would hold its window, and the program, open.
    void TearDown() override {
        for (int round = 0; round < 5 && !NoBoxShown(); ++round) {
            const std::optional<BoxLook> box = ShownBox();
            if (box && !box->buttons.empty()) ClickBox(box->buttons.front());
        }
        ProgramWindowsTest::TearDown();
    }

    // After Quit: reads the data file through a dictionary of this thread's own.
    void Read(const std::function<void()>& body) { Seed(body); }

    static void SetKeywords(const std::string& keywords) {
        data::Dict().QUE.ID = kQuery;
        data::TableManager& queries = data::Access(data::TableId::Queries);
        ASSERT_EQ(queries.Fetch(data::QUE_KeyId), ui::Benign);
        data::SetCString(data::Dict().QUE.KEYWORDS, keywords);
        ASSERT_EQ(queries.Update(), ui::Benign);
    }

    static std::vector<StoredGoods> StoredGoodsOf(std::int32_t query) {
        std::vector<StoredGoods> rows;
        data::TableManager& goods = data::Access(data::TableId::Goods);
        EXPECT_EQ(goods.UseFile(), ui::Benign);
        EXPECT_EQ(goods.File().Set(data::GOO_KeyId), store::NoError);
        while (goods.TryNext() == ui::Benign) {
            const data::GoodsRecord& row = data::Dict().GOO;
            if (row.QUERY == query)
                rows.push_back({row.ID, row.ADS, std::string(data::CStringOf(row.KEYWORDS))});
        }
        return rows;
    }

    // Waits for test as long as limit.
    static bool Within(std::chrono::milliseconds limit, const std::function<bool()>& test) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!test()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }

    // --- Opening the windows the jobs start from. ---

    // A job's window takes its time to open on a loaded machine: it reads its tables first.
    std::optional<ui::WindowId> WaitForJob(std::string_view procedure) {
        return Qt().WaitForWindow(procedure, kJobWait);
    }

    ui::WindowId OpenQueryForm() {
        EXPECT_TRUE(Click(frame, "?MENU5ITEM17"));  // "&Queries"
        const auto list = WaitForWindow("BrowseQueriesA");
        EXPECT_TRUE(list);
        if (!list) return 0;
        queryList_ = *list;
        EXPECT_TRUE(Eventually([&] { return RowOf(*list, "?BROWSE:1", "Cameras") >= 0; }));
        EXPECT_TRUE(ClickAt(*list, "?BROWSE:1",
                            CellCenter(*list, "?BROWSE:1", RowOf(*list, "?BROWSE:1", "Cameras"),
                                       ColumnOf(*list, "?BROWSE:1", "Cameras"))));
        EXPECT_TRUE(Click(*list, "?CHANGE:4"));
        const auto form = WaitForWindow("UpdateQueriesA");
        EXPECT_TRUE(form) << "the query form did not open";
        return form.value_or(0);
    }

    // Closes the catalog tree and the program; the data file holds the seeded catalogs still.
    void CloseTreeKeepingTheSeed(ui::WindowId tree);

    ui::WindowId OpenTree() {
        EXPECT_TRUE(Click(frame, "?MENU5ITEM16"));  // "&Catalogs tree"
        const auto tree = WaitForWindow("BrowseTreeA");
        EXPECT_TRUE(tree);
        return tree.value_or(0);
    }

    // --- Lists. ---

    // Every row's text in a column, in display order (trees: every listed row).
    std::vector<QString> Column(ui::WindowId w, std::string_view use, int column) {
        std::vector<QString> texts;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list) return;
            for (QTreeWidgetItemIterator it(list); *it; ++it) texts.push_back((*it)->text(column));
        });
        return texts;
    }
    int RowCount(ui::WindowId w, std::string_view use) {
        return static_cast<int>(Column(w, use, 0).size());
    }
    // The first row showing text in any column; -1 when none does.
    int RowOf(ui::WindowId w, std::string_view use, const QString& text) {
        int found = -1;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list) return;
            int row = 0;
            for (QTreeWidgetItemIterator it(list); *it && found < 0; ++it, ++row)
                for (int c = 0; c < list->columnCount(); ++c)
                    if ((*it)->text(c) == text) found = row;
        });
        return found;
    }
    int ColumnOf(ui::WindowId w, std::string_view use, const QString& text) {
        int found = 0;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list) return;
            for (QTreeWidgetItemIterator it(list); *it; ++it)
                for (int c = 0; c < list->columnCount(); ++c)
                    if ((*it)->text(c) == text) {
                        found = c;
                        return;
                    }
        });
        return found;
    }
    // Where a cell shows, in the list's viewport; the list scrolls to it first.
    QPoint CellCenter(ui::WindowId w, std::string_view use, int row, int column) {
        QPoint at;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list) return;
            int r = 0;
            for (QTreeWidgetItemIterator it(list); *it; ++it, ++r)
                if (r == row) {
                    list->scrollToItem(*it);
                    const QRect rect = list->visualItemRect(*it);
                    at = QPoint(list->header()->sectionViewportPosition(column) +
                                    list->header()->sectionSize(column) / 2,
                                rect.center().y());
                }
        });
        return at;
    }

    // --- The progress window. ---

    std::optional<ProgressLook> Progress(ui::WindowId job) {
        std::optional<ProgressLook> look;
        WithView(job, [&](ui::qt::WindowView& view) {
            ProgressLook p;
            if (view.top) p.caption = view.top->windowTitle().toStdString();
            const auto text = [&](std::string_view use) {
                ui::qt::ControlView* c = ControlOf(view, use);
                return c ? ui::qt::ShownText(view, *c).value_or(QString()).toStdString()
                         : std::string();
            };
            p.tab = text("?TAB1");
            p.percent = text("?PERCENTS:2");
            p.totalLabel = text("?STRING3:2");
            p.total = text("?B");
            p.loadedLabel = text("?STRING3");
            p.loaded = text("?A");
            if (ui::qt::ControlView* bar = ControlOf(view, "?PERCENTS"))
                if (auto* widget = qobject_cast<QProgressBar*>(bar->widget.data()))
                    p.bar = widget->value();
            if (ui::qt::ControlView* cancel = ControlOf(view, "?CANCEL"))
                p.cancel = cancel->widget && cancel->widget->isVisible() &&
                           cancel->widget->isEnabled() && ui::qt::Usable(view, *cancel);
            look = p;
        });
        return look;
    }
    // The window's look once it holds still for a while: the counters of one step are shown
    // one control after the other.
    std::optional<ProgressLook> SteadyProgress(ui::WindowId job) {
        std::optional<ProgressLook> before = Progress(job);
        const auto end = std::chrono::steady_clock::now() + kWindowWait;
        while (before && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(150ms);
            const std::optional<ProgressLook> now = Progress(job);
            if (now == before) return now;
            before = now;
        }
        return std::nullopt;
    }
    // What the window shows is one consistent state: the bar and percent follow the counters.
    static void ExpectConsistent(const ProgressLook& p) {
        bool numbers = false;
        const double loaded = QString::fromStdString(p.loaded).toDouble(&numbers);
        EXPECT_TRUE(numbers) << p;
        const double total = QString::fromStdString(p.total).toDouble(&numbers);
        EXPECT_TRUE(numbers) << p;
        EXPECT_LE(loaded, total) << p;
        EXPECT_EQ(p.percent, PercentOf(loaded, total)) << p;
        EXPECT_EQ(p.bar, total != 0 ? static_cast<int>(loaded * 100 / total) : 0) << p;
    }

    // --- Message boxes. ---

    std::optional<BoxLook> ShownBox() {
        std::optional<BoxLook> look;
        Qt().Inspect(frame, [&](ui::qt::WindowView*) {
            if (QMessageBox* box = VisibleBox()) {
                BoxLook b{
                    box->windowTitle().toStdString(), box->text().toStdString(), box->icon(), {}};
                for (QAbstractButton* button : box->buttons())
                    b.buttons.push_back(button->text().toStdString());
                look = b;
            }
        });
        return look;
    }
    std::optional<BoxLook> WaitForBox(std::chrono::milliseconds limit = kWindowWait) {
        std::optional<BoxLook> look;
        Within(limit, [&] { return (look = ShownBox()).has_value(); });
        return look;
    }
    // Clicks the box's button with this text, as the user does.
    bool ClickBox(const std::string& button) {
        bool done = false;
        Qt().Inspect(frame, [&](ui::qt::WindowView*) {
            QMessageBox* box = VisibleBox();
            if (!box) return;
            for (QAbstractButton* b : box->buttons())
                if (b->text().toStdString() == button && b->isVisible() && b->isEnabled()) {
                    QTest::mouseClick(b, ::Qt::LeftButton, {}, b->rect().center());
                    done = true;
                    return;
                }
        });
        Settle();
        return done;
    }
    bool ShotBox(std::string_view name) {
        bool saved = false;
        Qt().Inspect(frame, [&](ui::qt::WindowView*) {
            if (QMessageBox* box = VisibleBox())
                saved = box->grab().save(QString::fromStdString(
                    (ScreenshotDir() / (std::string(name) + ".png")).string()));
        });
        return saved;
    }
    bool NoBoxShown() { return !ShownBox().has_value(); }

    // --- The query form's item list. ---

    // The titles of the rows that show the tag's check mark.
    std::set<QString> TaggedTitles(ui::WindowId form) {
        std::set<QString> titles;
        WithWidget(form, "?LIST", [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list) return;
            const qint64 check = ui::qt::IconFor("~CHECK.ICO").cacheKey();
            for (int r = 0; r < list->topLevelItemCount(); ++r) {
                const QTreeWidgetItem* item = list->topLevelItem(r);
                if (item->icon(kTagColumn).cacheKey() == check)
                    titles.insert(item->text(kTitleColumn));
            }
        });
        return titles;
    }
    // Each row's "# Ads" cell by its title.
    std::map<QString, QString> AdsByTitle(ui::WindowId form) {
        std::map<QString, QString> ads;
        WithWidget(form, "?LIST", [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list) return;
            for (int r = 0; r < list->topLevelItemCount(); ++r)
                ads[list->topLevelItem(r)->text(kTitleColumn)] =
                    list->topLevelItem(r)->text(kAdsColumn).trimmed();
        });
        return ads;
    }
    // Flips a row's tag with a click on its Tag cell.
    bool ClickTag(ui::WindowId form, const QString& title) {
        const int row = RowOf(form, "?LIST", title);
        if (row < 0) return false;
        return ClickAt(form, "?LIST", CellCenter(form, "?LIST", row, kTagColumn));
    }

    // --- The catalog tree. ---

    // The rows listed under the entry whose label starts with prefix, once it is opened with
    // the Right key.
    std::vector<QString> ChildrenOf(ui::WindowId tree, const QString& prefix) {
        std::vector<QString> children;
        int row = -1;
        const std::vector<QString> labels = Column(tree, "?FILETREE", 0);
        for (std::size_t i = 0; i < labels.size(); ++i)
            if (labels[i].startsWith(prefix)) row = static_cast<int>(i);
        if (row < 0) return children;
        if (!ClickAt(tree, "?FILETREE", CellCenter(tree, "?FILETREE", row, 0))) return children;
        if (!Key(tree, "?FILETREE", ::Qt::Key_Right)) return children;
        Eventually([&] {
            bool open = false;
            WithWidget(tree, "?FILETREE", [&](QWidget* widget) {
                auto* list = qobject_cast<QTreeWidget*>(widget);
                int r = 0;
                for (QTreeWidgetItemIterator it(list); *it; ++it, ++r)
                    if (r == row) {
                        open = (*it)->isExpanded() && (*it)->childCount() > 0;
                        children.clear();
                        for (int c = 0; c < (*it)->childCount(); ++c)
                            children.push_back((*it)->child(c)->text(0));
                    }
            });
            return open;
        });
        return children;
    }

    ui::WindowId queryList_ = 0;

  private:
    // On the GUI thread: the newest message box showing.
    static QMessageBox* VisibleBox() {
        QMessageBox* found = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) found = box;
        return found;
    }
};

// What a catalog update of the active stores, US and UK, must write: the stores' roots and
// search indexes as the updater seeds them, and below each index the simulator's children.
struct CrawlResult {
    std::size_t catalogs = 0;
    std::size_t nodes = 0;
    std::size_t usIndexNodes = 0;  // the rows under the US root
    int children = 0;              // the nodes below the indexes, never asked for
};
CrawlResult ExpectedCrawl() {
    web::SearchIndexQueue catalogs;
    web::BrowseNodeQueue nodes;
    web::FillSearchIndexes(kUs | kUk, catalogs, nodes);
    const sim::BrowseTree tree(kFormSeed, kShape);
    CrawlResult result;
    result.catalogs = catalogs.Records();
    result.nodes = nodes.Records();
    for (const web::BrowseNodeRow& row : nodes.Rows()) {
        if (row.LEVEL != 1) continue;
        if (row.BSITE == kUs) ++result.usIndexNodes;
        if (const auto found = tree.Find(row.BSITE, row.NODE))
            result.children += static_cast<int>(found->children.size());
    }
    result.nodes += static_cast<std::size_t>(result.children);
    return result;
}

std::size_t RowCountOf(data::TableId id, int key) {
    data::TableManager& table = data::Access(id);
    EXPECT_EQ(table.UseFile(), ui::Benign);
    EXPECT_EQ(table.File().Set(key), store::NoError);
    std::size_t rows = 0;
    while (table.TryNext() == ui::Benign) ++rows;
    return rows;
}

// The Nodes and Catalogs rows the seed writes.
constexpr std::size_t kSeededNodes = 4;
constexpr std::size_t kSeededCatalogs = 6;

void JobWindows::CloseTreeKeepingTheSeed(ui::WindowId tree) {
    ASSERT_TRUE(Click(tree, "?CANCELBUTTON"));
    ASSERT_TRUE(WaitForClose(tree));
    EXPECT_EQ(Quit(), 0);
    Read([&] {
        EXPECT_EQ(RowCountOf(data::TableId::Nodes, data::NOD_KeyId), kSeededNodes);
        EXPECT_EQ(RowCountOf(data::TableId::Catalogs, data::CAT_KeyId), kSeededCatalogs);
    });
}

// --- The item-list loader. ---

TEST_F(JobWindows, LoadListCountsEachPageAndClosesByItselfWithTheKeptItemsListed) {
    const std::string keywords = KeywordsWithPages(2);
    Begin({.seed = kFormSeed, .tree = kShape}, [&] { SetKeywords(keywords); });
    const PageYield yield = YieldOf(keywords);
    const int total = sim::TotalResultsOf(kFormSeed, SimQuery(keywords));
    ASSERT_EQ(yield.stored.size(), 2u);

    const ui::WindowId form = OpenQueryForm();
    ASSERT_NE(form, 0);
    ASSERT_TRUE(Eventually([&] { return RowCount(form, "?LIST") == 5; }));
    ASSERT_TRUE(Click(form, "?BUILDLIST"));
    const auto job = WaitForJob("BuildList");
    ASSERT_TRUE(job);

    // Before the first page is in: nothing counted, Cancel offered, the form behind waits.
    const std::optional<ProgressLook> start = Progress(*job);
    ASSERT_TRUE(start);
    ExpectOpeningLook(*start, "Build item list", "items");
    EXPECT_EQ(start->loaded, "0");
    EXPECT_EQ(start->percent, "0.00 %");
    EXPECT_EQ(start->bar, 0);
    EXPECT_EQ(Enabled(form, "?OK"), false) << "the form takes no input while its job runs";
    EXPECT_EQ(Enabled(form, "?BUILDLIST"), false);
    EXPECT_TRUE(Shot(*job, "build_list_start"));

    // The first page counts what it added against the search's total.
    const std::string first = std::to_string(yield.stored[0]);
    ASSERT_TRUE(Within(kJobWait, [&] {
        const auto p = Progress(*job);
        return !p || p->loaded == first;
    }));
    const std::optional<ProgressLook> page1 = SteadyProgress(*job);
    ASSERT_TRUE(page1) << "the window closed after the first page";
    EXPECT_EQ(page1->loaded, first);
    EXPECT_EQ(page1->total, std::to_string(total));
    EXPECT_TRUE(page1->cancel);
    ExpectConsistent(*page1);
    EXPECT_TRUE(Shot(*job, "build_list_running"));

    ASSERT_TRUE(Within(kJobWait, [&] { return !Progress(*job); })) << "the window stayed open";
    EXPECT_TRUE(NoBoxShown());
    // The form lists what its minimum saving keeps and takes input again.
    ASSERT_TRUE(Within(kJobWait, [&] { return RowCount(form, "?LIST") == yield.kept; }))
        << RowCount(form, "?LIST") << " rows";
    EXPECT_TRUE(Eventually([&] { return Enabled(form, "?OK") == true; }));
    EXPECT_EQ(Enabled(form, "?BUILDLIST"), true);
    EXPECT_TRUE(Shot(form, "build_list_loaded"));
    ASSERT_TRUE(Click(form, "?OK"));
    ASSERT_TRUE(WaitForClose(form));
    EXPECT_EQ(Quit(), 0);
    Read([&] { EXPECT_EQ(static_cast<int>(StoredGoodsOf(kQuery).size()), yield.kept); });
}

TEST_F(JobWindows, CancelStopsTheLoadAndTheFormsCancelBringsBackTheItemsItHad) {
    const std::string keywords = KeywordsWithPages(2);
    Begin({.seed = kFormSeed, .tree = kShape}, [&] { SetKeywords(keywords); });
    const PageYield yield = YieldOf(keywords);
    // Every page comes late, so the second is still on its way when Cancel is pressed.
    Simulator()->SetModes({.delayMs = 4000});

    ui::WindowId form = OpenQueryForm();
    ASSERT_NE(form, 0);
    ASSERT_TRUE(Eventually([&] { return RowCount(form, "?LIST") == 5; }));
    ASSERT_TRUE(Click(form, "?BUILDLIST"));
    const auto job = WaitForJob("BuildList");
    ASSERT_TRUE(job);
    // The old items went before the loader started: none stays in view behind it.
    Settle();
    EXPECT_EQ(RowCount(form, "?LIST"), 0);
    const std::string first = std::to_string(yield.stored[0]);
    ASSERT_TRUE(Within(kJobWait, [&] {
        const auto p = Progress(*job);
        return !p || p->loaded == first;
    }));
    const std::optional<ProgressLook> before = SteadyProgress(*job);
    ASSERT_TRUE(before) << "the window closed after the first page";
    ASSERT_EQ(before->loaded, first);
    ASSERT_TRUE(Click(*job, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(*job));

    // Cancel itself says nothing; the form says the load was given up and lists nothing.
    const std::optional<BoxLook> box = WaitForBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Message");
    EXPECT_EQ(box->text, "Operation has been canceled");
    EXPECT_EQ(box->icon, QMessageBox::Warning);
    EXPECT_EQ(box->buttons, std::vector<std::string>{"OK"});
    EXPECT_TRUE(ShotBox("build_list_canceled_message"));
    ASSERT_TRUE(ClickBox(box->buttons.front()));
    ASSERT_TRUE(Eventually([&] { return NoBoxShown(); }));
    EXPECT_TRUE(Eventually([&] { return RowCount(form, "?LIST") == 0; }));
    EXPECT_TRUE(Eventually([&] { return Enabled(form, "?OK") == true; }));
    EXPECT_EQ(Enabled(form, "?BUILDLIST"), true);
    EXPECT_EQ(Enabled(form, "?CANCEL"), true);
    EXPECT_TRUE(Shot(form, "build_list_canceled"));

    // The form was opened to change the query: its Cancel undoes the clearing of the list.
    ASSERT_TRUE(Click(form, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(form));
    ASSERT_TRUE(Click(queryList_, "?CHANGE:4"));
    const auto again = WaitForWindow("UpdateQueriesA");
    ASSERT_TRUE(again);
    form = *again;
    EXPECT_TRUE(Eventually([&] { return RowCount(form, "?LIST") == 5; }));
    ASSERT_TRUE(Click(form, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(form));
    EXPECT_EQ(Quit(), 0);
    Read([&] {
        std::vector<std::int32_t> ids;
        for (const StoredGoods& row : StoredGoodsOf(kQuery)) ids.push_back(row.id);
        EXPECT_EQ(ids,
                  (std::vector<std::int32_t>(std::begin(kQueryItemIds), std::end(kQueryItemIds))));
    });
}

// --- The competition check. ---

TEST_F(JobWindows, CheckCountsTheTaggedItemsAndTheListShowsTheirNewAds) {
    Begin({.seed = kFormSeed, .tree = kShape}, [] {
        data::TableManager& goods = data::Access(data::TableId::Goods);
        for (const std::int32_t id : kQueryItemIds) {
            data::Dict().GOO.ID = id;
            ASSERT_EQ(goods.Fetch(data::GOO_KeyId), ui::Benign);
            data::Dict().GOO.ADS = kUncheckedAds;
            ASSERT_EQ(goods.Update(), ui::Benign);
        }
    });
    const ui::WindowId form = OpenQueryForm();
    ASSERT_NE(form, 0);
    ASSERT_TRUE(Eventually([&] { return RowCount(form, "?LIST") == 5; }));
    // Nothing tagged: nothing to check.
    EXPECT_EQ(Enabled(form, "?CHECKLIST"), false);
    const std::set<QString> tagged{"Alpha camera", "Gamma camera", "Epsilon camera"};
    for (const QString& title : tagged) ASSERT_TRUE(ClickTag(form, title)) << title.toStdString();
    ASSERT_TRUE(Eventually([&] { return TaggedTitles(form) == tagged; }));
    ASSERT_TRUE(Eventually([&] { return Enabled(form, "?CHECKLIST") == true; }));
    ASSERT_TRUE(Click(form, "?CHECKLIST"));
    const auto job = WaitForJob("BuildGoogle");
    ASSERT_TRUE(job) << (ShownBox() ? ShownBox()->text : "no message");

    const std::optional<ProgressLook> start = Progress(*job);
    ASSERT_TRUE(start);
    ExpectOpeningLook(*start, "Check Competition", "items");
    EXPECT_EQ(Enabled(form, "?OK"), false);
    ASSERT_TRUE(Within(kJobWait, [&] {
        const auto p = Progress(*job);
        return !p || p->loaded == "1";
    }));
    const std::optional<ProgressLook> one = SteadyProgress(*job);
    ASSERT_TRUE(one) << "the window closed after the first item";
    EXPECT_EQ(one->total, "3");
    EXPECT_EQ(one->loaded, "1");
    EXPECT_EQ(one->percent, "33.33 %");
    ExpectConsistent(*one);
    EXPECT_TRUE(Shot(*job, "check_running"));
    ASSERT_TRUE(Within(kJobWait, [&] { return !Progress(*job); })) << "the window stayed open";
    EXPECT_TRUE(NoBoxShown());

    // The tagged rows show their pages' counts, the others what they had; the tags stay.
    std::map<QString, QString> expected;
    for (const ItemSeed& item : kItems)
        if (item.query == kQuery)
            expected[item.title] =
                tagged.count(item.title) != 0
                    ? QString::number(CompetitorsOf(std::string(item.title) + " deals"))
                    : QString::number(kUncheckedAds);
    EXPECT_TRUE(Eventually([&] { return AdsByTitle(form) == expected; }))
        << Describe(AdsByTitle(form)) << " instead of " << Describe(expected);
    EXPECT_EQ(TaggedTitles(form), tagged);
    EXPECT_TRUE(Eventually([&] { return Enabled(form, "?OK") == true; }));
    EXPECT_TRUE(Shot(form, "check_done"));
    ASSERT_TRUE(Click(form, "?OK"));
    ASSERT_TRUE(WaitForClose(form));
    EXPECT_EQ(Quit(), 0);
    Read([&] {
        for (const StoredGoods& row : StoredGoodsOf(kQuery)) {
            const ItemSeed* seed = nullptr;
            for (const ItemSeed& item : kItems)
                if (item.id == row.id) seed = &item;
            ASSERT_TRUE(seed);
            EXPECT_EQ(QString::number(row.ads), expected.at(seed->title)) << seed->title;
        }
    });
}

TEST_F(JobWindows, CancelStopsTheCheckAndKeepsTheCountsAndTagsAlreadyThere) {
    Begin({.seed = kFormSeed, .tree = kShape}, [] {
        data::TableManager& goods = data::Access(data::TableId::Goods);
        for (const std::int32_t id : kQueryItemIds) {
            data::Dict().GOO.ID = id;
            ASSERT_EQ(goods.Fetch(data::GOO_KeyId), ui::Benign);
            data::Dict().GOO.ADS = kUncheckedAds;
            ASSERT_EQ(goods.Update(), ui::Benign);
        }
    });
    // Every page comes late, so the second item is still on its way when Cancel is pressed.
    Simulator()->SetModes({.delayMs = 4000});
    const ui::WindowId form = OpenQueryForm();
    ASSERT_NE(form, 0);
    ASSERT_TRUE(Eventually([&] { return RowCount(form, "?LIST") == 5; }));
    std::set<QString> all;
    for (const ItemSeed& item : kItems)
        if (item.query == kQuery) all.insert(item.title);
    for (const QString& title : all) ASSERT_TRUE(ClickTag(form, title)) << title.toStdString();
    ASSERT_TRUE(Eventually([&] { return TaggedTitles(form) == all; }));
    ASSERT_TRUE(Eventually([&] { return Enabled(form, "?CHECKLIST") == true; }));
    ASSERT_TRUE(Click(form, "?CHECKLIST"));
    const auto job = WaitForJob("BuildGoogle");
    ASSERT_TRUE(job);
    ASSERT_TRUE(Within(kJobWait, [&] {
        const auto p = Progress(*job);
        return !p || p->loaded == "1";
    }));
    const std::optional<ProgressLook> one = SteadyProgress(*job);
    ASSERT_TRUE(one) << "the window closed after the first item";
    EXPECT_EQ(one->total, "5");
    ASSERT_EQ(one->loaded, "1");
    ASSERT_TRUE(Click(*job, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(*job));

    const std::optional<BoxLook> box = WaitForBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Message");
    EXPECT_EQ(box->text, "Operation has been canceled");
    EXPECT_TRUE(ShotBox("check_canceled_message"));
    ASSERT_TRUE(ClickBox(box->buttons.front()));
    ASSERT_TRUE(Eventually([&] { return NoBoxShown(); }));

    // One item was checked before Cancel: it shows its count; the rest what they had.
    std::map<QString, QString> checked;
    const auto look = [&] {
        checked.clear();
        for (const auto& [title, ads] : AdsByTitle(form))
            if (ads != QString::number(kUncheckedAds)) checked[title] = ads;
        return checked.size() == 1;
    };
    EXPECT_TRUE(Eventually(look)) << Describe(AdsByTitle(form));
    for (const auto& [title, ads] : checked)
        EXPECT_EQ(ads, QString::number(CompetitorsOf(title.toStdString() + " deals")))
            << title.toStdString();
    EXPECT_EQ(TaggedTitles(form), all);
    EXPECT_TRUE(Eventually([&] { return Enabled(form, "?OK") == true; }));
    EXPECT_EQ(Enabled(form, "?CHECKLIST"), true);
    EXPECT_TRUE(Shot(form, "check_canceled"));
    ASSERT_TRUE(Click(form, "?OK"));
    ASSERT_TRUE(WaitForClose(form));
    EXPECT_EQ(Quit(), 0);
    Read([&] {
        int changed = 0;
        for (const StoredGoods& row : StoredGoodsOf(kQuery))
            if (row.ads != kUncheckedAds) ++changed;
        EXPECT_EQ(changed, 1);
        std::size_t tags = 0;
        for (const TagRow& row : StoredRows(data::TableId::TagFile_))
            if (row.tbl == kQuery) ++tags;
        EXPECT_EQ(tags, all.size());
    });
}

// --- The catalog updater. ---

TEST_F(JobWindows, UpdateCrawlsTheActiveStoresAndTheTreeShowsTheNewCatalogs) {
    Begin();
    const CrawlResult want = ExpectedCrawl();
    // A little time for each reply, so the window can be read between them.
    Simulator()->SetModes({.delayMs = 150});
    const ui::WindowId tree = OpenTree();
    ASSERT_NE(tree, 0);
    ASSERT_TRUE(Eventually([&] { return RowCount(tree, "?FILETREE") == 3; }));
    ASSERT_TRUE(Click(tree, "?DOWNLOAD"));
    const auto job = WaitForJob("BuildCatalog");
    ASSERT_TRUE(job);

    const std::optional<ProgressLook> start = Progress(*job);
    ASSERT_TRUE(start);
    ExpectOpeningLook(*start, "Catalog updater", "nodes");
    EXPECT_EQ(Enabled(tree, "?CANCELBUTTON"), false) << "the tree takes no input while it runs";
    EXPECT_EQ(Enabled(tree, "?DOWNLOAD"), false);
    ASSERT_TRUE(Within(kJobWait, [&] {
        const auto p = Progress(*job);
        return !p || std::stoi(p->loaded) >= 4;
    }));
    const std::optional<ProgressLook> mid = SteadyProgress(*job);
    ASSERT_TRUE(mid) << "the window closed early";
    ExpectConsistent(*mid);
    EXPECT_GT(std::stoi(mid->total), std::stoi(mid->loaded));
    EXPECT_TRUE(Shot(*job, "catalog_update_running"));
    ASSERT_TRUE(Within(kJobWait, [&] { return !Progress(*job); })) << "the window stayed open";
    EXPECT_TRUE(NoBoxShown());

    // The tree is read again: the US store lists its search indexes now.
    EXPECT_TRUE(Eventually([&] { return Enabled(tree, "?CANCELBUTTON") == true; }));
    EXPECT_EQ(Enabled(tree, "?DOWNLOAD"), true);
    // Active again, with the focus on the button that started the update: keys reach it.
    EXPECT_TRUE(Eventually([&] { return FocusedUse(tree) == "?DOWNLOAD"; })) << FocusedUse(tree);
    EXPECT_EQ(ChildrenOf(tree, "Amazon US").size(), want.usIndexNodes);
    EXPECT_TRUE(Shot(tree, "catalog_update_done"));
    ASSERT_TRUE(Click(tree, "?CANCELBUTTON"));
    ASSERT_TRUE(WaitForClose(tree));
    EXPECT_EQ(Quit(), 0);
    Read([&] {
        EXPECT_EQ(RowCountOf(data::TableId::Nodes, data::NOD_KeyId), want.nodes);
        EXPECT_EQ(RowCountOf(data::TableId::Catalogs, data::CAT_KeyId), want.catalogs);
    });
}

TEST_F(JobWindows, CancelStopsTheUpdateAndLeavesTheTreeAsItWas) {
    Begin();
    Simulator()->SetModes({.delayMs = 600});
    const ui::WindowId tree = OpenTree();
    ASSERT_NE(tree, 0);
    ASSERT_TRUE(Eventually([&] { return RowCount(tree, "?FILETREE") == 3; }));
    const std::vector<QString> usBefore = ChildrenOf(tree, "Amazon US");
    ASSERT_EQ(usBefore.size(), 1u);
    ASSERT_TRUE(Click(tree, "?DOWNLOAD"));
    const auto job = WaitForJob("BuildCatalog");
    ASSERT_TRUE(job);
    ASSERT_TRUE(Within(kJobWait, [&] {
        const auto p = Progress(*job);
        return !p || std::stoi(p->loaded) >= 2;
    }));
    ASSERT_TRUE(Progress(*job)) << "the update ended before Cancel";
    EXPECT_TRUE(Shot(*job, "catalog_update_before_cancel"));
    ASSERT_TRUE(Click(*job, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(*job));
    // Cancel says nothing and writes nothing: the tree lists what it listed.
    EXPECT_TRUE(NoBoxShown());
    EXPECT_TRUE(Eventually([&] { return Enabled(tree, "?CANCELBUTTON") == true; }));
    EXPECT_EQ(ChildrenOf(tree, "Amazon US"), usBefore);
    EXPECT_TRUE(Shot(tree, "catalog_update_canceled"));
    CloseTreeKeepingTheSeed(tree);
}

// A service that refuses the job's requests: the job says why in words, and nothing of the
// refused job is kept.
enum class RefusedJob {
    Load,    // the query form's item list: the form says it gave up and lists nothing
    Update,  // the catalog tree's update: the tree keeps the catalogs it had
};

struct RefusalCase {
    const char* name;
    RefusedJob job;
    sim::ContentSettings settings;
    sim::Modes modes;
    const char* reason;  // what the job's message names, within "Process canceled with errors"
    const char* shot;    // the message's picture
    friend void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }
};

const sim::ContentSettings kServes{.seed = kFormSeed, .tree = kShape};
const sim::ContentSettings kUnknownKey{
    .seed = kFormSeed, .tree = kShape, .accessKeys = {"AAAAAAAAAAAAAAAAAAAA"}};
const sim::Modes kThrottles{.fail = sim::Failure::Throttle};

class JobRefusals : public JobWindows, public ::testing::WithParamInterface<RefusalCase> {
  protected:
    // Starts the job from its window; that window, or 0.
    ui::WindowId StartRefused(RefusedJob job) {
        if (job == RefusedJob::Load) {
            const ui::WindowId form = OpenQueryForm();
            if (form == 0 || !Eventually([&] { return RowCount(form, "?LIST") == 5; }) ||
                !Click(form, "?BUILDLIST"))
                return 0;
            return form;
        }
        const ui::WindowId tree = OpenTree();
        if (tree == 0 || !Click(tree, "?DOWNLOAD")) return 0;
        return tree;
    }

    // After the job's message: the form says it gave up, lists nothing and takes input again.
    void ExpectLoadGivenUp(ui::WindowId form) {
        const std::optional<BoxLook> after = WaitForBox();
        ASSERT_TRUE(after);
        EXPECT_EQ(after->text, "Operation has been canceled");
        ASSERT_TRUE(ClickBox(after->buttons.front()));
        EXPECT_TRUE(Eventually([&] { return RowCount(form, "?LIST") == 0; }));
        EXPECT_TRUE(Eventually([&] { return Enabled(form, "?OK") == true; }));
        ASSERT_TRUE(Click(form, "?CANCEL"));
        ASSERT_TRUE(WaitForClose(form));
    }

    // After the job's message: the tree takes input again and no catalog was written.
    void ExpectTreeKept(ui::WindowId tree) {
        EXPECT_TRUE(Eventually([&] { return Enabled(tree, "?CANCELBUTTON") == true; }));
        CloseTreeKeepingTheSeed(tree);
    }
};

TEST_P(JobRefusals, TheJobSaysWhyTheServiceRefusedAndNothingOfItIsKept) {
    const RefusalCase& c = GetParam();
    const bool load = c.job == RefusedJob::Load;
    Begin(c.settings);
    Simulator()->SetModes(c.modes);
    const ui::WindowId owner = StartRefused(c.job);
    ASSERT_NE(owner, 0);
    const auto job = WaitForJob(load ? "BuildList" : "BuildCatalog");
    ASSERT_TRUE(job);

    const std::optional<BoxLook> box = WaitForBox(kJobWait);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Attention");
    EXPECT_EQ(box->text, "Process canceled with errors (" + std::string(c.reason) + ").");
    EXPECT_EQ(box->buttons, std::vector<std::string>{"OK"});
    EXPECT_TRUE(ShotBox(c.shot));
    ASSERT_TRUE(ClickBox(box->buttons.front()));
    ASSERT_TRUE(WaitForClose(*job));
    if (load)
        ExpectLoadGivenUp(owner);
    else
        ExpectTreeKept(owner);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JobRefusals,
    ::testing::Values(RefusalCase{"LoadThrottled", RefusedJob::Load, kServes, kThrottles,
                                  "the service throttled the requests: HTTP 503",
                                  "build_list_refused_Throttled"},
                      RefusalCase{"LoadUnknownAccessKey",
                                  RefusedJob::Load,
                                  kUnknownKey,
                                  {},
                                  "the service refused the request: AWS.InvalidParameterValue",
                                  "build_list_refused_UnknownAccessKey"},
                      // The update retries a throttled request before it gives up.
                      RefusalCase{"UpdateThrottled", RefusedJob::Update, kServes, kThrottles,
                                  "the service throttled the requests: HTTP 503, after 3 retries",
                                  "catalog_update_refused_Throttled"},
                      RefusalCase{"UpdateUnknownAccessKey",
                                  RefusedJob::Update,
                                  kUnknownKey,
                                  {},
                                  "the service refused the request: AWS.InvalidParameterValue",
                                  "catalog_update_refused_UnknownAccessKey"}),
    [](const auto& tc) { return std::string(tc.param.name); });

}  // namespace
}  // namespace zem::test
