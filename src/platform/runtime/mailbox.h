#pragma once
// The queue behind a framework thread's events and timer, shared by threads.cpp (which opens and
// closes it with the thread), events.cpp, timers.cpp and clock.cpp (which wakes waiters when a
// set clock moves). Not for use outside the runtime.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/runtime/clock.h"
#include "platform/runtime/events.h"

namespace zem::runtime {

class Mailbox {
  public:
    // False once the mailbox is closed.
    bool Post(const Event& event);
    // Waits until deadline (none: does not wait) for an event; queues a due timer event first.
    std::optional<Event> Take(std::optional<std::chrono::steady_clock::time_point> deadline);
    void SetTimer(Ticks period);
    Ticks TimerPeriod() const;
    // Lets a waiting Take look at the clock again.
    void Wake();
    // Drops what is queued; later posts are refused.
    void Close();

  private:
    struct Entry {
        Event event;
        bool fromTimer = false;  // queued by the timer, not posted
    };

    void QueueTimerIfDue();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Entry> entries_;
    bool closed_ = false;
    Ticks period_ = 0;
    Ticks due_ = 0;
    bool timerQueued_ = false;
};

void OpenMailbox(ThreadNo thread);
void CloseMailbox(ThreadNo thread);
// nullptr for a thread that has ended or never existed.
std::shared_ptr<Mailbox> FindMailbox(ThreadNo thread);
// The calling framework thread's mailbox; nullptr elsewhere.
std::shared_ptr<Mailbox> OwnMailbox();
void WakeAllMailboxes();

}  // namespace zem::runtime
