#include "platform/runtime/clock.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <mutex>

#include "platform/runtime/mailbox.h"

namespace zem::runtime {
namespace {

struct ClockState {
    std::mutex mutex;
    TestClock::State set;
};

// Never destroyed, like the thread registry: detached threads may read the clock during exit.
ClockState& Shared() {
    static ClockState* const state = std::make_unique<ClockState>().release();
    return *state;
}

Ticks SystemTicks() {
    using Hundredths = std::chrono::duration<Ticks, std::centi>;
    return std::chrono::duration_cast<Hundredths>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ClockReading SystemReading() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto fraction = now - std::chrono::system_clock::from_time_t(seconds);
    auto hundredths =
        std::chrono::duration_cast<std::chrono::duration<int, std::centi>>(fraction).count();
    if (hundredths < 0 || hundredths > 99) hundredths = 0;  // to_time_t may round up
    std::tm local{};
    ClockReading reading;
    reading.ticks = SystemTicks();
    if (localtime_r(&seconds, &local) == nullptr) return reading;
    reading.date =
        DateFromCalendar(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday).value_or(0);
    // A leap second (tm_sec 60) is shown as the last second of its minute.
    reading.time =
        TimeFromClock(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), hundredths)
            .value_or(0);
    return reading;
}

std::int32_t SinceMidnight(Time time) {
    return IsValidTime(time) ? time - kMidnight : 0;
}

}  // namespace

ClockReading Now() {
    ClockState& state = Shared();
    {
        std::lock_guard lock(state.mutex);
        if (state.set.active) {
            return {state.set.date, state.set.sinceMidnight + kMidnight, state.set.ticks};
        }
    }
    return SystemReading();
}

Date Today() {
    return Now().date;
}

Time CurrentTime() {
    return Now().time;
}

Ticks MonotonicTicks() {
    ClockState& state = Shared();
    {
        std::lock_guard lock(state.mutex);
        if (state.set.active) return state.set.ticks;
    }
    return SystemTicks();
}

bool TestClockActive() {
    ClockState& state = Shared();
    std::lock_guard lock(state.mutex);
    return state.set.active;
}

TestClock::TestClock(Date date, Time time) {
    ClockState& state = Shared();
    {
        std::lock_guard lock(state.mutex);
        previous_ = state.set;
        // Ticks go on from where the running clock stands, so timers already set keep their
        // distance to their next event.
        const Ticks ticks = state.set.active ? state.set.ticks : SystemTicks();
        state.set = {true, date, SinceMidnight(time), ticks};
    }
    WakeAllMailboxes();
}

TestClock::~TestClock() {
    ClockState& state = Shared();
    {
        std::lock_guard lock(state.mutex);
        state.set = previous_;
    }
    WakeAllMailboxes();
}

void TestClock::Set(Date date, Time time) {
    ClockState& state = Shared();
    {
        std::lock_guard lock(state.mutex);
        state.set.date = date;
        state.set.sinceMidnight = SinceMidnight(time);
    }
    WakeAllMailboxes();
}

void TestClock::Advance(Ticks hundredths) {
    if (hundredths <= 0) return;
    ClockState& state = Shared();
    {
        std::lock_guard lock(state.mutex);
        TestClock::State& set = state.set;
        set.ticks += hundredths;
        const Ticks total = set.sinceMidnight + hundredths;
        set.date += static_cast<Date>(total / kHundredthsPerDay);
        set.sinceMidnight = static_cast<std::int32_t>(total % kHundredthsPerDay);
    }
    // Outside the clock's lock: a waiting thread reads the clock while holding its own lock.
    WakeAllMailboxes();
}

}  // namespace zem::runtime
