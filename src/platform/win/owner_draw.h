#pragma once
// Owner-drawn menus: the display hands each menu item it draws to a painter of the program's
// together with a drawing context, as the system does with its measure-item and draw-item
// messages. The painter runs on the display's thread and must be thread-safe; the drawing
// context is the display's. Colours are COLORREF values (0x00BBGGRR).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zem::win {

using COLORREF = std::uint32_t;
inline constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}

// System colours by index, as the classic desktop theme gives them.
inline constexpr int COLOR_MENU = 4;
inline constexpr int COLOR_MENUTEXT = 7;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_MENUBAR = 30;
COLORREF GetSysColor(int index);

// Item states.
inline constexpr unsigned ODS_SELECTED = 0x0001;
inline constexpr unsigned ODS_GRAYED = 0x0002;
inline constexpr unsigned ODS_DISABLED = 0x0004;
inline constexpr unsigned ODS_CHECKED = 0x0008;
inline constexpr unsigned ODS_HOTLIGHT = 0x0040;
// Menu-bar item states.
inline constexpr unsigned MFS_GRAYED = 0x0003;
inline constexpr unsigned MFS_HILITE = 0x0080;

// Text drawing flags.
inline constexpr unsigned DT_CENTER = 0x0001;
inline constexpr unsigned DT_RIGHT = 0x0002;
inline constexpr unsigned DT_VCENTER = 0x0004;
inline constexpr unsigned DT_SINGLELINE = 0x0020;
inline constexpr unsigned DT_EXPANDTABS = 0x0040;
inline constexpr unsigned DT_CALCRECT = 0x0400;

struct RECT {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const RECT&, const RECT&) = default;
};

struct FONTSETUP {
    COLORREF FONTCOLOR = 0;  // 0: none
    int FONTSIZE = 0;        // points
    bool FONTBOLD = false;
    bool FONTITALIC = false;
    bool FONTUNDERLINE = false;
    bool FONTSTRIKEOUT = false;
    std::string FONTFACE;  // empty: the menu font's face
    friend bool operator==(const FONTSETUP&, const FONTSETUP&) = default;
};

// A font as the painter selects it: nullptr-like (own == false) for the context's menu font.
struct FontChoice {
    bool own = false;
    FONTSETUP setup;
};

class DrawContext {
  public:
    virtual ~DrawContext() = default;
    virtual void FillRect(const RECT& rect, COLORREF color) = 0;
    // A one-pixel frame just inside rect.
    virtual void FrameRect(const RECT& rect, COLORREF color) = 0;
    // Draws the 16x16 icon resource ("NAME_ICO") with its top left at x, y; false when there
    // is no such resource.
    virtual bool DrawIcon(std::string_view resource, int x, int y) = 0;
    virtual void SelectFont(const FontChoice& font) = 0;
    virtual void SetTextColor(COLORREF color) = 0;
    // One line of text in rect by flags; with DT_CALCRECT it only measures into rect.
    virtual void DrawText(std::string_view text, RECT& rect, unsigned flags) = 0;
};

// What the display knows of the item it is about to measure or draw.
struct OwnerDrawItem {
    std::string text;  // as the menu shows it: mnemonic marks and a tab before the shortcut
    bool separator = false;
    int level = 1;     // 0 on the menu bar, 1 in a drop-down of the bar, 2 and up deeper
    std::string path;  // the texts from the bar down to the item, each after "\#"
};

class OwnerDrawMenus {
  public:
    virtual ~OwnerDrawMenus() = default;
    virtual void MeasureItem(DrawContext& dc, const OwnerDrawItem& item, int& itemWidth,
                             int& itemHeight) = 0;
    virtual void DrawItem(DrawContext& dc, const OwnerDrawItem& item, const RECT& rcItem,
                          unsigned itemState) = 0;
    // The background of a pop-up menu window whose rectangle (in its own coordinates) is
    // window, then its border.
    virtual void DrawPopupPanel(DrawContext& dc, const RECT& window) = 0;
    virtual void DrawPopupFrame(DrawContext& dc, const RECT& window) = 0;
    // A menu-bar item; open when its drop-down shows, hot when the pointer is over it.
    virtual void PaintMenuBarItem(DrawContext& dc, const OwnerDrawItem& item, const RECT& rect,
                                  unsigned state, bool hot, bool open) = 0;
    // The width of the pop-up border on each side.
    virtual int PopupBorder() const = 0;
};

void SetOwnerDrawMenus(std::shared_ptr<OwnerDrawMenus> painter);
std::shared_ptr<OwnerDrawMenus> CurrentOwnerDrawMenus();

inline constexpr std::string_view kMenuPathSeparator = "\\#";

}  // namespace zem::win
