#include "platform/ui/qt/text_widths.h"

#include <QStringView>

namespace zem::ui::qt {

int TextWidths::Of(const QString& text) {
    if (advances_.empty()) advances_.assign(0x10000, -1);
    int width = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c.isSurrogate()) {
            const qsizetype length = c.isHighSurrogate() && i + 1 < size ? 2 : 1;
            width += metrics_.horizontalAdvance(QStringView(text).mid(i, length).toString());
            i += length - 1;
            continue;
        }
        std::int16_t& advance = advances_[c.unicode()];
        if (advance < 0) advance = static_cast<std::int16_t>(metrics_.horizontalAdvance(c));
        width += advance;
    }
    return width;
}

}  // namespace zem::ui::qt
