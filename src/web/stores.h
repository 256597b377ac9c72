#pragma once
// Everything the system knows of each of the six Amazon stores, by SiteFlag: its name, the
// E-Commerce Service host, the shop domain, the search engine host, the currency, the country
// and the code page its texts are kept in. Every other part takes these values from here.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/runtime/code_pages.h"

namespace zem::web {

struct StoreInfo {
    std::int32_t siteFlag;          // 1 US, 2 UK, 4 FR, 8 DE, 16 JP, 32 CA
    std::string_view name;          // "Amazon US"
    std::string_view serviceHost;   // "ecs.amazonaws.com"
    std::string_view domain;        // "amazon.com"; the shop's host is "www." + domain
    std::string_view searchHost;    // "www.google.com"
    std::string_view currencyCode;  // "USD"
    std::string_view currencySign;  // in UTF-8: "$", pound, euro, yen
    std::string_view country;       // "us", the search engine's country code
    // The code page of the windows that show the store's texts, and so of the texts that come
    // in from its replies: Shift-JIS for Amazon JP, code page 1252 for the others.
    runtime::CodePage codePage;
};

// The six stores in SiteFlag order.
std::span<const StoreInfo> Stores();
// The store of a SiteFlag; nullptr for any other value.
const StoreInfo* StoreBySite(std::int32_t siteFlag);

// The code page the store's texts are kept in; code page 1252 for a value that is no store.
runtime::CodePage CodePageOf(std::int32_t siteFlag);

// The store's currency sign written in a window's code page: in code page 1252 "$", pound 0xA3,
// euro 0x80, yen 0xA5; in Shift-JIS the full-width pound and yen (0x81 0x92, 0x81 0x8F) and "?"
// for the euro, which it lacks. Empty for a value that is no store.
std::string CurrencySign(std::int32_t siteFlag, runtime::CodePage codePage);

// The currency sign of a currency code as the service writes it ("USD", "GBP", "EUR", "JPY") in
// the code page; empty for any other code. Trailing blanks of the code do not count.
std::string CurrencySignOf(std::string_view currencyCode, runtime::CodePage codePage);

}  // namespace zem::web
