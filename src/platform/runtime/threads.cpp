#include "platform/runtime/threads.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "platform/runtime/mailbox.h"

namespace zem::runtime {
namespace {

struct HookPair {
    std::function<void()> onStart;
    std::function<void()> onEnd;
};

// Hooks are copied on write, so a starting thread takes the list as it stands with one
// shared_ptr copy, and its start and end hooks always come from the same list.
using HookList = std::vector<HookPair>;

struct Registry {
    std::mutex mutex;
    std::condition_variable ended;
    ThreadNo lastNumber = 0;
    std::set<ThreadNo> running;
    std::shared_ptr<const HookList> hooks = std::make_shared<const HookList>();
};

// Never destroyed: detached threads may still be ending while the process runs its exit
// handlers, and they must find the registry intact.
Registry& Shared() {
    static Registry* const registry = std::make_unique<Registry>().release();
    return *registry;
}

thread_local ThreadNo t_current = 0;

struct Launch {
    ThreadNo number;
    Procedure procedure;
    std::shared_ptr<const HookList> hooks;
};

void Finish(ThreadNo number) {
    // Posts from here on do nothing, and they have stopped before Join answers.
    CloseMailbox(number);
    Registry& registry = Shared();
    {
        std::lock_guard lock(registry.mutex);
        registry.running.erase(number);
    }
    registry.ended.notify_all();
}

void* RunThread(void* argument) {
    std::unique_ptr<Launch> launch(static_cast<Launch*>(argument));
    t_current = launch->number;
    for (const HookPair& hook : *launch->hooks) {
        if (hook.onStart) hook.onStart();
    }
    if (launch->procedure) launch->procedure();
    // Whatever the procedure captured is released here, on its own thread and before Join
    // returns, so a joiner may rely on those objects being gone.
    launch->procedure = nullptr;
    for (auto hook = launch->hooks->rbegin(); hook != launch->hooks->rend(); ++hook) {
        if (hook->onEnd) hook->onEnd();
    }
    Finish(launch->number);
    return nullptr;
}

std::size_t StackSize(std::size_t requested) {
    std::size_t size = std::max(requested, kMinimumStack);
    const long page = sysconf(_SC_PAGESIZE);
    if (page > 0) {
        const auto pageSize = static_cast<std::size_t>(page);
        size = (size + pageSize - 1) / pageSize * pageSize;
    }
    return size;
}

// The attribute object of one thread creation, destroyed on every path.
class ThreadAttributes {
  public:
    ThreadAttributes() { valid_ = pthread_attr_init(&attributes_) == 0; }
    ~ThreadAttributes() {
        if (valid_) pthread_attr_destroy(&attributes_);
    }
    ThreadAttributes(const ThreadAttributes&) = delete;
    ThreadAttributes& operator=(const ThreadAttributes&) = delete;

    bool Configure(std::size_t stack) {
        return valid_ && pthread_attr_setstacksize(&attributes_, StackSize(stack)) == 0 &&
               pthread_attr_setdetachstate(&attributes_, PTHREAD_CREATE_DETACHED) == 0;
    }
    const pthread_attr_t* Get() const { return &attributes_; }

  private:
    pthread_attr_t attributes_{};
    bool valid_ = false;
};

}  // namespace

ThreadNo Start(Procedure procedure, std::size_t stack) {
    Registry& registry = Shared();
    auto launch = std::make_unique<Launch>();
    launch->procedure = std::move(procedure);
    {
        std::lock_guard lock(registry.mutex);
        launch->number = ++registry.lastNumber;
        launch->hooks = registry.hooks;
        // Counted as running before it exists, so a Join right after Start waits for it.
        registry.running.insert(launch->number);
    }
    const ThreadNo number = launch->number;
    // Open before the thread exists, so events posted right after Start are kept.
    OpenMailbox(number);

    ThreadAttributes attributes;
    pthread_t handle{};
    if (!attributes.Configure(stack) ||
        pthread_create(&handle, attributes.Get(), RunThread, launch.get()) != 0) {
        Finish(number);
        return 0;
    }
    // The new thread owns the launch from here on.
    static_cast<void>(launch.release());
    return number;
}

ThreadNo CurrentThread() {
    return t_current;
}

void AddThreadHooks(std::function<void()> onStart, std::function<void()> onEnd) {
    Registry& registry = Shared();
    std::lock_guard lock(registry.mutex);
    auto hooks = std::make_shared<HookList>(*registry.hooks);
    hooks->push_back({std::move(onStart), std::move(onEnd)});
    registry.hooks = std::move(hooks);
}

void Join(ThreadNo thread) {
    // A thread waiting for itself would wait forever.
    if (thread == 0 || thread == t_current) return;
    Registry& registry = Shared();
    std::unique_lock lock(registry.mutex);
    registry.ended.wait(lock, [&] { return !registry.running.contains(thread); });
}

int RunningThreads() {
    Registry& registry = Shared();
    std::lock_guard lock(registry.mutex);
    return static_cast<int>(registry.running.size());
}

}  // namespace zem::runtime
