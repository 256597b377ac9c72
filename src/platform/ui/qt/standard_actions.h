#pragma once
// The framework's standard actions a window hands to the display: arranging MDI children, the
// clipboard on the focused entry, print setup, help on help and closing.
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrinter>
#include <memory>

#include "platform/ui/window/control.h"
#include "platform/ui/qt/window_view.h"

namespace zem::ui::qt {

class StandardActions {
  public:
    StandardActions();
    ~StandardActions();

    // frame: the open application frame, if any; its MDI area is the one arranged.
    void Run(WindowView& view, WindowView* frame, StdAction action);
    // Closes the page setup and lets the printer go (shut-down, on the GUI thread).
    void Release();

  private:
    void PrintSetup(QWidget* parent);

    std::unique_ptr<QPrinter> printer_;  // kept, so the page setup holds for the whole run
    QPointer<QPageSetupDialog> dialog_;  // goes before the printer it edits
};

}  // namespace zem::ui::qt
