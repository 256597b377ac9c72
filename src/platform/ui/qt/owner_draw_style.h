#pragma once
// The menus of the display drawn by the program's owner-draw painter when one is set: every
// QMenu's items and frame and every QMenuBar's items go through it, whatever window or pop-up
// they belong to; without a painter the style underneath draws them. A drop list's pop-up,
// which Qt also draws with menu elements, always keeps the style underneath. An item the
// painter has no icon for shows the icon of its action. Set on the application.
#include <QProxyStyle>

namespace zem::ui::qt {

class OwnerDrawStyle final : public QProxyStyle {
  public:
    OwnerDrawStyle();

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr, QStyleHintReturn* data = nullptr) const override;
};

// Puts the style on the application, over the one it has.
void InstallOwnerDrawStyle();

}  // namespace zem::ui::qt
