// The internet-handle layer over libcurl against loopback servers: access types, proxy
// credentials, HTTP error pages, redirects, and requests that stall, drop or are cut.
#include "platform/net/request.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/net/internet.h"
#include "support/proxy_environment.h"
#include "web/net/loopback.h"

namespace zem::net {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::OriginServer;
using test::PageOf;
using test::ProxyEnvironment;
using test::ProxyServer;

constexpr int kCouldntConnect = 7;  // CURLE_COULDNT_CONNECT
constexpr int kPartialFile = 18;    // CURLE_PARTIAL_FILE
constexpr int kGotNothing = 52;     // CURLE_GOT_NOTHING

// The whole rest of the page, or nullopt when the request failed first.
std::optional<std::string> ReadAll(Request& request, std::chrono::milliseconds wait = 5s) {
    std::string page;
    char buffer[4096];
    for (;;) {
        std::size_t n = 0;
        const Availability a = request.Read(buffer, n, wait);
        if (a == Availability::Failed) return std::nullopt;
        if (a == Availability::Pending) continue;
        if (n == 0) return page;
        page.append(buffer, n);
    }
}

class RequestTest : public ::testing::Test {
  protected:
    // A generous stall limit, so that a slow machine fails no test; the stall tests shorten it.
    void SetUp() override { SetDefaultTimeouts({5s, 20s}); }
    void TearDown() override { SetDefaultTimeouts({kConnectTimeout, kStallTimeout}); }

