#include "platform/runtime/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace zem::runtime {
namespace {

constexpr Date kDay = 82527;  // 10 December 2026

TEST(ClockTest, TheSystemClockGivesTodayTheTimeAndRisingTicks) {
    ASSERT_FALSE(TestClockActive());
    const ClockReading now = Now();
    // Local time is within a day of UTC, and 1 January 1970 is day 61,730.
    const auto utcDays = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())
                             .time_since_epoch()
                             .count();
    EXPECT_LE(std::abs(now.date - (61'730 + utcDays)), 1);
    EXPECT_TRUE(IsValidTime(now.time));
    const Ticks first = MonotonicTicks();
    const Ticks second = MonotonicTicks();
    EXPECT_LE(first, second);
}

struct AdvanceCase {
    const char* name;
    Date date;
    Time time;
    Ticks advance;
    Date expectedDate;
    Time expectedTime;
};

class AdvanceTest : public ::testing::TestWithParam<AdvanceCase> {};

TEST_P(AdvanceTest, MovesTimeTicksAndDateTogether) {
    const AdvanceCase c = GetParam();
    TestClock clock(c.date, c.time);
    const Ticks before = MonotonicTicks();
    clock.Advance(c.advance);
    const ClockReading now = Now();
    EXPECT_EQ(now.date, c.expectedDate);
    EXPECT_EQ(now.time, c.expectedTime);
    EXPECT_EQ(now.ticks, before + std::max<Ticks>(c.advance, 0));
    EXPECT_EQ(Today(), c.expectedDate);
    EXPECT_EQ(CurrentTime(), c.expectedTime);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, AdvanceTest,
    ::testing::Values(AdvanceCase{"OneSecond", kDay, 4'320'001, 100, kDay, 4'320'101},
                      AdvanceCase{"OverMidnight", kDay, 8'639'951, 100, kDay + 1, 51},
                      AdvanceCase{"ToTheLastHundredth", kDay, 8'639'900, 100, kDay, 8'640'000},
                      AdvanceCase{"ExactlyToMidnight", kDay, 8'640'000, 1, kDay + 1, kMidnight},
                      AdvanceCase{"ManyDays", kDay, kMidnight, 3 * Ticks{kHundredthsPerDay} + 6000,
                                  kDay + 3, 6001},
                      AdvanceCase{"NegativeIsIgnored", kDay, 4'320'001, -100, kDay, 4'320'001},
                      AdvanceCase{"NoTimeCountsAsMidnight", kDay, 0, 100, kDay, 101}),
    [](const ::testing::TestParamInfo<AdvanceCase>& param) { return param.param.name; });

TEST(ClockTest, SetChangesTheDateAndTimeButNotTheTicks) {
    TestClock clock(kDay, kMidnight);
    const Ticks ticks = MonotonicTicks();
    clock.Set(72'687, 6'165'301);
    EXPECT_EQ(Now().date, 72'687);
    EXPECT_EQ(Now().time, 6'165'301);
    EXPECT_EQ(MonotonicTicks(), ticks);
}

TEST(ClockTest, TheSystemClockComesBackWhenTheTestClockGoes) {
    {
        // Days in 1803, which the system clock is not in.
        TestClock outer(1000, kMidnight);
        {
            TestClock inner(900, kMidnight);
            EXPECT_EQ(Today(), 900);
        }
        EXPECT_TRUE(TestClockActive());
        EXPECT_EQ(Today(), 1000) << "the inner clock puts the outer one back";
    }
    EXPECT_FALSE(TestClockActive());
    EXPECT_GT(Today(), 1000);
}

}  // namespace
}  // namespace zem::runtime
