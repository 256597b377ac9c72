#pragma once
// How a catalog tree shows, read off its widget and its pixels on the GUI thread: one column
// "Name" whose rows show their icon, then their name right after it, both indented by level,
// and rows that all keep the same height.
#include <QImage>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <string>

namespace zem::test {

// The size icons show at: the view's own, else the style's for small icons.
inline int IconExtent(QTreeWidget* tree) {
    return tree->iconSize().isValid()
               ? tree->iconSize().width()
               : tree->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, tree);
}

// The height every row shows with; 0 when the rows differ.
inline int CommonRowHeight(QTreeWidget* tree) {
    int height = -1;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const int h = tree->visualItemRect(*it).height();
        if (height >= 0 && h != height) return 0;
        height = h;
    }
    return height;
}

// Whether the column is wide enough for every row's indentation, icon and name.
inline bool NamesWhole(QTreeWidget* tree) {
    const int offset = tree->horizontalScrollBar()->value();
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const int start = tree->visualItemRect(*it).left() + offset;
        const int needed = IconExtent(tree) + 8 +  // the icon and the margins about it
                           tree->fontMetrics().horizontalAdvance((*it)->text(0));
        if (start + needed > tree->columnWidth(0)) return false;
    }
    return true;
}

// Whether the picture has anything but the list's background in the strip of x from..to
// (viewport coordinates) across the row.
inline bool InkIn(const QImage& picture, const QRect& row, int from, int to) {
    const QRgb background = picture.pixel(picture.width() - 1, row.center().y());
    for (int x = std::max(0, from); x < std::min(to, picture.width()); ++x)
        for (int y = row.top() + 2; y < row.bottom() - 1; ++y)
            if (picture.pixel(x, y) != background) return true;
    return false;
}

// What is wrong with the look of the tree; empty when nothing is. Looks at every row that is
// not selected (a selected row is drawn on the selection's colour).
inline std::string TreeLookFaults(QTreeWidget* tree) {
    if (tree->columnCount() != 1) return std::to_string(tree->columnCount()) + " columns";
    if (tree->isHeaderHidden() || tree->headerItem()->text(0) != "Name")
        return "no header \"Name\"";
    const int height = CommonRowHeight(tree);
    const int icon = IconExtent(tree);
    if (height < icon)
        return "rows of " + std::to_string(height) + " px, icons of " + std::to_string(icon);
    const QImage picture = tree->viewport()->grab().toImage();
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        QTreeWidgetItem* item = *it;
        const std::string name = item->text(0).toStdString();
        if (name.empty() || item->icon(0).isNull()) return "a row without its icon and name";
        const QRect cell = tree->visualItemRect(item);  // starts after the row's indentation
        if (item->isSelected() || !tree->viewport()->rect().contains(cell.topLeft())) continue;
        if (!InkIn(picture, cell, cell.left(), cell.left() + icon + 2))
            return "no icon drawn at the start of " + name;
        // The name starts right after the icon, not in a column of its own further right.
        if (!InkIn(picture, cell, cell.left() + icon + 3, cell.left() + icon + 16))
            return "no name drawn right after the icon of " + name;
    }
    return {};
}

}  // namespace zem::test
