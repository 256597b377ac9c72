#include "platform/win/system_parameters.h"

#include <atomic>

namespace zem::win {
namespace {

std::atomic<bool> g_dragFullWindows{true};

}  // namespace

bool SystemParametersInfo(unsigned action, unsigned param, long* value, unsigned /*winIni*/) {
    switch (action) {
        case SPI_GETDRAGFULLWINDOWS:
            if (value == nullptr) return false;
            *value = g_dragFullWindows.load() ? 1 : 0;
            return true;
        case SPI_SETDRAGFULLWINDOWS:
            g_dragFullWindows.store(param != 0);
            return true;
        default:
            return false;
    }
}

bool DesktopDragFullWindows() {
    return g_dragFullWindows.load();
}

void SetDesktopDragFullWindowsForTest(bool on) {
    g_dragFullWindows.store(on);
}

}  // namespace zem::win
