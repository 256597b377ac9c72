#pragma once
// The item-list loader as the query form runs it: on a framework thread of its own, over that
// thread's record buffers, with the headless display for the screen, a set clock for the
// window's timer and the service simulator as the configured proxy.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "item_catalog.h"
#include "platform/runtime/requests.h"
#include "platform/ui/window/display.h"
#include "platform/ui/window/headless_display.h"
#include "research/itemloader/build_list.h"
#include "research/jobs/service_request.h"
#include "research/support/job_test_support.h"
#include "service_simulator.h"
#include "web/http_loader.h"
#include "web/stores.h"

namespace zem::test {

using namespace std::chrono_literals;

// The query the loader is given, as the query form leaves it in the buffers.
struct QuerySetup {
    std::string keywords = "digital camera";
    std::int32_t site = 1;
    std::string searchIndex = "Electronics";
    std::int32_t node = 0;
    double minimumPrice = 0;
    double maximumPrice = 0;
};

// The configuration record; by default the simulator is the proxy, set by hand.
struct ConfigSetup {
    bool present = true;
    std::int32_t userAgent = 1;
    std::int32_t manual = 1;
    std::string proxy;  // empty: the simulator's address
    std::string user;
    std::string password;
    std::uint8_t useAccount = 0;
    std::uint8_t usePassword = 0;
};

// What the job thread saw once BuildList returned.
struct JobOutcome {
    std::uint8_t status = 0xFF;
    int response = -1;
    data::QueriesRecord query{};
    std::vector<data::GoodsRecord> goods;  // the query's rows, in ID order
    std::map<std::int32_t, std::string> brands;
};

// The query the tests load items for.
inline constexpr std::int32_t kQueryId = 7;

class BuildListTest : public SimulatedJobTest {
  protected:
    BuildListTest()
        : SimulatedJobTest(sim::ContentSettings{.seed = kSeed},
                           TickPace{.timerPeriod = kTimerPeriod, .pause = 10ms, .limit = 60s}) {}

    // Runs BuildList on a framework thread of its own with the buffers set up as the query
    // form sets them; before runs there first, after the buffers are set.
    void Start(const QuerySetup& query, const ConfigSetup& config = {},
               std::function<void()> before = {}) {
        ConfigSetup c = config;
        if (c.proxy.empty()) c.proxy = ProxyAddress();
        outcome_ = std::promise<JobOutcome>();
        RunJob([this, query, c, before] {
            if (!data::HasDictionary()) {
                ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
            }
            if (c.present) StoreConfiguration(c);
            data::Dictionary& d = data::Dict();
            d.QUE = {};
            d.QUE.ID = kQueryId;
            d.QUE.SITE = static_cast<std::uint8_t>(query.site);
            data::SetCString(d.QUE.KEYWORDS, query.keywords);
            d.QUE.MINPRICE = query.minimumPrice;
            d.QUE.MAXPRICE = query.maximumPrice;
            d.CAT = {};
            data::SetCString(d.CAT.CATALOG, query.searchIndex);
            d.NOD = {};
            d.NOD.NODE = query.node;
            if (before) before();
            JobOutcome out;
            out.status = research::BuildList();
            out.response = runtime::GlobalResponse();
            out.query = d.QUE;
            out.goods = GoodsOf(kQueryId);
            out.brands = Brands();
            outcome_.set_value(std::move(out));
        });
    }

    // Starts the job and waits for its window.
    ui::WindowId StartWindow(const QuerySetup& query, const ConfigSetup& config = {},
                             std::function<void()> before = {}) {
        Start(query, config, std::move(before));
        const auto w = display->WaitForWindow("BuildList");
        EXPECT_TRUE(w) << "the job window did not open";
        return w.value_or(0);
    }

    // The job's answer once its thread has returned from BuildList.
    JobOutcome Outcome() {
        auto future = outcome_.get_future();
        if (future.wait_for(30s) != std::future_status::ready) {
            ADD_FAILURE() << "BuildList did not return";
            return {};
        }
        JoinJob();
        return future.get();
    }

