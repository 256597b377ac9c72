#include "platform/win/tray_icon.h"

#include <mutex>

namespace zem::win {
namespace {

struct BackendSlot {
    std::mutex mutex;
    std::shared_ptr<TrayBackend> backend;
};

BackendSlot& Slot() {
    static BackendSlot* slot = new BackendSlot;
    return *slot;
}

thread_local unsigned t_lastError = 0;

}  // namespace

void SetTrayBackend(std::shared_ptr<TrayBackend> backend) {
    BackendSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    slot.backend = std::move(backend);
}

std::shared_ptr<TrayBackend> CurrentTrayBackend() {
    BackendSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    return slot.backend;
}

bool Shell_NotifyIcon(unsigned operation, const NotifyIconData& data) {
    const std::shared_ptr<TrayBackend> backend = CurrentTrayBackend();
    if (!backend) {
        t_lastError = ERROR_NO_NOTIFICATION_AREA;
        return false;
    }
    NotifyIconData sent = data;
    if (sent.tip.size() > 63) sent.tip.resize(63);
    switch (operation) {
        case NIM_ADD:
            t_lastError = backend->Add(sent);
            break;
        case NIM_MODIFY:
            t_lastError = backend->Modify(sent);
            break;
        case NIM_DELETE:
            t_lastError = backend->Delete(sent);
            break;
        default:
            t_lastError = 87;
            break;  // an invalid parameter
    }
    return t_lastError == 0;
}

unsigned GetLastError() {
    return t_lastError;
}

}  // namespace zem::win
