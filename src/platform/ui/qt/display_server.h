#pragma once
// The program's main thread: the Qt event loop that shows every window. Kept free of Qt types
// so src/app needs none of them.
#include <functional>

namespace zem::ui::qt {

// Makes the QApplication and the Qt display, installs it as the display of every window (with
// message boxes, wait cursors, help and the clipboard routed to it), calls start (which starts
// framework thread 1 and may return at once), then runs the event loop. The program ends
// itself from thread 1; closing the last window does not end the loop. Answers the loop's
// exit code.
int RunDisplayServer(int argc, char** argv, std::function<void()> start);

}  // namespace zem::ui::qt
