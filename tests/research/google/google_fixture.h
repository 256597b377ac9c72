#pragma once
// The competition check as the query form runs it: on a framework thread of its own, over that
// thread's record buffers (the query, its items and their tags set up there first), with the
// headless display for the screen, a set clock for the window's timer and the service
// simulator, reached as the configured proxy, for the result pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <future>
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
#include "platform/runtime/requests.h"
#include "platform/store/errors.h"
#include "platform/store/table.h"
#include "platform/ui/window/display.h"
#include "proxy_request.h"
#include "research/google/build_google.h"
#include "research/support/job_test_support.h"
#include "result_page.h"
#include "service_simulator.h"
#include "shell/tagging.h"
#include "web/http_loader.h"
#include "web/stores.h"

namespace zem::test {

// The query whose items are checked, and another one beside it.
inline constexpr std::int32_t kCheckedQuery = 7;
inline constexpr std::int32_t kOtherQuery = 8;

// One Goods row as the test sets it up.
struct ItemSetup {
    std::string keywords;
    bool tagged = true;
    std::string tagValue;  // orders the tags: the set is walked by value
    std::int32_t ads = 0;
    std::int32_t affilative = 0;
    std::int32_t query = kCheckedQuery;
    bool deletedBefore = false;  // tagged, then deleted before the check starts
};

struct CheckSetup {
    std::int32_t site = 1;
    std::vector<ItemSetup> items;
};

// What the job thread saw once BuildGoogle returned.
struct CheckOutcome {
    std::uint8_t status = 0xFF;
    int response = -1;
    data::QueriesRecord query{};
    data::GoodsRecord goodsBuffer{};
    std::vector<data::GoodsRecord> goods;  // every row, in ID order
    std::vector<std::int32_t> tags;        // the checked query's tags, in walk order
};

// What the simulator's result page for a phrase shows, read straight from its markup.
struct PageCounts {
    std::int32_t competitors = 0;  // ordinary results not linking to http://www.<domain>
    bool ownAd = false;            // a sponsored result showing www.<domain>
    std::size_t results = 0;
};

inline std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The texts between each occurrence of open and the next close.
// What the simulator put on its page for plain keywords in a store's country, searched as a
// phrase.
inline PageCounts CountsOf(std::uint64_t seed, std::int32_t site, std::string_view keywords) {
    const web::StoreInfo* store = web::StoreBySite(site);
    const sim::ResultPageFacts facts =
        sim::DrawResultPage(seed, *store, store->searchHost, "\"" + std::string(keywords) + "\"")
            .facts;
    PageCounts counts;
    counts.ownAd =
        std::find(facts.topIsStore.begin(), facts.topIsStore.end(), true) != facts.topIsStore.end();
    counts.results = facts.links.size();
    counts.competitors =
        static_cast<int>(std::count(facts.linkIsStore.begin(), facts.linkIsStore.end(), false));
    return counts;
}

class CompetitionCheckTest : public SimulatedJobTest {
  protected:
    CompetitionCheckTest()
        : SimulatedJobTest(sim::ContentSettings{.seed = kSeed},
                           TickPace{.timerPeriod = kTimerPeriod,
                                    .pause = std::chrono::milliseconds(10),
                                    .limit = std::chrono::seconds(60)}) {}

    // Runs BuildGoogle on a framework thread of its own, after setting up the configuration,
    // the items and their tags there, and the query in the buffer as the query form leaves it;
    // before runs last, just ahead of the check.
    void Start(const CheckSetup& setup, std::function<void()> before = {}) {
        outcome_ = std::promise<CheckOutcome>();
        std::promise<std::vector<std::int32_t>> ids;
        auto idsReady = ids.get_future();
        const std::string proxy = ProxyAddress();
        RunJob([this, setup, proxy, before, &ids] {
            if (!data::HasDictionary() && !data::InitDictionary(data::ZembrolaFile())) {
                ADD_FAILURE() << "no dictionary on the check's thread";
                ids.set_value({});
                outcome_.set_value({});
                return;
            }
            StoreConfiguration(proxy);
            // The test waits for the ids: nothing may return before they are set.
            ids.set_value(AddItems(setup.items));
            data::Dictionary& d = data::Dict();
            d.QUE = {};
            d.QUE.ID = kCheckedQuery;
            d.QUE.SITE = static_cast<std::uint8_t>(setup.site);
            if (before) before();
            CheckOutcome out;
            out.status = research::BuildGoogle();
            out.response = runtime::GlobalResponse();
            out.query = d.QUE;
            out.goodsBuffer = d.GOO;
            out.goods = AllGoods();
            out.tags = TagsOf(kCheckedQuery);
            outcome_.set_value(std::move(out));
        });
        if (HasFatalFailure()) return;
        ids_ = idsReady.get();
    }

    // Starts the check and waits for its window.
    ui::WindowId StartWindow(const CheckSetup& setup, std::function<void()> before = {}) {
        Start(setup, std::move(before));
        const auto w = display->WaitForWindow("BuildGoogle");
        EXPECT_TRUE(w) << "the check's window did not open";
        return w.value_or(0);
    }

    // The GOO:ID each item of the setup got, in setup order.
    std::int32_t IdOf(std::size_t item) const { return ids_.at(item); }

