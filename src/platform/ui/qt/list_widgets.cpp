#include "platform/ui/qt/list_widgets.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <charconv>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ui/qt/list_header.h"
#include "platform/ui/qt/owned.h"
#include "platform/ui/qt/resource_images.h"
#include "platform/ui/qt/text_codec.h"
#include "platform/ui/qt/text_widths.h"

namespace zem::ui::qt {
namespace {

constexpr int kRowRole = Qt::UserRole + 1;

int Number(std::string_view text) {
    int value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    return failure == std::errc() && end == text.data() + text.size() ? value : 0;
}

// The width icons show at: the view's own size, else the style's for small icons.
int IconWidth(const QTreeWidget* list) {
    return list->iconSize().isValid()
               ? list->iconSize().width()
               : list->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list);
}

// The width a fixed column needs for its header and its cells: a column is never narrower than
// what it shows, so no rank or price is cut. An icon column needs its icon only. widest: what
// the column's widest cell takes, indentation and icon included.
int NeededWidth(const QTreeWidget* list, const Control& model, int column, int widest) {
    const ListColumn& format = model.columns[static_cast<std::size_t>(column)];
    constexpr int kPadding = 12;  // the cell's margins on both sides
    int needed = format.width;
    if (format.icon) return std::max(needed, IconWidth(list) + kPadding);
    needed = std::max(
        needed, list->header()->fontMetrics().horizontalAdvance(list->headerItem()->text(column)) +
                    kPadding);
    return std::max(needed, widest + kPadding);
}

// Columns the format lets share the room left: each gets an equal share of it, never less than
// its format width, so a title stays readable at a window's first size and the list scrolls
// sideways instead. The shares follow the list as it is resized.
class StretchFit final : public QObject {
  public:
    static constexpr const char* kName = "zem-stretch-fit";
    explicit StretchFit(QTreeWidget* list) : QObject(list), list_(list) {
        setObjectName(kName);
        list->viewport()->installEventFilter(this);
    }
    void Set(std::vector<std::pair<int, int>> columns) {
        columns_ = std::move(columns);
        Fit();
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == list_->viewport() && event->type() == QEvent::Resize) Fit();
        return false;
    }

  private:
    void Fit() {
        if (columns_.empty()) return;
        int fixed = 0;
        for (int i = 0; i < list_->columnCount(); ++i)
            if (std::none_of(columns_.begin(), columns_.end(),
                             [i](const auto& c) { return c.first == i; }))
                fixed += list_->columnWidth(i);
        const int room = std::max(0, list_->viewport()->width() - fixed);
        const int count = static_cast<int>(columns_.size());
        for (int n = 0; n < count; ++n) {
            // The last share takes what division leaves, so no strip stays empty at the right.
            const int share = n + 1 < count ? room / count : room - (room / count) * (count - 1);
            list_->setColumnWidth(columns_[n].first, std::max(columns_[n].second, share));
        }
    }
    QTreeWidget* list_;
    std::vector<std::pair<int, int>> columns_;  // column, least width
};

void ApplyWidths(QTreeWidget* list, const Control& model, const std::vector<int>& widest) {
    std::vector<std::pair<int, int>> stretching;
    for (int i = 0; i < static_cast<int>(model.columns.size()); ++i) {
        const ListColumn& column = model.columns[static_cast<std::size_t>(i)];
        list->header()->setSectionResizeMode(i, QHeaderView::Interactive);
        if (column.stretch)
            stretching.emplace_back(i, std::max(column.width, 0));
        else if (column.width > 0)
            list->setColumnWidth(i,
                                 NeededWidth(list, model, i, widest[static_cast<std::size_t>(i)]));
    }
    list->header()->setStretchLastSection(stretching.empty());
    auto* fit = static_cast<StretchFit*>(
        list->findChild<QObject*>(StretchFit::kName, Qt::FindDirectChildrenOnly));
    if (!fit && stretching.empty()) return;
    if (!fit) fit = MakeOwnedByParent<StretchFit>(list);
    fit->Set(std::move(stretching));
}

void ApplyColumns(QTreeWidget* list, const Control& model, int charset) {
    const int count = std::max<int>(1, static_cast<int>(model.columns.size()));
    list->setColumnCount(count);
    QStringList headers;
    bool anyHeader = false;
    for (const ListColumn& column : model.columns) {
        headers << Decode(column.header, charset);
        anyHeader = anyHeader || !column.header.empty();
    }
    list->setHeaderLabels(headers);
    list->setHeaderHidden(!anyHeader);
    if (auto* header = dynamic_cast<ListHeader*>(list->header())) {
        QStringList groups;
        for (const ListColumn& column : model.columns) groups << Decode(column.group, charset);
        header->SetGroups(groups);
    }
}

