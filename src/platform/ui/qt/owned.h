#pragma once
// Qt widgets and helper objects belong to their parent, which deletes them with itself. This is
// the one place that hands a new object to its parent.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <utility>

namespace zem::ui::qt {

// For children whose kind does not depend on the parent (setParent keeps a widget a child).
template <typename T, typename Parent, typename... Args>
T* MakeChild(Parent* parent, Args&&... args) {
    auto child = std::make_unique<T>(std::forward<Args>(args)...);
    child->setParent(parent);
    return child.release();
}

// For dialogs and others that must know their parent while they are made: the parent is among
// args, and it owns what is made (WA_DeleteOnClose may end it sooner).
template <typename T, typename... Args>
T* MakeOwnedByParent(Args&&... args) {
    return std::make_unique<T>(std::forward<Args>(args)...).release();
}

// Deletes a top-level widget it holds, unless Qt deleted it first (an MDI child goes with its
// frame).
class WidgetOwner {
  public:
    WidgetOwner() = default;
    explicit WidgetOwner(QWidget* widget) : widget_(widget) {}
    ~WidgetOwner() { Reset(); }
    WidgetOwner(const WidgetOwner&) = delete;
    WidgetOwner& operator=(const WidgetOwner&) = delete;

    void Reset(QWidget* widget = nullptr) {
        std::unique_ptr<QWidget> old(widget_.data());
        widget_ = widget;
    }
    QWidget* Get() const { return widget_.data(); }

  private:
    QPointer<QWidget> widget_;
};

}  // namespace zem::ui::qt
