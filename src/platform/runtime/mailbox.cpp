#include "platform/runtime/mailbox.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace zem::runtime {
namespace {

// A single wait never sleeps longer than this, so an absurd timeout can't overflow the clock.
constexpr auto kLongestSleep = std::chrono::hours(1);
constexpr auto kTick = std::chrono::milliseconds(10);

struct Registry {
    std::mutex mutex;
    std::map<ThreadNo, std::shared_ptr<Mailbox>> boxes;
};

// Never destroyed: detached threads may still close their mailbox during exit.
Registry& Shared() {
    static Registry* const registry = std::make_unique<Registry>().release();
    return *registry;
}

}  // namespace

bool Mailbox::Post(const Event& event) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) return false;
        entries_.push_back({event, false});
    }
    changed_.notify_all();
    return true;
}

void Mailbox::QueueTimerIfDue() {
    if (period_ <= 0 || timerQueued_) return;
    const Ticks now = MonotonicTicks();
    if (now < due_) return;
    entries_.push_back({Event{event::kTimer, 0, {}}, true});
    timerQueued_ = true;
}

std::optional<Event> Mailbox::Take(std::optional<std::chrono::steady_clock::time_point> deadline) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (closed_) return std::nullopt;
        QueueTimerIfDue();
        if (!entries_.empty()) {
            Entry entry = std::move(entries_.front());
            entries_.pop_front();
            if (entry.fromTimer) {
                // The next period starts when this event is taken, not when it was due, so a
                // thread that was busy gets one event rather than a burst to catch up.
                timerQueued_ = false;
                due_ = MonotonicTicks() + period_;
            }
            return entry.event;
        }
        const auto now = std::chrono::steady_clock::now();
        if (!deadline || now >= *deadline) return std::nullopt;

        auto wake = std::min(*deadline, now + kLongestSleep);
        // A set clock moves only when the test advances it, and that wakes us; the system
        // clock needs a wake-up at the due time.
        if (period_ > 0 && !timerQueued_ && !TestClockActive()) {
            const Ticks left = std::max<Ticks>(due_ - MonotonicTicks(), 0);
            if (left * kTick < wake - now) wake = now + left * kTick;
        }
        changed_.wait_until(lock, wake);
    }
}

void Mailbox::SetTimer(Ticks period) {
    {
        std::lock_guard lock(mutex_);
        period_ = std::max<Ticks>(period, 0);
        due_ = MonotonicTicks() + period_;
        // A waiting event belongs to the timer being replaced: left in the queue it would reach
        // a window that has just opened ahead of that window's open event.
        if (timerQueued_) {
            std::erase_if(entries_, [](const Entry& entry) { return entry.fromTimer; });
            timerQueued_ = false;
        }
    }
    changed_.notify_all();
}

Ticks Mailbox::TimerPeriod() const {
    std::lock_guard lock(mutex_);
    return period_;
}

void Mailbox::Wake() {
    // Taking the lock orders this wake after any check a waiter made under it, so the waiter
    // is either already asleep (and woken) or will see the new clock.
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

void Mailbox::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        entries_.clear();
        period_ = 0;
        timerQueued_ = false;
    }
    changed_.notify_all();
}

void OpenMailbox(ThreadNo thread) {
    Registry& registry = Shared();
    auto box = std::make_shared<Mailbox>();
    std::lock_guard lock(registry.mutex);
    registry.boxes[thread] = std::move(box);
}

void CloseMailbox(ThreadNo thread) {
    std::shared_ptr<Mailbox> box;
    {
        Registry& registry = Shared();
        std::lock_guard lock(registry.mutex);
        const auto found = registry.boxes.find(thread);
        if (found == registry.boxes.end()) return;
        box = std::move(found->second);
        registry.boxes.erase(found);
    }
    // A poster that found the box just before it left the registry is refused from here on.
    box->Close();
}

std::shared_ptr<Mailbox> FindMailbox(ThreadNo thread) {
    Registry& registry = Shared();
    std::lock_guard lock(registry.mutex);
    const auto found = registry.boxes.find(thread);
    return found == registry.boxes.end() ? nullptr : found->second;
}

std::shared_ptr<Mailbox> OwnMailbox() {
    const ThreadNo self = CurrentThread();
    return self == 0 ? nullptr : FindMailbox(self);
}

void WakeAllMailboxes() {
    std::vector<std::shared_ptr<Mailbox>> boxes;
    {
        Registry& registry = Shared();
        std::lock_guard lock(registry.mutex);
        boxes.reserve(registry.boxes.size());
        for (const auto& [thread, box] : registry.boxes) boxes.push_back(box);
    }
    for (const auto& box : boxes) box->Wake();
}

}  // namespace zem::runtime
