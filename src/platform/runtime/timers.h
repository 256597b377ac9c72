#pragma once
// Window timers, in hundredths of a second on the runtime clock (clock.h). A thread with a timer
// finds a timer event in its queue once a period has passed since it set the timer or took the
// last timer event; there is never more than one waiting, however long the thread is busy.
#include "platform/runtime/clock.h"

namespace zem::runtime {

// Sets the calling thread's timer: the first event comes one period from now; 0 or less turns it
// off and drops a timer event still waiting. False on a thread the framework did not start.
bool SetTimer(Ticks period);

// The calling thread's timer period; 0 when off.
Ticks TimerPeriod();

}  // namespace zem::runtime
