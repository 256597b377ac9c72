#include "addons/xxp_wnd_class.h"

#include <algorithm>

#include "platform/ui/window/window.h"
#include "platform/win/system_parameters.h"

namespace zem::addons {
namespace {

using win::COLORREF;
using win::RECT;

constexpr win::COLORREF kGreyText = 0x808080;
constexpr unsigned kItemFlags = win::DT_SINGLELINE | win::DT_VCENTER | win::DT_EXPANDTABS;
constexpr unsigned kShortcutFlags = win::DT_RIGHT | win::DT_VCENTER | win::DT_SINGLELINE;
constexpr unsigned kMeasureFlags = win::DT_CALCRECT | kItemFlags;
constexpr unsigned WM_CLOSE = 0x0010;

COLORREF MenuBrush() {
    return win::GetSysColor(win::COLOR_MENUBAR);
}

// An icon file name without its extension: "ASLCNCL.ico" gives "ASLCNCL".
std::string Stem(std::string_view file) {
    return std::string(file.substr(0, file.size() >= 4 ? file.size() - 4 : 0));
}

bool Lit(unsigned state) {
    return (state & (win::ODS_SELECTED | win::ODS_HOTLIGHT)) != 0;
}

bool Greyed(unsigned state) {
    return (state & (win::ODS_DISABLED | win::ODS_GRAYED)) != 0;
}

}  // namespace

IconChoice ChooseIcon(const MenuStyle& style, std::string_view iconName, unsigned state) {
    const std::string name(iconName);
    const bool checked = (state & win::ODS_CHECKED) != 0;
    if (checked) return {Stem(Lit(state) ? style.ICONCHECK : style.ICONCHECKCOLD) + "_ICO", {}};
    if (Greyed(state)) return {name + "_gray_ICO", name + "_ICO"};
    if (Lit(state)) return {name + "_ICO", {}};
    return {name + "_cold_ICO", name + "_ICO"};
}

xXPWndClass::xXPWndClass() = default;

xXPWndClass::~xXPWndClass() {
    if (win::CurrentOwnerDrawMenus().get() == this) win::SetOwnerDrawMenus(nullptr);
    Remove();
}

void xXPWndClass::SetDefaultStyle() {
    std::lock_guard lock(mutex_);
    MENUSTYLE = {};
}

MenuStyle xXPWndClass::Style() const {
    std::lock_guard lock(mutex_);
    return MENUSTYLE;
}

std::vector<ItemSetup> xXPWndClass::ItemsSetup() const {
    std::lock_guard lock(mutex_);
    return ITEMSSETUP;
}

void xXPWndClass::Init(ui::Window& frame) {
    ISINITIALIZE = true;
    SetDefaultStyle();
    HFRAME = frame.Handle();
    {
        std::lock_guard lock(mutex_);
        OVERRIDEDEFAULTFONT = false;
    }
    Install(HFRAME, 0, true);
}

std::string xXPWndClass::ItemPath(const ui::Window& window, int feq) {
    std::vector<std::string> texts;
    for (const ui::Control* c = window.Find(feq); c;) {
        const bool menuControl = c->kind == ui::ControlKind::Menu ||
                                 c->kind == ui::ControlKind::Item ||
                                 c->kind == ui::ControlKind::Separator;
        if (!menuControl) break;
        texts.push_back(c->kind == ui::ControlKind::Separator ? "-" : c->text);
        c = c->parent != 0 ? window.Find(c->parent) : nullptr;
    }
    std::string path;
    for (auto it = texts.rbegin(); it != texts.rend(); ++it)
        path += std::string(win::kMenuPathSeparator) + *it;
    return path;
}

void xXPWndClass::AddItem(int feq, ui::Window& window, std::string_view iconFile) {
    const std::string path = ItemPath(window, feq);
    std::lock_guard lock(mutex_);
    const auto it = std::find_if(ITEMSSETUP.begin(), ITEMSSETUP.end(),
                                 [&](const ItemSetup& s) { return s.STRID == path; });
    if (it != ITEMSSETUP.end()) {
        it->ICONNAME = Stem(iconFile);
        return;
    }
    ItemSetup entry;
    entry.FEQ = feq;
    entry.WNDHANDLE = window.Handle();
    entry.STRID = path;
    entry.ICONNAME = Stem(iconFile);
    ITEMSSETUP.push_back(std::move(entry));
}

const ItemSetup* xXPWndClass::SetupOf(std::string_view path) const {
    for (const ItemSetup& s : ITEMSSETUP)
        if (s.STRID == path) return &s;
    return nullptr;
}

win::FontChoice xXPWndClass::ItemFont(const win::FONTSETUP& setup) const {
    win::FontChoice font;
    font.own = true;
    font.setup = setup;
    return font;
}

win::COLORREF xXPWndClass::ItemTextColor(const win::OwnerDrawItem& item) const {
    const ItemSetup* setup = SetupOf(item.path);
    const bool ownColour = setup && setup->OVERRIDEDEFAULTFONT && setup->FONTSETUP.FONTCOLOR != 0;
    if (ownColour) return setup->FONTSETUP.FONTCOLOR;
    if (OVERRIDEDEFAULTFONT && FONTSETUP.FONTCOLOR != 0) return FONTSETUP.FONTCOLOR;
    return 0;
}

void xXPWndClass::MeasureItem(win::DrawContext& dc, const win::OwnerDrawItem& item, int& itemWidth,
                              int& itemHeight) {
    std::lock_guard lock(mutex_);
    if (item.separator) {
        itemHeight = 3;
        return;
    }
    const ItemSetup* setup = SetupOf(item.path);
    bool ownFont = false;
    if (setup && setup->OVERRIDEDEFAULTFONT) {
        dc.SelectFont(ItemFont(setup->FONTSETUP));
        ownFont = true;
    } else if (OVERRIDEDEFAULTFONT) {
        dc.SelectFont(ItemFont(FONTSETUP));
        ownFont = true;
    } else {
        dc.SelectFont({});
    }
    RECT r;
    dc.DrawText(item.text, r, kMeasureFlags);
    itemWidth = r.Width() + (ownFont ? 4 : 0);
    itemHeight = r.Height();
    if (item.level >= 1) {
        itemWidth += MENUSTYLE.ICONBARWIDTH + (ownFont ? MENUSTYLE.TEXTINDENT : 0);
        itemHeight = MENUSTYLE.MENUITEMHEIGHT;
    }
    dc.SelectFont({});
}

void xXPWndClass::ItemText(win::DrawContext& dc, const win::OwnerDrawItem& item, RECT rect,
                           const ItemSetup* setup) const {
    const bool ownEntryFont = setup && setup->OVERRIDEDEFAULTFONT;
    if (ownEntryFont)
        dc.SelectFont(ItemFont(setup->FONTSETUP));
    else if (item.level >= 1 && OVERRIDEDEFAULTFONT)
        dc.SelectFont(ItemFont(FONTSETUP));
    else
        dc.SelectFont({});
    unsigned flags = kItemFlags;
    if (item.level >= 1)
        rect.left += 4;
    else
        flags |= win::DT_CENTER;
    const std::string_view text = item.text;
    const std::size_t firstTab = text.find('\t');
    if (firstTab == std::string_view::npos) {
        dc.DrawText(text, rect, flags);
    } else {
        dc.DrawText(text.substr(0, firstTab), rect, flags);
        std::string_view shortcut = text.substr(text.rfind('\t') + 1);
        shortcut = shortcut.substr(0, 20);
        RECT right = rect;
        right.right -= 5;
        dc.DrawText(shortcut, right, kShortcutFlags);
    }
    dc.SelectFont({});
}

void xXPWndClass::DrawItem(win::DrawContext& dc, const win::OwnerDrawItem& item, const RECT& rcItem,
                           unsigned itemState) {
    std::lock_guard lock(mutex_);
    const MenuStyle& style = MENUSTYLE;
    const RECT r = rcItem;
    FillItemBackground(dc, r, item.level);
    if (item.separator) {
        RECT line = r;
        line.left += style.ICONBARWIDTH + style.TEXTINDENT;
        line.top += 1;
        line.bottom -= 1;
        dc.FillRect(line, style.SEPARATORCOLOR == -1 ? MenuBrush()
                                                     : static_cast<COLORREF>(style.SEPARATORCOLOR));
    }
    const ItemSetup* setup = SetupOf(item.path);
    const IconChoice icon = ChooseIcon(style, setup ? setup->ICONNAME : std::string(), itemState);
    if (Lit(itemState)) {
        dc.FillRect(r, style.SELECTEDCOLOR);
        dc.FrameRect(r, style.BORDERCOLOR);
    }
    if (!item.separator) {
        const int x = r.left + 2;
        const int y = r.top + (style.MENUITEMHEIGHT - 16 + 1) / 2;
        const bool raised = style.RAISESELECTEDICON && Lit(itemState) && !Greyed(itemState);
        if (!dc.DrawIcon(icon.name, raised ? x - 1 : x, raised ? y - 1 : y) &&
            !icon.fallback.empty())
            dc.DrawIcon(icon.fallback, x, y);
        dc.SetTextColor(Greyed(itemState) ? kGreyText : ItemTextColor(item));
        RECT text = r;
        if (item.level >= 1) text.left += style.ICONBARWIDTH + style.TEXTINDENT;
        ItemText(dc, item, text, setup);
    }
}

void xXPWndClass::FillItemBackground(win::DrawContext& dc, const RECT& r, int level) const {
    dc.FillRect(r, MenuBrush());
    if (level < 1) return;
    RECT back = r;
    if (MENUSTYLE.USESTDICONBACKGROUND) back.left += MENUSTYLE.ICONBARWIDTH;
    dc.FillRect(back, MENUSTYLE.BACKGROUNDCOLOR);
}

void xXPWndClass::DrawPopupPanel(win::DrawContext& dc, const RECT& window) {
    std::lock_guard lock(mutex_);
    const int b = PopupBorder();
    FillItemBackground(dc, {window.left + b, window.top + b, window.right - b, window.bottom - b},
                       1);
    PopupFrame(dc, window);
}

void xXPWndClass::DrawPopupFrame(win::DrawContext& dc, const RECT& window) {
    std::lock_guard lock(mutex_);
    PopupFrame(dc, window);
}

void xXPWndClass::PopupFrame(win::DrawContext& dc, const RECT& window) const {
    const MenuStyle& style = MENUSTYLE;
    dc.FrameRect(window, win::GetSysColor(win::COLOR_BTNSHADOW));
    RECT ring{window.left + 1, window.top + 1, window.right - 1, window.bottom - 1};
    dc.FrameRect(ring, style.BACKGROUNDCOLOR);
    RECT inner{ring.left + 1, ring.top + 1, ring.right - 1, ring.bottom - 1};
    dc.FrameRect(inner, style.BACKGROUNDCOLOR);
    if (style.USESTDICONBACKGROUND) {
        // The icon bar runs from the top border to the bottom one.
        const RECT top{ring.left, ring.top, window.left + style.ICONBARWIDTH + 3, ring.top + 2};
        const RECT bottom{ring.left, ring.bottom - 2, top.right, ring.bottom};
        const RECT left{ring.left, ring.top, ring.left + 2, ring.bottom};
        for (const RECT& part : {top, bottom, left}) dc.FillRect(part, MenuBrush());
    }
}

void xXPWndClass::PaintMenuBarItem(win::DrawContext& dc, const win::OwnerDrawItem& item,
                                   const RECT& rect, unsigned state, bool hot, bool open) {
    std::lock_guard lock(mutex_);
    const MenuStyle& style = MENUSTYLE;
    dc.FillRect(rect, MenuBrush());
    if (open) {
        // The tab joined to the open drop-down: the menu colour, framed down into the menu.
        RECT tab = rect;
        tab.bottom += 1;
        dc.FrameRect(tab, win::GetSysColor(win::COLOR_BTNSHADOW));
    } else if ((state & win::MFS_HILITE) != 0 || hot) {
        dc.FillRect(rect, style.SELECTEDCOLOR);
        dc.FrameRect(rect, style.BORDERCOLOR);
    }
    if ((state & win::MFS_GRAYED) != 0) {
        RECT shadow{rect.left, rect.top + 1, rect.right + 2, rect.bottom + 1};
        dc.SetTextColor(win::RGB(255, 255, 255));
        ItemText(dc, item, shadow, nullptr);
        dc.SetTextColor(win::GetSysColor(win::COLOR_GRAYTEXT));
    } else {
        dc.SetTextColor(ItemTextColor(item));
    }
    ItemText(dc, item, rect, nullptr);
}

void xXPWndClass::OnActivateApp(bool active) {
    using win::SystemParametersInfo;
    if (active) {
        long value = 0;
        MENUANIMATION = SystemParametersInfo(win::SPI_GETMENUANIMATION, 0, &value, 0) ? value : -1;
        MENUFADE = SystemParametersInfo(win::SPI_GETMENUFADE, 0, &value, 0) ? value : -1;
        KEYBOARDCUES = SystemParametersInfo(win::SPI_GETKEYBOARDCUES, 0, &value, 0) ? value : -1;
        if (MENUANIMATION == 1) SystemParametersInfo(win::SPI_SETMENUANIMATION, 0, nullptr, 0);
        if (MENUFADE == 1) SystemParametersInfo(win::SPI_SETMENUFADE, 0, nullptr, 0);
        if (KEYBOARDCUES == 0) SystemParametersInfo(win::SPI_SETKEYBOARDCUES, 0, win::kSpiOn, 0);
        return;
    }
    if (MENUANIMATION == 1) SystemParametersInfo(win::SPI_SETMENUANIMATION, 0, win::kSpiOn, 0);
    if (MENUFADE == 1) SystemParametersInfo(win::SPI_SETMENUFADE, 0, win::kSpiOn, 0);
    if (KEYBOARDCUES == 0) SystemParametersInfo(win::SPI_SETKEYBOARDCUES, 0, nullptr, 0);
}

win::LResult xXPWndClass::WindowProc(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                                     win::LParam lParam) {
    if (message == win::WM_ACTIVATEAPP) {
        const win::LResult result = CallPrevious(hwnd, message, wParam, lParam);
        OnActivateApp(wParam != 0);
        return result;
    }
    // The frame is closed through its window model, so no WM_CLOSE reaches it today; the branch
    // keeps a close sent by other means from leaving the desktop's menu settings switched.
    if (message == WM_CLOSE || message == win::WM_DESTROY) OnActivateApp(false);
    return CallPrevious(hwnd, message, wParam, lParam);
}

}  // namespace zem::addons
