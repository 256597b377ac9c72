#include "platform/ui/qt/list_header.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QSignalBlocker>
#include <QStyleOptionHeader>
#include <algorithm>

namespace zem::ui::qt {

ListHeader::ListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setObjectName(kName);
}

bool ListHeader::Grouped() const {
    return std::any_of(groups_.begin(), groups_.end(),
                       [](const QString& g) { return !g.isEmpty(); });
}

QString ListHeader::GroupOf(int logical) const {
    return logical >= 0 && logical < groups_.size() ? groups_[logical] : QString();
}

void ListHeader::SetGroups(QStringList groups) {
    if (groups == groups_) return;
    const bool before = Grouped();
    groups_ = std::move(groups);
    if (before != Grouped()) updateGeometry();
    viewport()->update();
}

QSize ListHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    if (Grouped()) size.setHeight(size.height() * 2);
    return size;
}

QRect ListHeader::GroupRect(const QString& group) const {
    QRect band;
    if (group.isEmpty()) return band;
    for (int logical = 0; logical < count(); ++logical) {
        if (GroupOf(logical) != group || isSectionHidden(logical)) continue;
        const QRect section(sectionViewportPosition(logical), 0, sectionSize(logical),
                            height() / 2);
        band = band.isNull() ? section : band.united(section);
    }
    return band;
}

void ListHeader::paintSection(QPainter* painter, const QRect& rect, int logical) const {
    // A column of a group shows its own header in the lower band; the group's caption is drawn
    // over the upper band once for the whole group.
    if (GroupOf(logical).isEmpty()) {
        QHeaderView::paintSection(painter, rect, logical);
        return;
    }
    const int upper = rect.height() / 2;
    QHeaderView::paintSection(painter, rect.adjusted(0, upper, 0, 0), logical);
}

// The style would take the arrow's room from the caption; the arrow is drawn apart instead.
void ListHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logical) const {
    QHeaderView::initStyleOptionForIndex(option, logical);
    option->sortIndicator = QStyleOptionHeader::None;
}

void ListHeader::paintEvent(QPaintEvent* event) {
    QHeaderView::paintEvent(event);
    {
        QPainter painter(viewport());
        PaintGroups(painter, event->rect());
    }
    // A painter of its own: what the style leaves set after drawing a header hides what is
    // drawn after it.
    QPainter painter(viewport());
    PaintSortArrow(painter);
}

void ListHeader::PaintGroups(QPainter& painter, const QRect& exposed) const {
    QStringList drawn;
    for (int logical = 0; logical < count(); ++logical) {
        const QString group = GroupOf(logical);
        if (group.isEmpty() || drawn.contains(group)) continue;
        drawn << group;
        const QRect band = GroupRect(group);
        if (band.isEmpty() || !band.intersects(exposed)) continue;
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = band;
        option.section = logical;
        option.text = group;
        option.textAlignment = Qt::AlignCenter;
        option.position = QStyleOptionHeader::Middle;
        option.sortIndicator = QStyleOptionHeader::None;
        style()->drawControl(QStyle::CE_Header, &option, &painter, this);
    }
}

// A small arrow beside the sort column's caption, its point up for an ascending sort. Where
// the caption leaves no room beside it (a narrow column), the arrow stands in the strip above
// it, centred. A column of a group has its caption in the lower band.
void ListHeader::PaintSortArrow(QPainter& painter) const {
    const int logical = sortIndicatorSection();
    if (!isSortIndicatorShown() || logical < 0 || logical >= count() || isSectionHidden(logical))
        return;
    const int width = 5, tall = 2, gap = 4;
    const int x = sectionViewportPosition(logical);
    const int top = GroupOf(logical).isEmpty() ? 0 : height() / 2;
    const QRect own(x, top, sectionSize(logical), height() - top);
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const QRect inner = own.adjusted(margin, 0, -margin, 0);
    const QString caption = model() ? model()->headerData(logical, orientation()).toString() : "";
    const int captionWidth = std::min(fontMetrics().horizontalAdvance(caption), inner.width());
    const QVariant aligned =
        model() ? model()->headerData(logical, orientation(), Qt::TextAlignmentRole) : QVariant();
    const Qt::Alignment align =
        aligned.isValid() ? Qt::Alignment(aligned.toInt()) : defaultAlignment();
    const int captionRight = align & Qt::AlignRight     ? inner.right()
                             : align & Qt::AlignHCenter ? inner.center().x() + captionWidth / 2
                                                        : inner.left() + captionWidth;
    QPoint at(own.center().x() - width / 2, own.top() + 1);  // above the caption
    if (captionRight + gap + width <= own.right() - 1)
        at = QPoint(captionRight + gap, own.center().y() - tall / 2);  // beside it
    const int half = width / 2;
    const QPolygon arrow =
        sortIndicatorOrder() == Qt::AscendingOrder
            ? QPolygon({QPoint(at.x(), at.y() + tall), QPoint(at.x() + 2 * half, at.y() + tall),
                        QPoint(at.x() + half, at.y())})
            : QPolygon({QPoint(at.x(), at.y()), QPoint(at.x() + 2 * half, at.y()),
                        QPoint(at.x() + half, at.y() + tall)});
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(palette().color(QPalette::WindowText));
    painter.drawPolygon(arrow);
}

void ListHeader::mouseReleaseEvent(QMouseEvent* event) {
    const int section = sortIndicatorSection();
    const Qt::SortOrder order = sortIndicatorOrder();
    QHeaderView::mouseReleaseEvent(event);
    // The window sorts when a header is clicked; the indicator follows the window, not the click.
    if (isSortIndicatorShown() &&
        (sortIndicatorSection() != section || sortIndicatorOrder() != order)) {
        const QSignalBlocker quiet(this);
        setSortIndicator(section, order);
    }
}

void ApplySortShown(QHeaderView* header, const Control& model) {
    const int count = static_cast<int>(model.columns.size());
    if (model.sortColumn < 1 || model.sortColumn > count) {
        header->setSortIndicatorShown(false);
        return;
    }
    header->setSortIndicator(model.sortColumn - 1,
                             model.sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
    header->setSortIndicatorShown(true);
}

}  // namespace zem::ui::qt