    // The item searches the simulator was asked, as "GET <target>".
    std::vector<std::string> ItemSearches() const { return RequestsWith("Operation=ItemSearch"); }

    // The simulator's query for a setup, as it reads the request.
    static sim::ItemQuery SimQuery(const QuerySetup& q) {
        sim::ItemQuery query;
        query.store = web::StoreBySite(q.site);
        query.searchIndex = q.searchIndex;
        query.keywords = q.keywords;
        if (q.node != 0) query.browseNode = std::to_string(q.node);
        query.minimumPrice = research::PriceBound(q.minimumPrice);
        query.maximumPrice = research::PriceBound(q.maximumPrice);
        return query;
    }
    static int TotalResults(const QuerySetup& q) { return sim::TotalResultsOf(kSeed, SimQuery(q)); }
    static int TotalPages(const QuerySetup& q) { return sim::TotalPagesOf(TotalResults(q)); }
    static std::vector<sim::Item> ItemsOf(const QuerySetup& q) {
        std::vector<sim::Item> items;
        for (int page = 1; page <= TotalPages(q); ++page)
            for (sim::Item& item : sim::ItemsOfPage(kSeed, SimQuery(q), page))
                items.push_back(std::move(item));
        return items;
    }

    // A query of the US Electronics index whose result has exactly `pages` pages.
    static QuerySetup QueryWithPages(int pages) {
        return FirstQuery([&](const QuerySetup& q) { return TotalPages(q) == pages; },
                          std::to_string(pages) + " pages");
    }
    // One whose result has exactly `results` items: a last page holding few of them is read
    // in a fraction of a full page's time.
    static QuerySetup QueryWithResults(int results) {
        return FirstQuery([&](const QuerySetup& q) { return TotalResults(q) == results; },
                          std::to_string(results) + " results");
    }

    static constexpr runtime::Ticks kTimerPeriod = 50;
    static constexpr std::uint64_t kSeed = 1;

  private:
    // The first of the test keywords whose query holds; a failure when none does.
    template <typename Holds>
    static QuerySetup FirstQuery(Holds holds, const std::string& what) {
        QuerySetup q;
        for (int i = 1; i < 5000; ++i) {
            q.keywords = "zembrola test " + std::to_string(i);
            if (holds(q)) return q;
        }
        ADD_FAILURE() << "no keywords give " << what;
        return q;
    }

    static void StoreConfiguration(const ConfigSetup& c) {
        data::TableManager& sysinfo = data::Access(data::TableId::Sysinfo);
        ASSERT_EQ(sysinfo.PrimeRecord(), ui::Benign);
        data::SysinfoRecord& sys = data::Dict().SYS;
        sys.USERAGENT = c.userAgent;
        sys.MANUAL = c.manual;
        data::SetCString(sys.PROXY, c.proxy);
        data::SetCString(sys.USER, c.user);
        data::SetCString(sys.PASSWORD, c.password);
        sys.USEACCOUNT = c.useAccount;
        sys.USEPASSWORD = c.usePassword;
        ASSERT_EQ(sysinfo.Insert(), ui::Benign);
        sys = {};
    }

    static std::vector<data::GoodsRecord> GoodsOf(std::int32_t query) {
        data::TableManager& goods = data::Access(data::TableId::Goods);
        std::vector<data::GoodsRecord> rows;
        if (goods.UseFile() != ui::Benign) return rows;
        goods.File().Set(data::GOO_KeyId);
        while (goods.TryNext() == ui::Benign)
            if (data::Dict().GOO.QUERY == query) rows.push_back(data::Dict().GOO);
        return rows;
    }

    static std::map<std::int32_t, std::string> Brands() {
        data::TableManager& brands = data::Access(data::TableId::Brands);
        std::map<std::int32_t, std::string> rows;
        if (brands.UseFile() != ui::Benign) return rows;
        brands.File().Set(data::BRA_KeyId);
        while (brands.TryNext() == ui::Benign)
            rows.emplace(+data::Dict().BRA.ID, std::string(data::StringOf(data::Dict().BRA.NAME)));
        return rows;
    }

    std::promise<JobOutcome> outcome_;
};

}  // namespace zem::test
