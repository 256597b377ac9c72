#pragma once
// The query form as a user meets it: a query with its store, catalog, node, brand and items in a
// fresh data file, the form run on a framework thread of its own through the headless display,
// the clock set, item pages recorded instead of opened, and the service simulator as the
// configured proxy for the tests that load items. This thread keeps a dictionary of its own to
// seed rows and read them back.
#include <gtest/gtest.h>
#include <algorithm>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "item_catalog.h"
#include "platform/runtime/pictures.h"
#include "platform/runtime/requests.h"
#include "platform/store/errors.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/input.h"
#include "platform/win/shell_open.h"
#include "research/jobs/service_request.h"
#include "research/queryform/query_item_list.h"
#include "research/queryform/query_items.h"
#include "research/queryform/update_queries.h"
#include "service_simulator.h"
#include "shell/data_file_fixture.h"
#include "shell/tag_rows.h"
#include "shell/window_counters.h"
#include "support/proxy_environment.h"
#include "web/http_loader.h"
#include "web/stores.h"

namespace zem::test {

namespace request = runtime::request;
namespace response = runtime::response;
using data::TableId;

inline constexpr std::int32_t kQuery = 7;
inline constexpr std::int32_t kOtherQuery = 8;

// Stores, catalogs, nodes and brands the tests name.
inline constexpr std::uint8_t kUs = 1;
inline constexpr std::uint8_t kUk = 2;
namespace catalog {
inline constexpr std::int32_t kUsElectronics = 2;
inline constexpr std::int32_t kUsBooks = 3;
inline constexpr std::int32_t kUsNoIndex = 4;
inline constexpr std::int32_t kUkBooks = 11;
}  // namespace catalog
namespace node {
inline constexpr std::int32_t kUsRoot = 1;
inline constexpr std::int32_t kElectronics = 2;
inline constexpr std::int32_t kCameras = 3;
inline constexpr std::int32_t kUkRoot = 10;
}  // namespace node
inline constexpr std::int32_t kCanon = 1;
inline constexpr std::int32_t kNikon = 2;

// The seed of the simulator the query form's items come from.
inline constexpr std::uint64_t kFormSeed = 1;

// The item search the query form sends for the seeded query with these keywords, as the
// simulator reads it.
inline sim::ItemQuery SimQuery(const std::string& keywords) {
    sim::ItemQuery query;
    query.store = web::StoreBySite(kUs);
    query.searchIndex = "Electronics";
    query.keywords = keywords;
    query.browseNode = "281052";  // the query's node, Cameras
    query.minimumPrice = research::PriceBound(10);
    query.maximumPrice = research::PriceBound(500);
    return query;
}

// Keywords for the seeded query whose search finds exactly `pages` result pages.
inline std::string KeywordsWithPages(int pages) {
    for (int i = 1; i < 5000; ++i) {
        const std::string keywords = "zembrola camera " + std::to_string(i);
        if (sim::TotalPagesOf(sim::TotalResultsOf(kFormSeed, SimQuery(keywords))) == pages)
            return keywords;
    }
    ADD_FAILURE() << "no keywords give " << pages << " pages";
    return {};
}

// The titles, sorted, a completed load of the seeded query keeps with this minimum saving: items
// with a new price whose saving reaches the minimum, an item without a list price counting as
// saving 100 %.
inline std::vector<std::string> KeptTitles(const std::string& keywords, double minimum) {
    std::vector<std::string> titles;
    const sim::ItemQuery query = SimQuery(keywords);
    const int pages = sim::TotalPagesOf(sim::TotalResultsOf(kFormSeed, query));
    for (int page = 1; page <= pages; ++page)
        for (const sim::Item& item : sim::ItemsOfPage(kFormSeed, query, page)) {
            if (!item.lowestNewPrice) continue;
            const double list = item.listPrice ? static_cast<double>(*item.listPrice) / 100 : 0;
            const double amazon = static_cast<double>(*item.lowestNewPrice) / 100;
            if (research::KeptSaving(list, amazon) >= minimum) titles.push_back(item.title);
        }
    std::sort(titles.begin(), titles.end());
    return titles;
}

// One Goods row of the seed.
struct ItemSeed {
    std::int32_t id;
    std::int32_t query;
    const char* title;
    double listPrice;
    double amazonPrice;
    double rank = 0;
    std::int32_t ads = 0;
    std::int32_t affilative = 0;
    std::uint8_t ship = 0;
};

// The query's five items in GOO:KeyQuery order (their savings: 30 %, 5 %, no list price,
// -20 %, 50 %), and one item of another query.
inline constexpr ItemSeed kItems[] = {
    {101, kQuery, "Alpha camera", 100.00, 70.00, 12, 3, 1, 1},
    {102, kQuery, "Beta camera", 200.00, 190.00},
    {103, kQuery, "Gamma camera", 0.00, 50.00, 7},
    {104, kQuery, "Delta camera", 50.00, 60.00},
    {105, kQuery, "Epsilon camera", 80.00, 40.00},
    {201, kOtherQuery, "Other query's lens", 300.00, 150.00},
};
inline constexpr std::int32_t kQueryItemIds[] = {101, 102, 103, 104, 105};

// A price's display text as the item-list loader stores it.
inline std::string Money(double value) {
    return "$" + runtime::FormatNumber(value, "n_14.2");
}

inline std::string DetailPageOf(std::int32_t id) {
    return "http://www.amazon.com/dp/B000000" + std::to_string(id);
}

// A stored Goods row, as the test reads it back.
struct StoredItem {
    std::int32_t id = 0;
    std::string title;
    std::string keywords;
    double listPrice = 0;
    double amazonPrice = 0;
    friend bool operator==(const StoredItem&, const StoredItem&) = default;
};

// What the form's thread held once the router returned.
struct FormOutcome {
    int response = -1;
    std::int32_t queryId = 0;  // the query the form was opened for (a new one's reserved id)
    data::QueriesRecord query{};
};

class QueryFormTest : public DataFileTest {
  protected:
    void SetUp() override {
        DataFileTest::SetUp();
        if (HasFatalFailure()) return;
        noProxy_.emplace();
        win::SetUrlOpener([this](const std::string& url) {
            std::lock_guard lock(urlsMutex_);
            urls_.push_back(url);
            return true;
        });
        Seed();
    }

