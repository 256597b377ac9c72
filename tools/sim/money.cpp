#include "money.h"

#include <algorithm>
#include <array>

namespace zem::sim {
namespace {

std::string Grouped(std::int64_t units, char separator) {
    std::string digits = std::to_string(units);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
        out += digits[i];
    }
    return out;
}

std::string TwoDigits(std::int64_t value) {
    return std::string(1, static_cast<char>('0' + value / 10)) +
           static_cast<char>('0' + value % 10);
}

}  // namespace

bool HasNoMinorUnit(std::string_view currencyCode) {
    return currencyCode == "JPY";
}

std::string FormattedPrice(std::string_view currencyCode, std::int64_t amount) {
    amount = std::max<std::int64_t>(amount, 0);
    if (HasNoMinorUnit(currencyCode)) return "\xEF\xBF\xA5 " + Grouped(amount, ',');
    const std::int64_t units = amount / 100;
    const std::string cents = TwoDigits(amount % 100);
    if (currencyCode == "EUR") return "EUR " + Grouped(units, '.') + "," + cents;
    const std::string number = Grouped(units, ',') + "." + cents;
    if (currencyCode == "GBP") return "\xC2\xA3" + number;
    if (currencyCode == "CAD") return "CDN$ " + number;
    if (currencyCode == "USD") return "$" + number;
    return std::string(currencyCode) + " " + number;
}

std::int64_t ShopPrice(std::string_view currencyCode, std::int64_t amount, std::uint64_t pick) {
    if (HasNoMinorUnit(currencyCode)) {
        constexpr std::array<std::int64_t, 2> kEndings{80, 100};
        const std::int64_t hundreds = std::max<std::int64_t>(amount / 100, 1);
        const std::int64_t ending = kEndings[pick % kEndings.size()];
        return ending == 100 ? hundreds * 100 : (hundreds - 1) * 100 + ending;
    }
    constexpr std::array<std::int64_t, 4> kEndings{99, 95, 49, 0};
    const std::int64_t ending = kEndings[pick % kEndings.size()];
    const std::int64_t units = std::max<std::int64_t>(amount / 100, ending == 0 ? 1 : 0);
    return units * 100 + ending;
}

}  // namespace zem::sim
