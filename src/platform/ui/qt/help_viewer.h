#pragma once
// The help viewer the display server installs: requests from any window thread open the help
// window on the GUI thread at the topic, the contents or a search.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/help/help.h"

namespace zem::ui::qt {

class GuiChannel;
class HelpWindow;

class QtHelpViewer final : public HelpViewer {
  public:
    QtHelpViewer();  // on the GUI thread
    ~QtHelpViewer() override;
    QtHelpViewer(const QtHelpViewer&) = delete;
    QtHelpViewer& operator=(const QtHelpViewer&) = delete;

    // Returns at once; the help window shows on the GUI thread.
    void Show(const HelpRequest& request) override;

    // Closes the help window; later requests are ignored. On the GUI thread.
    void Close();

    // For tests, from a thread other than the GUI thread: the page file the help window shows
    // (nullopt when it is not open) and the topics its search lists.
    std::optional<std::filesystem::path> ShownPage();
    std::vector<std::string> ListedTopics();

  private:
    void ShowOnGui(const HelpRequest& request);

    std::unique_ptr<HelpWindow> window_;   // GUI thread only
    std::unique_ptr<GuiChannel> channel_;  // goes first: dropped work may still name the window
};

}  // namespace zem::ui::qt
