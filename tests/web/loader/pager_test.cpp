// The page loader against loopback servers: states, the log and its order, proxies and their
// credentials, failures, and that the window's thread never waits on the network. Each test
// runs in a fresh working directory, where the loader writes ZEMBROLA.LOG.
#include "web/http_pager.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "data/text_fields.h"
#include "platform/net/internet.h"
#include "support/proxy_environment.h"
#include "support/temp_dir.h"
#include "web/http_loader.h"
#include "web/info.h"
#include "web/net/loopback.h"

namespace zem::HTTP {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;
using test::OriginServer;
using test::PageOf;
using test::ProxyServer;

// The stall limit of the tests about stalls; the others get a generous one, so that a slow
// machine fails none of them.
constexpr auto kStall = 1500ms;
constexpr auto kGenerousStall = 20s;

template <typename Predicate>
bool WaitUntil(Predicate predicate, Clock::duration timeout) {
    const auto end = Clock::now() + timeout;
    while (!predicate()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

INFO Settings(std::uint8_t useProxy, std::string_view proxy = {}, std::uint8_t useAccount = 0,
              std::uint8_t usePassword = 0) {
    INFO info{};
    data::SetCString(info.USERAGENT, "Zembrola/1.0 (test)");
    data::SetCString(info.PROXY, proxy);
    data::SetCString(info.USER, "zem");
    data::SetCString(info.PASSWORD, "secret");
    info.USEPROXY = useProxy;
    info.USEACCOUNT = useAccount;
    info.USEPASSWORD = usePassword;
    return info;
}

// USEPROXY with an empty PROXY: direct access, whatever the environment says.
INFO Direct() {
    return Settings(1);
}

class PagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home_ = std::filesystem::current_path();
        ASSERT_FALSE(dir_.Path().empty());
        std::filesystem::current_path(dir_.Path());
        net::SetDefaultTimeouts({5s, kGenerousStall});
    }

    void TearDown() override {
        // Every worker ends once its pager is gone; none outlives its test.
        EXPECT_TRUE(WaitUntil([] { return Loader::LiveCount() == 0; }, 10s));
        net::SetDefaultTimeouts({net::kConnectTimeout, net::kStallTimeout});
        std::filesystem::current_path(home_);
    }

    static Lines Log() {
        Lines lines;
        std::ifstream in(LogWriter::kFileName);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    static bool WaitForState(const Pager& pager, std::uint8_t state,
                             Clock::duration timeout = 10s) {
        return WaitUntil([&] { return pager.GetState(1) == state; }, timeout);
    }

    // A whole request on a started pager: connect, wait for Done, collect.
    static std::string Load(Pager& pager, const std::string& url, std::size_t capacity = 1 << 20) {
        EXPECT_EQ(pager.Connect(url), 1);
        EXPECT_TRUE(WaitForState(pager, Loader::Done));
        std::string page(capacity, '\xff');
        const std::size_t n = pager.GetPage(1, page);
        page.resize(std::min(n, capacity - 1));
        return page;
    }

    static Lines PageLines(const std::string& url, std::size_t size) {
        Lines lines = {"Prepare connect: " + url, "Connected: " + url};
        for (std::size_t at = 0; at < size; at += Loader::kChunkSize)
            lines.push_back("Loaded " + std::to_string(std::min(Loader::kChunkSize, size - at)) +
                            " on " + url);
        lines.push_back("Fetched " + std::to_string(size) + " on " + url);
        lines.push_back("Disconnected on " + url);
        return lines;
    }

    test::ProxyEnvironment environment_;
    OriginServer origin_;
    ProxyServer proxy_;
    test::TempDir dir_;
    std::filesystem::path home_;
};

TEST_F(PagerTest, ATypicalPageLogsEachStepInOrder) {
    Pager pager;
    ASSERT_EQ(pager.Start(Direct()), 1);
    EXPECT_EQ(pager.GetState(1), Loader::Idle);
    EXPECT_EQ(pager.Busy(), 0);
    const std::string url = origin_.Url("/page?size=10000");
    const auto start = Clock::now();
    ASSERT_EQ(pager.Connect(url), 1);
    EXPECT_EQ(pager.Busy(), 1);
    ASSERT_TRUE(WaitForState(pager, Loader::Done));
    // One chunk per cycle: three chunks and the end take at least three cycles.
    EXPECT_GE(Clock::now() - start, 3 * Loader::kCycle);
    EXPECT_EQ(pager.Busy(), 1);
    std::vector<char> page(20000);
    EXPECT_EQ(pager.GetPage(1, page), 10000u);
    EXPECT_EQ(std::string(page.data()), PageOf(10000));
    EXPECT_EQ(pager.M_ERRORCODE, 0);
    EXPECT_STREQ(pager.M_ERROR, "");
    EXPECT_EQ(pager.GetState(1), Loader::Idle);
    EXPECT_EQ(pager.Busy(), 0);
    EXPECT_EQ(Log(), PageLines(url, 10000));
    ASSERT_EQ(origin_.Seen().size(), 1u);
    EXPECT_EQ(origin_.Seen()[0].userAgent, "Zembrola/1.0 (test)");
}

TEST_F(PagerTest, PagesFollowOneAnother) {
    Pager pager;
    ASSERT_EQ(pager.Start(Direct()), 1);
    const std::string first = origin_.Url("/page?size=300");
    const std::string second = origin_.Url("/status/404");
    EXPECT_EQ(Load(pager, first), PageOf(300));
    EXPECT_EQ(pager.M_STATUS, 200);
    // An HTTP error status is a page like any other, collected with its status.
    EXPECT_EQ(Load(pager, second), "no such page");
    EXPECT_EQ(pager.M_ERRORCODE, 0);
    EXPECT_EQ(pager.M_STATUS, 404);
    Lines expected = PageLines(first, 300);
    const Lines more = PageLines(second, 12);
    expected.insert(expected.end(), more.begin(), more.end());
    EXPECT_EQ(Log(), expected);
}

TEST_F(PagerTest, APageLongerThanTheBufferIsCutAndCountedWhole) {
    Pager pager;
    ASSERT_EQ(pager.Start(Direct()), 1);
    ASSERT_EQ(pager.Connect(origin_.Url("/page?size=10000")), 1);
    ASSERT_TRUE(WaitForState(pager, Loader::Done));
    std::vector<char> page(1000, '\xff');
    EXPECT_EQ(pager.GetPage(1, page), 10000u);
    EXPECT_EQ(std::string(page.data(), 999), PageOf(999));
    EXPECT_EQ(page[999], '\0');
}

TEST_F(PagerTest, FetchesThroughANamedProxy) {
    Pager pager;
    ASSERT_EQ(pager.Start(Settings(1, "127.0.0.1:" + std::to_string(proxy_.Port()))), 1);
    const std::string url = origin_.Url("/page?size=5000");
    EXPECT_EQ(Load(pager, url), PageOf(5000));
    ASSERT_EQ(proxy_.Seen().size(), 1u);
    EXPECT_EQ(proxy_.Seen()[0].target, url);
    EXPECT_EQ(proxy_.Seen()[0].proxyAuthorization, "");  // USEACCOUNT is 0
    EXPECT_EQ(proxy_.Seen()[0].userAgent, "Zembrola/1.0 (test)");
    ASSERT_EQ(origin_.Seen().size(), 1u);
    EXPECT_EQ(Log(), PageLines(url, 5000));
    // The account switch off: the pager's own settings lose the user and the password.
    EXPECT_STREQ(pager.Info().USER, "");
    EXPECT_STREQ(pager.Info().PASSWORD, "");
    EXPECT_EQ(data::CStringOf(pager.Info().PROXY), "127.0.0.1:" + std::to_string(proxy_.Port()));
}

TEST_F(PagerTest, ProxyCredentialsFollowTheSwitches) {
    proxy_.RequireCredentials(test::BasicCredentials("zem", "secret"));
    struct Case {
        const char* what;
        std::uint8_t useAccount;
        std::uint8_t usePassword;
        std::string header;  // what the proxy receives
        bool admitted;
    };
    const Case cases[] = {
        {"account and password", 1, 1, test::BasicCredentials("zem", "secret"), true},
        {"account without password", 1, 0, test::BasicCredentials("zem", ""), false},
        {"password without account", 0, 1, "", false},
        {"neither", 0, 0, "", false},
    };
    const std::string proxy = "127.0.0.1:" + std::to_string(proxy_.Port());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(LogWriter::kFileName);
        Pager pager;
        ASSERT_EQ(pager.Start(Settings(1, proxy, c.useAccount, c.usePassword)), 1);
        const std::string url = origin_.Url("/page?size=700");
        const std::string page = Load(pager, url);
        EXPECT_EQ(proxy_.Seen().back().proxyAuthorization, c.header);
        EXPECT_EQ(pager.M_ERRORCODE, 0);
        // A 407 from the proxy is the page: logged and collected as any page.
        const std::string expected = c.admitted ? PageOf(700) : ProxyServer::kDeniedPage;
        EXPECT_EQ(page, expected);
        EXPECT_EQ(pager.M_STATUS, c.admitted ? 200 : 407);
        EXPECT_EQ(Log(), PageLines(url, expected.size()));
    }
}

TEST_F(PagerTest, UseProxyWithAnEmptyProxyGoesDirectWithoutCredentials) {
    // Even with the environment naming a proxy.
    ::setenv("http_proxy", proxy_.Base().c_str(), 1);
    Pager pager;
    ASSERT_EQ(pager.Start(Settings(1, "   ", 1, 1)), 1);
    const std::string url = origin_.Url("/page?size=50");
    EXPECT_EQ(Load(pager, url), PageOf(50));
    EXPECT_TRUE(proxy_.Seen().empty());
    ASSERT_EQ(origin_.Seen().size(), 1u);
    EXPECT_EQ(origin_.Seen()[0].target, "/page?size=50");
    EXPECT_EQ(origin_.Seen()[0].proxyAuthorization, "");
    EXPECT_STREQ(pager.Info().PROXY, "");
    EXPECT_STREQ(pager.Info().USER, "");
    EXPECT_STREQ(pager.Info().PASSWORD, "");
    EXPECT_STREQ(pager.Info().BYPASS, "");
}

TEST_F(PagerTest, WithoutUseProxyTheEnvironmentDecides) {
    ::setenv("http_proxy", proxy_.Base().c_str(), 1);
    Pager pager;
    // PROXY is ignored without USEPROXY: the environment's proxy is used.
    ASSERT_EQ(pager.Start(Settings(0, "127.0.0.1:" + std::to_string(test::RefusedPort()), 1, 1)),
              1);
    const std::string url = origin_.Url("/page?size=50");
    EXPECT_EQ(Load(pager, url), PageOf(50));
    ASSERT_EQ(proxy_.Seen().size(), 1u);
    EXPECT_EQ(proxy_.Seen()[0].target, url);
    EXPECT_EQ(proxy_.Seen()[0].proxyAuthorization, "");
}

TEST_F(PagerTest, AFailedOpenLogsOnlyItsPrepareAndIsCollectedWithItsError) {
    Pager pager;
    ASSERT_EQ(pager.Start(Direct()), 1);
    const std::string url = "http://127.0.0.1:" + std::to_string(test::RefusedPort()) + "/x";
    ASSERT_EQ(pager.Connect(url), 1);
    ASSERT_TRUE(WaitForState(pager, Loader::Done));
    EXPECT_EQ(Log(), Lines{"Prepare connect: " + url});
    char page[64] = "old text";
    EXPECT_EQ(pager.GetPage(1, page), 0u);
    EXPECT_STREQ(page, "");
    EXPECT_EQ(pager.M_ERRORCODE, 7);  // CURLE_COULDNT_CONNECT
    EXPECT_NE(std::string(pager.M_ERROR), "");
    EXPECT_EQ(pager.GetState(1), Loader::Idle);
    EXPECT_EQ(Log(),
              (Lines{"Prepare connect: " + url, "Fetched 0 on " + url, "Disconnected on " + url}));
    // The next good page clears the pager's error.
    EXPECT_EQ(Load(pager, origin_.Url("/page?size=10")), PageOf(10));
    EXPECT_EQ(pager.M_ERRORCODE, 0);
    EXPECT_STREQ(pager.M_ERROR, "");
}

TEST_F(PagerTest, ConnectWhileNotIdleAnswersZeroAndKeepsThePagersError) {
    Pager pager;
    ASSERT_EQ(pager.Start(Direct()), 1);
    const std::string refused = "http://127.0.0.1:" + std::to_string(test::RefusedPort()) + "/";
    ASSERT_EQ(pager.Connect(refused), 1);
    ASSERT_TRUE(WaitForState(pager, Loader::Done));
    // Done is not idle either.
    EXPECT_EQ(pager.Connect(origin_.Url("/page?size=5")), 0);
    char page[16];
    pager.GetPage(1, page);
    const std::int32_t code = pager.M_ERRORCODE;
    const std::string text = pager.M_ERROR;
    ASSERT_NE(code, 0);
    ASSERT_EQ(pager.Connect(origin_.Url("/stall")), 1);
    EXPECT_EQ(pager.Connect(origin_.Url("/page?size=5")), 0);
    EXPECT_EQ(pager.M_ERRORCODE, code);
    EXPECT_EQ(pager.M_ERROR, text);
}

TEST_F(PagerTest, AStalledServerFailsWithinTheStallLimitWhileTheWindowNeverWaits) {
    net::SetDefaultTimeouts({5s, kStall});
    Pager pager;
    ASSERT_EQ(pager.Start(Direct()), 1);
    const std::string url = origin_.Url("/stall");
    const auto start = Clock::now();
    ASSERT_EQ(pager.Connect(url), 1);
    std::vector<Clock::duration> calls;  // each GetState and each Busy
    std::uint8_t state = 0;
    while (Clock::now() - start < 20s) {
        auto before = Clock::now();
        state = pager.GetState(1);
        calls.push_back(Clock::now() - before);
        before = Clock::now();
        const int busy = pager.Busy();
        calls.push_back(Clock::now() - before);
        EXPECT_EQ(busy, 1);
        if (state == Loader::Done) break;
        std::this_thread::sleep_for(2ms);
    }
    const auto took = Clock::now() - start;
    ASSERT_EQ(state, Loader::Done);
    EXPECT_GE(took, kStall);
    EXPECT_LT(took, kStall + 3s);
    // A call that waited for the network would take a read wait (1 s) or more. Typical calls
    // take microseconds; the bounds leave room for a loaded machine's scheduling.
    std::sort(calls.begin(), calls.end());
    EXPECT_LT(calls[calls.size() / 2], 2ms) << "median of " << calls.size() << " calls";
    EXPECT_LT(calls[calls.size() * 99 / 100], 5ms) << "99th percentile";
    EXPECT_LT(calls.back(), Loader::kReadWait / 4) << "slowest call";
    char page[256];
    EXPECT_EQ(pager.GetPage(1, page), 0u);
    EXPECT_EQ(pager.M_ERRORCODE, net::kErrorTimedOut);
    EXPECT_NE(std::string(pager.M_ERROR).find("No data received"), std::string::npos)
        << pager.M_ERROR;
    const Lines log = Log();
    ASSERT_GE(log.size(), 7u);
    EXPECT_EQ(log[0], "Prepare connect: " + url);
    EXPECT_EQ(log[1], "Connected: " + url);
    EXPECT_EQ(log[2], "Loaded 100 on " + url);
    for (std::size_t i = 3; i + 3 < log.size(); ++i) EXPECT_EQ(log[i], "Waiting read on " + url);
    EXPECT_EQ(log[3], "Waiting read on " + url);
    EXPECT_EQ(log[log.size() - 3], "Error found on " + url);
    EXPECT_EQ(log[log.size() - 2], "Fetched 0 on " + url);
    EXPECT_EQ(log[log.size() - 1], "Disconnected on " + url);
}

TEST_F(PagerTest, ABrokenTransferFailsAfterItsChunks) {
    // /cut: Content-Length 20000 and 5000 bytes; /drop: a chunked page dropped after 5000.
    for (const char* path : {"/cut", "/drop"}) {
        SCOPED_TRACE(path);
        std::filesystem::remove(LogWriter::kFileName);
        Pager pager;
        ASSERT_EQ(pager.Start(Direct()), 1);
        const std::string url = origin_.Url(path);
        ASSERT_EQ(pager.Connect(url), 1);
        ASSERT_TRUE(WaitForState(pager, Loader::Done));
        char page[64] = "old";
        // A failed request is collected as 0 bytes with its error, never as a partial page.
        EXPECT_EQ(pager.GetPage(1, page), 0u);
        EXPECT_STREQ(page, "");
        EXPECT_NE(pager.M_ERRORCODE, 0);
        EXPECT_NE(std::string(pager.M_ERROR), "");
        EXPECT_EQ(Log(),
                  (Lines{"Prepare connect: " + url, "Connected: " + url, "Loaded 4096 on " + url,
                         "Loaded 904 on " + url, "Error found on " + url, "Fetched 0 on " + url,
                         "Disconnected on " + url}));
    }
}

TEST_F(PagerTest, AConnectionDroppedWithoutAnswerIsAFailedOpen) {
    test::DroppingServer dropping;
    Pager pager;
    ASSERT_EQ(pager.Start(Direct()), 1);
    const std::string url = dropping.Url("/");
    ASSERT_EQ(pager.Connect(url), 1);
    ASSERT_TRUE(WaitForState(pager, Loader::Done));
    char page[16];
    EXPECT_EQ(pager.GetPage(1, page), 0u);
    EXPECT_EQ(pager.M_ERRORCODE, 52);  // CURLE_GOT_NOTHING
    EXPECT_EQ(Log(),
              (Lines{"Prepare connect: " + url, "Fetched 0 on " + url, "Disconnected on " + url}));
}

TEST_F(PagerTest, DestroyingThePagerMidRequestEndsTheWorkerSilently) {
    const std::string url = origin_.Url("/stall");
    {
        Pager pager;
        ASSERT_EQ(pager.Start(Direct()), 1);
        ASSERT_EQ(pager.Connect(url), 1);
        ASSERT_TRUE(WaitUntil([&] { return Log().size() >= 3; }, 10s));
        EXPECT_EQ(Loader::LiveCount(), 1);
    }
    const Lines atDestruction = Log();
    const auto start = Clock::now();
    ASSERT_TRUE(WaitUntil([] { return Loader::LiveCount() == 0; }, 5s));
    // The worker's wait is cut short: it ends well before the stall limit.
    EXPECT_LT(Clock::now() - start, 3s);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Log(), atDestruction);
    ASSERT_GE(atDestruction.size(), 3u);
    EXPECT_EQ(atDestruction[2], "Loaded 100 on " + url);
    for (std::size_t i = 3; i < atDestruction.size(); ++i)
        EXPECT_EQ(atDestruction[i], "Waiting read on " + url);
}

