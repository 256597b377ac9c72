#pragma once
// Date and time pictures, with or without "@", either case, and an optional final "B":
//   "d1"  mm/dd/yy     "12/10/26"
//   "d2"  mm/dd/yyyy   "12/10/2026"
//   "d17" long date    "December 10, 2026" (full month name, day without a leading zero)
//   "t1"  hh:mm        "17:07"     24-hour clock, hour with a leading zero
//   "t4"  hh:mm:ss     "17:07:33"  24-hour clock, hour with a leading zero
//   "t8"  long time    "5:07:33 PM" 12-hour clock, hour without a leading zero
// Day 0, time 0 and any value out of range show as empty text. A picture that can't be read
// still shows the value: a date as mm/dd/yyyy, a time as hh:mm:ss.
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/dates.h"

namespace zem::runtime {

std::string FormatDate(Date date, std::string_view picture);
std::string FormatTime(Time time, std::string_view picture);

// Reads typed or shown text back. Every date picture takes both "m/d/y" (with "/", "-" or "."
// between the numbers) and "Month d, yyyy" (the month's full name or first three letters, any
// case, the comma optional). A year of one or two digits is the one within the 100 years that
// end 20 years after today's (runtime clock). Blank text is 0, like a cleared field; nullopt
// when the text is no date (31 April, 1800) or no time.
std::optional<Date> DeformatDate(std::string_view text, std::string_view picture);

// Takes "h:mm" and "h:mm:ss", on the 24-hour clock or followed by "AM"/"PM" ("A"/"P", any case,
// a blank before it optional), whatever the time picture.
std::optional<Time> DeformatTime(std::string_view text, std::string_view picture);

}  // namespace zem::runtime
