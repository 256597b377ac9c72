#include "web/numeric_text.h"

namespace zem::web {
namespace {

bool IsBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::int64_t NumericValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // The magnitude stops growing at 2^63, the largest either sign can need.
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 63;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < '0' || c > '9') break;
        const std::uint64_t digit = c - '0';
        magnitude = magnitude > (kLimit - digit) / 10 ? kLimit : magnitude * 10 + digit;
    }
    if (negative) {
        return magnitude == kLimit ? std::numeric_limits<std::int64_t>::min()
                                   : -static_cast<std::int64_t>(magnitude);
    }
    return magnitude >= kLimit ? std::numeric_limits<std::int64_t>::max()
                               : static_cast<std::int64_t>(magnitude);
}

}  // namespace zem::web
