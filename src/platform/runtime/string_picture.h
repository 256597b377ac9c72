#pragma once
// String pictures: "s20" shows the text cut or blank-padded to 20 bytes; "@s20" and "S20" are the
// same. Widths run from 1 to 65,535; a picture that can't be read shows the text as it is.
#include <string>
#include <string_view>

namespace zem::runtime {

std::string FormatString(std::string_view text, std::string_view picture);

// Text typed into a string field, as the field keeps it: cut to the picture's width, not padded.
std::string DeformatString(std::string_view text, std::string_view picture);

}  // namespace zem::runtime
