#pragma once
// Case in code page 1252, the texts' byte code: what keys, use names and settings are compared
// with. Byte-wise, so a text is never handed to a locale's classification as a negative char.
#include <string_view>

namespace zem::runtime {

// The capital of a code page 1252 letter (ASCII and the accented letters, with s caron, oe,
// z caron and y diaeresis); every other byte is itself. Inline: keys fold every byte they write.
constexpr unsigned char UpperCp1252(unsigned char c) {
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

// Whether the texts are the same but for the case of their letters.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace zem::runtime
