#pragma once
// Window texts are bytes in the window's character set; Qt shows Unicode. Charset 128 is
// Shift-JIS, 204 code page 1251, every other one code page 1252. Conversion happens here and
// nowhere else.
#include <QString>
#include <string>
#include <string_view>

#include "platform/ui/window/display.h"

namespace zem::ui::qt {

inline constexpr int kShiftJisCharset = 128;

QString Decode(std::string_view bytes, int charset);
// Characters the character set cannot hold become '?'.
std::string Encode(const QString& text, int charset);

// The charset a control's text is in: its own font's when it names one, else the window's.
inline int ControlCharset(int fontCharset, int windowCharset) {
    return fontCharset >= 0 ? fontCharset : windowCharset;
}
// The charset of a text that may name its own (-1: it does not), else the one around it.
inline int TextCharset(int own, int around) {
    return own >= 0 ? own : around;
}

}  // namespace zem::ui::qt
