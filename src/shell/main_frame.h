#pragma once
// The application frame: the MDI parent whose menu and toolbar start the top-level windows, each
// on a thread of its own, and whose status bar shows the weekday, date and time.
#include <string>

#include "platform/runtime/dates.h"
#include "platform/runtime/threads.h"

namespace zem::shell {

// Runs the frame until it closes; the thread's global response receives the run result.
void Main();

// The frame's thread while it runs (0 otherwise); the splash tells it when it ends.
runtime::ThreadNo FrameThread();

// Status bar zone 1 ("Friday, October 31, 2008") and zone 2 ("17:07:33").
std::string FrameDateText(runtime::Date date);
std::string FrameTimeText(runtime::Time time);

// A configured frame timer outside 1 .. 100 hundredths runs at 100.
int FrameTimerPeriod(int configured);

// Stack sizes the frame asks for (minimums; every thread gets at least the runtime's floor).
inline constexpr std::size_t kStack25000 = 25000;
inline constexpr std::size_t kStack64000 = 64000;

// The notification code the splash sends the frame's thread when it ends.
inline constexpr unsigned kSplashEnded = 0x5E01;

}  // namespace zem::shell
