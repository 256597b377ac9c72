#pragma once
// Everything the system knows of each of the six Amazon stores, by SiteFlag: its name, the
// E-Commerce Service host, the shop domain, the search engine host, the currency and the
// country. Every other part takes these values from here.
#include <cstdint>
#include <span>
#include <string_view>

namespace zem::web {

struct StoreInfo {
    std::int32_t siteFlag;          // 1 US, 2 UK, 4 FR, 8 DE, 16 JP, 32 CA
    std::string_view name;          // "Amazon US"
    std::string_view serviceHost;   // "ecs.amazonaws.com"
    std::string_view domain;        // "amazon.com"; the shop's host is "www." + domain
    std::string_view searchHost;    // "www.google.com"
    std::string_view currencyCode;  // "USD"
    std::string_view currencySign;  // code page 1252 bytes: "$", "\xA3", "\x80", "\xA5"
    std::string_view country;       // "us", the search engine's country code
};

// The six stores in SiteFlag order.
std::span<const StoreInfo> Stores();
// The store of a SiteFlag; nullptr for any other value.
const StoreInfo* StoreBySite(std::int32_t siteFlag);

// The currency sign of a currency code as the service writes it ("USD", "GBP", "EUR", "JPY");
// empty for any other code. Trailing blanks of the code do not count.
std::string_view CurrencySignOf(std::string_view currencyCode);

}  // namespace zem::web