    void TearDown() override {
        DataFileTest::TearDown();
        simulator.Stop();
        EXPECT_TRUE(Eventually([] { return HTTP::Loader::LiveCount() == 0; }));
        win::SetUrlOpener(nullptr);
        noProxy_.reset();
    }

    // Runs the router on a framework thread of its own with the request. For every request but
    // insert the thread's Queries buffer holds the stored query (kQuery unless prepare changes
    // it); for insert it holds a new record primed as a new query's is. prepare runs last,
    // on the form's thread.
    void Start(int request, std::function<void()> prepare = {},
               void (*procedure)() = &research::UpdateQueries) {
        outcome_ = {};
        done_ = false;
        thread_ = runtime::Start([this, request, prepare, procedure] {
            if (!data::HasDictionary()) {
                ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
            }
            data::Dictionary& d = data::Dict();
            data::TableManager& queries = data::Access(TableId::Queries);
            queries.Open();
            if (request == request::kInsert) {
                ASSERT_EQ(queries.PrimeRecord(), ui::Benign);
            } else {
                d.QUE.ID = kQuery;
                ASSERT_EQ(queries.Fetch(data::QUE_KeyId), ui::Benign);
            }
            runtime::SetGlobalRequest(request);
            runtime::SetGlobalResponse(kCallerResponse);
            if (prepare) prepare();
            const std::int32_t queryId = d.QUE.ID;
            procedure();
            if (request == request::kInsert && runtime::GlobalResponse() != response::kCompleted)
                queries.CancelAutoInc();
            queries.Close();
            std::lock_guard lock(outcomeMutex_);
            outcome_.response = runtime::GlobalResponse();
            outcome_.queryId = queryId;
            outcome_.query = d.QUE;
            done_ = true;
        });
        ASSERT_NE(thread_, 0);
    }

