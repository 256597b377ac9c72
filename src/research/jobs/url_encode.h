#pragma once
// The query-string encoder for keywords. Keywords are the only piece of a request that is
// encoded; everything else is put together as it stands.
#include <cstddef>
#include <span>
#include <string>

#include "platform/runtime/code_pages.h"

namespace zem::research {

// The longest encoded text URLEncode answers.
inline constexpr std::size_t kEncodedLimit = 4095;

// Encodes the NUL-terminated text held in `text` (its capacity is text.size()), written in the
// code page of the window it was typed in or of the store it came from, as UTF-8, which the
// service and the result pages read: runs of blanks, tabs and line ends become one "+", none at
// either end; the apostrophe, backslash, slash, double quote, percent sign, ampersand, number
// sign and every UTF-8 byte above 127 become %XX; everything else stays. The result ends before
// the first character that does not fit whole. The caller's text is normalised in place:
// leading and trailing blanks are removed and tabs and line ends become blanks.
std::string URLEncode(std::span<char> text, runtime::CodePage codePage);

}  // namespace zem::research
