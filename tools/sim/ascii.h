#pragma once
// Byte classification for request texts: ASCII only, on unsigned bytes, so bytes above 127 are
// never letters and never reach the C library's locale-dependent functions.
#include <string>
#include <string_view>

namespace zem::sim {

constexpr bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
constexpr bool IsUpper(unsigned char c) {
    return c >= 'A' && c <= 'Z';
}
constexpr bool IsLower(unsigned char c) {
    return c >= 'a' && c <= 'z';
}
constexpr bool IsAlpha(unsigned char c) {
    return IsUpper(c) || IsLower(c);
}
constexpr bool IsAlnum(unsigned char c) {
    return IsAlpha(c) || IsDigit(c);
}
constexpr unsigned char ToLower(unsigned char c) {
    return IsUpper(c) ? c + ('a' - 'A') : c;
}
constexpr unsigned char ToUpper(unsigned char c) {
    return IsLower(c) ? c - ('a' - 'A') : c;
}

inline std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(ToLower(static_cast<unsigned char>(c)));
    return out;
}

inline bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToLower(static_cast<unsigned char>(a[i])) != ToLower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace zem::sim