    CheckOutcome Outcome() {
        auto future = outcome_.get_future();
        if (future.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ADD_FAILURE() << "BuildGoogle did not return";
            return {};
        }
        JoinJob();
        return future.get();
    }

    // The result pages the simulator was asked for, as "GET <target>".
    std::vector<std::string> Searches() const { return RequestsWith("/search?"); }

    // What the check asks for plain keywords (letters, digits, blanks) of a store.
    static std::string SearchOf(std::int32_t site, std::string keywords) {
        const web::StoreInfo* store = web::StoreBySite(site);
        for (char& c : keywords)
            if (c == ' ') c = '+';
        return "GET http://" + std::string(store->searchHost) + "/search?hl=en&safe=off&q=%22" +
               keywords + "%22&btnG=Search&gl=" + std::string(store->country);
    }

    static PageCounts Counts(std::int32_t site, std::string_view keywords) {
        return CountsOf(kSeed, site, keywords);
    }

    // Keywords of the form "<stem> <n>" whose page in the store's country satisfies wanted.
    static std::string KeywordsWhere(std::int32_t site, std::string_view stem,
                                     const std::function<bool(const PageCounts&)>& wanted) {
        for (int n = 1; n < 5000; ++n) {
            std::string keywords = std::string(stem) + " " + std::to_string(n);
            if (wanted(Counts(site, keywords))) return keywords;
        }
        ADD_FAILURE() << "no keywords of " << stem << " give the page wanted";
        return std::string(stem);
    }

    // Runs fn on a thread of its own with a connection of its own to the data file: a change
    // made there is another user's, outside the check's thread.
    static void OnOtherConnection(const std::function<void()>& fn) {
        std::thread other([&] {
            fn();
            data::ZembrolaFile()->ReleaseThreadConnection();
        });
        other.join();
    }

    // Deletes a Goods row from another connection.
    static bool DeleteGoods(std::int32_t id) {
        bool deleted = false;
        OnOtherConnection([&] {
            data::GoodsRecord row{};
            store::Table table(*data::ZembrolaFile(), data::Def(data::TableId::Goods), &row);
            row.ID = id;
            deleted = table.Open() == store::NoError &&
                      table.Fetch(data::GOO_KeyId) == store::NoError &&
                      table.Delete() == store::NoError;
        });
        return deleted;
    }

    static const data::GoodsRecord* RowOf(const CheckOutcome& out, std::int32_t id) {
        for (const data::GoodsRecord& row : out.goods)
            if (row.ID == id) return &row;
        return nullptr;
    }

    static constexpr runtime::Ticks kTimerPeriod = 100;
    static constexpr std::uint64_t kSeed = 3;

  private:
    static void StoreConfiguration(const std::string& proxy) {
        data::TableManager& sysinfo = data::Access(data::TableId::Sysinfo);
        ASSERT_EQ(sysinfo.PrimeRecord(), ui::Benign);
        data::SysinfoRecord& sys = data::Dict().SYS;
        sys.USERAGENT = 1;
        sys.MANUAL = 1;
        data::SetCString(sys.PROXY, proxy);
        ASSERT_EQ(sysinfo.Insert(), ui::Benign);
        sys = {};
    }

    static std::vector<std::int32_t> AddItems(const std::vector<ItemSetup>& items) {
        std::vector<std::int32_t> ids;
        data::TableManager& goods = data::Access(data::TableId::Goods);
        data::GoodsRecord& row = data::Dict().GOO;
        for (const ItemSetup& item : items) {
            EXPECT_EQ(goods.PrimeRecord(), ui::Benign);
            row.QUERY = item.query;
            data::SetCString(row.ASIN, "B00TEST" + std::to_string(ids.size() + 1));
            data::SetString(row.TITLE, item.keywords);
            data::SetCString(row.KEYWORDS, item.keywords);
            row.ADS = item.ads;
            row.AFFILATIVE = item.affilative;
            EXPECT_EQ(goods.Insert(), ui::Benign);
            const std::int32_t id = row.ID;
            ids.push_back(id);
            if (item.tagged) shell::ToggleTag(item.query, id, item.tagValue);
            if (item.deletedBefore) {
                row.ID = id;
                EXPECT_EQ(goods.Fetch(data::GOO_KeyId), ui::Benign);
                EXPECT_EQ(goods.File().Delete(), store::NoError);
            }
        }
        row = {};
        return ids;
    }

    static std::vector<data::GoodsRecord> AllGoods() {
        data::TableManager& goods = data::Access(data::TableId::Goods);
        std::vector<data::GoodsRecord> rows;
        if (goods.UseFile() != ui::Benign) return rows;
        goods.File().Set(data::GOO_KeyId);
        while (goods.TryNext() == ui::Benign) rows.push_back(data::Dict().GOO);
        return rows;
    }

    static std::vector<std::int32_t> TagsOf(std::int32_t query) {
        std::vector<std::int32_t> tags;
        data::TableManager& tagFile = data::Access(data::TableId::TagFile_);
        if (tagFile.Open() != ui::Benign) return tags;
        for (std::int32_t p = shell::FirstTagged(query); p != 0; p = shell::NextTagged(query))
            tags.push_back(p);
        tagFile.Close();
        return tags;
    }

    std::promise<CheckOutcome> outcome_;
    std::vector<std::int32_t> ids_;
};

}  // namespace zem::test