    ProxyEnvironment environment_;
    OriginServer origin_;
    ProxyServer proxy_;
    Internet internet_;
    Request request_;
};

TEST_F(RequestTest, FetchesAPageDirect) {
    ASSERT_TRUE(internet_.Open("Zembrola test agent", AccessType::Direct));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/page?size=10000")))
        << request_.LastError().text;
    EXPECT_EQ(request_.StatusCode(), 200);
    EXPECT_EQ(ReadAll(request_), PageOf(10000));
    ASSERT_EQ(origin_.Seen().size(), 1u);
    EXPECT_EQ(origin_.Seen()[0].target, "/page?size=10000");
    EXPECT_EQ(origin_.Seen()[0].userAgent, "Zembrola test agent");
    EXPECT_EQ(origin_.Seen()[0].proxyAuthorization, "");
}

TEST_F(RequestTest, ReadsAreBoundedByTheBuffer) {
    ASSERT_TRUE(internet_.Open("", AccessType::Direct));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/page?size=10")));
    char small[4];
    std::size_t n = 0;
    ASSERT_EQ(request_.Read(small, n, 5s), Availability::Ready);
    EXPECT_EQ(std::string(small, n), PageOf(10).substr(0, 4));
    EXPECT_EQ(ReadAll(request_), PageOf(10).substr(4));
    // After the end, the end again.
    EXPECT_EQ(request_.Read(small, n), Availability::Ready);
    EXPECT_EQ(n, 0u);
}

TEST_F(RequestTest, AnHttpErrorStatusIsAPage) {
    ASSERT_TRUE(internet_.Open("", AccessType::Direct));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/status/404")));
    EXPECT_EQ(request_.StatusCode(), 404);
    EXPECT_EQ(ReadAll(request_), "no such page");
}

TEST_F(RequestTest, FollowsRedirects) {
    ASSERT_TRUE(internet_.Open("", AccessType::Direct));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/redirect")));
    EXPECT_EQ(request_.StatusCode(), 200);
    EXPECT_EQ(ReadAll(request_), PageOf(10));
}

TEST_F(RequestTest, ALargePageArrivesWhole) {
    // Larger than what the request buffers before it pauses the transfer.
    ASSERT_TRUE(internet_.Open("", AccessType::Direct));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/page?size=3000000")));
    EXPECT_EQ(ReadAll(request_), PageOf(3000000));
}

TEST_F(RequestTest, FetchesThroughANamedProxy) {
    ASSERT_TRUE(
        internet_.Open("", AccessType::Proxy, "127.0.0.1:" + std::to_string(proxy_.Port())));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/page?size=100")));
    EXPECT_EQ(ReadAll(request_), PageOf(100));
    ASSERT_EQ(proxy_.Seen().size(), 1u);
    EXPECT_EQ(proxy_.Seen()[0].target, origin_.Url("/page?size=100"));
    EXPECT_EQ(proxy_.Seen()[0].proxyAuthorization, "");
}

TEST_F(RequestTest, TakesTheHttpEntryOfAProxyList) {
    const std::string list =
        "ftp=127.0.0.1:1;http=127.0.0.1:" + std::to_string(proxy_.Port()) + " https=127.0.0.1:1";
    ASSERT_TRUE(internet_.Open("", AccessType::Proxy, list));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/page?size=5")));
    EXPECT_EQ(ReadAll(request_), PageOf(5));
    EXPECT_EQ(proxy_.Seen().size(), 1u);
}

TEST_F(RequestTest, SendsProxyCredentials) {
    struct Case {
        const char* what;
        std::optional<std::string> user;
        std::optional<std::string> password;
        std::string header;
    };
    const Case cases[] = {
        {"user and password", "zem", "secret", test::BasicCredentials("zem", "secret")},
        {"user alone", "zem", std::nullopt, test::BasicCredentials("zem", "")},
        {"nothing", std::nullopt, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Internet internet;
        Request request;
        ASSERT_TRUE(
            internet.Open("", AccessType::Proxy, "127.0.0.1:" + std::to_string(proxy_.Port())));
        if (c.user) {
            ASSERT_TRUE(internet.SetProxyUserName(*c.user));
        }
        if (c.password) {
            ASSERT_TRUE(internet.SetProxyPassword(*c.password));
        }
        ASSERT_TRUE(request.Open(internet, origin_.Url("/page?size=5")));
        EXPECT_EQ(ReadAll(request), PageOf(5));
        EXPECT_EQ(proxy_.Seen().back().proxyAuthorization, c.header);
    }
}

TEST_F(RequestTest, AProxyDemandingCredentialsAnswersWithAPage) {
    proxy_.RequireCredentials(test::BasicCredentials("zem", "secret"));
    ASSERT_TRUE(
        internet_.Open("", AccessType::Proxy, "127.0.0.1:" + std::to_string(proxy_.Port())));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/page?size=5")));
    EXPECT_EQ(request_.StatusCode(), 407);
    EXPECT_EQ(ReadAll(request_), ProxyServer::kDeniedPage);
}

TEST_F(RequestTest, TheBypassListGoesDirect) {
    ASSERT_TRUE(internet_.Open("", AccessType::Proxy, "127.0.0.1:" + std::to_string(proxy_.Port()),
                               "<local>; *.example.invalid;127.0.0.1"));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/page?size=5")));
    EXPECT_EQ(ReadAll(request_), PageOf(5));
    EXPECT_TRUE(proxy_.Seen().empty());
    EXPECT_EQ(origin_.Seen().size(), 1u);
}

TEST_F(RequestTest, PreconfiguredFollowsTheEnvironmentAndDirectIgnoresIt) {
    ::setenv("http_proxy", proxy_.Base().c_str(), 1);
    {
        ASSERT_TRUE(internet_.Open("", AccessType::Preconfigured));
        ASSERT_TRUE(request_.Open(internet_, origin_.Url("/page?size=5")));
        EXPECT_EQ(ReadAll(request_), PageOf(5));
        EXPECT_EQ(proxy_.Seen().size(), 1u);
    }
    {
        Internet direct;
        Request request;
        ASSERT_TRUE(direct.Open("", AccessType::Direct));
        ASSERT_TRUE(request.Open(direct, origin_.Url("/page?size=6")));
        EXPECT_EQ(ReadAll(request), PageOf(6));
        EXPECT_EQ(proxy_.Seen().size(), 1u);
    }
    ::setenv("no_proxy", "127.0.0.1", 1);
    {
        Internet preconfigured;
        Request request;
        ASSERT_TRUE(preconfigured.Open("", AccessType::Preconfigured));
        ASSERT_TRUE(request.Open(preconfigured, origin_.Url("/page?size=7")));
        EXPECT_EQ(ReadAll(request), PageOf(7));
        EXPECT_EQ(proxy_.Seen().size(), 1u);
    }
}

TEST_F(RequestTest, ProxyAccessNeedsAProxy) {
    EXPECT_FALSE(internet_.Open("", AccessType::Proxy, ""));
    EXPECT_EQ(internet_.LastError().code, kErrorBadArgument);
    EXPECT_FALSE(internet_.IsOpen());
    EXPECT_FALSE(request_.Open(internet_, origin_.Url("/page?size=5")));
    EXPECT_EQ(request_.LastError().code, kErrorNotOpen);
    EXPECT_FALSE(IsTransientFailure(kErrorBadArgument));
    EXPECT_FALSE(IsTransientFailure(kErrorNotOpen));
}

TEST_F(RequestTest, ARefusedConnectionFailsAtOnce) {
    ASSERT_TRUE(internet_.Open("", AccessType::Direct));
    const auto start = Clock::now();
    EXPECT_FALSE(
        request_.Open(internet_, "http://127.0.0.1:" + std::to_string(test::RefusedPort()) + "/"));
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_EQ(request_.LastError().code, kCouldntConnect);
    EXPECT_FALSE(request_.LastError().text.empty());
    EXPECT_FALSE(request_.IsOpen());
    EXPECT_FALSE(IsTransientFailure(request_.LastError().code));
}

TEST_F(RequestTest, AConnectionDroppedBeforeAnAnswerFailsTheOpen) {
    test::DroppingServer dropping;
    ASSERT_TRUE(internet_.Open("", AccessType::Direct));
    EXPECT_FALSE(request_.Open(internet_, dropping.Url("/")));
    EXPECT_EQ(request_.LastError().code, kGotNothing);
    EXPECT_TRUE(IsTransientFailure(request_.LastError().code));
}

TEST_F(RequestTest, ACutBodyFailsAfterItsBytes) {
    ASSERT_TRUE(internet_.Open("", AccessType::Direct));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/cut"))) << request_.LastError().text;
    std::string page;
    char buffer[4096];
    Availability a;
    std::size_t n = 0;
    while ((a = request_.Read(buffer, n, 5s)) == Availability::Ready && n > 0)
        page.append(buffer, n);
    EXPECT_EQ(a, Availability::Failed);
    EXPECT_EQ(page, PageOf(5000));
    EXPECT_EQ(request_.LastError().code, kPartialFile);
    EXPECT_TRUE(IsTransientFailure(request_.LastError().code));
}

TEST_F(RequestTest, ADroppedConnectionFailsTheRead) {
    ASSERT_TRUE(internet_.Open("", AccessType::Direct));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/drop")));
    EXPECT_EQ(ReadAll(request_), std::nullopt);
    EXPECT_NE(request_.LastError().code, 0);
    EXPECT_FALSE(request_.LastError().text.empty());
    EXPECT_TRUE(IsTransientFailure(request_.LastError().code)) << request_.LastError().code;
}

TEST_F(RequestTest, AStalledBodyFailsWithinTheStallLimit) {
    ASSERT_TRUE(internet_.Open("", AccessType::Direct));
    internet_.SetTimeouts({5s, 1500ms});
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/stall")));
    char buffer[4096];
    std::size_t n = 0;
    ASSERT_EQ(request_.Read(buffer, n, 5s), Availability::Ready);
    EXPECT_EQ(n, 100u);
    // Nothing more comes: a look answers pending at once, a wait ends in the stall failure.
    auto start = Clock::now();
    EXPECT_EQ(request_.DataAvailable(), Availability::Pending);
    EXPECT_LT(Clock::now() - start, 500ms);
    start = Clock::now();
    EXPECT_EQ(request_.Read(buffer, n, 10s), Availability::Failed);
    const auto waited = Clock::now() - start;
    EXPECT_GT(waited, 1s);
    EXPECT_LT(waited, 5s);
    EXPECT_EQ(request_.LastError().code, kErrorTimedOut);
    EXPECT_NE(request_.LastError().text.find("No data received"), std::string::npos)
        << request_.LastError().text;
    EXPECT_TRUE(IsTransientFailure(request_.LastError().code));
}

TEST_F(RequestTest, AServerThatNeverAnswersFailsTheOpen) {
    ASSERT_TRUE(internet_.Open("", AccessType::Direct));
    internet_.SetTimeouts({5s, 1500ms});
    const auto start = Clock::now();
    EXPECT_FALSE(request_.Open(internet_, origin_.Url("/stall-headers")));
    EXPECT_GE(Clock::now() - start, 1500ms);
    EXPECT_LT(Clock::now() - start, 6s);
    EXPECT_EQ(request_.LastError().code, kErrorTimedOut);
}

TEST_F(RequestTest, TheAbortFlagEndsAWaitWithinAPollSlice) {
    std::atomic<bool> abort{false};
    ASSERT_TRUE(internet_.Open("", AccessType::Direct));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/stall"), &abort));
    char buffer[4096];
    std::size_t n = 0;
    ASSERT_EQ(request_.Read(buffer, n, 5s), Availability::Ready);
    std::thread raiser([&] {
        std::this_thread::sleep_for(200ms);
        abort = true;
    });
    const auto start = Clock::now();
    EXPECT_EQ(request_.Read(buffer, n, 20s), Availability::Failed);
    EXPECT_LT(Clock::now() - start, 5s);  // the stall limit is 20 s
    raiser.join();
    EXPECT_EQ(request_.LastError().code, kErrorAborted);
}

TEST_F(RequestTest, ClosingTheInternetHandleClosesItsRequests) {
    ASSERT_TRUE(internet_.Open("", AccessType::Direct));
    ASSERT_TRUE(request_.Open(internet_, origin_.Url("/page?size=5")));
    ASSERT_TRUE(internet_.Close());
    EXPECT_FALSE(request_.IsOpen());
    char buffer[16];
    std::size_t n = 0;
    EXPECT_EQ(request_.Read(buffer, n), Availability::Failed);
    EXPECT_EQ(request_.LastError().code, kErrorNotOpen);
}

}  // namespace
}  // namespace zem::net
