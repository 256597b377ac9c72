#pragma once
// The number a reply's text stands for: leading white space, an optional sign, then digits up
// to the first other character. Replies come from outside, so a value beyond the target type is
// clamped to its range instead of overflowing.
#include <concepts>
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>

namespace zem::web {

// 0 when no digit follows the blanks and the sign.
std::int64_t NumericValue(std::string_view text);

template <std::integral T>
T NumericValueAs(std::string_view text) {
    const std::int64_t value = NumericValue(text);
    if (std::cmp_less(value, std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
    if (std::cmp_greater(value, std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(value);
}

}  // namespace zem::web
