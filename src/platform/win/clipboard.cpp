#include "platform/win/clipboard.h"

#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/runtime/code_pages.h"

namespace zem::win {
namespace {

constexpr int kShiftJisCharset = 128;
constexpr int kCyrillicCharset = 204;

struct Clipboard {
    std::mutex mutex;
    std::string text;  // the in-process clipboard, in charset
    int charset = 0;
    std::shared_ptr<const ClipboardBackend> backend;  // null: the in-process one
};

// Never destroyed: window threads may still copy text while the process ends.
Clipboard& Shared() {
    static Clipboard* const clipboard = std::make_unique<Clipboard>().release();
    return *clipboard;
}

std::shared_ptr<const ClipboardBackend> Backend() {
    Clipboard& clipboard = Shared();
    std::lock_guard lock(clipboard.mutex);
    return clipboard.backend;
}

// The code page a charset writes; none for code page 1251, which only the program's own
// messages are in and nothing copies.
std::optional<runtime::CodePage> CodePageOf(int charset) {
    if (charset == kShiftJisCharset) return runtime::CodePage::ShiftJis;
    if (charset == kCyrillicCharset) return std::nullopt;
    return runtime::CodePage::Ansi;
}

// The text, copied in one charset, as a reader in another one reads it. Code page 1251 is not
// converted: its bytes go as they are.
std::string Recode(std::string text, int from, int to) {
    const auto source = CodePageOf(from);
    const auto target = CodePageOf(to);
    if (!source || !target || *source == *target || runtime::IsAscii(text)) return text;
    return runtime::FromUtf8(runtime::ToUtf8(text, *source), *target);
}

}  // namespace

void SetClipboardText(std::string text, int charset) {
    // The backend runs without the lock: it may wait for the display server's thread.
    if (const auto backend = Backend()) {
        backend->set(text, charset);
        return;
    }
    Clipboard& clipboard = Shared();
    std::lock_guard lock(clipboard.mutex);
    clipboard.text = std::move(text);
    clipboard.charset = charset;
}

std::string ClipboardText(int charset) {
    if (const auto backend = Backend()) return backend->get(charset);
    Clipboard& clipboard = Shared();
    std::string text;
    int from = 0;
    {
        std::lock_guard lock(clipboard.mutex);
        text = clipboard.text;
        from = clipboard.charset;
    }
    return Recode(std::move(text), from, charset);
}

void SetClipboardBackend(ClipboardBackend backend) {
    std::shared_ptr<const ClipboardBackend> next;
    if (backend.set && backend.get)
        next = std::make_shared<const ClipboardBackend>(std::move(backend));
    Clipboard& clipboard = Shared();
    std::lock_guard lock(clipboard.mutex);
    clipboard.backend = std::move(next);
}

}  // namespace zem::win
