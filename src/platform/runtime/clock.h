#pragma once
// The clock the framework reads: today's day number, the time of day and a monotonic tick in
// hundredths of a second that window timers run on. By default it is the system's (local time);
// a TestClock replaces it and moves only when the test says, so "today" and timers are
// deterministic in tests.
#include <cstdint>

#include "platform/runtime/dates.h"

namespace zem::runtime {

// Hundredths of a second on a clock that never goes back.
using Ticks = std::int64_t;

struct ClockReading {
    Date date = 0;
    Time time = 0;
    Ticks ticks = 0;
};

ClockReading Now();
Date Today();
Time CurrentTime();
Ticks MonotonicTicks();

// True while a TestClock is installed.
bool TestClockActive();

// Installs a set clock for its lifetime and puts back what was there before. Set changes the
// date and time of day only (like adjusting the system time); Advance moves all three, rolling
// the date over at midnight, and wakes every framework thread so due timers fire.
class TestClock {
  public:
    // A time outside 1 .. 8,640,000 is taken as midnight.
    TestClock(Date date, Time time);
    ~TestClock();
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    void Set(Date date, Time time);
    // Negative amounts are ignored: the ticks never go back.
    void Advance(Ticks hundredths);

    // What a clock reads when it is set; inactive means the system clock.
    struct State {
        bool active = false;
        Date date = 0;
        std::int32_t sinceMidnight = 0;  // hundredths, 0 .. 8,639,999
        Ticks ticks = 0;
    };

  private:
    State previous_;
};

}  // namespace zem::runtime