Qt::Alignment AlignmentOf(ColumnAlign align) {
    switch (align) {
        case ColumnAlign::Center:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case ColumnAlign::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
        case ColumnAlign::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// The control's icons, by number from 1, looked up once for all rows.
std::vector<QIcon> IconsOf(const Control& model) {
    std::vector<QIcon> icons;
    icons.reserve(model.icons.size());
    for (const std::string& name : model.icons) icons.push_back(IconFor(name));
    return icons;
}

const QIcon* IconNumbered(const std::vector<QIcon>& icons, int number) {
    return number >= 1 && number <= static_cast<int>(icons.size())
               ? &icons[static_cast<std::size_t>(number - 1)]
               : nullptr;
}

// The widest cell of each column whose width follows its cells (a fixed column): its text, and
// in a tree's first column also the row's indentation and icon.
class CellWidths {
  public:
    CellWidths(const QTreeWidget* list, const Control& model)
        : texts_(list->font()),
          widest_(model.columns.size(), 0),
          indentation_(model.kind == ControlKind::Tree ? list->indentation() : 0),
          decorated_(list->rootIsDecorated() ? 1 : 0),
          icon_(IconWidth(list) + kIconMargin) {
        for (const ListColumn& column : model.columns)
            measured_.push_back(column.width > 0 && !column.stretch && !column.icon);
    }

    void Note(std::size_t column, int level, bool icon, const QString& text) {
        if (column >= measured_.size() || !measured_[column]) return;
        int width = texts_.Of(text);
        if (column == 0) width += indentation_ * (level - 1 + decorated_) + (icon ? icon_ : 0);
        widest_[column] = std::max(widest_[column], width);
    }
    const std::vector<int>& Widest() const { return widest_; }

  private:
    static constexpr int kIconMargin = 6;  // between the icon and the text, and before it
    TextWidths texts_;
    std::vector<int> widest_;
    std::vector<bool> measured_;
    int indentation_;
    int decorated_;
    int icon_;
};

void FillCell(QTreeWidgetItem* item, int column, const Control& model, const std::string& cell,
              int charset, const std::vector<QIcon>& icons, QString& text) {
    const bool iconColumn = column < static_cast<int>(model.columns.size()) &&
                            model.columns[static_cast<std::size_t>(column)].icon;
    if (!iconColumn) {
        text = Decode(cell, charset);
        item->setText(column, text);
        // Left is where a cell without an alignment of its own shows its text.
        if (column < static_cast<int>(model.columns.size()) &&
            model.columns[static_cast<std::size_t>(column)].align != ColumnAlign::Left)
            item->setTextAlignment(
                column, AlignmentOf(model.columns[static_cast<std::size_t>(column)].align));
        return;
    }
    // An icon cell holds the icon's number in the control's icon list, from 1.
    text.clear();
    if (const QIcon* icon = IconNumbered(icons, Number(cell))) item->setIcon(column, *icon);
}

// Fills the widget with the model's rows; answers each column's widest cell.
std::vector<int> FillRows(QTreeWidget* list, ControlView& control, int charset) {
    const Control& model = control.model;
    list->clear();
    control.rows.clear();
    control.rows.reserve(model.rows.size());
    const std::vector<QIcon> icons = IconsOf(model);
    CellWidths widths(list, model);
    // Tree rows nest by level: a row hangs under the nearest row above it one level up, and is
    // never more than one level below the row before it.
    std::vector<QTreeWidgetItem*> parents;  // the latest row of each level
    QList<QTreeWidgetItem*> topRows;
    QString text;
    int number = 0;
    for (const ListRow& row : model.rows) {
        int level = model.kind == ControlKind::Tree ? std::max(1, row.level) : 1;
        level = std::min(level, static_cast<int>(parents.size()) + 1);
        auto item = std::make_unique<QTreeWidgetItem>();
        item->setData(0, kRowRole, ++number);
        const QIcon* icon = IconNumbered(icons, row.icon);
        if (icon) item->setIcon(0, *icon);
        // Cells beyond the columns are the procedure's own (row keys) and are not shown.
        const std::size_t shown = model.columns.empty()
                                      ? row.cells.size()
                                      : std::min(row.cells.size(), model.columns.size());
        for (std::size_t column = 0; column < shown; ++column) {
            FillCell(item.get(), static_cast<int>(column), model, row.cells[column], charset, icons,
                     text);
            widths.Note(column, level, icon != nullptr, text);
        }
        // A contracted entry has children the window has not listed: it still shows that it
        // can open.
        if (model.kind == ControlKind::Tree && row.contracted)
            item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        QTreeWidgetItem* placed = item.get();
        parents.resize(static_cast<std::size_t>(level - 1));
        if (parents.empty())
            topRows.append(item.release());  // the list takes them below
        else
            parents.back()->addChild(item.release());
        parents.push_back(placed);
        control.rows.push_back(placed);
    }
    list->addTopLevelItems(topRows);
    // A row shows open when the window listed its children, closed when it has some unlisted
    // (new items are closed).
    if (model.kind == ControlKind::Tree)
        for (std::size_t i = 0; i < control.rows.size(); ++i)
            if (!model.rows[i].contracted && control.rows[i]->childCount() > 0)
                control.rows[i]->setExpanded(true);
    return widths.Widest();
}

// A tree or list moves sideways only when the user scrolls it. Qt brings the row it makes
// current into view sideways too: a click on an entry wider than the view would slide a tree's
// expanders, icons and indentation out of sight, and a list scrolled to its right-hand columns
// would jump back to its first one whenever the window selects a row again.
class TreeWidget final : public QTreeWidget {
  public:
    void scrollTo(const QModelIndex& index, ScrollHint hint) override {
        QScrollBar* sideways = horizontalScrollBar();
        const int offset = sideways->value();
        QTreeWidget::scrollTo(index, hint);
        sideways->setValue(offset);
    }
    // QTreeWidget::scrollToItem calls QTreeView's scrollTo, not the one above.
    void ScrollToItem(const QTreeWidgetItem* item) { scrollTo(indexFromItem(item), EnsureVisible); }
};

void ApplySelection(QTreeWidget* list, ControlView& control) {
    const int selected = control.model.selected;
    if (selected < 1 || selected > static_cast<int>(control.rows.size())) {
        list->setCurrentItem(nullptr);
        list->clearSelection();
        return;
    }
    QTreeWidgetItem* item = control.rows[static_cast<std::size_t>(selected - 1)];
    if (list->currentItem() != item) list->setCurrentItem(item);
    item->setSelected(true);
    if (auto* steady = dynamic_cast<TreeWidget*>(list))
        steady->ScrollToItem(item);
    else
        list->scrollToItem(item);
}

}  // namespace

QTreeWidget* MakeListWidget(QWidget* parent, ControlKind kind) {
    QTreeWidget* list = MakeChild<TreeWidget>(parent);
    list->setHeader(MakeChild<ListHeader>(list));
    list->setRootIsDecorated(kind == ControlKind::Tree);
    // The window expands and contracts its entries; a double click is the window's to handle.
    list->setExpandsOnDoubleClick(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(false);  // the procedure sorts when a header is pressed
    list->header()->setSectionsClickable(true);
    list->header()->setStretchLastSection(true);
    return list;
}

void ApplyList(QTreeWidget* list, ControlView& control, const Control* before, int charset) {
    const Control& model = control.model;
    if (!before || before->columns != model.columns) ApplyColumns(list, model, charset);
    const bool rowsChanged = !before || before->rows != model.rows ||
                             before->columns != model.columns || before->icons != model.icons;
    if (rowsChanged) ApplyWidths(list, model, FillRows(list, control, charset));
    if (rowsChanged || before->selected != model.selected) ApplySelection(list, control);
    if (!before || before->sortColumn != model.sortColumn ||
        before->sortDescending != model.sortDescending || before->columns != model.columns)
        ApplySortShown(list->header(), model);
}

int RowOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kRowRole).toInt() : 0;
}

void ApplyDropList(QComboBox* box, const Control& model, const Control* before, int charset) {
    if (!before || before->rows != model.rows) {
        box->clear();
        for (const ListRow& row : model.rows)
            box->addItem(row.cells.empty() ? QString() : Decode(row.cells.front(), charset));
    }
    const int index =
        model.selected >= 1 && model.selected <= box->count() ? model.selected - 1 : -1;
    if (box->currentIndex() != index) box->setCurrentIndex(index);
}

}  // namespace zem::ui::qt
