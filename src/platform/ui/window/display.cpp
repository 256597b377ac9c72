#include "platform/ui/window/display.h"

#include <mutex>

#include "platform/ui/errors/error_manager.h"
#include "platform/ui/window/input.h"

namespace zem::ui {
namespace {

class NullDisplay final : public Display {
  public:
    void Opened(const WindowSnapshot&) override {}
    void WindowChanged(WindowId, const WindowProps&) override {}
    void ControlChanged(WindowId, const Control&) override {}
    void Closed(WindowId) override {}
    void Focus(WindowId, int) override {}
    void Busy(WindowId, bool) override {}
    void Standard(WindowId, StdAction) override {}
    unsigned Ask(WindowId, const MessageRequest& request) override { return request.defaultButton; }
    WindowId ActiveWindow() override { return 0; }
};

class DisplaySink final : public MessageSink {
  public:
    unsigned Show(const MessageRequest& request) override {
        return CurrentDisplay()->Ask(CurrentWindow(), request);
    }
};

std::mutex g_mutex;
std::shared_ptr<Display> g_display;

}  // namespace

void SetDisplay(std::shared_ptr<Display> display) {
    std::lock_guard lock(g_mutex);
    g_display = std::move(display);
}

std::shared_ptr<Display> CurrentDisplay() {
    static const std::shared_ptr<Display> none = std::make_shared<NullDisplay>();
    std::lock_guard lock(g_mutex);
    return g_display ? g_display : none;
}

void RouteMessagesToDisplay() {
    ErrorManager::Global().SetSink(std::make_shared<DisplaySink>());
}

}  // namespace zem::ui
