#pragma once
// The query-string encoder for keywords. Keywords are the only piece of a request that is
// encoded; everything else is put together as it stands.
#include <cstddef>
#include <span>
#include <string>

namespace zem::research {

// The longest encoded text URLEncode answers.
inline constexpr std::size_t kEncodedLimit = 4095;

// Encodes the NUL-terminated text held in `text` (its capacity is text.size()): runs of blanks,
// tabs and line ends become one "+", none at either end; the apostrophe, backslash, slash,
// double quote, percent sign, ampersand, number sign and every byte above 127 become %XX;
// everything else stays. The caller's text is normalised in place: leading and trailing
// blanks are removed and tabs and line ends become blanks.
std::string URLEncode(std::span<char> text);

}  // namespace zem::research