    // Starts the form and waits until it shows its item list.
    ui::WindowId Open(int request, std::function<void()> prepare = {},
                      void (*procedure)() = &research::UpdateQueries,
                      const char* procedureName = "UpdateQueriesA") {
        Start(request, std::move(prepare), procedure);
        const auto w = display->WaitForWindow(procedureName);
        EXPECT_TRUE(w) << procedureName << " did not open";
        if (!w) return 0;
        // The open-window event loads the lists; a help request after it has been handled.
        Sync(*w);
        return *w;
    }

    // Waits for the form's thread to return from the router.
    FormOutcome Finish() {
        EXPECT_TRUE(Eventually([this] { return done_.load(); })) << "the form did not return";
        runtime::Join(thread_);
        thread_ = 0;
        std::lock_guard lock(outcomeMutex_);
        return outcome_;
    }

    FormOutcome Close(ui::WindowId w, const char* button) {
        EXPECT_TRUE(display->Press(w, button)) << button;
        EXPECT_TRUE(display->WaitForClose(w));
        return Finish();
    }

    // Waits until the window has handled everything sent to it before: its help request
    // reaches the viewer only after that. False when the window is covered or closed.
    bool Sync(ui::WindowId w) {
        const std::size_t before = help->Requests().size();
        if (!display->PressKey(w, ui::key::F1)) return false;
        return Eventually([&] { return help->Requests().size() > before; });
    }

    // Acts on the form and waits until it has handled the action.
    void Press(ui::WindowId w, std::string_view use) {
        ASSERT_TRUE(display->Press(w, use)) << use;
        ASSERT_TRUE(Sync(w)) << use;
    }
    void Type(ui::WindowId w, std::string_view use, std::string_view text) {
        ASSERT_TRUE(display->Type(w, use, text)) << use;
        ASSERT_TRUE(Sync(w)) << use;
    }
    void ChooseRow(ui::WindowId w, std::string_view use, int row) {
        ASSERT_TRUE(display->ChooseRow(w, use, row)) << use << " row " << row;
        ASSERT_TRUE(Sync(w)) << use;
    }

    // The cells of one column of the item list, from the top.
    std::vector<std::string> Column(ui::WindowId w, int cell) const {
        std::vector<std::string> cells;
        if (const auto list = display->ControlOf(w, "?LIST"))
            for (const ui::ListRow& row : list->rows)
                cells.push_back(row.cells.at(static_cast<std::size_t>(cell) - 1));
        return cells;
    }
    // The items the list shows, from the top, known by their titles among the stored items,
    // the seeded query's first (a title shared by several items stands for them in their key
    // order).
    std::vector<std::int32_t> ListedIds(ui::WindowId w) const {
        std::vector<StoredItem> stored = StoredItems();
        data::TableManager& goods = data::Access(TableId::Goods);
        data::GoodsRecord& row = data::Dict().GOO;
        goods.File().Set(data::GOO_KeyQuery);
        while (goods.TryNext() == ui::Benign)
            if (row.QUERY != kQuery)
                stored.push_back({row.ID, std::string(data::StringOf(row.TITLE)), {}, 0, 0});
        std::vector<std::int32_t> ids;
        for (const std::string& title : Column(w, research::item_cell::kTitle)) {
            const auto item = std::find_if(stored.begin(), stored.end(),
                                           [&](const StoredItem& s) { return s.title == title; });
            if (item == stored.end()) {
                ADD_FAILURE() << "no stored item is titled " << title;
                continue;
            }
            ids.push_back(item->id);
            stored.erase(item);
        }
        return ids;
    }
    // The list's pop-up menu, opened with the right button on a row (0: below the rows), as
    // "text" or "-" with whether each item is enabled.
    std::vector<std::pair<std::string, bool>> Menu(ui::WindowId w, int row) {
        std::vector<std::pair<std::string, bool>> items;
        EXPECT_TRUE(
            display->ClickCell(w, "?LIST", row, research::item_cell::kTitle, ui::key::MouseRight));
        const auto menu = display->WaitForPopup(w);
        EXPECT_TRUE(menu);
        if (menu)
            for (const ui::PopupItem& item : menu->items)
                items.emplace_back(item.separator ? "-" : item.text, item.enabled);
        return items;
    }
    // Runs the command of a tag button from the list's menu on a row (0: wherever the list
    // stands).
    void Command(ui::WindowId w, int row, const char* button) {
        if (row == 0) row = CurrentRow(w);
        ASSERT_TRUE(
            display->ClickCell(w, "?LIST", row, research::item_cell::kTitle, ui::key::MouseRight));
        ASSERT_TRUE(display->WaitForPopup(w)) << button;
        ASSERT_TRUE(display->ChoosePopup(w, display->ControlOf(w, button)->text)) << button;
        // The menu item presses its button with a posted event, which can queue behind the
        // first F1 of a sync; it has run by the time a second one is answered.
        ASSERT_TRUE(Sync(w)) << button;
        ASSERT_TRUE(Sync(w)) << button;
    }

