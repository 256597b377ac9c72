#include "platform/runtime/events.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <thread>
#include <vector>

#include "platform/runtime/framework_thread.h"

namespace zem::runtime {
namespace {

using namespace std::chrono_literals;
using testing::RunOnFrameworkThread;

// Takes events until count have come or the time is up.
std::vector<Event> Collect(std::size_t count, std::chrono::milliseconds within = 20s) {
    std::vector<Event> events;
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (events.size() < count && std::chrono::steady_clock::now() < deadline) {
        if (auto event = WaitEvent(100ms)) events.push_back(*event);
    }
    return events;
}

TEST(EventsTest, PostsFromManyThreadsArriveInTheirOrderAndNoneIsLost) {
    constexpr int kPosters = 6;
    constexpr int kEach = 500;
    std::promise<std::vector<Event>> received;
    auto answer = received.get_future();
    const ThreadNo receiver = Start([&received] { received.set_value(Collect(kPosters * kEach)); });
    ASSERT_GT(receiver, 0);

    // Half the posters are framework threads, half are not, like the display server.
    std::vector<std::thread> plain;
    std::vector<ThreadNo> framework;
    for (int poster = 0; poster < kPosters; ++poster) {
        auto post = [receiver, poster] {
            for (int i = 0; i < kEach; ++i) {
                EXPECT_TRUE(Post(receiver, event::kAccepted + poster, poster * kEach + i));
            }
        };
        if (poster % 2 == 0) {
            plain.emplace_back(post);
        } else {
            framework.push_back(Start(post));
        }
    }
    for (std::thread& thread : plain) thread.join();
    for (const ThreadNo thread : framework) Join(thread);

    const std::vector<Event> events = answer.get();
    Join(receiver);
    ASSERT_EQ(events.size(), static_cast<std::size_t>(kPosters * kEach));
    std::map<int, int> next;  // per poster, the next control number expected
    for (const Event& event : events) {
        const int poster = event.code - event::kAccepted;
        ASSERT_GE(poster, 0);
        ASSERT_LT(poster, kPosters);
        EXPECT_EQ(event.control, poster * kEach + next[poster]) << "poster " << poster;
        ++next[poster];
    }
}

TEST(EventsTest, EventsPostedBeforeTheThreadLooksAreKept) {
    std::promise<void> go;
    std::shared_future<void> started = go.get_future().share();
    std::promise<std::vector<Event>> received;
    auto answer = received.get_future();
    const ThreadNo receiver = Start([&received, started] {
        started.wait();
        received.set_value(Collect(3));
    });
    // Right after Start, before the procedure has run a line.
    EXPECT_TRUE(Post(receiver, event::kOpenWindow));
    EXPECT_TRUE(Post(receiver, event::kAccepted, 3004));
    EXPECT_TRUE(Post(receiver, event::kCloseWindow));
    go.set_value();
    EXPECT_EQ(answer.get(), (std::vector<Event>{{event::kOpenWindow, 0, {}},
                                                {event::kAccepted, 3004, {}},
                                                {event::kCloseWindow, 0, {}}}));
    Join(receiver);
}

TEST(EventsTest, PostingToAnEndedOrUnknownThreadDoesNothing) {
    // A thread that ends with events still queued.
    const ThreadNo ended = Start([] { std::this_thread::sleep_for(20ms); });
    EXPECT_TRUE(Post(ended, event::kTimer));
    Join(ended);
    for (const ThreadNo thread : {ended, ThreadNo{0}, ThreadNo{-1}, ThreadNo{1'000'000}}) {
        EXPECT_FALSE(Post(thread, event::kCloseWindow)) << "thread " << thread;
        EXPECT_FALSE(Notify(1, thread, 2)) << "thread " << thread;
    }
}

TEST(EventsTest, PostsRacingTheThreadsEndAreHarmless) {
    for (int round = 0; round < 50; ++round) {
        const ThreadNo target = Start([] { static_cast<void>(TakeEvent()); });
        std::atomic<bool> stop = false;
        std::thread poster([&] {
            while (!stop) Post(target, event::kAccepted);
        });
        Join(target);
        stop = true;
        poster.join();
        EXPECT_FALSE(Post(target, event::kAccepted));
    }
}

TEST(EventsTest, WaitingEndsWithTheTimeoutOrThePost) {
    RunOnFrameworkThread([] {
        EXPECT_EQ(TakeEvent(), std::nullopt);
        const auto before = std::chrono::steady_clock::now();
        EXPECT_EQ(WaitEvent(80ms), std::nullopt);
        EXPECT_GE(std::chrono::steady_clock::now() - before, 80ms);
        EXPECT_EQ(WaitEvent(0ms), std::nullopt);
        EXPECT_EQ(WaitEvent(-5ms), std::nullopt);
    });

    std::promise<void> waiting;
    std::promise<std::chrono::steady_clock::duration> waited;
    auto answer = waited.get_future();
    const ThreadNo receiver = Start([&] {
        const auto before = std::chrono::steady_clock::now();
        waiting.set_value();
        const std::optional<Event> event = WaitEvent(60s);
        EXPECT_EQ(event, (Event{event::kCloseDown, 0, {}}));
        waited.set_value(std::chrono::steady_clock::now() - before);
    });
    waiting.get_future().wait();
    std::this_thread::sleep_for(30ms);
    Post(receiver, event::kCloseDown);
    EXPECT_LT(answer.get(), 10s) << "the post did not wake the waiting thread";
    Join(receiver);
}

TEST(EventsTest, AThreadTheFrameworkDidNotStartHasNoQueue) {
    EXPECT_EQ(CurrentThread(), 0);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitEvent(10s), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s) << "it must not wait";
    EXPECT_EQ(TakeEvent(), std::nullopt);
    EXPECT_EQ(PendingNotification(), std::nullopt);
}

struct NotifyCase {
    std::uint32_t code;
    std::int64_t parameter;
    bool fromFrameworkThread;
};

class NotifyTest : public ::testing::TestWithParam<NotifyCase> {};

struct Handled {
    Event event;
    std::optional<Notification> pending;  // what the receiver read while handling it
};

TEST_P(NotifyTest, TheReceiverReadsCodeSenderAndParameterWhileHandlingTheEvent) {
    const NotifyCase c = GetParam();
    std::promise<std::vector<Handled>> handled;
    auto answer = handled.get_future();
    const ThreadNo receiver = Start([&handled] {
        std::vector<Handled> seen;
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (seen.size() < 2 && std::chrono::steady_clock::now() < deadline) {
            if (auto event = WaitEvent(100ms)) seen.push_back({*event, PendingNotification()});
        }
        handled.set_value(seen);
    });

    ThreadNo sender = 0;
    if (c.fromFrameworkThread) {
        sender = Start([&] { EXPECT_TRUE(Notify(c.code, receiver, c.parameter)); });
        Join(sender);
    } else {
        EXPECT_TRUE(Notify(c.code, receiver, c.parameter));
    }
    EXPECT_TRUE(Post(receiver, event::kAccepted, 12));

    const std::vector<Handled> seen = answer.get();
    Join(receiver);
    ASSERT_EQ(seen.size(), 2u);
    const Notification expected{c.code, sender, c.parameter};
    EXPECT_EQ(seen[0].event, (Event{event::kNotify, 0, expected}));
    EXPECT_EQ(seen[0].pending, expected);
    EXPECT_EQ(seen[1].event, (Event{event::kAccepted, 12, {}}));
    EXPECT_EQ(seen[1].pending, std::nullopt) << "the notification ends with its event";
}

INSTANTIATE_TEST_SUITE_P(Senders, NotifyTest,
                         ::testing::Values(NotifyCase{0x0201, 42, true}, NotifyCase{7, -1, false},
                                           NotifyCase{0xFFFFFFFFu, INT64_MAX, true},
                                           NotifyCase{0, 0, false}));

}  // namespace
}  // namespace zem::runtime
