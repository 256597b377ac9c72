#pragma once
// Whole numbers in request parameters: decimal digits only, no sign, no blanks.
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zem::sim {

inline std::optional<std::int64_t> ParseCount(std::string_view text) {
    std::int64_t value = 0;
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace zem::sim
