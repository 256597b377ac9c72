#include "platform/ui/help/help.h"

#include <mutex>
#include <utility>

namespace zem::ui {
namespace {

class NoHelpViewer : public HelpViewer {
  public:
    void Show(const HelpRequest&) override {}
};

struct ViewerSlot {
    std::mutex mutex;
    std::shared_ptr<HelpViewer> viewer = std::make_shared<NoHelpViewer>();
};

// Never destroyed: a window thread may still ask for help while the process ends.
ViewerSlot& Slot() {
    static ViewerSlot* const slot = std::make_unique<ViewerSlot>().release();
    return *slot;
}

}  // namespace

void SetHelpViewer(std::shared_ptr<HelpViewer> viewer) {
    if (!viewer) viewer = std::make_shared<NoHelpViewer>();
    ViewerSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    slot.viewer = std::move(viewer);
}

std::shared_ptr<HelpViewer> CurrentHelpViewer() {
    ViewerSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    return slot.viewer;
}

void Help::Init(std::string_view helpFile) {
    file_ = helpFile;
    topic_.clear();
}

void Help::SetTopic(std::string_view topic) {
    topic_ = topic;
}

bool Help::ShowTopic() const {
    if (file_.empty() || topic_.empty()) return false;
    Send(HelpKind::Topic, topic_, {});
    return true;
}

void Help::ShowContents() const {
    Send(HelpKind::Contents, {}, {});
}

void Help::ShowSearch(std::string_view words) const {
    Send(HelpKind::Search, {}, words);
}

void Help::ShowHelpOnHelp() const {
    Send(HelpKind::HelpOnHelp, {}, {});
}

void Help::Kill() {
    file_.clear();
    topic_.clear();
}

void Help::Send(HelpKind kind, std::string_view topic, std::string_view search) const {
    if (file_.empty()) return;
    // The viewer is called without the slot's lock: it may install another viewer.
    CurrentHelpViewer()->Show(HelpRequest{file_, kind, std::string(topic), std::string(search)});
}

}  // namespace zem::ui
