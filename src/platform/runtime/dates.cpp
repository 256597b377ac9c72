#include "platform/runtime/dates.h"

#include <array>
#include <chrono>

namespace zem::runtime {
namespace {

using std::chrono::sys_days;

// The standard library's proleptic Gregorian calendar does the arithmetic; day 0 anchors it.
constexpr sys_days kDayZero{std::chrono::year{1800} / std::chrono::December / 28};

constexpr Date DayNumber(const std::chrono::year_month_day& date) {
    return static_cast<Date>((sys_days{date} - kDayZero).count());
}

static_assert(DayNumber(std::chrono::year{1801} / 1 / 1) == kFirstDate);
static_assert(DayNumber(std::chrono::year{9999} / 12 / 31) == kLastDate);

constexpr std::array<std::string_view, 12> kMonths{"January",   "February", "March",    "April",
                                                   "May",       "June",     "July",     "August",
                                                   "September", "October",  "November", "December"};
constexpr std::array<std::string_view, 7> kDays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                "Thursday", "Friday", "Saturday"};

}  // namespace

bool IsValidDate(Date date) {
    return date >= kFirstDate && date <= kLastDate;
}

bool IsValidTime(Time time) {
    return time >= kMidnight && time <= kLastTime;
}

std::optional<Date> DateFromCalendar(int year, int month, int day) {
    if (year < 1801 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year{year},
                                           std::chrono::month{static_cast<unsigned>(month)},
                                           std::chrono::day{static_cast<unsigned>(day)}};
    if (!date.ok()) return std::nullopt;
    return DayNumber(date);
}

std::optional<CalendarDate> CalendarFromDate(Date date) {
    if (!IsValidDate(date)) return std::nullopt;
    const std::chrono::year_month_day calendar{kDayZero + std::chrono::days{date}};
    return CalendarDate{static_cast<int>(calendar.year()),
                        static_cast<int>(static_cast<unsigned>(calendar.month())),
                        static_cast<int>(static_cast<unsigned>(calendar.day()))};
}

int DayOfWeek(Date date) {
    if (!IsValidDate(date)) return -1;
    // Day 0 was a Sunday.
    return date % 7;
}

std::optional<Time> TimeFromClock(int hours, int minutes, int seconds, int hundredths) {
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 ||
        hundredths < 0 || hundredths > 99) {
        return std::nullopt;
    }
    return ((hours * 60 + minutes) * 60 + seconds) * 100 + hundredths + kMidnight;
}

std::optional<ClockTime> ClockFromTime(Time time) {
    if (!IsValidTime(time)) return std::nullopt;
    const std::int32_t since = time - kMidnight;
    return ClockTime{since / 360'000, since / 6'000 % 60, since / 100 % 60, since % 100};
}

std::string_view MonthName(int month) {
    if (month < 1 || month > 12) return {};
    return kMonths[static_cast<std::size_t>(month - 1)];
}

std::string_view DayName(int weekday) {
    if (weekday < 0 || weekday > 6) return {};
    return kDays[static_cast<std::size_t>(weekday)];
}

}  // namespace zem::runtime
