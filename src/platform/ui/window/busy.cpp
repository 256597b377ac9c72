#include "platform/ui/window/busy.h"

#include <memory>
#include <mutex>

namespace zem::ui {
namespace {

std::mutex g_mutex;
std::shared_ptr<const BusyHooks> g_hooks = std::make_shared<BusyHooks>();

std::shared_ptr<const BusyHooks> Hooks() {
    std::lock_guard lock(g_mutex);
    return g_hooks;
}

}  // namespace

void SetBusyHooks(BusyHooks hooks) {
    auto next = std::make_shared<const BusyHooks>(std::move(hooks));
    std::lock_guard lock(g_mutex);
    g_hooks = std::move(next);
}

void YieldToEvents() {
    if (auto hooks = Hooks(); hooks->yield) hooks->yield();
}

WaitCursor::WaitCursor() {
    if (auto hooks = Hooks(); hooks->cursor) hooks->cursor(true);
}

WaitCursor::~WaitCursor() {
    if (auto hooks = Hooks(); hooks->cursor) hooks->cursor(false);
}

}  // namespace zem::ui
