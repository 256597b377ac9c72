#pragma once
// Clipboard text. Without a display the clipboard lives in the process; the display server
// installs a backend that talks to the desktop's clipboard. Text is bytes in the caller's code
// page and goes through unchanged. Both calls are safe from any thread.
#include <functional>
#include <string>

namespace zem::win {

struct ClipboardBackend {
    std::function<void(const std::string&)> set;
    std::function<std::string()> get;
};

void SetClipboardText(std::string text);
std::string ClipboardText();

// Installs the backend; one with either function empty brings back the in-process clipboard,
// which still holds what it held before.
void SetClipboardBackend(ClipboardBackend backend);

}  // namespace zem::win
