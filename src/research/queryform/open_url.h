#pragma once
// Opens a web address in the desktop's default browser. Only http and https addresses are
// handed on (text from a web page must never start a program or open a local file); a refused
// address is passed over in silence.
#include <string_view>

namespace zem::research {

// charset: the calling window's. When the desktop cannot open the address (no browser, no
// xdg-open), an "Error" message says why, in that character set.
void OpenURL(std::string_view address, int charset);

}  // namespace zem::research
