#include "platform/runtime/dates.h"

#include <gtest/gtest.h>

#include <ostream>

namespace zem::runtime {
namespace {

struct KnownDate {
    int year, month, day;
    Date number;
    int weekday;  // 0 Sunday
};

std::ostream& operator<<(std::ostream& out, const KnownDate& d) {
    return out << d.year << '-' << d.month << '-' << d.day << " = " << d.number;
}

class KnownDateTest : public ::testing::TestWithParam<KnownDate> {};

TEST_P(KnownDateTest, ConvertsBothWays) {
    const KnownDate d = GetParam();
    EXPECT_EQ(DateFromCalendar(d.year, d.month, d.day), d.number);
    EXPECT_EQ(CalendarFromDate(d.number), (CalendarDate{d.year, d.month, d.day}));
    EXPECT_EQ(DayOfWeek(d.number), d.weekday);
}

// Worked out by hand from day 4 = 1 January 1801 and the leap-year rule.
INSTANTIATE_TEST_SUITE_P(
    Calendar, KnownDateTest,
    ::testing::Values(KnownDate{1801, 1, 1, 4, 4}, KnownDate{1801, 1, 4, 7, 0},
                      KnownDate{1900, 1, 1, 36'163, 1},
                      // 1900 is no leap year: February has 28 days.
                      KnownDate{1900, 2, 28, 36'221, 3}, KnownDate{1900, 3, 1, 36'222, 4},
                      KnownDate{1970, 1, 1, 61'730, 4}, KnownDate{2000, 1, 1, 72'687, 6},
                      // 2000 is one (divisible by 400), and so is 2024.
                      KnownDate{2000, 2, 29, 72'746, 2}, KnownDate{2000, 3, 1, 72'747, 3},
                      KnownDate{2008, 10, 31, 75'913, 5}, KnownDate{2024, 2, 29, 81'512, 4},
                      KnownDate{2024, 3, 1, 81'513, 5}, KnownDate{2024, 12, 31, 81'818, 2},
                      KnownDate{2026, 12, 10, 82'527, 4}, KnownDate{9999, 12, 31, 2'994'626, 5}));

struct BadDate {
    int year, month, day;
};

class BadDateTest : public ::testing::TestWithParam<BadDate> {};

TEST_P(BadDateTest, HasNoDayNumber) {
    const BadDate d = GetParam();
    EXPECT_EQ(DateFromCalendar(d.year, d.month, d.day), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Calendar, BadDateTest,
                         ::testing::Values(BadDate{1900, 2, 29}, BadDate{2023, 2, 29},
                                           BadDate{2024, 2, 30}, BadDate{2024, 4, 31},
                                           BadDate{2024, 13, 1}, BadDate{2024, 0, 10},
                                           BadDate{2024, 1, 0}, BadDate{2024, 1, 32},
                                           BadDate{1800, 12, 31}, BadDate{10000, 1, 1},
                                           BadDate{-1, 1, 1}));

TEST(DatesTest, NumbersOutsideTheRangeAreNoDate) {
    for (const Date date : {Date{-1}, Date{0}, Date{3}, kLastDate + 1}) {
        EXPECT_FALSE(IsValidDate(date)) << date;
        EXPECT_EQ(CalendarFromDate(date), std::nullopt) << date;
        EXPECT_EQ(DayOfWeek(date), -1) << date;
    }
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysIn(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

TEST(DatesTest, EveryDayOfTheRangeFollowsTheOneBefore) {
    CalendarDate expected{1801, 1, 1};
    int weekday = 4;  // 1 January 1801 was a Thursday
    for (Date date = kFirstDate; date <= kLastDate; ++date) {
        const std::optional<CalendarDate> calendar = CalendarFromDate(date);
        ASSERT_EQ(calendar, expected) << "day " << date;
        ASSERT_EQ(DateFromCalendar(expected.year, expected.month, expected.day), date);
        ASSERT_EQ(DayOfWeek(date), weekday) << "day " << date;
        weekday = (weekday + 1) % 7;
        if (++expected.day > DaysIn(expected.year, expected.month)) {
            expected.day = 1;
            if (++expected.month > 12) {
                expected.month = 1;
                ++expected.year;
            }
        }
    }
}

struct KnownTime {
    int hours, minutes, seconds, hundredths;
    Time number;
};

std::ostream& operator<<(std::ostream& out, const KnownTime& t) {
    return out << t.hours << ':' << t.minutes << ':' << t.seconds << '.' << t.hundredths;
}

class KnownTimeTest : public ::testing::TestWithParam<KnownTime> {};

TEST_P(KnownTimeTest, ConvertsBothWays) {
    const KnownTime t = GetParam();
    EXPECT_EQ(TimeFromClock(t.hours, t.minutes, t.seconds, t.hundredths), t.number);
    EXPECT_EQ(ClockFromTime(t.number), (ClockTime{t.hours, t.minutes, t.seconds, t.hundredths}));
}

INSTANTIATE_TEST_SUITE_P(Clock, KnownTimeTest,
                         ::testing::Values(KnownTime{0, 0, 0, 0, 1}, KnownTime{0, 0, 0, 1, 2},
                                           KnownTime{0, 0, 1, 0, 101}, KnownTime{0, 1, 0, 0, 6'001},
                                           KnownTime{1, 0, 0, 0, 360'001},
                                           KnownTime{12, 0, 0, 0, 4'320'001},
                                           KnownTime{17, 7, 33, 0, 6'165'301},
                                           KnownTime{23, 59, 59, 99, 8'640'000}));

TEST(DatesTest, ClockPartsOutOfRangeAreNoTime) {
    EXPECT_EQ(TimeFromClock(24, 0, 0), std::nullopt);
    EXPECT_EQ(TimeFromClock(0, 60, 0), std::nullopt);
    EXPECT_EQ(TimeFromClock(0, 0, 60), std::nullopt);
    EXPECT_EQ(TimeFromClock(0, 0, 0, 100), std::nullopt);
    EXPECT_EQ(TimeFromClock(-1, 0, 0), std::nullopt);
    for (const Time time : {Time{0}, Time{-1}, kLastTime + 1}) {
        EXPECT_EQ(ClockFromTime(time), std::nullopt) << time;
    }
}

TEST(DatesTest, NamesOfMonthsAndDays) {
    EXPECT_EQ(MonthName(1), "January");
    EXPECT_EQ(MonthName(12), "December");
    EXPECT_EQ(MonthName(0), "");
    EXPECT_EQ(MonthName(13), "");
    EXPECT_EQ(DayName(0), "Sunday");
    EXPECT_EQ(DayName(6), "Saturday");
    EXPECT_EQ(DayName(7), "");
}

}  // namespace
}  // namespace zem::runtime
