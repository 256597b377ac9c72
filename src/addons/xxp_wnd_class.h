#pragma once
// xXPWndClass draws the frame's drop-down menus and menu bar itself: a white menu with a
// coloured icon bar down its left edge, a 16x16 icon beside each item, a light selection
// rectangle with a dark border, check marks drawn as icons, disabled items greyed, a thin
// border, and the open bar item drawn as a tab joined to its drop-down. Icons and fonts are
// registered per menu item path by the frame (AddItem). The display calls the measuring and
// painting operations on its own thread, so everything they read is guarded by one lock.
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "addons/callback_class.h"
#include "platform/win/owner_draw.h"

namespace zem::ui {
class Window;
}

namespace zem::addons {

struct MenuStyle {
    int MENUITEMHEIGHT = 20;
    int ICONBARWIDTH = 23;
    int TEXTINDENT = 4;
    win::COLORREF BACKGROUNDCOLOR = 0xFFFFFF;
    win::COLORREF SELECTEDCOLOR = 0xDFBFBF;
    win::COLORREF BORDERCOLOR = 0x800000;
    std::int64_t SEPARATORCOLOR = -1;  // -1: the system's menu colour
    bool USESTDICONBACKGROUND = true;
    bool RAISESELECTEDICON = false;
    std::string ICONCHECK = "XXPP_ON.ICO";
    std::string ICONCHECKCOLD = "XXPP_ONC.ICO";
};

struct ItemSetup {
    int FEQ = 0;
    win::Hwnd WNDHANDLE = 0;
    std::string STRID;     // the item path
    std::string ICONNAME;  // the icon file name without its last four characters
    bool OVERRIDEDEFAULTFONT = false;
    win::FONTSETUP FONTSETUP;
};

// The icon resource to draw for an item in a state, and the one to try when it is missing.
struct IconChoice {
    std::string name;
    std::string fallback;
};
IconChoice ChooseIcon(const MenuStyle& style, std::string_view iconName, unsigned state);

class xXPWndClass : public xCallBackClass, public win::OwnerDrawMenus {
  public:
    xXPWndClass();
    ~xXPWndClass() override;

    // With the frame window: default style, the frame subclassed, and the painter in place for
    // the display's menus.
    void Init(ui::Window& frame);
    // Registers an icon file for the menu control's path; again for the same path replaces it.
    void AddItem(int feq, ui::Window& window, std::string_view iconFile);
    virtual void SetDefaultStyle();
    // Changes the look; the display repaints with it from its next paint on.
    template <typename F>
    void ChangeStyle(F edit) {
        std::lock_guard lock(mutex_);
        edit(MENUSTYLE);
    }
    MenuStyle Style() const;
    std::vector<ItemSetup> ItemsSetup() const;

    // The item path of a menu control: "\#" and the text of each menu from the bar down.
    static std::string ItemPath(const ui::Window& window, int feq);

    // Measuring and painting, on the display's thread.
    void MeasureItem(win::DrawContext& dc, const win::OwnerDrawItem& item, int& itemWidth,
                     int& itemHeight) override;
    void DrawItem(win::DrawContext& dc, const win::OwnerDrawItem& item, const win::RECT& rcItem,
                  unsigned itemState) override;
    void DrawPopupPanel(win::DrawContext& dc, const win::RECT& window) override;
    void DrawPopupFrame(win::DrawContext& dc, const win::RECT& window) override;
    void PaintMenuBarItem(win::DrawContext& dc, const win::OwnerDrawItem& item,
                          const win::RECT& rect, unsigned state, bool hot, bool open) override;
    int PopupBorder() const override { return 3; }

    virtual win::FontChoice ItemFont(const win::FONTSETUP& setup) const;
    virtual win::COLORREF ItemTextColor(const win::OwnerDrawItem& item) const;

    // The frame's procedure: menu settings put back when the frame closes or the program loses
    // the activation, switched for menus when it gains it.
    win::LResult WindowProc(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                            win::LParam lParam) override;

    win::Hwnd HFRAME = 0;
    // True once Init has run. Nothing here reads it; it stays public for code that must know
    // whether the painter was set up.
    bool ISINITIALIZE = false;
    long MENUANIMATION = -1;
    long MENUFADE = -1;
    long KEYBOARDCUES = -1;
    // Always -1, the system's. Qt fonts carry no character set (a window's texts are decoded
    // by its own), so nothing reads it; it stays beside the other menu-font settings.
    int CURRENTCHARSET = -1;
    bool OVERRIDEDEFAULTFONT = false;
    win::FONTSETUP FONTSETUP;
    MenuStyle MENUSTYLE;

  private:
    // Under the lock.
    const ItemSetup* SetupOf(std::string_view path) const;
    void FillItemBackground(win::DrawContext& dc, const win::RECT& r, int level) const;
    void PopupFrame(win::DrawContext& dc, const win::RECT& window) const;
    void ItemText(win::DrawContext& dc, const win::OwnerDrawItem& item, win::RECT rect,
                  const ItemSetup* setup) const;
    void OnActivateApp(bool active);

    mutable std::mutex mutex_;
    std::vector<ItemSetup> ITEMSSETUP;
};

}  // namespace zem::addons
