#include "platform/ui/help/recording_help_viewer.h"

namespace zem::ui {

void RecordingHelpViewer::Show(const HelpRequest& request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
}

std::vector<HelpRequest> RecordingHelpViewer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::optional<HelpRequest> RecordingHelpViewer::Last() const {
    std::lock_guard lock(mutex_);
    if (requests_.empty()) return std::nullopt;
    return requests_.back();
}

void RecordingHelpViewer::Clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

}  // namespace zem::ui
