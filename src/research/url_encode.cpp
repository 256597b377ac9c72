#include "research/url_encode.h"

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

}  // namespace

std::string URLEncode(std::span<char> text) {
    if (text.empty()) return {};
    std::size_t length = strnlen(text.data(), text.size() - 1);
    std::size_t first = 0;
    while (first < length && text[first] == ' ') ++first;
    while (length > first && text[length - 1] == ' ') --length;
    length -= first;
    std::memmove(text.data(), text.data() + first, length);
    std::memset(text.data() + length, 0, text.size() - length);

    std::string result;
    result.reserve(length);
    // Whatever does not fit whole is left out, so an escape is never cut in two.
    auto append = [&](std::string_view piece) {
        if (result.size() + piece.size() <= kEncodedLimit) result += piece;
    };
    bool plusProduced = false;
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsBlank(c)) {
            text[i] = ' ';
            if (!plusProduced && !result.empty()) {
                append("+");
                plusProduced = true;
            }
            continue;
        }
        plusProduced = false;
        if (IsEscaped(c)) {
            const char escape[] = {'%', kHexDigits[c >> 4], kHexDigits[c & 0x0F]};
            append(std::string_view(escape, sizeof escape));
        } else {
            append(std::string_view(&text[i], 1));
        }
    }
    return result;
}

}  // namespace zem::research
