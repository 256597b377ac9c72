#include "platform/store/fold.h"

namespace zem::store {

unsigned char UpperCp1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    switch (c) {
        case 0x9A:
            return 0x8A;  // s caron
        case 0x9C:
            return 0x8C;  // oe
        case 0x9E:
            return 0x8E;  // z caron
        case 0xFF:
            return 0x9F;  // y diaeresis
        default:
            return c;
    }
}

std::string FoldKeyText(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') --end;
    std::string folded(end, '\0');
    for (std::size_t i = 0; i < end; ++i)
        folded[i] = static_cast<char>(UpperCp1252(static_cast<unsigned char>(text[i])));
    return folded;
}

}  // namespace zem::store
