#pragma once
// Per-thread event queues. Every framework thread has one from the moment Start answers its
// number until its end hooks have run; posting to any other number does nothing. Events come
// out in the order they were posted, with the thread's timer events (timers.h) among them.
#include <chrono>
#include <cstdint>
#include <optional>

#include "platform/runtime/event_codes.h"
#include "platform/runtime/threads.h"

namespace zem::runtime {

// What a notify event carries: the sender's code, its thread (0 when it is not a framework
// thread) and a parameter of its own.
struct Notification {
    std::uint32_t code = 0;
    ThreadNo sender = 0;
    std::int64_t parameter = 0;
    friend bool operator==(const Notification&, const Notification&) = default;
};

struct Event {
    EventCode code = 0;
    int control = 0;            // the control the event is for; 0 for window events
    Notification notification;  // set on notify events only
    // Input from the display: the window it is for (0: whichever window the thread runs now),
    // the key or mouse button, and the list row and column it happened on.
    int window = 0;
    int key = 0;
    int row = 0;
    int column = 0;
    bool input = false;  // sent by the display for the user, not posted by a procedure
    // A window message posted to a window handle (code event::kWindowMessage).
    std::uint32_t hwnd = 0;
    std::uint32_t message = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    friend bool operator==(const Event&, const Event&) = default;
};

// Appends the event to the thread's queue; callable from any thread, the display server's
// included. False when the thread has ended or never existed.
bool Post(ThreadNo thread, EventCode code, int control = 0);
bool PostEvent(ThreadNo thread, const Event& event);

// Posts a notify event carrying code, the calling thread's number and parameter.
bool Notify(std::uint32_t code, ThreadNo thread, std::int64_t parameter = 0);

// The calling thread's next event, waiting up to timeout for one (a timeout of 0 or less does
// not wait). nullopt when nothing came in time, and at once on a thread the framework did not
// start.
std::optional<Event> WaitEvent(std::chrono::milliseconds timeout);
std::optional<Event> TakeEvent();

// The notification of the event the calling thread took last, while that was a notify event;
// nullopt once it has asked for its next event.
std::optional<Notification> PendingNotification();

}  // namespace zem::runtime
