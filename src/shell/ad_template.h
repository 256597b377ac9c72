#pragma once
// Ad templates: text with the placeholders {KEYWORD}, {PRICE}, {SAVINGS} and {SAVINGS%}
// expanded for one item with a store's currency sign.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/runtime/code_pages.h"

namespace zem::shell {

// The longest text an expansion yields; the rest is cut off.
inline constexpr std::size_t kMaxExpandedText = 16383;

// Expands a template with the currency sign of the given store, written in the code page of
// the window that shows the text. The result is cut where a character of that code page ends.
std::string ExpandAdTemplateFor(std::int32_t siteFlag, std::string_view templateText,
                                std::string_view keyword, double listPrice, double amazonPrice,
                                runtime::CodePage codePage = runtime::CodePage::Ansi);

// Expands a template for an item of the query in this thread's Queries buffer (QUE:SITE), in
// the code page of that store's texts.
std::string ExpandAdTemplate(std::string_view templateText, std::string_view keyword,
                             double listPrice, double amazonPrice);

}  // namespace zem::shell
