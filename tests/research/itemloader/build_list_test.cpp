// The item-list loader end to end: the simulator as the configured proxy answers the item
// searches, the window's timer is ticked by the set clock, the display is headless.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

// First: the system headers under httplib define QUERY, which the record headers must see.
#include "research/support/fixed_reply_proxy.h"

#include "platform/runtime/pictures.h"
#include "research/jobs/jobs_fixture.h"
#include "web/handlers/item_search_reply.h"

namespace zem::test {
namespace {

constexpr const char* kItemSearchStart =
    "GET http://ecs.amazonaws.com/onca/xml?Service=AWSECommerceService"
    "&AWSAccessKeyId=0Q7ZK3T1W9M5B2X8C4NV&Version=2007-06-13&Operation=ItemSearch"
    "&ResponseGroup=Large&SearchIndex=Electronics&Keywords=";

std::string Percent(double value) {
    return runtime::Trimmed(runtime::FormatNumber(value, "N8.2~ %~"));
}

std::set<std::string> AsinsOf(const std::vector<data::GoodsRecord>& rows) {
    std::set<std::string> asins;
    for (const data::GoodsRecord& row : rows) asins.emplace(data::CStringOf(row.ASIN));
    return asins;
}

// The rows the loader must have added for the items: one for each item with a new price.
void ExpectRowsFor(const std::vector<sim::Item>& items, const JobOutcome& out) {
    std::map<std::string, const sim::Item*> priced;
    std::set<std::string> brands;
    for (const sim::Item& item : items) {
        if (item.lowestNewPrice) priced.emplace(item.asin, &item);
        if (!item.brand.empty()) brands.insert(item.brand);
    }
    ASSERT_EQ(out.goods.size(), priced.size());
    for (const data::GoodsRecord& row : out.goods) {
        const std::string asin(data::CStringOf(row.ASIN));
        SCOPED_TRACE(asin);
        const auto it = priced.find(asin);
        ASSERT_NE(it, priced.end());
        const sim::Item& item = *it->second;
        EXPECT_EQ(row.QUERY, kQueryId);
        EXPECT_DOUBLE_EQ(row.AMAZONREAL, static_cast<double>(*item.lowestNewPrice) / 100);
        EXPECT_EQ(
            data::CStringOf(row.AMAZONPRICE),
            "$" + runtime::FormatNumber(static_cast<double>(*item.lowestNewPrice) / 100, "n_14.2"));
        EXPECT_DOUBLE_EQ(row.PRICEREAL,
                         item.listPrice ? static_cast<double>(*item.listPrice) / 100 : 0.0);
        EXPECT_EQ(data::StringOf(row.TITLE), item.title);
        const auto brand = out.brands.find(row.BRAND);
        if (item.brand.empty()) {
            EXPECT_EQ(row.BRAND, 0);
        } else {
            ASSERT_NE(brand, out.brands.end());
            EXPECT_EQ(brand->second, item.brand);
        }
    }
    // Every brand met on the way is in Brands, whether its item was kept or not.
    std::set<std::string> stored;
    for (const auto& [id, name] : out.brands) stored.insert(name);
    EXPECT_EQ(stored, brands);
}

TEST_F(BuildListTest, AQueryOfThreePagesLoadsEveryItemAndClosesByItself) {
    QuerySetup query = QueryWithPages(3);
    const std::string words = query.keywords;
    query.keywords = "  " + words + " ";
    const ui::WindowId w = StartWindow(query);
    ASSERT_TRUE(TickToEnd(w));
    const JobOutcome out = Outcome();

    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.response, runtime::response::kCompleted);
    EXPECT_TRUE(display->Messages().empty());
    QuerySetup sent = query;
    sent.keywords = words;
    ExpectRowsFor(ItemsOf(sent), out);