TEST_F(PagerTest, DestroyingThePagerDoesNotWait) {
    // The worker is inside its connect step, waiting for headers that never come.
    auto pager = std::make_unique<Pager>();
    ASSERT_EQ(pager->Start(Direct()), 1);
    ASSERT_EQ(pager->Connect(origin_.Url("/stall-headers")), 1);
    ASSERT_TRUE(WaitUntil([&] { return origin_.Seen().size() == 1; }, 10s));
    const auto before = Clock::now();
    pager.reset();
    EXPECT_LT(Clock::now() - before, 50ms);
    EXPECT_TRUE(WaitUntil([] { return Loader::LiveCount() == 0; }, 5s));
    EXPECT_LT(Clock::now() - before, 3s);  // not the stall limit
    EXPECT_EQ(Log(), Lines{"Prepare connect: " + origin_.Url("/stall-headers")});
}

TEST_F(PagerTest, APageCollectedEarlyEndsItsRequest) {
    Pager pager;
    ASSERT_EQ(pager.Start(Direct()), 1);
    const std::string stalled = origin_.Url("/stall");
    ASSERT_EQ(pager.Connect(stalled), 1);
    ASSERT_TRUE(WaitUntil([&] { return Log().size() >= 3; }, 10s));
    char page[256];
    // What arrived so far; the request is dropped and logs nothing more.
    EXPECT_EQ(pager.GetPage(1, page), 100u);
    EXPECT_EQ(std::string(page), PageOf(100));
    EXPECT_EQ(pager.GetState(1), Loader::Idle);
    const std::string next = origin_.Url("/page?size=20");
    EXPECT_EQ(Load(pager, next), PageOf(20));
    const Lines log = Log();
    const auto disconnected = std::find(log.begin(), log.end(), "Disconnected on " + stalled);
    ASSERT_NE(disconnected, log.end());
    EXPECT_EQ(*(disconnected - 1), "Fetched 100 on " + stalled);
    EXPECT_EQ(Lines(disconnected + 1, log.end()), PageLines(next, 20));
}

