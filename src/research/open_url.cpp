#include "research/open_url.h"

#include "platform/win/shell_open.h"

namespace zem::research {

void OpenURL(std::string_view address) {
    // A refused or failed open is the browser's matter, not the form's: nothing is shown.
    (void)win::ShellOpen(address);
}

}  // namespace zem::research
