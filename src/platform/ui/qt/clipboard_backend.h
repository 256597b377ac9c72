#pragma once
// The desktop's clipboard behind win::SetClipboardText / ClipboardText. Qt's clipboard belongs
// to the GUI thread, so calls from other threads wait for it there; text crosses in the caller's
// character set both ways.
#include <memory>

namespace zem::ui::qt {

class GuiChannel;

class ClipboardBridge {
  public:
    ClipboardBridge();  // on the GUI thread
    ~ClipboardBridge();
    ClipboardBridge(const ClipboardBridge&) = delete;
    ClipboardBridge& operator=(const ClipboardBridge&) = delete;

    // Installs the backend; calls through it keep the bridge's channel alive.
    void Install();
    // Brings back the in-process clipboard and refuses further calls. On the GUI thread.
    void Uninstall();

  private:
    std::shared_ptr<GuiChannel> channel_;
};

}  // namespace zem::ui::qt
