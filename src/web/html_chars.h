#pragma once
// Character classes of the markup tokenizer, looked up by unsigned byte. ASCII only: bytes
// above 127 are text and never letters.
#include <array>
#include <cstdint>

namespace zem::HTML::chars {

inline constexpr std::uint8_t kSpace = 1;     // CR, LF, space, TAB
inline constexpr std::uint8_t kLetter = 2;    // A-Z, a-z
inline constexpr std::uint8_t kNameChar = 4;  // letters, digits, "-", ":", "_", "."

inline constexpr std::uint8_t kPlainValue = 8;  // copied as it is into an attribute value
inline constexpr std::uint8_t kUnquoted = 16;   // part of an unquoted attribute value

inline constexpr std::array<std::uint8_t, 256> kClasses = [] {
    std::array<std::uint8_t, 256> t{};
    for (auto& c : t) c = kPlainValue | kUnquoted;
    for (int c : {'\r', '\n', ' ', '\t'}) t[c] = kSpace | kPlainValue;
    for (int c = 'A'; c <= 'Z'; ++c) t[c] |= kLetter | kNameChar;
    for (int c = 'a'; c <= 'z'; ++c) t[c] |= kLetter | kNameChar;
    for (int c = '0'; c <= '9'; ++c) t[c] |= kNameChar;
    for (int c : {'-', ':', '_', '.'}) t[c] |= kNameChar;
    for (int c : {'&', '\t', '\r'}) t[c] &= ~kPlainValue;
    t['>'] &= ~kUnquoted;
    return t;
}();

inline bool Is(char c, std::uint8_t what) {
    return (kClasses[static_cast<unsigned char>(c)] & what) != 0;
}
inline bool IsSpace(char c) {
    return Is(c, kSpace);
}
inline bool IsLetter(char c) {
    return Is(c, kLetter);
}

// The first index from i on whose character is not of the class. Names and values are short but
// read for every tag, so the loop tests eight characters per bounds check.
inline std::size_t Skip(const char* text, std::size_t i, std::size_t length, std::uint8_t what) {
    for (; length - i >= 8; i += 8) {
        const char* p = text + i;
        if (!Is(p[0], what)) return i;
        if (!Is(p[1], what)) return i + 1;
        if (!Is(p[2], what)) return i + 2;
        if (!Is(p[3], what)) return i + 3;
        if (!Is(p[4], what)) return i + 4;
        if (!Is(p[5], what)) return i + 5;
        if (!Is(p[6], what)) return i + 6;
        if (!Is(p[7], what)) return i + 7;
    }
    while (i < length && Is(text[i], what)) ++i;
    return i;
}

// True when [from, to) holds white space only.
inline bool AllSpace(const char* from, const char* to) {
    while (from < to && IsSpace(*from)) ++from;
    return from == to;
}

inline char ToLower(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<char>(u + ('a' - 'A')) : c;
}

}  // namespace zem::HTML::chars
