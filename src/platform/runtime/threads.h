#pragma once
// Framework threads: each started procedure runs on a thread of its own, numbered from 1 in
// start order (numbers are never reused), with the per-thread start hooks run before it and the
// end hooks after it returns.
#include <cstddef>
#include <functional>

namespace zem::runtime {

using ThreadNo = int;
using Procedure = std::function<void()>;

// No thread gets less stack than this, whatever it asks for.
inline constexpr std::size_t kMinimumStack = 2u * 1024 * 1024;

// Starts procedure on a new framework thread; stack is a minimum. Answers the thread number, or
// 0 when the system could not create the thread. Callable from any thread.
ThreadNo Start(Procedure procedure, std::size_t stack = 0);

// The framework number of the calling thread; 0 on a thread the framework did not start.
ThreadNo CurrentThread();

// Hooks run on every framework thread: onStart before its procedure, onEnd after it (in reverse
// order of registration). Register them before starting threads.
void AddThreadHooks(std::function<void()> onStart, std::function<void()> onEnd);

// Waits until the thread has ended (its end hooks included). Answers at once for a number that
// never ran or already ended, and for the calling thread's own number.
void Join(ThreadNo thread);

// How many framework threads are running now.
int RunningThreads();

}  // namespace zem::runtime
