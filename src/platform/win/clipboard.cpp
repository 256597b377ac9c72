#include "platform/win/clipboard.h"

#include <memory>
#include <mutex>
#include <utility>

namespace zem::win {
namespace {

struct Clipboard {
    std::mutex mutex;
    std::string text;                                 // the in-process clipboard
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

}  // namespace

void SetClipboardText(std::string text) {
    // The backend runs without the lock: it may wait for the display server's thread.
    if (const auto backend = Backend()) {
        backend->set(text);
        return;
    }
    Clipboard& clipboard = Shared();
    std::lock_guard lock(clipboard.mutex);
    clipboard.text = std::move(text);
}

std::string ClipboardText() {
    if (const auto backend = Backend()) return backend->get();
    Clipboard& clipboard = Shared();
    std::lock_guard lock(clipboard.mutex);
    return clipboard.text;
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
