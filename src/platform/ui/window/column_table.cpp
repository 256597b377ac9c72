#include "platform/ui/window/column_table.h"

namespace zem::ui {
namespace {

unsigned char Fold(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
    return c;
}

}  // namespace

std::string SortText(std::string_view text) {
    std::string folded(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        folded[i] = static_cast<char>(Fold(static_cast<unsigned char>(text[i])));
    return folded;
}

SortValue SortValue::Text(std::string_view text) {
    return {0, SortText(text), true};
}

}  // namespace zem::ui
