#include "platform/win/owner_draw.h"

#include <mutex>

namespace zem::win {
namespace {

struct PainterSlot {
    std::mutex mutex;
    std::shared_ptr<OwnerDrawMenus> painter;
};

PainterSlot& Slot() {
    static PainterSlot* slot = new PainterSlot;
    return *slot;
}

}  // namespace

COLORREF GetSysColor(int index) {
    switch (index) {
        case COLOR_MENU:
            return RGB(255, 255, 255);
        case COLOR_MENUTEXT:
            return RGB(0, 0, 0);
        case COLOR_BTNSHADOW:
            return RGB(172, 168, 153);
        case COLOR_GRAYTEXT:
            return RGB(172, 168, 153);
        case COLOR_MENUBAR:
            return RGB(236, 233, 216);
        default:
            return RGB(212, 208, 200);
    }
}

void SetOwnerDrawMenus(std::shared_ptr<OwnerDrawMenus> painter) {
    PainterSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    slot.painter = std::move(painter);
}

std::shared_ptr<OwnerDrawMenus> CurrentOwnerDrawMenus() {
    PainterSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    return slot.painter;
}

}  // namespace zem::win
