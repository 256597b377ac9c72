#pragma once
// The framework's window events by code. Windows and the display server may post other codes
// too; these are the ones the system's own procedures name.
namespace zem::runtime {

using EventCode = int;

namespace event {
inline constexpr EventCode kAccepted = 0x01;
inline constexpr EventCode kNewSelection = 0x02;   // a list, drop list or option chose another row
inline constexpr EventCode kAlertKey = 0x0E;       // a key or mouse button the window alerted
inline constexpr EventCode kHeaderPressed = 0x0F;  // a list's column header was clicked
// The user opened or closed a tree entry's expander; the event's row is the entry. The display
// leaves the entry as it was: the window decides what the tree shows.
inline constexpr EventCode kExpanded = 0x10;
inline constexpr EventCode kContracted = 0x11;
// An item of the window's pop-up menu was chosen; the event's row is its number from 1.
inline constexpr EventCode kPopupChosen = 0x12;
// The user ended the edit of a list cell: the event's key says how (Enter, Tab or Escape), its
// row and column which cell, and, unless Escape ended it, the screen value holds the new text.
inline constexpr EventCode kCellEdited = 0x13;
inline constexpr EventCode kSelected = 0x101;  // a control got the focus
inline constexpr EventCode kPointerIn = 0x0B;
inline constexpr EventCode kPointerOut = 0x0C;
inline constexpr EventCode kCloseWindow = 0x201;
inline constexpr EventCode kCloseDown = 0x202;
inline constexpr EventCode kOpenWindow = 0x203;
inline constexpr EventCode kLoseFocus = 0x205;
inline constexpr EventCode kGainFocus = 0x206;
inline constexpr EventCode kNotify = 0x20A;
inline constexpr EventCode kTimer = 0x20B;
inline constexpr EventCode kMaximize = 0x223;
inline constexpr EventCode kIconized = 0x234;
// A message for a window handle: the event loop runs it through the handle's procedure.
inline constexpr EventCode kWindowMessage = 0x4F0;
}  // namespace event

}  // namespace zem::runtime
