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
#include "platform/ui/display.h"
#include "platform/ui/headless_display.h"
#include "research/build_list.h"
#include "research/service_request.h"
#include "service_simulator.h"
#include "shell/frame_fixture.h"
#include "web/http_loader.h"
#include "web/stores.h"

namespace zem::test {

using namespace std::chrono_literals;

// Forwards everything to the headless display and keeps the last text each control showed,
// and every value the loaded counter took, so a test can read a window that closed itself.
class ShownRecorder final : public ui::Display {
  public:
    explicit ShownRecorder(std::shared_ptr<ui::HeadlessDisplay> inner) : inner_(std::move(inner)) {}

    void Opened(const ui::WindowSnapshot& window) override {
        {
            std::lock_guard lock(mutex_);
            for (const ui::Control& c : window.controls) Record(c);
        }
        inner_->Opened(window);
    }
    void WindowChanged(ui::WindowId window, const ui::WindowProps& props) override {
        inner_->WindowChanged(window, props);
    }
    void ControlChanged(ui::WindowId window, const ui::Control& control) override {
        {
            std::lock_guard lock(mutex_);
            Record(control);
        }
        inner_->ControlChanged(window, control);
    }
    void Closed(ui::WindowId window) override { inner_->Closed(window); }
    void Focus(ui::WindowId window, int feq) override { inner_->Focus(window, feq); }
    void Busy(ui::WindowId window, bool busy) override { inner_->Busy(window, busy); }
    void Standard(ui::WindowId window, ui::StdAction action) override {
        inner_->Standard(window, action);
    }
    unsigned Ask(ui::WindowId window, const ui::MessageRequest& request) override {
        return inner_->Ask(window, request);
    }
    ui::WindowId ActiveWindow() override { return inner_->ActiveWindow(); }

    // What the control showed last: a progress bar's position, any other control's text.
    std::string Last(std::string_view use) const {
        std::lock_guard lock(mutex_);
        const auto it = last_.find(std::string(use));
        return it == last_.end() ? std::string() : it->second;
    }
    // Every value "?A" showed, in order, repeats left out.
    std::vector<std::string> LoadedHistory() const {
        std::lock_guard lock(mutex_);
        return loaded_;
    }

  private:
    void Record(const ui::Control& c) {
        const std::string shown = c.kind == ui::ControlKind::Progress ? c.screen : c.text;
        last_[c.use] = shown;
        if (c.use == "?A" && (loaded_.empty() || loaded_.back() != shown)) loaded_.push_back(shown);
    }

    std::shared_ptr<ui::HeadlessDisplay> inner_;
    mutable std::mutex mutex_;
    std::map<std::string, std::string> last_;
    std::vector<std::string> loaded_;
};

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

class BuildListTest : public FrameTest {
  protected:
    void SetUp() override {
        FrameTest::SetUp();
        for (const char* name : {"no_proxy", "NO_PROXY"}) {
            if (const char* value = std::getenv(name)) savedEnv_.emplace_back(name, value);
            ::unsetenv(name);
        }
        store::OpenStatus status;
        ASSERT_TRUE(data::OpenZembrolaFile(dir / "zembrola.cfg", status)) << status.text;
        port_ = simulator.Start(0);
        ASSERT_GT(port_, 0);
        ui::SetDisplay(recorder);
    }

    void TearDown() override {
        FrameTest::TearDown();
        runtime::Join(thread_);
        simulator.Stop();
        // The pager's worker ends once its pager is gone; none outlives its test.
        EXPECT_TRUE(Eventually([] { return HTTP::Loader::LiveCount() == 0; }));
        for (const auto& [name, value] : savedEnv_) ::setenv(name.c_str(), value.c_str(), 1);
    }

    std::string ProxyAddress() const { return "127.0.0.1:" + std::to_string(port_); }

    // Runs BuildList on a framework thread of its own with the buffers set up as the query
    // form sets them; before runs there first, after the buffers are set.
    void Start(const QuerySetup& query, const ConfigSetup& config = {},
               std::function<void()> before = {}) {
        ConfigSetup c = config;
        if (c.proxy.empty()) c.proxy = ProxyAddress();
        outcome_ = std::promise<JobOutcome>();
        thread_ = runtime::Start([this, query, c, before] {
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
        ASSERT_NE(thread_, 0);
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
        runtime::Join(thread_);
        thread_ = 0;
        return future.get();
    }

    // Waits until the window has handled everything that was due before: a help key pressed
    // now may still overtake a timer event that just fell due, a second one no longer can.
    // False once the window has closed.
    bool Sync(ui::WindowId w) {
        for (int round = 0; round < 2; ++round) {
            const std::size_t before = help->Requests().size();
            if (!display->PressKey(w, ui::key::F1)) return false;
            if (!Eventually(
                    [&] { return help->Requests().size() > before || !display->IsOpen(w); }))
                return false;
        }
        return display->IsOpen(w);
    }

    // One period of the window's timer, handled.
    bool Tick(ui::WindowId w) {
        clock.Advance(kTimerPeriod);
        return Sync(w);
    }

    // Ticks until done() holds; false when it did not within the limit.
    bool TickUntil(ui::WindowId w, const std::function<bool()>& done,
                   std::chrono::seconds limit = 60s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            // Pages load in real time on the pager's worker: give it a moment between ticks.
            std::this_thread::sleep_for(10ms);
            Tick(w);
        }
        return true;
    }
    // Ticks until the window has closed by itself.
    bool TickToEnd(ui::WindowId w) {
        return TickUntil(w, [&] { return !display->IsOpen(w); });
    }

    // The item searches the simulator was asked, as "GET <target>".
    std::vector<std::string> ItemSearches() const {
        std::vector<std::string> searches;
        for (const std::string& line : simulator.Requests())
            if (line.find("Operation=ItemSearch") != std::string::npos) searches.push_back(line);
        return searches;
    }

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
        QuerySetup q;
        for (int i = 1; i < 5000; ++i) {
            q.keywords = "zembrola test " + std::to_string(i);
            if (TotalPages(q) == pages) return q;
        }
        ADD_FAILURE() << "no keywords give " << pages << " pages";
        return q;
    }

    static constexpr runtime::Ticks kTimerPeriod = 50;
    static constexpr std::uint64_t kSeed = 1;

    sim::ServiceSimulator simulator{sim::ContentSettings{.seed = kSeed}};
    std::shared_ptr<ShownRecorder> recorder = std::make_shared<ShownRecorder>(display);

  private:
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

    int port_ = 0;
    runtime::ThreadNo thread_ = 0;
    std::promise<JobOutcome> outcome_;
    std::vector<std::pair<std::string, std::string>> savedEnv_;
};

}  // namespace zem::test
