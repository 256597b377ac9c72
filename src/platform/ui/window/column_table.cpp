#include "platform/ui/window/column_table.h"

#include "platform/runtime/letter_case.h"

namespace zem::ui {

std::string SortText(std::string_view text) {
    std::string folded(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        folded[i] = static_cast<char>(runtime::UpperCp1252(static_cast<unsigned char>(text[i])));
    return folded;
}

SortValue SortValue::Text(std::string_view text) {
    return {0, SortText(text), true};
}

}  // namespace zem::ui