    // Pages one after the other, the keywords trimmed and encoded.
    std::string encoded = words;
    std::replace(encoded.begin(), encoded.end(), ' ', '+');
    EXPECT_EQ(ItemSearches(), (std::vector<std::string>{
                                  kItemSearchStart + encoded,
                                  kItemSearchStart + encoded + "&ItemPage=2",
                                  kItemSearchStart + encoded + "&ItemPage=3",
                              }));
    // The caller's buffer: the keywords as sent, the build stamped when the window opened.
    EXPECT_EQ(data::CStringOf(out.query.KEYWORDS), words);
    EXPECT_EQ(out.query.BUILDDATE, TestDate());
    EXPECT_EQ(out.query.BUILDTIME, TestTime());

    // The counters as the window showed them last, and one step per page.
    const int total = TotalResults(sent);
    const auto loaded = static_cast<double>(out.goods.size());
    EXPECT_EQ(recorder->Last("?B"), std::to_string(total));
    EXPECT_EQ(recorder->Last("?A"), std::to_string(out.goods.size()));
    EXPECT_EQ(recorder->Last("?PERCENTS:2"), Percent(loaded * 100 / total));
    EXPECT_EQ(recorder->Last("?PERCENTS"), std::to_string(static_cast<int>(loaded * 100 / total)));
    EXPECT_LE(recorder->LoadedHistory().size(), 4u);  // "0", then at most one value per page
    EXPECT_EQ(recorder->LoadedHistory().front(), "0");
}

TEST_F(BuildListTest, ASearchWithoutResultsEndsWithAnEmptyListAndAZeroPercentage) {
    const QuerySetup query = QueryWithPages(0);
    const ui::WindowId w = StartWindow(query);
    ASSERT_TRUE(TickToEnd(w));
    const JobOutcome out = Outcome();
    EXPECT_EQ(out.status, 0);
    EXPECT_TRUE(out.goods.empty());
    EXPECT_EQ(ItemSearches().size(), 1u);
    EXPECT_EQ(recorder->Last("?B"), "0");
    EXPECT_EQ(recorder->Last("?A"), "0");
    EXPECT_EQ(recorder->Last("?PERCENTS:2"), "0.00 %");
    EXPECT_TRUE(display->Messages().empty());
}

TEST_F(BuildListTest, OneRequestGoesOutPerTimerPeriodAndTheNextOnlyAfterTheLastIsIn) {
    const QuerySetup query = QueryWithPages(2);
    sim::Modes slow;
    slow.delayMs = 800;
    simulator.SetModes(slow);
    const ui::WindowId w = StartWindow(query);
    // The window's timer fires every 50 hundredths: 49 ask for nothing yet.
    clock.Advance(kTimerPeriod - 1);
    ASSERT_TRUE(Sync(w));
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(ItemSearches().empty());
    clock.Advance(1);
    ASSERT_TRUE(Sync(w));
    ASSERT_TRUE(Eventually([&] { return ItemSearches().size() == 1; }));
    // While the first page is on its way, further periods ask for nothing more.
    for (int tick = 0; tick < 5; ++tick) ASSERT_TRUE(Tick(w));
    EXPECT_EQ(ItemSearches().size(), 1u);
    EXPECT_EQ(recorder->Last("?A"), "0");
    ASSERT_TRUE(TickToEnd(w));
    EXPECT_EQ(Outcome().status, 0);
    EXPECT_EQ(ItemSearches().size(), 2u);
}

TEST_F(BuildListTest, CancelWhileAPageLoadsAnswersFailedAndKeepsTheRowsAlreadyAdded) {
    const QuerySetup query = QueryWithPages(3);
    const ui::WindowId w = StartWindow(query);
    ASSERT_TRUE(TickUntil(w, [&] { return recorder->Last("?A") != "0"; }));
    sim::Modes slow;
    slow.delayMs = 3000;
    simulator.SetModes(slow);
    // The tick that hands out page 2; no later tick can collect it.
    ASSERT_TRUE(Tick(w));
    ASSERT_TRUE(Eventually([&] { return ItemSearches().size() == 2; }));
    ASSERT_TRUE(display->Press(w, "?CANCEL"));
    ASSERT_TRUE(display->WaitForClose(w));
    const JobOutcome out = Outcome();
    EXPECT_EQ(out.status, 3);
    EXPECT_EQ(out.response, runtime::response::kCancelled);
    EXPECT_TRUE(display->Messages().empty());  // Cancel says nothing
    // Page 1's rows stay for the query form to remove.
    std::vector<sim::Item> items = sim::ItemsOfPage(kSeed, SimQuery(query), 1);
    std::set<std::string> priced;
    for (const sim::Item& item : items)
        if (item.lowestNewPrice) priced.insert(item.asin);
    EXPECT_EQ(AsinsOf(out.goods), priced);
    EXPECT_EQ(ItemSearches().size(), 2u);
}

// The job ended failed, with one "Process canceled with errors" message (see
// ExpectCanceledWithErrors).
void ExpectFailed(const JobOutcome& out, const ui::HeadlessDisplay& display,
                  const std::string& messageAfter, bool exact) {
    EXPECT_EQ(out.status, 3);
    EXPECT_EQ(out.response, runtime::response::kCancelled);
    const auto messages = display.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].request.caption, "Attention");
    ExpectCanceledWithErrors(messages[0].request.text, messageAfter, exact);
}

