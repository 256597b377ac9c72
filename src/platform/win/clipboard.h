#pragma once
// Clipboard text. Without a display the clipboard lives in the process; the display server
// installs a backend that talks to the desktop's clipboard. Text is bytes in the caller's
// character set, named as windows name theirs (0: code page 1252, 128: Shift-JIS, 204: code
// page 1251; any other value reads as 0): what goes on the clipboard is the characters the
// bytes stand for, and what comes back is those characters in the reader's character set. Both
// calls are safe from any thread.
#include <functional>
#include <string>

namespace zem::win {

struct ClipboardBackend {
    std::function<void(const std::string& text, int charset)> set;
    std::function<std::string(int charset)> get;
};

void SetClipboardText(std::string text, int charset);
std::string ClipboardText(int charset);

// Installs the backend; one with either function empty brings back the in-process clipboard,
// which still holds what it held before.
void SetClipboardBackend(ClipboardBackend backend);

}  // namespace zem::win