    int CurrentRow(ui::WindowId w) const {
        const auto list = display->ControlOf(w, "?LIST");
        return list ? list->selected : 0;
    }
    // The rows of a drop list, by name.
    std::vector<std::string> DropRows(ui::WindowId w, std::string_view use) const {
        std::vector<std::string> names;
        if (const auto list = display->ControlOf(w, use))
            for (const ui::ListRow& row : list->rows) names.push_back(row.cells.at(0));
        return names;
    }
    std::string DropChoice(ui::WindowId w, std::string_view use) const {
        const auto list = display->ControlOf(w, use);
        if (!list || list->selected < 1 || list->selected > static_cast<int>(list->rows.size()))
            return {};
        return list->rows[static_cast<std::size_t>(list->selected) - 1].cells.at(0);
    }
    bool Enabled(ui::WindowId w, std::string_view use) const {
        const auto c = display->ControlOf(w, use);
        return c && !c->disable && !c->hide;
    }
    std::string Caption(ui::WindowId w) const {
        const auto view = display->View(w);
        return view ? view->window.props.caption : std::string();
    }

    // The query's items as stored, in GOO:KeyQuery order.
    static std::vector<StoredItem> StoredItems(std::int32_t query = kQuery) {
        std::vector<StoredItem> items;
        data::TableManager& goods = data::Access(TableId::Goods);
        data::GoodsRecord& row = data::Dict().GOO;
        EXPECT_EQ(goods.UseFile(), ui::Benign);
        goods.File().ClearBuffer();
        row.QUERY = query;
        goods.File().SetAt(data::GOO_KeyQuery);
        while (goods.TryNext() == ui::Benign && row.QUERY == query)
            items.push_back({row.ID, std::string(data::StringOf(row.TITLE)),
                             std::string(data::CStringOf(row.KEYWORDS)), row.PRICEREAL,
                             row.AMAZONREAL});
        return items;
    }
    static std::vector<std::int32_t> StoredIds(std::int32_t query = kQuery) {
        std::vector<std::int32_t> ids;
        for (const StoredItem& item : StoredItems(query)) ids.push_back(item.id);
        return ids;
    }
    // The pointers of the query's tags, in insertion order.
    static std::vector<std::int32_t> StoredTags(std::int32_t query = kQuery) {
        std::vector<std::int32_t> tags;
        for (const TagRow& row : StoredRows(TableId::TagFile_))
            if (row.tbl == query) tags.push_back(row.ptr);
        return tags;
    }
    static std::size_t TagRowCount() { return StoredRows(TableId::TagFile_).size(); }
    static void AddTag(std::int32_t pointer, std::int32_t query = kQuery) {
        data::TableManager& tags = data::Access(TableId::TagFile_);
        ASSERT_EQ(tags.UseFile(), ui::Benign);
        tags.File().ClearBuffer();
        data::TagFileRecord& tag = data::Dict().TF_;
        tag.TBL = static_cast<std::int16_t>(query);
        tag.PTR = pointer;
        ASSERT_EQ(tags.Insert(), ui::Benign);
    }
    static std::optional<data::QueriesRecord> StoredQuery(std::int32_t id) {
        data::Dict().QUE.ID = id;
        if (data::Access(TableId::Queries).TryFetch(data::QUE_KeyId) != ui::Benign)
            return std::nullopt;
        return data::Dict().QUE;
    }

