#pragma once
// Reply texts, which the tokenizer hands over in UTF-8, written into a record's text fields in
// the code page of the store's windows and cut where a character ends.
#include <cstddef>
#include <string_view>

#include "data/text_fields.h"
#include "platform/runtime/code_pages.h"

namespace zem::web {

// A text or an address without the white space that an indented reply puts around it.
inline std::string_view TrimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const std::size_t begin = text.find_first_not_of(kBlanks);
    if (begin == std::string_view::npos) return {};
    return text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1);
}

template <std::size_t N>
void SetCStringFromReply(char (&field)[N], std::string_view utf8, runtime::CodePage codePage) {
    data::SetCString(field, runtime::FromUtf8(utf8, codePage, N - 1));
}

template <std::size_t N>
void SetStringFromReply(char (&field)[N], std::string_view utf8, runtime::CodePage codePage) {
    data::SetString(field, runtime::FromUtf8(utf8, codePage, N));
}

}  // namespace zem::web
