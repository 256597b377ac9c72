#pragma once
// A list's header as its format draws it: columns of a group ("Prices" over three price columns)
// stand under one common caption in a band above their own headers; the other headers fill both
// bands. The sort column shows its direction by a small arrow beside its caption, or above it
// where the column is too narrow: the caption keeps its whole width either way.
#include <QHeaderView>
#include <QStringList>

#include "platform/ui/window/control.h"

namespace zem::ui::qt {

class ListHeader final : public QHeaderView {
  public:
    static constexpr const char* kName = "zem-list-header";
    explicit ListHeader(QWidget* parent = nullptr);

    // The group of each column, from the model's columns (character set of the window).
    void SetGroups(QStringList groups);
    const QStringList& Groups() const { return groups_; }
    // Where a group's caption shows, in the header's coordinates; empty when no column has it.
    QRect GroupRect(const QString& group) const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override;
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logical) const override;

  private:
    bool Grouped() const;
    QString GroupOf(int logical) const;
    void PaintGroups(QPainter& painter, const QRect& exposed) const;
    void PaintSortArrow(QPainter& painter) const;

    QStringList groups_;
};

// The list's header shows the model's sort column (from 1; 0 none) and direction.
void ApplySortShown(QHeaderView* header, const Control& model);

}  // namespace zem::ui::qt
