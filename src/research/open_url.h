#pragma once
// Opens a web address in the desktop's default browser. Only http and https addresses are
// handed on (text from a web page must never start a program or open a local file); nothing is
// reported either way.
#include <string_view>

namespace zem::research {

void OpenURL(std::string_view address);

}  // namespace zem::research
