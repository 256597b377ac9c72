#pragma once
// The client area of a window: its controls sit on it at the layout's coordinates, without a
// Qt layout. Its size hint is the size the window asks for, so frames around it fit it.
#include <QSize>
#include <QWidget>

namespace zem::ui::qt {

class ClientArea : public QWidget {
  public:
    ClientArea() = default;
    void SetPreferredSize(QSize size) {
        preferred_ = size;
        updateGeometry();
    }
    QSize sizeHint() const override { return preferred_; }
    QSize minimumSizeHint() const override { return {0, 0}; }

  private:
    QSize preferred_{320, 200};
};

}  // namespace zem::ui::qt
