#include "platform/store/fold.h"

#include "platform/runtime/letter_case.h"

namespace zem::store {

std::string FoldKeyText(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') --end;
    std::string folded(end, '\0');
    for (std::size_t i = 0; i < end; ++i)
        folded[i] = static_cast<char>(runtime::UpperCp1252(static_cast<unsigned char>(text[i])));
    return folded;
}

}  // namespace zem::store