// How a page goes wrong, when, and what the user is told.
struct FailureCase {
    const char* name;
    sim::Modes modes;
    int failingPage;           // 1: the first page fails; 2: the second, after the first is in
    std::string searchIndex;   // empty: a known one
    std::string messageAfter;  // what follows "Process canceled with errors"
    bool exactMessage;         // otherwise the message starts with messageAfter
    friend void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }
};

class BuildListFailureTest : public BuildListTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BuildListFailureTest, TheJobEndsFailedWithAProcessCanceledMessage) {
    const FailureCase& c = GetParam();
    QuerySetup query = QueryWithPages(3);
    if (!c.searchIndex.empty()) query.searchIndex = c.searchIndex;
    if (c.failingPage == 1) simulator.SetModes(c.modes);
    const ui::WindowId w = StartWindow(query);
    if (c.failingPage == 2) {
        ASSERT_TRUE(TickUntil(w, [&] { return recorder->Last("?A") != "0"; }));
        simulator.SetModes(c.modes);
    }
    ASSERT_TRUE(TickToEnd(w));
    const JobOutcome out = Outcome();
    ExpectFailed(out, *display, c.messageAfter, c.exactMessage);
    // Nothing was asked after the failing page.
    EXPECT_EQ(ItemSearches().size(), static_cast<std::size_t>(c.failingPage));
    if (c.failingPage == 1) {
        EXPECT_TRUE(out.goods.empty());
    } else {
        EXPECT_FALSE(out.goods.empty());  // page 1's rows, for the query form to remove
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildListFailureTest,
    ::testing::Values(FailureCase{"DroppedConnection", Failing(sim::Failure::Drop), 1, "", " (",
                                  false},
                      FailureCase{"CutPage", Cut(300), 1, "", " (", false},
                      FailureCase{"CutSecondPage", Cut(300), 2, "", " (", false},
                      FailureCase{"ServerErrorPage", Failing(sim::Failure::Status500), 1, "",
                                  " (the service answered HTTP 500).", true},
                      FailureCase{"ServerErrorOnSecondPage", Failing(sim::Failure::Status500), 2,
                                  "", " (the service answered HTTP 500).", true},
                      FailureCase{"ServiceErrorReply",
                                  {},
                                  1,
                                  "NoSuchIndex",
                                  " (the service refused the request: AWS.InvalidParameterValue).",
                                  true}),
    [](const auto& tc) { return std::string(tc.param.name); });

// An item-search reply of ten items with product descriptions as long as many of the service's
// are: the whole reply passes the page buffer of 262,144 bytes.
std::string ReplyWithLongDescriptions() {
    std::string description;
    while (description.size() < 30'000)
        description +=
            "&lt;p&gt;Sturdy steel frame, powder-coated in blue; folds flat for "
            "storage &amp; travel.&lt;/p&gt;";
    std::vector<ReplyItem> items;
    for (int i = 0; i < 10; ++i) {
        ReplyItem item;
        item.asin = "B00LONG00" + std::to_string(i);
        items.push_back(item);
    }
    std::string reply = Reply("10", "1", items);
    const std::string reviews =
        "<EditorialReviews><EditorialReview><Source>Product Description</Source><Content>" +
        description + "</Content></EditorialReview></EditorialReviews><OfferSummary>";
    for (std::size_t at = reply.find("<OfferSummary>"); at != std::string::npos;
         at = reply.find("<OfferSummary>", at + reviews.size()))
        reply.replace(at, std::string("<OfferSummary>").size(), reviews);
    return reply;
}

// A reply the simulator does not make, and what the user is told.
struct OddReplyCase {
    const char* name;
    std::string reply;
    std::string messageAfter;  // what follows "Process canceled with errors"
    bool storesNothing;
    friend void PrintTo(const OddReplyCase& c, std::ostream* out) { *out << c.name; }
};

class BuildListOddReplyTest : public BuildListTest,
                              public ::testing::WithParamInterface<OddReplyCase> {};

TEST_P(BuildListOddReplyTest, AReplyThatCanNotBeReadWholeFailsThePage) {
    const OddReplyCase& c = GetParam();
    const FixedReplyProxy proxy(c.reply);
    ConfigSetup config;
    config.proxy = proxy.Address();
    const ui::WindowId w = StartWindow(QueryWithPages(1), config);
    ASSERT_TRUE(TickToEnd(w));
    const JobOutcome out = Outcome();
    ExpectFailed(out, *display, c.messageAfter, true);
    if (c.storesNothing) {
        EXPECT_TRUE(out.goods.empty());
    }
    EXPECT_EQ(proxy.Requests(), 1u);
}

const std::string kLongReply = ReplyWithLongDescriptions();
const std::string kThreeItems =
    Reply("3", "1",
          {ReplyItem{.asin = "B000000001"}, ReplyItem{.asin = "B000000002"},
           ReplyItem{.asin = "B000000003"}});

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildListOddReplyTest,
    ::testing::Values(
        OddReplyCase{"LongerThanThePageBuffer", kLongReply,
                     " (the reply of " + std::to_string(kLongReply.size()) +
                         " bytes is longer than the page buffer of 262143).",
                     true},
        // A proxy that lost the end of the reply and closed without a word.
        OddReplyCase{"CutAfterTheFirstItem",
                     kThreeItems.substr(0, kThreeItems.find("<Item><ASIN>B000000002")),
                     " (the reply is incomplete).", false},
        OddReplyCase{"StrayItemEndInAnErrorReply",
                     ReplyHead() +
                         "<Errors><Error><Code>AWS.InternalError</Code><Message>We were unable "
                         "to process your request.</Message></Error></Errors></Item></Items>"
                         "</ItemSearchResponse>",
                     " (the service refused the request: AWS.InternalError).", true}),
    [](const auto& tc) { return std::string(tc.param.name); });

// A proxy that wants credentials, and what the configuration sends it.
struct ProxyAccountCase {
    const char* name;
    std::string user;
    std::string password;
    std::uint8_t useAccount;
    std::uint8_t usePassword;
    bool admitted;
    std::string refusal;  // what follows "Process canceled with errors" when not admitted
    friend void PrintTo(const ProxyAccountCase& c, std::ostream* out) { *out << c.name; }
};

class BuildListProxyAccountTest : public BuildListTest,
                                  public ::testing::WithParamInterface<ProxyAccountCase> {};

TEST_P(BuildListProxyAccountTest, TheItemsLoadOnlyWithTheAccountTheProxyWants) {
    const ProxyAccountCase& c = GetParam();
    simulator.SetModes(ProxyAccount());
    const QuerySetup query = QueryWithPages(1);
    ConfigSetup config;
    config.user = c.user;
    config.password = c.password;
    config.useAccount = c.useAccount;
    config.usePassword = c.usePassword;
    const ui::WindowId w = StartWindow(query, config);
    ASSERT_TRUE(TickToEnd(w));
    const JobOutcome out = Outcome();
    if (c.admitted) {
        EXPECT_EQ(out.status, 0);
        EXPECT_TRUE(display->Messages().empty());
        ExpectRowsFor(ItemsOf(query), out);
    } else {
        EXPECT_EQ(out.status, 3);
        EXPECT_TRUE(out.goods.empty());
        const auto messages = display->Messages();
        ASSERT_EQ(messages.size(), 1u);
        ExpectCanceledWithErrors(messages[0].request.text, c.refusal, true);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildListProxyAccountTest,
    ::testing::Values(ProxyAccountCase{"AccountAndPassword", "zem", "secret", 1, 1, true, ""},
                      ProxyAccountCase{"NoAccount", "zem", "secret", 0, 1, false,
                                       " (the proxy asks for credentials: HTTP 407)."},
                      ProxyAccountCase{"AccountWithoutPassword", "zem", "secret", 1, 0, false,
                                       " (the proxy refused the credentials: HTTP 407)."},
                      ProxyAccountCase{"WrongPassword", "zem", "guess", 1, 1, false,
                                       " (the proxy refused the credentials: HTTP 407)."}),
    [](const auto& tc) { return std::string(tc.param.name); });

// The ItemPage each item search asked for, in the order asked: 1 for a request without one.
std::vector<int> PagesAsked(const std::vector<std::string>& searches) {
    std::vector<int> pages;
    for (const std::string& line : searches) {
        const std::size_t at = line.find("&ItemPage=");
        pages.push_back(at == std::string::npos ? 1 : std::stoi(line.substr(at + 10)));
    }
    return pages;
}

// Each item stored for the query, with the number of rows that hold it.
std::map<std::string, int> RowsPerItem(const std::vector<data::GoodsRecord>& rows) {
    std::map<std::string, int> count;
    for (const data::GoodsRecord& row : rows) ++count[std::string(data::CStringOf(row.ASIN))];
    return count;
}

// A load through a proxy that wants an account, configured with it, over a slow connection;
// the service may throttle one of the requests. The loader reads a reply a few kilobytes at a
// time, so a full page takes seconds: the result is as short as the case allows.
struct PageOnceCase {
    const char* name;
    int results;        // items of the whole result, 10 a page
    int throttledPage;  // 0: none
    friend void PrintTo(const PageOnceCase& c, std::ostream* out) { *out << c.name; }
};

class BuildListPageOnceTest : public BuildListTest,
                              public ::testing::WithParamInterface<PageOnceCase> {};

TEST_P(BuildListPageOnceTest, EachPageIsAskedOnceAndEachItemStoredOnce) {
    const PageOnceCase& c = GetParam();
    const QuerySetup query = QueryWithResults(c.results);
    sim::Modes modes = ProxyAccount();
    modes.delayMs = 100;
    simulator.SetModes(modes);
    ConfigSetup config;
    config.user = "zem";
    config.password = "secret";
    config.useAccount = 1;
    config.usePassword = 1;
    const ui::WindowId w = StartWindow(query, config);
    if (c.throttledPage != 0) {
        // The next page goes out only on a tick after the one before was collected.
        ASSERT_TRUE(TickUntil(w, [&] {
            return ItemSearches().size() == static_cast<std::size_t>(c.throttledPage - 1);
        }));
        modes.fail = sim::Failure::Throttle;
        modes.failTimes = 1;
        simulator.SetModes(modes);
    }
    ASSERT_TRUE(TickToEnd(w));
    const JobOutcome out = Outcome();

    // The simulator logs a request before it looks at the credentials, so a request refused
    // for want of the account and sent again would show as a page asked twice. Nothing but
    // item searches went out, and each page once.
    for (const std::string& line : simulator.Requests())
        EXPECT_NE(line.find("Operation=ItemSearch"), std::string::npos) << line;
    const int lastPage = c.throttledPage != 0 ? c.throttledPage : TotalPages(query);
    std::vector<int> expected;
    for (int page = 1; page <= lastPage; ++page) expected.push_back(page);
    EXPECT_EQ(PagesAsked(ItemSearches()), expected);
    for (const auto& [asin, rows] : RowsPerItem(out.goods)) EXPECT_EQ(rows, 1) << asin;
    if (c.throttledPage == 0) {
        EXPECT_EQ(out.status, 0);
        EXPECT_TRUE(display->Messages().empty());
        ExpectRowsFor(ItemsOf(query), out);
    } else {
        ExpectFailed(out, *display, " (the service throttled the requests: HTTP 503).", true);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BuildListPageOnceTest,
                         // Two pages, the last with one item; three, the last never asked.
                         ::testing::Values(PageOnceCase{"Complete", 11, 0},
                                           PageOnceCase{"ThrottledOnTheWay", 21, 2}),
                         [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(BuildListTest, AJapaneseQueryAsksInUtf8) {
    QuerySetup query;
    query.site = 16;
    query.searchIndex = "Books";
    // "robot" in katakana as the J windows hold it: Shift-JIS, whose 0x7B is a trail byte.
    query.keywords = "\x83\x8D\x83\x7B\x83\x62\x83\x67";
    const ui::WindowId w = StartWindow(query);
    ASSERT_TRUE(TickToEnd(w));
    const std::vector<std::string> searches = ItemSearches();
    ASSERT_FALSE(searches.empty());
    EXPECT_EQ(searches[0],
              "GET http://ecs.amazonaws.jp/onca/xml?Service=AWSECommerceService"
              "&AWSAccessKeyId=0Q7ZK3T1W9M5B2X8C4NV&Version=2007-06-13&Operation=ItemSearch"
              "&ResponseGroup=Large&SearchIndex=Books"
              "&Keywords=%E3%83%AD%E3%83%9C%E3%83%83%E3%83%88");
}

TEST_F(BuildListTest, TheRequestCarriesTheNodeAndBothPriceBoundsInTheirPlace) {
    QuerySetup query;
    query.site = 2;
    query.searchIndex = "Books";
    query.node = 1025612;
    query.minimumPrice = 19.99;
    query.maximumPrice = 0;
    // Keywords whose result has two pages, so the page key shows too.
    for (int i = 1; i < 5000; ++i) {
        query.keywords = "caf\xE9 " + std::to_string(i);
        if (TotalPages(query) == 2) break;
    }
    ASSERT_EQ(TotalPages(query), 2);
    const ui::WindowId w = StartWindow(query);
    ASSERT_TRUE(TickToEnd(w));
    EXPECT_EQ(Outcome().status, 0);
    const std::string number = query.keywords.substr(5);
    const std::string expected =
        "GET http://ecs.amazonaws.co.uk/onca/xml?Service=AWSECommerceService"
        "&AWSAccessKeyId=0Q7ZK3T1W9M5B2X8C4NV&Version=2007-06-13&Operation=ItemSearch"
        "&ResponseGroup=Large&SearchIndex=Books&Keywords=caf%C3%A9+" +
        number + "&BrowseNode=1025612&MinimumPrice=1998&MaximumPrice=0";
    EXPECT_EQ(ItemSearches(), (std::vector<std::string>{expected, expected + "&ItemPage=2"}));
}

TEST_F(BuildListTest, AQueryOfNoKnownStoreAsksNothingAndFails) {
    QuerySetup query = QueryWithPages(1);
    query.site = 64;
    const ui::WindowId w = StartWindow(query);
    ASSERT_TRUE(TickToEnd(w));
    EXPECT_EQ(Outcome().status, 3);
    const auto messages = display->Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].request.text,
              "Process canceled with errors (the query names no known store).");
    EXPECT_TRUE(ItemSearches().empty());
}

}  // namespace
}  // namespace zem::test
