#include "platform/runtime/timers.h"

#include "platform/runtime/mailbox.h"

namespace zem::runtime {

bool SetTimer(Ticks period) {
    const std::shared_ptr<Mailbox> box = OwnMailbox();
    if (!box) return false;
    box->SetTimer(period);
    return true;
}

Ticks TimerPeriod() {
    const std::shared_ptr<Mailbox> box = OwnMailbox();
    return box ? box->TimerPeriod() : 0;
}

}  // namespace zem::runtime
