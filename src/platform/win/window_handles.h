#pragma once
// Window handles and window procedures: every open window and every control with a window of
// its own has a handle, a procedure that receives its messages, named properties and, for
// windows, a system menu. Procedures can be replaced (subclassing); the one in place before is
// reached through CallWindowProc. Handles are made and destroyed by the window model on the
// window's own thread; messages are sent on that thread or posted to it from any thread.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/threads.h"

namespace zem::win {

using Hwnd = std::uint32_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
using WndProc = LResult (*)(Hwnd, unsigned, WParam, LParam);

// Messages the window model and the add-ons exchange.
inline constexpr unsigned WM_DESTROY = 0x0002;
inline constexpr unsigned WM_SETFOCUS = 0x0007;
inline constexpr unsigned WM_KILLFOCUS = 0x0008;
inline constexpr unsigned WM_QUERYENDSESSION = 0x0011;
inline constexpr unsigned WM_ENDSESSION = 0x0016;
inline constexpr unsigned WM_ACTIVATEAPP = 0x001C;
inline constexpr unsigned WM_SETCURSOR = 0x0020;
inline constexpr unsigned WM_INPUTLANGCHANGEREQUEST = 0x0050;
inline constexpr unsigned WM_INPUTLANGCHANGE = 0x0051;
inline constexpr unsigned WM_NCDESTROY = 0x0082;
inline constexpr unsigned WM_NCHITTEST = 0x0084;
inline constexpr unsigned WM_KEYDOWN = 0x0100;
inline constexpr unsigned WM_KEYUP = 0x0101;
inline constexpr unsigned WM_SYSCOMMAND = 0x0112;
inline constexpr unsigned WM_MOUSEMOVE = 0x0200;
inline constexpr unsigned WM_LBUTTONDOWN = 0x0201;
inline constexpr unsigned WM_LBUTTONUP = 0x0202;
inline constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
inline constexpr unsigned WM_RBUTTONDOWN = 0x0204;
inline constexpr unsigned WM_RBUTTONUP = 0x0205;
inline constexpr unsigned WM_RBUTTONDBLCLK = 0x0206;
inline constexpr unsigned WM_IME_SETCONTEXT = 0x0281;
inline constexpr unsigned WM_IME_NOTIFY = 0x0282;
inline constexpr unsigned SC_CLOSE = 0xF060;

// What the window model tells a handle about the window or control it stands for.
struct HandleInfo {
    runtime::ThreadNo thread = 0;  // the thread the window runs on
    int window = 0;                // the window model's id
    int control = 0;               // the control's number; 0 for the window itself
    int controlType = 0;           // the framework's control-type code; 0 for a window
};

// A new handle whose procedure is proc. Never 0.
Hwnd CreateHandle(const HandleInfo& info, WndProc proc);
// Sends WM_DESTROY and WM_NCDESTROY through the current procedure, then drops the handle with
// its properties and menu. On the handle's thread.
void DestroyHandle(Hwnd hwnd);
bool IsWindow(Hwnd hwnd);
HandleInfo InfoOf(Hwnd hwnd);
// The handle of a window model's window (control 0) or control; 0 when there is none.
Hwnd FindHandle(int window, int control = 0);

// The procedure in place; SetWindowProc answers the one it replaced (nullptr for no handle).
WndProc GetWindowProc(Hwnd hwnd);
WndProc SetWindowProc(Hwnd hwnd, WndProc proc);
LResult CallWindowProc(WndProc proc, Hwnd hwnd, unsigned message, WParam wParam, LParam lParam);
// Calls the handle's procedure now, on the calling thread; 0 for no handle.
LResult SendMessage(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam);
// Queues the message for the handle's thread, which dispatches it in its event loop. False when
// the handle or its thread is gone.
bool PostMessage(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam);
// Runs a message that came with an event (see runtime::event::kWindowMessage) through its
// handle's procedure; messages for destroyed handles are dropped.
void DispatchPosted(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam);
// The procedure a handle starts with: the default handling of the window model.
LResult DefWindowProc(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam);

// Named properties. A name starting with '#' and digits stands for an atom, as the system's
// integer atoms do; EnumProps reports those with atom set and the name empty.
bool SetProp(Hwnd hwnd, std::string_view name, void* data);
void* GetProp(Hwnd hwnd, std::string_view name);
void* RemoveProp(Hwnd hwnd, std::string_view name);
bool SetAtomProp(Hwnd hwnd, std::uint16_t atom, void* data);
struct PropEntry {
    std::string name;
    bool atom = false;
};
std::vector<PropEntry> EnumProps(Hwnd hwnd);

// The system menu of a window: its items beyond the ones the display always shows.
inline constexpr unsigned MFT_STRING = 0x0000;
inline constexpr unsigned MFT_SEPARATOR = 0x0800;
struct MenuItem {
    unsigned type = MFT_STRING;
    unsigned id = 0;
    std::string text;
    friend bool operator==(const MenuItem&, const MenuItem&) = default;
};
// False when the handle has no system menu (controls have none).
bool HasSystemMenu(Hwnd hwnd);
int GetMenuItemCount(Hwnd hwnd);
// Inserts before position (at the end when position is the count or more).
bool InsertMenuItem(Hwnd hwnd, int position, const MenuItem& item);
std::vector<MenuItem> SystemMenuItems(Hwnd hwnd);

}  // namespace zem::win
