#include "platform/win/system_parameters.h"

#include <atomic>

namespace zem::win {
namespace {

std::atomic<bool> g_dragFullWindows{true};
// Menus open with an animation and fade, and underline their access keys only on Alt, as a
// fresh desktop has it; the display server reads these for its menus.
std::atomic<bool> g_menuAnimation{true};
std::atomic<bool> g_menuFade{true};
std::atomic<bool> g_keyboardCues{false};

bool Get(const std::atomic<bool>& setting, long* value) {
    if (value == nullptr) return false;
    *value = setting.load() ? 1 : 0;
    return true;
}

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
        case SPI_GETMENUANIMATION:
            return Get(g_menuAnimation, value);
        case SPI_GETMENUFADE:
            return Get(g_menuFade, value);
        case SPI_GETKEYBOARDCUES:
            return Get(g_keyboardCues, value);
        // These three take the new value in the pointer argument, as the system does.
        case SPI_SETMENUANIMATION:
            g_menuAnimation.store(value != nullptr);
            return true;
        case SPI_SETMENUFADE:
            g_menuFade.store(value != nullptr);
            return true;
        case SPI_SETKEYBOARDCUES:
            g_keyboardCues.store(value != nullptr);
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
