#pragma once
// Ad templates: text with the placeholders {KEYWORD}, {PRICE}, {SAVINGS} and {SAVINGS%}
// expanded for one item with a store's currency sign.
#include <cstdint>
#include <string>
#include <string_view>

namespace zem::shell {

// The longest text an expansion yields; the rest is cut off.
inline constexpr std::size_t kMaxExpandedText = 16383;

// The store's currency sign as a code page 1252 text ("$", pound 0xA3, euro 0x80, yen 0xA5);
// empty for a value that is no store.
std::string_view CurrencySign(std::int32_t siteFlag);

// Expands a template with the currency sign of the given store.
std::string ExpandAdTemplateFor(std::int32_t siteFlag, std::string_view templateText,
                                std::string_view keyword, double listPrice, double amazonPrice);

// Expands a template for an item of the query in this thread's Queries buffer (QUE:SITE).
std::string ExpandAdTemplate(std::string_view templateText, std::string_view keyword,
                             double listPrice, double amazonPrice);

}  // namespace zem::shell
