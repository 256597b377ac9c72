#pragma once
// The desktop session's end reaches the display: the session manager's request to save (the
// program answers that the session may end; it never cancels) and SIGTERM both close every
// window in order, as the user would, so nothing is lost. Also passes the program's gain and
// loss of the desktop's activation on to the windows.
#include <memory>

namespace zem::ui::qt {

class QtDisplay;

// On the GUI thread once the QApplication exists; the watch ends with the returned object.
class SessionWatch {
  public:
    virtual ~SessionWatch() = default;
};
std::unique_ptr<SessionWatch> WatchSessionEnd(QtDisplay& display);

}  // namespace zem::ui::qt
