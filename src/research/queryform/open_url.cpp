#include "research/queryform/open_url.h"

#include <string>

#include "platform/runtime/code_pages.h"
#include "platform/ui/errors/message_sink.h"
#include "platform/win/shell_open.h"
#include "shell/japanese_mode.h"

namespace zem::research {

void OpenURL(std::string_view address, int charset) {
    std::string failure;
    if (win::ShellOpen(address, &failure) != win::shell_open::LaunchFailed) return;
    // A click that opens nothing must say why, or the user waits for a browser that never comes.
    const std::string text = "The page " + std::string(address) + " could not be opened.\n\n" +
                             runtime::FromUtf8(failure, shell::CodePageOfCharset(charset));
    ui::Message(text, "Error", ui::Icon::Hand, ui::ButtonOk, ui::ButtonOk, charset);
}

}  // namespace zem::research
