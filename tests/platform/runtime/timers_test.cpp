#include "platform/runtime/timers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <vector>

#include "platform/runtime/events.h"
#include "platform/runtime/framework_thread.h"

namespace zem::runtime {
namespace {

using namespace std::chrono_literals;
using testing::RunOnFrameworkThread;

constexpr Date kSomeDay = 82527;  // 10 December 2026
constexpr Time kNoon = 4'320'001;

// How many timer events the calling thread finds now, taking every event it has.
int TakeTimers() {
    int timers = 0;
    while (const std::optional<Event> event = TakeEvent()) {
        if (event->code == event::kTimer) ++timers;
    }
    return timers;
}

struct Step {
    Ticks advance;  // hundredths the clock moves before the thread looks
    int timers;     // timer events it finds then
};

struct TimerCase {
    const char* name;
    Ticks period;
    std::vector<Step> steps;
};

class TimerTest : public ::testing::TestWithParam<TimerCase> {};

TEST_P(TimerTest, TimerEventsFollowTheSetClock) {
    const TimerCase c = GetParam();
    RunOnFrameworkThread([&c] {
        TestClock clock(kSomeDay, kNoon);
        ASSERT_TRUE(SetTimer(c.period));
        EXPECT_EQ(TimerPeriod(), c.period > 0 ? c.period : 0);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            clock.Advance(c.steps[i].advance);
            EXPECT_EQ(TakeTimers(), c.steps[i].timers) << "step " << i;
        }
        SetTimer(0);
    });
}

INSTANTIATE_TEST_SUITE_P(
    Periods, TimerTest,
    ::testing::Values(
        // One second: nothing a hundredth early, one event on the dot, then every second.
        TimerCase{"OneSecond", 100, {{99, 0}, {1, 1}, {50, 0}, {50, 1}, {100, 1}}},
        // A busy thread that misses many periods still finds a single event.
        TimerCase{"NeverPilesUp", 10, {{10, 1}, {1000, 1}, {0, 0}, {10, 1}}},
        // The next period counts from when the event was taken, not from the missed due time.
        TimerCase{"NoCatchUpBurst", 100, {{250, 1}, {49, 0}, {51, 1}}},
        TimerCase{"ShortestPeriod", 1, {{1, 1}, {1, 1}, {5, 1}}},
        TimerCase{"Off", 0, {{100, 0}, {100'000, 0}}}, TimerCase{"NegativeIsOff", -5, {{100, 0}}}),
    [](const ::testing::TestParamInfo<TimerCase>& param) { return param.param.name; });

TEST(TimersTest, AdvancingPastSeveralPeriodsWithoutLookingLeavesOneEvent) {
    RunOnFrameworkThread([] {
        TestClock clock(kSomeDay, kNoon);
        SetTimer(10);
        for (int i = 0; i < 5; ++i) clock.Advance(10);
        // A posted event lets the timer be queued behind it; the next look must not add one.
        Post(CurrentThread(), event::kAccepted);
        const std::optional<Event> first = TakeEvent();
        ASSERT_TRUE(first);
        EXPECT_EQ(first->code, event::kAccepted);
        EXPECT_EQ(TakeTimers(), 1);
        SetTimer(0);
    });
}

TEST(TimersTest, AThreadBusyWithOtherEventsFindsOneTimerEventForManyPeriods) {
    RunOnFrameworkThread([] {
        TestClock clock(kSomeDay, kNoon);
        SetTimer(10);
        for (int control = 1; control <= 3; ++control) {
            Post(CurrentThread(), event::kAccepted, control);
        }
        // A period passes before each event the thread takes.
        std::vector<Event> taken;
        for (int i = 0; i < 3; ++i) {
            clock.Advance(10);
            taken.push_back(*TakeEvent());
        }
        while (const std::optional<Event> event = TakeEvent()) taken.push_back(*event);
        EXPECT_EQ(taken, (std::vector<Event>{{event::kAccepted, 1, {}},
                                             {event::kAccepted, 2, {}},
                                             {event::kAccepted, 3, {}},
                                             {event::kTimer, 0, {}}}));
        SetTimer(0);
    });
}

TEST(TimersTest, TurningTheTimerOffDropsTheWaitingEvent) {
    RunOnFrameworkThread([] {
        TestClock clock(kSomeDay, kNoon);
        SetTimer(10);
        Post(CurrentThread(), event::kAccepted);
        clock.Advance(10);
        // Taking the posted event queues the due timer behind it.
        EXPECT_EQ(TakeEvent()->code, event::kAccepted);
        SetTimer(0);
        EXPECT_EQ(TakeEvent(), std::nullopt);
        clock.Advance(1000);
        EXPECT_EQ(TakeEvent(), std::nullopt);
    });
}

// A window opening on a thread whose timer event is already waiting sets its own timer and then
// posts its open event: the old timer's event must not come first.
TEST(TimersTest, SettingANewPeriodDropsTheEventWaitingFromTheOldOne) {
    RunOnFrameworkThread([] {
        TestClock clock(kSomeDay, kNoon);
        SetTimer(10);
        Post(CurrentThread(), event::kAccepted, 1);
        clock.Advance(10);
        EXPECT_EQ(TakeEvent()->code, event::kAccepted);  // the due timer queues behind it
        SetTimer(5);
        Post(CurrentThread(), event::kAccepted, 2);
        const std::optional<Event> next = TakeEvent();
        ASSERT_TRUE(next);
        EXPECT_EQ(*next, (Event{event::kAccepted, 2, {}}));
        EXPECT_EQ(TakeEvent(), std::nullopt);
        clock.Advance(5);
        EXPECT_EQ(TakeTimers(), 1);
        SetTimer(0);
    });
}

TEST(TimersTest, SettingTheTimerAgainRestartsThePeriod) {
    RunOnFrameworkThread([] {
        TestClock clock(kSomeDay, kNoon);
        SetTimer(100);
        clock.Advance(90);
        SetTimer(100);
        clock.Advance(90);
        EXPECT_EQ(TakeTimers(), 0);
        clock.Advance(10);
        EXPECT_EQ(TakeTimers(), 1);
        SetTimer(0);
    });
}

TEST(TimersTest, AdvancingTheClockWakesAThreadWaitingForItsTimer) {
    TestClock clock(kSomeDay, kNoon);
    std::promise<void> ready;
    std::promise<std::optional<Event>> got;
    auto answer = got.get_future();
    const ThreadNo waiter = Start([&] {
        SetTimer(100);
        ready.set_value();
        got.set_value(WaitEvent(60s));
    });
    ready.get_future().wait();
    const auto before = std::chrono::steady_clock::now();
    clock.Advance(100);
    ASSERT_EQ(answer.wait_for(20s), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 20s);
    EXPECT_EQ(answer.get(), (Event{event::kTimer, 0, {}}));
    Join(waiter);
}

TEST(TimersTest, TheSystemClockDrivesTheTimerWhenNoClockIsSet) {
    RunOnFrameworkThread([] {
        ASSERT_FALSE(TestClockActive());
        const auto before = std::chrono::steady_clock::now();
        SetTimer(5);  // 50 ms
        const std::optional<Event> event = WaitEvent(10s);
        const auto waited = std::chrono::steady_clock::now() - before;
        SetTimer(0);
        ASSERT_TRUE(event);
        EXPECT_EQ(event->code, event::kTimer);
        // The tick is counted in whole hundredths, so the event may come up to one early.
        EXPECT_GE(waited, 40ms);
        EXPECT_LT(waited, 5s);
    });
}

TEST(TimersTest, OnlyFrameworkThreadsHaveTimers) {
    EXPECT_FALSE(SetTimer(100));
    EXPECT_EQ(TimerPeriod(), 0);
}

}  // namespace
}  // namespace zem::runtime
