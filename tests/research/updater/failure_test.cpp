// The catalog updater when the rewrite must not happen or cannot complete: the tables keep what
// they held, the deletions of the active stores' rows included.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <future>
#include <limits>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "research/support/fixed_reply_proxy.h"
#include "research/updater/catalog_write_back.h"
#include "support/limited_room.h"
#include "research/updater/updater_fixture.h"
#include "web/http_loader.h"
#include "web/log_writer.h"

namespace zem::test {
namespace {

class CatalogUpdaterFailureTest : public CatalogUpdaterTest {
  protected:
    // CA is rewritten; its old rows must survive whatever goes wrong.
    void SetUpTables(int catalogLevel, const std::string& proxy = {}) {
        Configure(catalogLevel, proxy);
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

    // How often the last lookup asked was asked.
    std::size_t AsksOfTheLast() const {
        const std::vector<std::string> lookups = Lookups();
        if (lookups.empty()) return 0;
        return static_cast<std::size_t>(std::count(lookups.begin(), lookups.end(), lookups.back()));
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
    std::size_t asks;     // how often the failing node was asked
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
    EXPECT_EQ(AsksOfTheLast(), c.asks);
    ExpectTablesAsBefore();
}

// A failure in passing is asked again three times before it ends the crawl; a permanent one
// ends it at once.
INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogUpdaterPageFailureTest,
    ::testing::Values(
        PageFailureCase{"DroppedConnection", Failing(sim::Failure::Drop), false, "", 4},
        PageFailureCase{"CutLaterPage", Cut(200), true, "", 4},
        PageFailureCase{"ServerErrorPage", Failing(sim::Failure::Status500), false,
                        "the service answered HTTP 500, after 3 retries", 4},
        PageFailureCase{"ServerErrorOnLaterPage", Failing(sim::Failure::Status500), true,
                        "the service answered HTTP 500, after 3 retries", 4},
        PageFailureCase{"Throttled", Failing(sim::Failure::Throttle), false,
                        "the service throttled the requests: HTTP 503, after 3 retries", 4},
        PageFailureCase{"ProxyWantsAnAccount", ProxyAccount(), false,
                        "the proxy asks for credentials: HTTP 407", 1}),
    [](const auto& tc) { return std::string(tc.param.name); });

// How a page fails in passing.
struct PassingFailureCase {
    const char* name;
    sim::Modes modes;
    friend void PrintTo(const PassingFailureCase& c, std::ostream* out) { *out << c.name; }
};

class CatalogUpdaterRetryTest : public CatalogUpdaterFailureTest,
                                public ::testing::WithParamInterface<PassingFailureCase> {
  protected:
    static std::vector<std::string> LogLines() {
        std::vector<std::string> lines;
        std::ifstream in(HTTP::LogWriter::kFileName);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

TEST_P(CatalogUpdaterRetryTest, APageThatFailsInPassingIsAskedAgainAfterAGrowingPause) {
    SetUpTables(3);
    sim::Modes modes = GetParam().modes;
    modes.failTimes = 2;  // the first request and its first retry fail
    simulator.SetModes(modes);
    const ui::WindowId w = StartWindow();
    // When each log line was first seen, on the window's clock. The window writes the lines
    // that matter here on its own thread as its timer event runs ("Fetched" as it collects a
    // page, "Retry" as it asks again), and a tick returns only once that event is handled, so
    // the clock read after a tick is the one the window saw: the pauses are measured exactly,
    // however long the requests themselves take on a loaded machine.
    std::vector<runtime::Ticks> seenAt;
    const auto see = [&] {
        const std::size_t lines = LogLines().size();
        while (seenAt.size() < lines) seenAt.push_back(runtime::MonotonicTicks());
    };
    ASSERT_TRUE(TickUntil(w, [&] {
        see();
        return !display->IsOpen(w);
    }));
    EXPECT_EQ(Finish(), runtime::response::kCompleted);
    EXPECT_TRUE(display->Messages().empty());
    EXPECT_EQ(TreeOf(Nodes(), kCA), ExpectedTree(kCA, 3));

    // The first node three times, every other node once.
    const std::vector<std::string> lookups = Lookups();
    ASSERT_GE(lookups.size(), 3u);
    EXPECT_EQ(lookups[1], lookups[0]);
    EXPECT_EQ(lookups[2], lookups[0]);
    const std::set<std::string> distinct(lookups.begin(), lookups.end());
    EXPECT_EQ(lookups.size(), distinct.size() + 2);

    // Each retry is logged right before its request.
    const std::string url = lookups[0].substr(std::string("GET ").size());
    const std::vector<std::string> log = LogLines();
    ASSERT_EQ(seenAt.size(), log.size());
    const auto fetched = [&](std::size_t nth) {
        std::size_t seen = 0;
        for (std::size_t i = 0; i < log.size(); ++i)
            if (log[i].starts_with("Fetched ") && log[i].ends_with(" on " + url) && seen++ == nth)
                return i;
        return log.size();
    };
    std::vector<runtime::Ticks> pauses;
    for (const int retry : {1, 2}) {
        const std::string line = "Retry " + std::to_string(retry) + " on " + url;
        const auto at = std::find(log.begin(), log.end(), line);
        ASSERT_NE(at, log.end()) << line;
        ASSERT_NE(at + 1, log.end());
        EXPECT_EQ(*(at + 1), "Prepare connect: " + url);
        // From collecting the failed page to asking again.
        const std::size_t failed = fetched(static_cast<std::size_t>(retry) - 1);
        ASSERT_LT(failed, static_cast<std::size_t>(at - log.begin())) << line;
        pauses.push_back(seenAt[static_cast<std::size_t>(at - log.begin())] - seenAt[failed]);
    }
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) { return l.starts_with("Retry "); }),
              2);
    // Pauses of 1 s and then 2 s on the window's timer, to the timer's period.
    EXPECT_GE(pauses[0], 100);
    EXPECT_LE(pauses[0], 100 + kTimerPeriod);
    EXPECT_GE(pauses[1], 200);
    EXPECT_LE(pauses[1], 200 + kTimerPeriod);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogUpdaterRetryTest,
    ::testing::Values(PassingFailureCase{"ServerError", Failing(sim::Failure::Status500)},
                      PassingFailureCase{"Throttled", Failing(sim::Failure::Throttle)},
                      PassingFailureCase{"DroppedConnection", Failing(sim::Failure::Drop)},
                      PassingFailureCase{"CutConnection", Cut(200)}),
    [](const auto& tc) { return std::string(tc.param.name); });

// A BrowseNodeLookup reply for a node with n children, as the service lays it out.
std::string BrowseNodeReply(int children) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><BrowseNodeLookupResponse "
        "xmlns=\"http://webservices.amazon.com/AWSECommerceService/2007-06-13\">"
        "<OperationRequest><RequestId>0A1B</RequestId><Arguments><Argument Name=\"BrowseNodeId\" "
        "Value=\"927726\"/></Arguments></OperationRequest><BrowseNodes><Request><IsValid>True"
        "</IsValid><BrowseNodeLookupRequest><BrowseNodeId>927726</BrowseNodeId>"
        "</BrowseNodeLookupRequest></Request><BrowseNode><BrowseNodeId>927726</BrowseNodeId>"
        "<Name>Books</Name><Children>";
    for (int i = 1; i <= children; ++i)
        xml += "<BrowseNode><BrowseNodeId>" + std::to_string(400000000 + i) +
               "</BrowseNodeId><Name>Subject number " + std::to_string(i) +
               " &amp; more</Name></BrowseNode>";
    return xml +
           "</Children><Ancestors><BrowseNode><BrowseNodeId>916520</BrowseNodeId><Name>"
           "Subjects</Name></BrowseNode></Ancestors></BrowseNode></BrowseNodes>"
           "</BrowseNodeLookupResponse>";
}

struct OddReplyCase {
    const char* name;
    std::string reply;
    std::string reason;
    friend void PrintTo(const OddReplyCase& c, std::ostream* out) { *out << c.name; }
};

class CatalogUpdaterOddReplyTest : public CatalogUpdaterFailureTest,
                                   public ::testing::WithParamInterface<OddReplyCase> {};

TEST_P(CatalogUpdaterOddReplyTest, AReplyThatCanNotBeReadWholeEndsTheCrawlAtOnce) {
    const OddReplyCase& c = GetParam();
    const FixedReplyProxy proxy(c.reply);
    SetUpTables(3, proxy.Address());
    const ui::WindowId w = StartWindow();
    ASSERT_TRUE(TickToEnd(w));
    EXPECT_EQ(Finish(), runtime::response::kCancelled);
    const ui::MessageRequest m = OnlyMessage();
    EXPECT_EQ(m.caption, "Attention");
    ExpectCanceledWithErrors(m.text, " (" + c.reason + ").", true);
    EXPECT_EQ(proxy.Requests(), 1u);
    ExpectTablesAsBefore();
}

const std::string kWideReply = BrowseNodeReply(4000);
const std::string kSmallReply = BrowseNodeReply(3);

INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogUpdaterOddReplyTest,
    ::testing::Values(
        OddReplyCase{"LongerThanThePageBuffer", kWideReply,
                     "the reply of " + std::to_string(kWideReply.size()) +
                         " bytes is longer than the page buffer of 262143"},
        // A proxy that lost the end of the reply and closed without a word.
        OddReplyCase{"CutInTheChildList",
                     kSmallReply.substr(0, kSmallReply.find("<BrowseNode><BrowseNodeId>400000002")),
                     "the reply is incomplete"}),
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
        if (rc == store::NoError) {
            EXPECT_EQ(data::Dict().File().Rollback(), store::NoError);
        }
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

// The rewrite on a disk that fills up part-way: the user is told the disk is full and which
// file, and the tables keep their rows, the deleted ones included.
class CatalogUpdaterFullDiskTest : public CatalogUpdaterFailureTest {
  protected:
    LimitedRoom room;  // before the fixture opens the data file
};

TEST_F(CatalogUpdaterFullDiskTest, ARewriteThatRunsOutOfRoomSaysTheDiskIsFullAndKeepsTheRows) {
    ASSERT_TRUE(room.Ok());
    SetUpTables(3);
    // A large crawl's nodes below CA's search indexes.
    Seeds seeds = SeedsOf(kCA);
    const web::BrowseNodeRow parent = seeds.nodes.Rows().back();
    for (std::int32_t n = 0; n < 20000; ++n) {
        web::BrowseNodeRow row;
        row.ID = seeds.nodes.LastId() + 1;
        row.PARENT = parent.ID;
        row.NODE = 700000 + n;
        data::SetCString(row.NAME, "Crawled node " + std::to_string(n));
        row.BSITE = kCA;
        row.LEVEL = 2;
        ASSERT_TRUE(seeds.nodes.Add(row));
    }
    ASSERT_EQ(data::ZembrolaFile()->Checkpoint(), store::NoError);
    std::error_code ec;
    const std::string path =
        std::filesystem::absolute(data::ZembrolaFile()->Path(), ec).lexically_normal().string();

    room.Limit(256 << 10);
    EXPECT_FALSE(research::ReplaceCatalogs(kCA, seeds.catalogs, seeds.nodes));
    room.Unlimit();

    const ui::MessageRequest message = OnlyMessage();
    EXPECT_EQ(message.caption, "Error");
    // Whichever table found the disk full first.
    EXPECT_TRUE(message.text.starts_with("Update catalogs error: ") ||
                message.text.starts_with("Update nodes error: "))
        << message.text;
    EXPECT_TRUE(message.text.ends_with(
        "error: File System Error (the disk is full: there is no room to write " + path + ")"))
        << message.text;
    ExpectTablesAsBefore();
}

}  // namespace
}  // namespace zem::test
