#pragma once
// What attaches itself to the main frame besides the frame's own handling: the program adds
// makers for such parts at start-up, and each frame makes one of each when its window has opened.
#include <functional>
#include <memory>
#include <vector>

namespace zem::ui {
class Window;
}

namespace zem::shell {

class FrameAddOn {
  public:
    virtual ~FrameAddOn() = default;
    // Right after the frame's window has opened and has its icon.
    virtual void Opened(ui::Window& frame) = 0;
    // Every event of the frame, before the frame's own handling.
    virtual void TakeEvent(ui::Window& frame) = 0;
    // When the frame's run ends, before the window closes; in the reverse order of Opened.
    virtual void Closing(ui::Window& frame) = 0;
};

using FrameAddOnMaker = std::function<std::unique_ptr<FrameAddOn>()>;
void AddFrameAddOn(FrameAddOnMaker maker);
std::vector<std::unique_ptr<FrameAddOn>> MakeFrameAddOns();

}  // namespace zem::shell
