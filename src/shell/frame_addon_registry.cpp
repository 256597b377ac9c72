#include "shell/frame_addon_registry.h"

#include <mutex>

namespace zem::shell {
namespace {

struct Makers {
    std::mutex mutex;
    std::vector<FrameAddOnMaker> makers;
};

Makers& TheMakers() {
    static Makers* makers = new Makers;
    return *makers;
}

}  // namespace

void AddFrameAddOn(FrameAddOnMaker maker) {
    Makers& m = TheMakers();
    std::lock_guard lock(m.mutex);
    m.makers.push_back(std::move(maker));
}

std::vector<std::unique_ptr<FrameAddOn>> MakeFrameAddOns() {
    std::vector<FrameAddOnMaker> makers;
    {
        Makers& m = TheMakers();
        std::lock_guard lock(m.mutex);
        makers = m.makers;
    }
    std::vector<std::unique_ptr<FrameAddOn>> made;
    for (const FrameAddOnMaker& maker : makers)
        if (auto addOn = maker()) made.push_back(std::move(addOn));
    return made;
}

}  // namespace zem::shell