    std::vector<std::string> OpenedUrls() const {
        std::lock_guard lock(urlsMutex_);
        return urls_;
    }

    // The simulator as the configured proxy.
    void UseSimulator() {
        const int port = simulator.Start(0);
        ASSERT_GT(port, 0);
        data::TableManager& sysinfo = data::Access(TableId::Sysinfo);
        ASSERT_EQ(sysinfo.PrimeRecord(), ui::Benign);
        data::SysinfoRecord& sys = data::Dict().SYS;
        sys.MANUAL = 1;
        data::SetCString(sys.PROXY, "127.0.0.1:" + std::to_string(port));
        ASSERT_EQ(sysinfo.Insert(), ui::Benign);
    }

    // Ticks the clock until the job window of the procedure has closed by itself.
    bool TickJobToEnd(std::string_view procedure, runtime::Ticks period) {
        const auto job = display->WaitForWindow(procedure);
        if (!job) return false;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (display->IsOpen(*job)) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            clock.Advance(period);
        }
        return true;
    }

    // What the caller's response holds before the form runs.
    static constexpr int kCallerResponse = 9;

    sim::ServiceSimulator simulator{sim::ContentSettings{.seed = kFormSeed}};

  public:
    // The rows the form works on, written through this thread's dictionary.
    static void Seed() {
        data::Dictionary& d = data::Dict();
        for (const std::int32_t site : {1, 2, 4, 8, 16, 32}) SetSiteActive(site, site <= kUk);
        struct NodeSeed {
            std::int32_t id, parent, node;
            const char* name;
            std::int32_t flags;
        };
        for (const NodeSeed& n :
             {NodeSeed{node::kUsRoot, 0, 0, "Amazon US", kUs},
              NodeSeed{node::kElectronics, node::kUsRoot, 172282, "Electronics", kUs},
              NodeSeed{node::kCameras, node::kElectronics, 281052, "Cameras", kUs},
              NodeSeed{node::kUkRoot, 0, 0, "Amazon UK", kUk}}) {
            data::TableManager& nodes = data::Access(TableId::Nodes);
            ASSERT_EQ(nodes.UseFile(), ui::Benign);
            nodes.File().ClearBuffer();
            d.NOD.ID = n.id;
            d.NOD.PARENT = n.parent;
            d.NOD.NODE = n.node;
            data::SetCString(d.NOD.NAME, n.name);
            d.NOD.FLAGS = n.flags;
            ASSERT_EQ(nodes.Insert(), ui::Benign);
        }
        struct CatalogSeed {
            std::int32_t id, parent;
            const char* name;
            std::int32_t node;
            const char* index;
            std::int32_t flags;
        };
        for (const CatalogSeed& c :
             {CatalogSeed{1, 0, "Amazon US", 0, "", kUs},
              CatalogSeed{catalog::kUsElectronics, 1, "Electronics", 172282, "Electronics", kUs},
              CatalogSeed{catalog::kUsBooks, 1, "Books", 1000, "Books", kUs},
              CatalogSeed{catalog::kUsNoIndex, 1, "Apparel", 1036592, "", kUs},
              CatalogSeed{10, 0, "Amazon UK", 0, "", kUk},
              CatalogSeed{catalog::kUkBooks, 10, "UK books", 1025612, "Books", kUk}}) {
            data::TableManager& catalogs = data::Access(TableId::Catalogs);
            ASSERT_EQ(catalogs.UseFile(), ui::Benign);
            catalogs.File().ClearBuffer();
            d.CAT.ID = c.id;
            d.CAT.PARENT = c.parent;
            data::SetCString(d.CAT.NAME, c.name);
            d.CAT.NODE = c.node;
            data::SetCString(d.CAT.CATALOG, c.index);
            d.CAT.FLAGS = c.flags;
            ASSERT_EQ(catalogs.Insert(), ui::Benign);
        }
        for (const auto& [id, name] : {std::pair{kCanon, "Canon"}, std::pair{kNikon, "Nikon"}}) {
            data::TableManager& brands = data::Access(TableId::Brands);
            ASSERT_EQ(brands.UseFile(), ui::Benign);
            brands.File().ClearBuffer();
            d.BRA.ID = id;
            data::SetString(d.BRA.NAME, name);
            ASSERT_EQ(brands.Insert(), ui::Benign);
        }
        for (const std::int32_t id : {kQuery, kOtherQuery}) {
            data::TableManager& queries = data::Access(TableId::Queries);
            ASSERT_EQ(queries.UseFile(), ui::Benign);
            queries.File().ClearBuffer();
            d.QUE.ID = id;
            d.QUE.SITE = kUs;
            d.QUE.CATALOG = catalog::kUsElectronics;
            d.QUE.NODE = node::kCameras;
            d.QUE.BRAND = kCanon;
            data::SetString(d.QUE.NAME, id == kQuery ? "Cameras" : "Lenses");
            data::SetCString(d.QUE.KEYWORDS, "digital camera");
            d.QUE.MINPRICE = 10;
            d.QUE.MAXPRICE = 500;
            ASSERT_EQ(queries.Insert(), ui::Benign);
        }
        for (const ItemSeed& item : kItems) {
            data::TableManager& goods = data::Access(TableId::Goods);
            ASSERT_EQ(goods.UseFile(), ui::Benign);
            goods.File().ClearBuffer();
            d.GOO.ID = item.id;
            d.GOO.QUERY = item.query;
            data::SetCString(d.GOO.ASIN, "B000000" + std::to_string(item.id));
            data::SetCString(d.GOO.DETAILPAGE, DetailPageOf(item.id));
            data::SetString(d.GOO.TITLE, item.title);
            data::SetCString(d.GOO.KEYWORDS, std::string(item.title) + " deals");
            d.GOO.RANK = item.rank;
            d.GOO.ADS = item.ads;
            d.GOO.AFFILATIVE = item.affilative;
            d.GOO.PRICEREAL = item.listPrice;
            d.GOO.AMAZONREAL = item.amazonPrice;
            d.GOO.SHIP = item.ship;
            if (item.listPrice != 0) data::SetCString(d.GOO.PRICELIST, Money(item.listPrice));
            data::SetCString(d.GOO.AMAZONPRICE, Money(item.amazonPrice));
            ASSERT_EQ(goods.Insert(), ui::Benign);
        }
    }

    static void SetSiteActive(std::int32_t id, bool active) {
        data::TableManager& sites = data::Access(TableId::Sites);
        data::Dict().SIT.ID = id;
        ASSERT_EQ(sites.Fetch(data::SIT_KeyId), ui::Benign);
        data::Dict().SIT.ISACTIVE = active ? 1 : 0;
        ASSERT_EQ(sites.Update(), ui::Benign);
    }

  protected:
    static void SetActive(std::int32_t id, bool active) { SetSiteActive(id, active); }

  private:
    std::mutex outcomeMutex_;
    FormOutcome outcome_;
    std::atomic<bool> done_{false};
    mutable std::mutex urlsMutex_;
    std::vector<std::string> urls_;
    std::optional<ProxyEnvironment> noProxy_;
};

}  // namespace zem::test
