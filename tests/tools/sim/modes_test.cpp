// The simulator's modes, set at start or switched through the control host, and its answers
// for hosts it does not stand in for.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "proxy_auth.h"
#include "tools/sim/running_simulator.h"

namespace zem::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kPageUrl = SearchUrl("www.google.com", "digital+camera", "us");

TEST(ProxyAuth, DemandsBasicCredentials) {
    const RunningSimulator sim({}, {.proxyAuth = "ann:s3cret"});
    const httplib::Result without = FetchThrough(sim.port, kPageUrl);
    ASSERT_TRUE(without);
    EXPECT_EQ(without->status, 407);
    EXPECT_EQ(without->get_header_value("Proxy-Authenticate").rfind("Basic ", 0), 0u);

    struct Case {
        const char* header;
        int status;
    };
    const std::string good = sim::Base64("ann:s3cret");
    for (const Case c : {Case{"Basic YW5uOndyb25n", 407},  // ann:wrong
                         Case{"Digest YW5uOnMzY3JldA==", 407}}) {
        const httplib::Result result =
            FetchThrough(sim.port, kPageUrl, {{"Proxy-Authorization", c.header}});
        ASSERT_TRUE(result) << c.header;
        EXPECT_EQ(result->status, c.status) << c.header;
    }
    for (const std::string& header : {"Basic " + good, "basic  " + good}) {
        const httplib::Result result =
            FetchThrough(sim.port, kPageUrl, {{"Proxy-Authorization", header}});
        ASSERT_TRUE(result) << header;
        EXPECT_EQ(result->status, 200) << header;
    }

    httplib::Client client("http://www.google.com");
    client.set_proxy("127.0.0.1", sim.port);
    client.set_proxy_basic_auth("ann", "s3cret");
    const httplib::Result viaClient = client.Get("/search?q=%22x%22");
    ASSERT_TRUE(viaClient);
    EXPECT_EQ(viaClient->status, 200);
}

TEST(Modes, DelayHoldsTheAnswerBack) {
    const RunningSimulator sim({}, {.delayMs = 300});
    const auto start = Clock::now();
    EXPECT_NE(sim.Body(kPageUrl), "");
    EXPECT_GE(Clock::now() - start, 300ms);
}

TEST(Modes, StallSendsPartOfTheBodyAndHoldsTheConnectionUntilShutdown) {
    RunningSimulator sim({}, {.stall = true});
    const httplib::Result timedOut = FetchThrough(sim.port, kPageUrl, {}, 400ms);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(timedOut.error(), httplib::Error::Read);

    RawConnection connection(sim.port);
    ASSERT_TRUE(connection.Send(ProxyRequestText(kPageUrl)));
    EXPECT_FALSE(connection.ReadFor(300ms)) << "the connection was closed";
    const RawReply reply = SplitReply(connection.Received());
    ASSERT_TRUE(reply.complete);
    EXPECT_EQ(reply.head.rfind("HTTP/1.1 200", 0), 0u);
    const std::size_t announced = std::stoul(HeaderOf(reply, "Content-Length"));
    EXPECT_GT(reply.body.size(), 0u);
    EXPECT_LT(reply.body.size(), announced);

    const auto start = Clock::now();
    sim.simulator.Stop();
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_TRUE(connection.ReadFor(1s)) << "still open after shutdown";
    EXPECT_LT(SplitReply(connection.Received()).body.size(), announced);
}

TEST(Modes, Fail500AnswersAnInternalError) {
    const RunningSimulator sim({}, {.fail = sim::Failure::Status500});
    const httplib::Result result = FetchThrough(sim.port, kPageUrl);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 500);
}

TEST(Modes, ThrottleAnswersTheServicesThrottlingErrorWith503) {
    const RunningSimulator sim({}, {.fail = sim::Failure::Throttle});
    const httplib::Result result = FetchThrough(
        sim.port, ItemSearchUrl("ecs.amazonaws.com", "&SearchIndex=Books&Keywords=a+b"));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 503);
    EXPECT_NE(result->body.find("<ItemSearchErrorResponse"), std::string::npos) << result->body;
    EXPECT_NE(result->body.find("<Error><Code>RequestThrottled</Code><Message>"), std::string::npos)
        << result->body;
    EXPECT_EQ(result->body.find("TotalResults"), std::string::npos);
}

TEST(Modes, ThrottleRateThrottlesThatShareOfServiceRequestsTheSameWayEachRun) {
    const std::string url = ItemSearchUrl("ecs.amazonaws.com", "&SearchIndex=Books&Keywords=tea");
    const auto statuses = [&](const RunningSimulator& sim, int n) {
        std::vector<int> seen;
        for (int i = 0; i < n; ++i) {
            const httplib::Result result = FetchThrough(sim.port, url);
            seen.push_back(result ? result->status : -1);
            if (result && result->status == 503) {
                EXPECT_NE(result->body.find("<Code>RequestThrottled</Code>"), std::string::npos);
            }
        }
        return seen;
    };
    const RunningSimulator sim({}, {.throttleRate = 0.25});
    const std::vector<int> first = statuses(sim, 200);
    const auto throttled = std::count(first.begin(), first.end(), 503);
    EXPECT_EQ(std::count(first.begin(), first.end(), 200) + throttled, 200);
    EXPECT_GT(throttled, 25);
    EXPECT_LT(throttled, 75);
    const RunningSimulator twin({}, {.throttleRate = 0.25});
    EXPECT_EQ(statuses(twin, 200), first);
    // Result pages are the search engine's, which never throttles.
    const RunningSimulator always({}, {.throttleRate = 1});
    EXPECT_EQ(FetchThrough(always.port, kPageUrl)->status, 200);
    EXPECT_EQ(FetchThrough(always.port, url)->status, 503);
}

