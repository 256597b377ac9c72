#pragma once
// xCallBackClass: subclasses a window with an object. The window's procedure becomes one of
// eight slot procedures, each of which finds its object again through its own named window
// property ("xCallBackClassProp", "xCallBackClassProp1" .. "xCallBackClassProp7") and hands
// every message to the object's WindowProc. Up to eight objects sit on one window at a time;
// messages reach them newest first and CallPrevious leads to the one installed before.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/threads.h"
#include "platform/win/window_handles.h"

namespace zem::addons {

inline constexpr int kPropertySlots = 8;
// The property name of a slot: the base name, followed by the slot's digit from slot 1 on.
std::string SlotPropertyName(int slot);

class xCallBackClass {
  public:
    xCallBackClass() = default;
    virtual ~xCallBackClass();  // removes itself when still installed
    xCallBackClass(const xCallBackClass&) = delete;
    xCallBackClass& operator=(const xCallBackClass&) = delete;

    // Subclasses the window; CONTROLFEQ is 0 when noControl is set. False, with nothing changed,
    // when the object is installed already, the window is gone or all eight slots are taken.
    bool Install(win::Hwnd window, int control, bool noControl);
    // Undoes Install. Objects may go in any order: one installed later that leads to this one
    // is given this one's previous procedure, so the others keep working.
    void Remove();
    bool Installed() const { return WNDHANDLE != 0; }

    win::LResult CallPrevious(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                              win::LParam lParam);
    // The lowest slot whose property the window does not carry; kPropertySlots when none.
    int FirstFreeSlot() const;

    virtual win::LResult WindowProc(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                                    win::LParam lParam);

    std::vector<std::string> PL;  // the window's property names, as FirstFreeSlot last read them
    int PROPNUM = 0;
    win::Hwnd WNDHANDLE = 0;
    int CONTROLFEQ = 0;
    win::WndProc WNDPROC = nullptr;
    runtime::ThreadNo THREADNO = 0;

  private:
    mutable std::vector<std::string> names_;
};

// The object a slot's property of the window holds; nullptr when none.
xCallBackClass* SlotObject(win::Hwnd window, int slot);

}  // namespace zem::addons
