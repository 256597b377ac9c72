#include "platform/runtime/letter_case.h"

#include <algorithm>

namespace zem::runtime {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return UpperCp1252(static_cast<unsigned char>(x)) ==
               UpperCp1252(static_cast<unsigned char>(y));
    });
}

}  // namespace zem::runtime
