#pragma once
// The desktop settings the shell reads and changes. Linux has no desktop-wide switch for
// dragging windows with their contents shown, so the setting lives in the process: the shell
// may switch it off while it runs and on again when it ends, and no other program sees it.
namespace zem::win {

inline constexpr unsigned SPI_SETDRAGFULLWINDOWS = 37;
inline constexpr unsigned SPI_GETDRAGFULLWINDOWS = 38;
inline constexpr unsigned SPI_GETMENUANIMATION = 0x1002;
inline constexpr unsigned SPI_SETMENUANIMATION = 0x1003;
inline constexpr unsigned SPI_GETKEYBOARDCUES = 0x100A;
inline constexpr unsigned SPI_SETKEYBOARDCUES = 0x100B;
inline constexpr unsigned SPI_GETMENUFADE = 0x1012;
inline constexpr unsigned SPI_SETMENUFADE = 0x1013;
// The value a SET of the menu settings passes to switch on (any non-null pointer).
inline long* const kSpiOn = reinterpret_cast<long*>(1);
inline constexpr unsigned SPIF_UPDATEINIFILE = 1;
inline constexpr unsigned SPIF_SENDCHANGE = 2;

// GET writes 1 (on) or 0 (off) into *value and answers false when value is null. SET switches
// the setting on when param is non-zero and off when it is 0; value and winIni are not used.
// The menu settings (animation, fade, keyboard cues) live in the process like the drag
// setting; their SET takes the new value in value: kSpiOn for on, nullptr for off.
// Unknown actions answer false and change nothing.
bool SystemParametersInfo(unsigned action, unsigned param, long* value, unsigned winIni);

// The setting as it stands (on at start, as on a fresh desktop), and a way for tests to give it
// the value the desktop would have had.
bool DesktopDragFullWindows();
void SetDesktopDragFullWindowsForTest(bool on);

}  // namespace zem::win
