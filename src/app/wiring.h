#pragma once
// What the program sets up before its first window opens: the error manager, the tagging
// module, the dictionary hooks, the shell's and the research's procedures, the keyboard-layout
// guard and the frame's add-ons. The program's main, the start-up benchmark and the tests on the
// real display all start from this one place, so they run the program as it is wired.
#include <memory>

#include "addons/layout_guard.h"

namespace zem::app {

// Wires the program. The returned guard keeps every window opened from then on guarded: hold
// it for as long as windows open (in main, until the display server returns).
[[nodiscard]] std::unique_ptr<addons::LayoutGuard> WireProgram();

}  // namespace zem::app
