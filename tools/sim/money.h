#pragma once
// Prices as the service writes them: amounts in the currency's smallest unit (cents; whole yen
// for JPY) and the display text that goes with them.
#include <cstdint>
#include <string>
#include <string_view>

namespace zem::sim {

// True for currencies without a minor unit, whose amounts count whole units.
bool HasNoMinorUnit(std::string_view currencyCode);

// The FormattedPrice text of an amount: "$1,234.56", "EUR 12,99", "CDN$ 5.00", the pound sign
// and the full-width yen sign in UTF-8.
std::string FormattedPrice(std::string_view currencyCode, std::int64_t amount);

// A shop-like price near `amount`: cents ending in 99, 95, 49 or 00; yen in tens ending in 80
// or 00. Never below the smallest step of the currency.
std::int64_t ShopPrice(std::string_view currencyCode, std::int64_t amount, std::uint64_t pick);

}  // namespace zem::sim
