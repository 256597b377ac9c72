#pragma once
// What the user does to a window as a whole: the close box, activation, moving and sizing,
// F1 and Return, mouse clicks on the background, and the status bar's highlighted message.
#include <QObject>

#include "platform/ui/qt/window_view.h"

namespace zem::ui::qt {

// The display server hears when a window may have become the active one.
class ActivationListener {
  public:
    virtual ~ActivationListener() = default;
    virtual void ActivationChanged() = 0;
};

class WindowEventFilter : public QObject {
  public:
    WindowEventFilter(WindowView& view, ActivationListener& listener);
    // Watches the window's top widget, client area and (for the frame) the MDI area.
    void Watch();

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool OnTop(QEvent* event);
    void OnBackground(QEvent* event);
    bool OnKey(QEvent* event);
    bool OnStatusTip(QEvent* event);
    void ReportPlacement();

    WindowView& view_;
    ActivationListener& listener_;
};

// Tab pages are laid out by their sheet; when a page moves or shows, the controls on it are put
// back at their client-area places.
class PagePlacer : public QObject {
  public:
    PagePlacer(WindowView& view, QWidget* page);
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    WindowView& view_;
};

}  // namespace zem::ui::qt
