#include "platform/ui/window/column_table.h"

#include <array>

#include "platform/runtime/letter_case.h"

namespace zem::ui {

namespace {

// Every byte's capital, looked up: a sort folds each text of its column.
constexpr std::array<char, 256> kCapitals = [] {
    std::array<char, 256> capitals{};
    for (std::size_t c = 0; c < capitals.size(); ++c)
        capitals[c] = static_cast<char>(runtime::UpperCp1252(static_cast<unsigned char>(c)));
    return capitals;
}();

}  // namespace

void FoldCase(std::string_view text, char* out) {
    for (const char c : text) *out++ = kCapitals[static_cast<unsigned char>(c)];
}

}  // namespace zem::ui