TEST(Modes, FailTimesFailsOnlyTheNextRequests) {
    struct Case {
        const char* name;
        sim::Modes modes;
        std::vector<int> statuses;  // of the requests that follow; -1: no reply
    };
    const Case cases[] = {
        {"two 500s", {.fail = sim::Failure::Status500, .failTimes = 2}, {500, 500, 200, 200}},
        {"one drop", {.fail = sim::Failure::Drop, .failTimes = 1}, {-1, 200}},
        {"one throttle", {.fail = sim::Failure::Throttle, .failTimes = 1}, {503, 200}},
        {"none", {.fail = sim::Failure::Status500, .failTimes = 0}, {200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RunningSimulator sim({}, c.modes);
        for (const int expected : c.statuses) {
            const httplib::Result result = FetchThrough(sim.port, kPageUrl);
            EXPECT_EQ(result ? result->status : -1, expected);
        }
        EXPECT_EQ(sim.simulator.CurrentModes().fail, sim::Failure::None);
    }
    // A cut counts the same way.
    const RunningSimulator whole;
    const RunningSimulator cut({}, {.cut = 10, .failTimes = 1});
    EXPECT_FALSE(FetchThrough(cut.port, kPageUrl));
    EXPECT_EQ(cut.Body(kPageUrl), whole.Body(kPageUrl));
}

TEST(Modes, DropClosesTheConnectionWithoutAReply) {
    const RunningSimulator sim({}, {.fail = sim::Failure::Drop});
    RawConnection connection(sim.port);
    ASSERT_TRUE(connection.Send(ProxyRequestText(kPageUrl)));
    EXPECT_TRUE(connection.ReadFor(2s)) << "the connection stayed open";
    EXPECT_EQ(connection.Received(), "");
    EXPECT_FALSE(FetchThrough(sim.port, kPageUrl));
}

TEST(Modes, CutAnnouncesTheWholeBodyAndSendsOnlyItsStart) {
    const RunningSimulator normal;
    const std::string whole = normal.Body(kPageUrl);
    ASSERT_GT(whole.size(), 100u);
    for (const std::size_t cut : {std::size_t{0}, std::size_t{100}}) {
        SCOPED_TRACE(cut);
        const RunningSimulator sim({}, {.cut = cut});
        RawConnection connection(sim.port);
        ASSERT_TRUE(connection.Send(ProxyRequestText(kPageUrl)));
        EXPECT_TRUE(connection.ReadFor(2s)) << "the connection stayed open";
        const RawReply reply = SplitReply(connection.Received());
        ASSERT_TRUE(reply.complete);
        EXPECT_EQ(HeaderOf(reply, "Content-Length"), std::to_string(whole.size()));
        EXPECT_EQ(reply.body, whole.substr(0, cut));
    }
    // A cut beyond the body changes nothing.
    const RunningSimulator generous({}, {.cut = 1'000'000});
    EXPECT_EQ(generous.Body(kPageUrl), whole);
}

TEST(Modes, OtherHostsGet502) {
    const RunningSimulator sim;
    for (const char* url :
         {"http://www.example.com/", "http://ecs.amazonaws.com.example.net/onca/xml",
          "http://www.google.com.au/search?q=x", "http://127.0.0.1:9/"}) {
        const httplib::Result result = FetchThrough(sim.port, url);
        ASSERT_TRUE(result) << url;
        EXPECT_EQ(result->status, 502) << url;
    }
}

TEST(ControlHost, SwitchesTheModesOfARunningSimulator) {
    const RunningSimulator sim({}, {.proxyAuth = "ann:s3cret"});
    const auto control = [&](std::string_view query) {
        const httplib::Result result =
            FetchThrough(sim.port, "http://sim.control/mode?" + std::string(query));
        EXPECT_TRUE(result) << query;
        return result ? std::to_string(result->status) + " " + result->body : std::string();
    };
    const auto status = [&] {
        const httplib::Result result = FetchThrough(sim.port, kPageUrl);
        return result ? result->status : -1;
    };
    // The control host answers without credentials, whatever the modes.
    EXPECT_EQ(status(), 407);
    EXPECT_EQ(control("auth=&fail=500"), "200 --fail 500\n");
    EXPECT_EQ(status(), 500);
    EXPECT_EQ(control("fail=drop"), "200 --fail drop\n");
    EXPECT_EQ(status(), -1);
    EXPECT_EQ(control("reset&delay=50&cut=10"), "200 --delay-ms 50 --cut 10\n");
    EXPECT_EQ(sim.simulator.CurrentModes().cut, 10u);
    EXPECT_EQ(control("fail=throttle&times=2"),
              "200 --delay-ms 50 --fail throttle --cut 10 "
              "--fail-times 2\n");
    EXPECT_EQ(control("fail=sometimes").substr(0, 4), "400 ");
    EXPECT_EQ(sim.simulator.CurrentModes().delayMs, 50) << "a refused switch changes nothing";
    EXPECT_EQ(control("reset"), "200 normal\n");
    EXPECT_EQ(status(), 200);
}

TEST(ControlHost, ListsTheProxiedRequests) {
    const RunningSimulator sim;
    const std::string url = ItemSearchUrl("ecs.amazonaws.com", "&SearchIndex=Books&Keywords=a+b");
    for (const std::string& sent : {url, kPageUrl}) {
        RawConnection connection(sim.port);
        ASSERT_TRUE(connection.Send(ProxyRequestText(sent)));
        connection.ReadFor(2s);
    }
    EXPECT_EQ(sim.Body("http://sim.control/requests?clear"),
              "GET " + url + "\nGET " + kPageUrl + "\n");
    EXPECT_EQ(sim.Body("http://sim.control/requests"), "");
}

}  // namespace
}  // namespace zem::test
