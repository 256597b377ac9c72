#pragma once
// Key texts are compared without regard to case or trailing blanks: the store keeps, beside each
// text key component, its folded form (code page 1252 letters upper-cased, trailing blanks cut)
// and indexes that.
#include <string>
#include <string_view>

namespace zem::store {

std::string FoldKeyText(std::string_view text);

}  // namespace zem::store
