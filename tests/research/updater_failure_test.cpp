// The catalog updater when the rewrite must not happen or cannot complete: the tables keep what
// they held, the deletions of the active stores' rows included.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <limits>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "updater_fixture.h"

namespace zem::test {
namespace {

class CatalogUpdaterFailureTest : public CatalogUpdaterTest {
  protected:
    // CA is rewritten; its old rows must survive whatever goes wrong.
    void SetUpTables(int catalogLevel) {
        Configure(catalogLevel);
        SetActiveStores(kCA);
        AddCatalogs(OldCatalogs());
        AddNodes(OldNodes());
    }

    void ExpectTablesAsBefore(const std::vector<data::CatalogsRecord>& catalogs = OldCatalogs(),
                              const std::vector<data::NodesRecord>& nodes = OldNodes()) {
        ExpectSameCatalogs(Catalogs(), catalogs);
        ExpectSameNodes(Nodes(), nodes);
    }

    // The one message shown, or an empty one.
    ui::MessageRequest OnlyMessage() const {
        const auto messages = display->Messages();
        EXPECT_EQ(messages.size(), 1u);
        return messages.empty() ? ui::MessageRequest{} : messages.front().request;
    }

    // Waits a while and answers whether any lookup went out in the meantime.
    bool AsksMore() const {
        const std::size_t before = Lookups().size();
        std::this_thread::sleep_for(300ms);
        return Lookups().size() != before;
    }
};

// How the user ends the crawl before it is done.
struct StopCase {
    const char* name;
    bool closeBox;  // otherwise the Cancel button
    friend void PrintTo(const StopCase& c, std::ostream* out) { *out << c.name; }
};

class CatalogUpdaterStopTest : public CatalogUpdaterFailureTest,
                               public ::testing::WithParamInterface<StopCase> {};

TEST_P(CatalogUpdaterStopTest, EndingTheCrawlEarlyWritesNothing) {
    SetUpTables(3);
    const ui::WindowId w = StartWindow();
    ASSERT_TRUE(TickUntil(w, [&] { return recorder->Last("?A") != "0"; }));
    // A page on its way when the window closes.
    sim::Modes slow;
    slow.delayMs = 3000;
    simulator.SetModes(slow);
    const std::size_t asked = Lookups().size();
    ASSERT_TRUE(TickUntil(w, [&] { return Lookups().size() > asked; }));
    ASSERT_TRUE(GetParam().closeBox ? display->CloseBox(w) : display->Press(w, "?CANCEL"));
    ASSERT_TRUE(display->WaitForClose(w));
    EXPECT_EQ(Finish(), runtime::response::kCancelled);
    EXPECT_TRUE(display->Messages().empty());
    EXPECT_FALSE(AsksMore());
    ExpectTablesAsBefore();
}

INSTANTIATE_TEST_SUITE_P(Cases, CatalogUpdaterStopTest,
                         ::testing::Values(StopCase{"CancelButton", false},
                                           StopCase{"CloseBox", true}),
                         [](const auto& tc) { return std::string(tc.param.name); });

// How a page goes wrong, and what the user is told after "Process canceled with errors".
struct PageFailureCase {
    const char* name;
    sim::Modes modes;
    bool afterFirstPage;  // otherwise the first page already fails
    std::string reason;   // empty: any reason in parentheses
    friend void PrintTo(const PageFailureCase& c, std::ostream* out) { *out << c.name; }
};

class CatalogUpdaterPageFailureTest : public CatalogUpdaterFailureTest,
                                      public ::testing::WithParamInterface<PageFailureCase> {};

TEST_P(CatalogUpdaterPageFailureTest, AFailedPageEndsTheCrawlAndWritesNothing) {
    const PageFailureCase& c = GetParam();
    SetUpTables(3);
    if (!c.afterFirstPage) simulator.SetModes(c.modes);
    const ui::WindowId w = StartWindow();
    if (c.afterFirstPage) {
        ASSERT_TRUE(TickUntil(w, [&] { return recorder->Last("?A") != "0"; }));
        simulator.SetModes(c.modes);
    }
    ASSERT_TRUE(TickToEnd(w));
    EXPECT_EQ(Finish(), runtime::response::kCancelled);

    const ui::MessageRequest m = OnlyMessage();
    EXPECT_EQ(m.caption, "Attention");
    EXPECT_EQ(m.icon, ui::Icon::Exclamation);
    if (!c.reason.empty()) {
        ExpectCanceledWithErrors(m.text, " (" + c.reason + ").", true);
    } else {
        ExpectCanceledWithErrors(m.text, " (", false);
        // The loader's own reason: the page never came.
        EXPECT_EQ(m.text.find("no browse node"), std::string::npos) << m.text;
    }
    EXPECT_FALSE(AsksMore());
    ExpectTablesAsBefore();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogUpdaterPageFailureTest,
    ::testing::Values(PageFailureCase{"DroppedConnection", Failing(sim::Failure::Drop), false, ""},
                      PageFailureCase{"CutLaterPage", Cut(200), true, ""},
                      PageFailureCase{"ServerErrorPage", Failing(sim::Failure::Status500), false,
                                      "the reply holds no browse node"},
                      PageFailureCase{"ServerErrorOnLaterPage", Failing(sim::Failure::Status500),
                                      true, "the reply holds no browse node"},
                      PageFailureCase{"ProxyWantsAnAccount", ProxyAccount(), false,
                                      "the reply holds no browse node"}),
    [](const auto& tc) { return std::string(tc.param.name); });

// A row the rewrite cannot add: an inactive store's row so high that the new rows' IDs, shifted
// above it, no longer fit.
struct WriteFailureCase {
    const char* name;
    bool catalogRow;  // otherwise a node row
    std::string message;
    friend void PrintTo(const WriteFailureCase& c, std::ostream* out) { *out << c.name; }
};

class CatalogUpdaterWriteFailureTest : public CatalogUpdaterFailureTest,
                                       public ::testing::WithParamInterface<WriteFailureCase> {};

TEST_P(CatalogUpdaterWriteFailureTest, AFailedAddRollsTheDeletionsBackToo) {
    const WriteFailureCase& c = GetParam();
    SetUpTables(1);
    constexpr std::int32_t kHigh = std::numeric_limits<std::int32_t>::max() - 3;
    std::vector<data::CatalogsRecord> catalogs = OldCatalogs();
    std::vector<data::NodesRecord> nodes = OldNodes();
    if (c.catalogRow) {
        data::CatalogsRecord high = catalogs.back();  // a UK catalog
        high.ID = kHigh;
        AddCatalogs({high});
        catalogs.push_back(high);
    } else {
        data::NodesRecord high = nodes[3];  // a UK node
        high.ID = kHigh;
        AddNodes({high});
        nodes.push_back(high);
    }

    const ui::WindowId w = StartWindow();
    ASSERT_TRUE(TickToEnd(w));
    EXPECT_EQ(Finish(), runtime::response::kCancelled);
    const ui::MessageRequest m = OnlyMessage();
    EXPECT_EQ(m.text, c.message);
    EXPECT_EQ(m.caption, "Error");
    EXPECT_EQ(m.icon, ui::Icon::Exclamation);
    ExpectTablesAsBefore(catalogs, nodes);
}

constexpr const char* kOutOfRange = "the new rows' IDs would pass the highest ID a row can have";

INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogUpdaterWriteFailureTest,
    ::testing::Values(
        WriteFailureCase{"Catalogs", true, std::string("Update catalogs error: ") + kOutOfRange},
        WriteFailureCase{"Nodes", false, std::string("Update nodes error: ") + kOutOfRange}),
    [](const auto& tc) { return std::string(tc.param.name); });

// Lets a waiting thread go, at the latest when it goes out of scope.
class Release {
  public:
    std::shared_future<void> Done() const { return done_; }
    void Give() {
        if (given_) return;
        given_ = true;
        promise_.set_value();
    }
    ~Release() { Give(); }

