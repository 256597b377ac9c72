#include "shell/window_counters.h"

namespace zem::shell {

std::atomic<int> BusyWindows{0};
std::atomic<int> TreeReloadCount{0};

bool TakeTreeReload() {
    int due = TreeReloadCount.load();
    while (due > 0)
        if (TreeReloadCount.compare_exchange_weak(due, due - 1)) return true;
    return false;
}

}  // namespace zem::shell
