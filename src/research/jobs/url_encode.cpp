#include "research/jobs/url_encode.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace zem::research {
namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

bool IsBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// '#' is escaped too: left as it is, it would end the URL's query and drop every key after it.
bool IsEscaped(unsigned char c) {
    switch (c) {
        case '\'':
        case '\\':
        case '/':
        case '"':
        case '%':
        case '&':
        case '#':
            return true;
        default:
            return c > 127;
    }
}

// The bytes of the UTF-8 character that starts with lead.
std::size_t Utf8Length(unsigned char lead) {
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

}  // namespace

std::string URLEncode(std::span<char> text, runtime::CodePage codePage) {
    if (text.empty()) return {};
    std::size_t length = strnlen(text.data(), text.size() - 1);
    std::size_t first = 0;
    while (first < length && text[first] == ' ') ++first;
    while (length > first && text[length - 1] == ' ') --length;
    length -= first;
    std::memmove(text.data(), text.data() + first, length);
    std::memset(text.data() + length, 0, text.size() - length);
    for (std::size_t i = 0; i < length; ++i)
        if (IsBlank(static_cast<unsigned char>(text[i]))) text[i] = ' ';

    const std::string utf8 = runtime::ToUtf8({text.data(), length}, codePage);
    std::string result;
    result.reserve(utf8.size());
    bool plusProduced = false;
    // What one character adds: a "+", or up to four bytes of UTF-8 each escaped.
    std::array<char, 12> piece{};
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::size_t pieceLength = 0;
        if (c == ' ') {
            ++i;
            if (plusProduced || result.empty()) continue;
            piece[pieceLength++] = '+';
            plusProduced = true;
        } else {
            // One character at a time, so that a character goes whole or not at all.
            const std::size_t bytes = std::min(Utf8Length(c), utf8.size() - i);
            for (std::size_t b = 0; b < bytes; ++b) {
                const auto byte = static_cast<unsigned char>(utf8[i + b]);
                if (IsEscaped(byte)) {
                    piece[pieceLength++] = '%';
                    piece[pieceLength++] = kHexDigits[byte >> 4];
                    piece[pieceLength++] = kHexDigits[byte & 0x0F];
                } else {
                    piece[pieceLength++] = static_cast<char>(byte);
                }
            }
            i += bytes;
            plusProduced = false;
        }
        if (result.size() + pieceLength > kEncodedLimit) break;
        result.append(piece.data(), pieceLength);
    }
    return result;
}

}  // namespace zem::research
