#include "platform/ui/qt/list_header.h"

#include <QPaintEvent>
#include <QPainter>
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

void ListHeader::paintEvent(QPaintEvent* event) {
    QHeaderView::paintEvent(event);
    if (!Grouped()) return;
    QPainter painter(viewport());
    QStringList drawn;
    for (int logical = 0; logical < count(); ++logical) {
        const QString group = GroupOf(logical);
        if (group.isEmpty() || drawn.contains(group)) continue;
        drawn << group;
        const QRect band = GroupRect(group);
        if (band.isEmpty() || !band.intersects(event->rect())) continue;
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
