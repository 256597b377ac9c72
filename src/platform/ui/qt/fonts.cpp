#include "platform/ui/qt/fonts.h"

#include <QFontDatabase>
#include <QString>

namespace zem::ui::qt {

bool NamesFont(const Font& font) {
    return !font.name.empty() || font.size > 0 || font.bold;
}

QFont FontFor(const Font& font, const QFont& base) {
    QFont out = base;
    if (!font.name.empty()) {
        // Font names in layouts are ASCII.
        const QString family =
            QString::fromLatin1(font.name.data(), static_cast<qsizetype>(font.name.size()));
        if (QFontDatabase::hasFamily(family)) out.setFamily(family);
    }
    if (font.size > 0) out.setPointSize(font.size);
    out.setBold(font.bold);
    return out;
}

}  // namespace zem::ui::qt