  private:
    std::promise<void> promise_;
    std::shared_future<void> done_ = promise_.get_future().share();
    bool given_ = false;
};

TEST_F(CatalogUpdaterFailureTest, ATransactionHeldElsewhereOverTenSecondsStopsTheRewrite) {
    SetUpTables(1);
    // Another window's transaction over Catalogs, on a thread of its own, until the test lets
    // it go (however the test ends).
    std::promise<int> locked;
    Release release;
    const runtime::ThreadNo holder = runtime::Start([&locked, done = release.Done()] {
        if (!data::HasDictionary()) {
            ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
        }
        data::TableManager& catalogs = data::Access(data::TableId::Catalogs);
        const int opened = catalogs.UseFile() == ui::Benign ? store::NoError : store::FileNotOpen;
        store::Table* tables[] = {&catalogs.File()};
        const int rc = opened == store::NoError ? data::Dict().File().Logout(1.0, tables) : opened;
        locked.set_value(rc);
        done.wait();
        if (rc == store::NoError) data::Dict().File().Rollback();
    });
    ASSERT_EQ(locked.get_future().get(), store::NoError);

    const auto start = std::chrono::steady_clock::now();
    const ui::WindowId w = StartWindow();
    // The window ends its crawl at once and waits for the lock with the wait cursor.
    ASSERT_TRUE(TickUntil(w, [&] {
        const auto view = display->View(w);
        return !view || view->busy;
    }));
    ASSERT_TRUE(display->WaitForClose(w, 20s));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 9500ms);
    EXPECT_EQ(Finish(), runtime::response::kCancelled);
    release.Give();
    runtime::Join(holder);

    const ui::MessageRequest m = OnlyMessage();
    EXPECT_EQ(m.text, "Logout error: File Is Already Locked");
    EXPECT_EQ(m.caption, "Error");
    EXPECT_EQ(m.icon, ui::Icon::Exclamation);
    ExpectTablesAsBefore();
}

}  // namespace
}  // namespace zem::test
