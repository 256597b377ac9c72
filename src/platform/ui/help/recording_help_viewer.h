#pragma once
// A help viewer for tests: keeps every request it is given.
#include <mutex>
#include <optional>
#include <vector>

#include "platform/ui/help/help.h"

namespace zem::ui {

class RecordingHelpViewer : public HelpViewer {
  public:
    void Show(const HelpRequest& request) override;

    std::vector<HelpRequest> Requests() const;
    // The latest request; nullopt when none came.
    std::optional<HelpRequest> Last() const;
    void Clear();

  private:
    mutable std::mutex mutex_;
    std::vector<HelpRequest> requests_;
};

}  // namespace zem::ui
