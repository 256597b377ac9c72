#pragma once
// Help for windows. Each window owns a Help object bound to a help file and a topic (the
// procedure's name with ".htm"); showing help hands a request to the help viewer that the
// display server installs. Without one, requests go nowhere.
#include <memory>
#include <string>
#include <string_view>

namespace zem::ui {

enum class HelpKind { Topic, Contents, Search, HelpOnHelp };

struct HelpRequest {
    std::string file;  // the help file, "zembrola.chm"
    HelpKind kind = HelpKind::Topic;
    std::string topic;   // Topic requests: the page, "MainFrame.htm"
    std::string search;  // Search requests: the words to look for, possibly none
};

class HelpViewer {
  public:
    virtual ~HelpViewer() = default;
    // Called from any window's thread; must not wait for that thread.
    virtual void Show(const HelpRequest& request) = 0;
};

// nullptr brings back the viewer that shows nothing. Both calls are thread-safe.
void SetHelpViewer(std::shared_ptr<HelpViewer> viewer);
std::shared_ptr<HelpViewer> CurrentHelpViewer();

// One window's help. Not shared between threads: each window has its own.
class Help {
  public:
    // Binds the help file; the topic starts empty.
    void Init(std::string_view helpFile);
    void SetTopic(std::string_view topic);
    const std::string& Topic() const { return topic_; }

    // The Show calls do nothing before Init or after Kill. ShowTopic answers false when there
    // is no topic to show.
    bool ShowTopic() const;
    void ShowContents() const;
    void ShowSearch(std::string_view words = {}) const;
    void ShowHelpOnHelp() const;

    void Kill();

  private:
    void Send(HelpKind kind, std::string_view topic, std::string_view search) const;

    std::string file_;
    std::string topic_;
};

}  // namespace zem::ui
