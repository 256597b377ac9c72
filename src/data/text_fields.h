#pragma once
// Reading and writing the text fields of a record buffer. STRING fields are blank-padded to
// their width; CSTRING fields hold at most width-1 bytes and a NUL. Longer texts are cut, never
// written past the field.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "platform/runtime/trailing_blanks.h"

namespace zem::data {

template <std::size_t N>
void SetString(char (&field)[N], std::string_view text) {
    const std::size_t n = std::min(text.size(), N);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, ' ', N - n);
}

template <std::size_t N>
void SetCString(char (&field)[N], std::string_view text) {
    const std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, N - n);
}

// A STRING field's text without its trailing blanks.
template <std::size_t N>
std::string_view StringOf(const char (&field)[N]) {
    std::size_t n = N;
    while (n > 0 && (field[n - 1] == ' ' || field[n - 1] == '\0')) --n;
    return {field, n};
}

// A CSTRING field's text up to its NUL (or its whole width when the NUL is missing).
template <std::size_t N>
std::string_view CStringOf(const char (&field)[N]) {
    const void* nul = std::memchr(field, 0, N);
    return {field, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : N};
}

// A STRING or CSTRING field's text as a list shows it: up to a NUL, without trailing blanks.
template <std::size_t N>
std::string_view ShownText(const char (&field)[N]) {
    return runtime::WithoutTrailingBlanks(CStringOf(field));
}

}  // namespace zem::data
