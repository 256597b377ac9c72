#pragma once
// The counters windows coordinate through: the tree windows, the node picker and the query form
// count themselves in BusyWindows while they run; a saved configuration sets TreeReloadCount to
// the windows that must reload, and each takes one reload on its timer.
#include <atomic>

namespace zem::shell {

extern std::atomic<int> BusyWindows;
extern std::atomic<int> TreeReloadCount;

// Takes one reload when any is due; the count never goes below zero.
bool TakeTreeReload();

}  // namespace zem::shell
