#pragma once
// Fixed-width fields are padded with blanks; what they hold ends before the padding.
#include <string_view>

namespace zem::runtime {

constexpr std::string_view WithoutTrailingBlanks(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace zem::runtime
