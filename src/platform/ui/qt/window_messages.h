#pragma once
// What the window procedures hear from the display: keyboard, mouse, focus and keyboard-layout
// changes on each control, posted as messages to the control's window handle, and the system
// menu of an MDI child with the items the window's procedures added to it (choosing one posts
// WM_SYSCOMMAND with its id to the window).
#include <QObject>

#include "platform/ui/qt/window_view.h"

namespace zem::ui::qt {

class WindowMessages final : public QObject {
  public:
    explicit WindowMessages(WindowView& view);
    // Watches the controls' widgets and the top widget; adds the system-menu sync to an MDI
    // child.
    void Watch();
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int ControlOf(QObject* watched) const;
    void SyncSystemMenu();

    WindowView& view_;
};

}  // namespace zem::ui::qt
