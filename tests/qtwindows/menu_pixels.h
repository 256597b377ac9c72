#pragma once
// What the pop-up menus and drop lists showing now look like, read from their pixels: the icon
// each menu item shows in the menu painter's icon bar.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QString>
#include <QTest>
#include <cstdlib>
#include <map>
#include <string>

#include "program_windows.h"

namespace zem::test {

inline bool NearColour(QRgb pixel, int r, int g, int b, int tolerance = 8) {
    return std::abs(qRed(pixel) - r) <= tolerance && std::abs(qGreen(pixel) - g) <= tolerance &&
           std::abs(qBlue(pixel) - b) <= tolerance;
}

// The menu painter's own colours: icon bar, menu, selection and its border.
inline bool PainterColour(QRgb pixel) {
    return NearColour(pixel, 236, 233, 216) || NearColour(pixel, 255, 255, 255) ||
           NearColour(pixel, 191, 191, 223) || NearColour(pixel, 0, 0, 128);
}

// For each item of the pop-up menu showing now, how many pixels of its 16x16 icon place are
// none of the painter's own colours (0: an empty icon place). The menu's picture is saved as
// <shot>.png in the screenshot folder.
inline std::map<QString, int> PopupIconPixels(const std::string& shot) {
    std::map<QString, int> icons;
    Qt().Inspect(0, [&](ui::qt::WindowView*) {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        const QImage image = menu->grab().toImage();
        image.save(QString::fromStdString((ScreenshotDir() / (shot + ".png")).string()));
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) continue;
            const QRect item = menu->actionGeometry(action);
            int count = 0;
            for (int y = item.top() + 2; y < item.top() + 18 && y < image.height(); ++y)
                for (int x = item.left() + 2; x < item.left() + 18 && x < image.width(); ++x)
                    if (!PainterColour(image.pixel(x, y))) ++count;
            icons[action->text()] = count;
        }
    });
    return icons;
}

// Closes the pop-up menu showing now with Escape, as a user does.
inline void ClosePopup() {
    Qt().Inspect(0, [](ui::qt::WindowView*) {
        if (QWidget* popup = QApplication::activePopupWidget())
            QTest::keyClick(popup, ::Qt::Key_Escape);
    });
}

}  // namespace zem::test