TEST_F(PagerTest, IndexesWithoutALoaderAnswerNothing) {
    Pager pager;
    EXPECT_EQ(pager.GetState(0), 0);
    EXPECT_EQ(pager.GetState(2), 0);
    EXPECT_EQ(pager.GetState(-1), 0);
    char page[8] = "kept";
    EXPECT_EQ(pager.GetPage(0, page), 0u);
    EXPECT_EQ(pager.GetPage(2, page), 0u);
    EXPECT_STREQ(page, "kept");
    EXPECT_EQ(pager.Busy(), 0);
    EXPECT_TRUE(Log().empty());
}

TEST_F(PagerTest, ASecondStartStartsNoSecondWorker) {
    Pager pager;
    ASSERT_EQ(pager.Start(Direct()), 1);
    ASSERT_EQ(pager.Start(Direct()), 1);
    const std::string url = origin_.Url("/page?size=9000");
    EXPECT_EQ(Load(pager, url), PageOf(9000));
    EXPECT_EQ(Log(), PageLines(url, 9000));
}

TEST_F(PagerTest, SeveralPagersShareTheLog) {
    constexpr int kPagers = 4;
    std::vector<std::unique_ptr<Pager>> pagers;
    std::vector<std::string> urls;
    for (int i = 0; i < kPagers; ++i) {
        pagers.push_back(std::make_unique<Pager>());
        ASSERT_EQ(pagers.back()->Start(Direct()), 1);
        urls.push_back(origin_.Url("/page?size=" + std::to_string(9000 + i)));
        ASSERT_EQ(pagers.back()->Connect(urls.back()), 1);
    }
    std::vector<std::thread> windows;
    for (int i = 0; i < kPagers; ++i) {
        windows.emplace_back([&, i] {
            std::string page(20000, '\0');
            if (!WaitForState(*pagers[i], Loader::Done)) return;
            pagers[i]->GetPage(1, page);
            EXPECT_EQ(std::string(page.data()), PageOf(9000 + i));
        });
    }
    for (auto& window : windows) window.join();
    pagers.clear();
    const Lines log = Log();
    EXPECT_EQ(log.size(), 7u * kPagers);
    for (int i = 0; i < kPagers; ++i) {
        Lines own;
        const std::string suffix = urls[i];
        for (const std::string& line : log)
            if (line.size() >= suffix.size() &&
                line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0)
                own.push_back(line);
        EXPECT_EQ(own, PageLines(urls[i], 9000 + i));
    }
}

}  // namespace
}  // namespace zem::HTTP
