#pragma once
// Icons and pictures named by window layouts, loaded from the resource directory. A name that
// finds no file, or a file that does not decode, gives a null icon or pixmap: it shows nothing.
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <string_view>

#include "platform/image/image.h"

namespace zem::ui::qt {

// Icons are looked up once per name on the GUI thread and kept.
QIcon IconFor(std::string_view name);

// JPEG pictures go through our libjpeg decoder; other formats through Qt's readers.
QPixmap PictureFor(std::string_view name);

QImage ToQImage(const image::Image& picture);

}  // namespace zem::ui::qt
