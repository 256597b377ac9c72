#pragma once
// What the user does to a window as a whole: the close box, activation, moving and sizing,
// F1 and Return, mouse clicks on the background, and the status bar's highlighted message.
#include <QObject>
#include <functional>

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

// Tells when the user presses a key or a mouse button anywhere in the program. Watches the
// application from its making (on the GUI thread) to its end.
class UserInputWatch : public QObject {
  public:
    explicit UserInputWatch(std::function<void()> acted);
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void()> acted_;
};

// Tells the window's thread where the window is now, as a move by the user does.
void ReportWindowPlacement(WindowView& view);

// Presses the window's default button as Return does; false when it has none that takes a
// press now.
bool PressDefaultButton(WindowView& view);

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
