#pragma once
// The charset a page declares for itself: a byte-order mark, the encoding of an XML
// declaration, or the charset of an HTML meta tag near the top of the page, as browsers look
// for it before they read a page.
#include <string_view>

namespace zem::web {

// How far into a page the declaration is looked for.
inline constexpr std::size_t kCharsetScanLength = 1024;

// The declared charset's name as written ("UTF-8", "Shift_JIS", "ISO-8859-1"); empty when the
// page declares none.
std::string_view DeclaredCharset(std::string_view page);

}  // namespace zem::web
