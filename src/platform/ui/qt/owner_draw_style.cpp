#include "platform/ui/qt/owner_draw_style.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <algorithm>

#include "platform/ui/qt/resource_images.h"
#include "platform/ui/qt/text_codec.h"
#include "platform/ui/resources/resources.h"
#include "platform/win/owner_draw.h"
#include "platform/win/system_parameters.h"

namespace zem::ui::qt {
namespace {

constexpr int kCheckMarkAllowance = 12;

QColor ToQColor(win::COLORREF c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

QRect ToQRect(const win::RECT& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

win::RECT ToRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// The painter's drawing context over a QPainter.
class PainterContext final : public win::DrawContext {
  public:
    PainterContext(QPainter* painter, QFont menuFont)
        : painter_(painter), menuFont_(std::move(menuFont)), font_(menuFont_) {}

    void FillRect(const win::RECT& rect, win::COLORREF color) override {
        if (painter_ && rect.Width() > 0 && rect.Height() > 0)
            painter_->fillRect(ToQRect(rect), ToQColor(color));
    }
    void FrameRect(const win::RECT& rect, win::COLORREF color) override {
        if (!painter_ || rect.Width() <= 0 || rect.Height() <= 0) return;
        const QColor c = ToQColor(color);
        const QRect r = ToQRect(rect);
        painter_->fillRect(QRect(r.left(), r.top(), r.width(), 1), c);
        painter_->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), c);
        painter_->fillRect(QRect(r.left(), r.top(), 1, r.height()), c);
        painter_->fillRect(QRect(r.right(), r.top(), 1, r.height()), c);
    }
    // The icon the item carries itself (a pop-up item its button's): drawn where the painter
    // finds no icon registered for the item.
    void SetItemIcon(QIcon icon, QIcon::Mode mode) {
        itemIcon_ = std::move(icon);
        itemIconMode_ = mode;
    }
    bool DrawIcon(std::string_view resource, int x, int y) override {
        const auto path = IconResourcePath(resource);
        const QIcon icon = path ? QIcon(QString::fromStdString(path->string())) : QIcon();
        if (icon.isNull()) {
            if (itemIcon_.isNull()) return false;
            if (painter_) painter_->drawPixmap(x, y, itemIcon_.pixmap(16, 16, itemIconMode_));
            return true;
        }
        if (painter_) painter_->drawPixmap(x, y, icon.pixmap(16, 16));
        return true;
    }
    void SelectFont(const win::FontChoice& choice) override {
        font_ = menuFont_;
        if (!choice.own) return;
        const win::FONTSETUP& f = choice.setup;
        if (!f.FONTFACE.empty()) font_.setFamily(QString::fromStdString(f.FONTFACE));
        if (f.FONTSIZE > 0) font_.setPointSize(f.FONTSIZE);
        font_.setBold(f.FONTBOLD);
        font_.setItalic(f.FONTITALIC);
        font_.setUnderline(f.FONTUNDERLINE);
        font_.setStrikeOut(f.FONTSTRIKEOUT);
    }
    void SetTextColor(win::COLORREF color) override { color_ = ToQColor(color); }
    void DrawText(std::string_view text, win::RECT& rect, unsigned flags) override {
        const QString shown = Decode(text, 0);
        int align = Qt::TextShowMnemonic;
        if (flags & win::DT_SINGLELINE) align |= Qt::TextSingleLine;
        if (flags & win::DT_EXPANDTABS) align |= Qt::TextExpandTabs;
        if (flags & win::DT_CALCRECT) {
            const QSize size = QFontMetrics(font_).size(align, shown);
            rect.right = rect.left + size.width();
            rect.bottom = rect.top + size.height();
            return;
        }
        align |= (flags & win::DT_CENTER)  ? Qt::AlignHCenter
                 : (flags & win::DT_RIGHT) ? Qt::AlignRight
                                           : Qt::AlignLeft;
        align |= (flags & win::DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
        if (!painter_) return;
        painter_->save();
        painter_->setFont(font_);
        painter_->setPen(color_);
        painter_->drawText(ToQRect(rect), align, shown);
        painter_->restore();
    }

  private:
    QPainter* painter_;
    QFont menuFont_;
    QFont font_;
    QColor color_ = Qt::black;
    QIcon itemIcon_;
    QIcon::Mode itemIconMode_ = QIcon::Normal;
};

// Where a menu sits: the path of the item that opens it and its level (1 under the bar).
struct MenuPlace {
    std::string path;
    int level = 1;
};

MenuPlace PlaceOf(const QMenu* menu, int depth = 0) {
    MenuPlace place;
    if (!menu || depth > 16) return place;
    const std::string own = std::string(win::kMenuPathSeparator) + Encode(menu->title(), 0);
    for (QObject* holder : menu->menuAction()->associatedObjects()) {
        if (qobject_cast<QMenuBar*>(holder)) return {own, 1};
        if (const auto* parent = qobject_cast<QMenu*>(holder)) {
            const MenuPlace outer = PlaceOf(parent, depth + 1);
            return {outer.path + own, outer.level + 1};
        }
    }
    return {std::string(), 1};  // a pop-up menu of its own
}

win::OwnerDrawItem ItemOf(const QStyleOptionMenuItem& option, const QWidget* widget) {
    win::OwnerDrawItem item;
    item.separator = option.menuItemType == QStyleOptionMenuItem::Separator;
    item.text = item.separator ? "-" : Encode(option.text, 0);
    const std::string segment =
        std::string(win::kMenuPathSeparator) +
        (item.separator ? std::string("-") : Encode(option.text.section('\t', 0, 0), 0));
    if (const auto* menu = qobject_cast<const QMenu*>(widget)) {
        const MenuPlace place = PlaceOf(menu);
        item.level = place.level;
        // The item's own text, without the shortcut Qt adds after a tab.
        const QAction* action = menu->actionAt(option.rect.center());
        item.path = place.path + (action && !item.separator ? std::string(win::kMenuPathSeparator) +
                                                                  Encode(action->text(), 0)
                                                            : segment);
    } else {
        item.level = 0;
        item.path = segment;
    }
    return item;
}

// The painter draws the menu bar, its drop-downs and the windows' pop-up menus. Qt draws other
// things with menu elements too (a drop list's pop-up, with the drop list as the widget): those
// keep the look of the style underneath.
bool IsMenu(const QWidget* widget) {
    return qobject_cast<const QMenu*>(widget) != nullptr;
}
bool IsMenuBar(const QWidget* widget) {
    return qobject_cast<const QMenuBar*>(widget) != nullptr;
}

unsigned ItemState(const QStyleOptionMenuItem& option) {
    unsigned state = 0;
    if (option.state & QStyle::State_Selected) state |= win::ODS_SELECTED;
    if (!(option.state & QStyle::State_Enabled)) state |= win::ODS_DISABLED | win::ODS_GRAYED;
    if (option.checkType != QStyleOptionMenuItem::NotCheckable && option.checked)
        state |= win::ODS_CHECKED;
    return state;
}

}  // namespace

OwnerDrawStyle::OwnerDrawStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}

int OwnerDrawStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                const QWidget* widget) const {
    if (const auto painter = win::CurrentOwnerDrawMenus(); painter && IsMenu(widget)) {
        switch (metric) {
            case PM_MenuPanelWidth:
                return painter->PopupBorder();
            case PM_MenuHMargin:
            case PM_MenuVMargin:
                return 0;
            default:
                break;
        }
    }
    if (win::CurrentOwnerDrawMenus() && IsMenuBar(widget)) {
        switch (metric) {
            case PM_MenuBarPanelWidth:
            case PM_MenuBarVMargin:
            case PM_MenuBarHMargin:
                return 0;
            default:
                break;
        }
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int OwnerDrawStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* data) const {
    if (hint == SH_Menu_FadeOutOnHide) {
        long fade = 0;
        win::SystemParametersInfo(win::SPI_GETMENUFADE, 0, &fade, 0);
        return fade != 0 && QProxyStyle::styleHint(hint, option, widget, data);
    }
    return QProxyStyle::styleHint(hint, option, widget, data);
}

QSize OwnerDrawStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                       const QSize& size, const QWidget* widget) const {
    const auto painter = win::CurrentOwnerDrawMenus();
    const auto* menuItem = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (painter && menuItem && type == CT_MenuItem && IsMenu(widget)) {
        PainterContext dc(nullptr, menuItem->font);
        int width = 0, height = 0;
        const win::OwnerDrawItem item = ItemOf(*menuItem, widget);
        painter->MeasureItem(dc, item, width, height);
        // The desktop widens every owner-drawn item by its check-mark width less one pixel.
        if (!item.separator) width += kCheckMarkAllowance;
        // A menu leaves out items of no width; a separator spans the menu whatever it measures.
        return QSize(std::max(width, 1), height);
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void OwnerDrawStyle::drawControl(ControlElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    const auto menus = win::CurrentOwnerDrawMenus();
    const auto* menuItem = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (menus && menuItem && element == CE_MenuItem && IsMenu(widget)) {
        PainterContext dc(painter, menuItem->font);
        dc.SetItemIcon(menuItem->icon,
                       (option->state & State_Enabled) ? QIcon::Normal : QIcon::Disabled);
        menus->DrawItem(dc, ItemOf(*menuItem, widget), ToRect(option->rect), ItemState(*menuItem));
        return;
    }
    if (menus && menuItem && element == CE_MenuBarItem && IsMenuBar(widget)) {
        PainterContext dc(painter, menuItem->font);
        const bool open = (option->state & State_Sunken) != 0;
        const bool hot = (option->state & State_Selected) != 0;
        unsigned state = 0;
        if (!(option->state & State_Enabled)) state |= win::MFS_GRAYED;
        menus->PaintMenuBarItem(dc, ItemOf(*menuItem, widget), ToRect(option->rect), state, hot,
                                open);
        return;
    }
    if (menus && element == CE_MenuBarEmptyArea && IsMenuBar(widget)) {
        painter->fillRect(option->rect, ToQColor(win::GetSysColor(win::COLOR_MENUBAR)));
        return;
    }
    if (menus && element == CE_MenuEmptyArea && IsMenu(widget))
        return;  // a menu's empty area is left as its panel painted it
    QProxyStyle::drawControl(element, option, painter, widget);
}

void OwnerDrawStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const {
    const auto menus = win::CurrentOwnerDrawMenus();
    if (menus && element == PE_PanelMenu && IsMenu(widget)) {
        PainterContext dc(painter, QApplication::font());
        menus->DrawPopupPanel(dc, ToRect(option->rect));
        return;
    }
    if (menus && element == PE_FrameMenu && IsMenu(widget)) {
        PainterContext dc(painter, QApplication::font());
        menus->DrawPopupFrame(dc, ToRect(option->rect));
        return;
    }
    if (menus && element == PE_PanelMenuBar && IsMenuBar(widget)) {
        painter->fillRect(option->rect, ToQColor(win::GetSysColor(win::COLOR_MENUBAR)));
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void InstallOwnerDrawStyle() {
    QApplication::setStyle(new OwnerDrawStyle);
}

}  // namespace zem::ui::qt
