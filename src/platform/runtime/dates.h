#pragma once
// Dates as day numbers and times of day as hundredths of a second, the way records store them.
// Day 4 is 1 January 1801 (so day 0 would be 28 December 1800) and day 2,994,626 is
// 31 December 9999; a time is the hundredths since midnight plus 1, so midnight is 1 and
// 23:59:59.99 is 8,640,000. The 0 of both stays free for "no date" and "no time".
#include <cstdint>
#include <optional>
#include <string_view>

namespace zem::runtime {

using Date = std::int32_t;
using Time = std::int32_t;

inline constexpr Date kFirstDate = 4;         // 1 January 1801
inline constexpr Date kLastDate = 2'994'626;  // 31 December 9999
inline constexpr Time kMidnight = 1;          // 00:00:00.00
inline constexpr Time kLastTime = 8'640'000;  // 23:59:59.99
inline constexpr std::int32_t kHundredthsPerDay = 8'640'000;

struct CalendarDate {
    int year = 0;
    int month = 0;  // 1 January .. 12 December
    int day = 0;
    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

struct ClockTime {
    int hours = 0;  // 0 .. 23
    int minutes = 0;
    int seconds = 0;
    int hundredths = 0;
    friend bool operator==(const ClockTime&, const ClockTime&) = default;
};

bool IsValidDate(Date date);
bool IsValidTime(Time time);

// The day number of a Gregorian calendar date; nullopt when the day does not exist (30 February,
// month 13) or lies outside 1801 .. 9999.
std::optional<Date> DateFromCalendar(int year, int month, int day);
std::optional<CalendarDate> CalendarFromDate(Date date);

// 0 Sunday .. 6 Saturday; -1 for a day number outside the range.
int DayOfWeek(Date date);

// nullopt when a part is out of its range (25 hours, 60 minutes).
std::optional<Time> TimeFromClock(int hours, int minutes, int seconds, int hundredths = 0);
std::optional<ClockTime> ClockFromTime(Time time);

// "January" .. "December" for 1 .. 12 and "Sunday" .. "Saturday" for 0 .. 6; empty otherwise.
std::string_view MonthName(int month);
std::string_view DayName(int weekday);

}  // namespace zem::runtime
