#pragma once
// Runs a test body on a framework thread and waits for it, so the body has an event queue.
#include <utility>

#include "platform/runtime/threads.h"

namespace zem::runtime::testing {

template <class Body>
void RunOnFrameworkThread(Body body) {
    const ThreadNo number = Start(std::move(body));
    ASSERT_GT(number, 0) << "the thread could not be started";
    Join(number);
}

}  // namespace zem::runtime::testing
