#include "platform/runtime/events.h"

#include <algorithm>

#include "platform/runtime/mailbox.h"

namespace zem::runtime {
namespace {

thread_local std::optional<Notification> t_notification;

bool Deliver(ThreadNo thread, const Event& event) {
    const std::shared_ptr<Mailbox> box = FindMailbox(thread);
    return box && box->Post(event);
}

std::optional<Event> Take(std::optional<std::chrono::steady_clock::time_point> deadline) {
    // Asking for the next event ends the handling of the last one.
    t_notification.reset();
    const std::shared_ptr<Mailbox> box = OwnMailbox();
    if (!box) return std::nullopt;
    std::optional<Event> event = box->Take(deadline);
    if (event && event->code == event::kNotify) t_notification = event->notification;
    return event;
}

}  // namespace

bool Post(ThreadNo thread, EventCode code, int control) {
    return Deliver(thread, Event{code, control, {}});
}

bool PostEvent(ThreadNo thread, const Event& event) {
    return Deliver(thread, event);
}

bool Notify(std::uint32_t code, ThreadNo thread, std::int64_t parameter) {
    return Deliver(thread,
                   Event{event::kNotify, 0, Notification{code, CurrentThread(), parameter}});
}

std::optional<Event> WaitEvent(std::chrono::milliseconds timeout) {
    if (timeout <= std::chrono::milliseconds::zero()) return Take(std::nullopt);
    // The cap keeps the deadline from overflowing; a year is as long as anyone means.
    const auto capped = std::min<std::chrono::milliseconds>(timeout, std::chrono::hours(24 * 365));
    return Take(std::chrono::steady_clock::now() + capped);
}

std::optional<Event> TakeEvent() {
    return Take(std::nullopt);
}

std::optional<Notification> PendingNotification() {
    return t_notification;
}

}  // namespace zem::runtime
