#include "platform/ui/browse_list.h"

#include <algorithm>

namespace zem::ui {
namespace {

// Cells compare as the folded keys do: code page 1252 letters without regard to case.
unsigned char Fold(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
    return c;
}

bool Less(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return Fold(static_cast<unsigned char>(x)) < Fold(static_cast<unsigned char>(y));
    });
}

const std::string& Cell(const ListRow& row, int column) {
    static const std::string none;
    const auto i = static_cast<std::size_t>(column - 1);
    return column >= 1 && i < row.cells.size() ? row.cells[i] : none;
}

}  // namespace

int BrowseList::Rows() const {
    const Control* c = window_.Find(list_);
    return c ? static_cast<int>(c->rows.size()) : 0;
}

int BrowseList::Current() const {
    const int row = window_.Selected(list_);
    return row >= 1 && row <= Rows() ? row : 0;
}

void BrowseList::Select(int row) {
    const int rows = Rows();
    window_.SetSelected(list_, rows == 0 ? 0 : std::clamp(row, 1, rows));
}

void BrowseList::Sort(std::vector<ListRow>& rows) const {
    std::stable_sort(rows.begin(), rows.end(), [&](const ListRow& a, const ListRow& b) {
        return descending_ ? Less(Cell(b, sortColumn_), Cell(a, sortColumn_))
                           : Less(Cell(a, sortColumn_), Cell(b, sortColumn_));
    });
}

void BrowseList::Show(std::vector<ListRow> rows, int keyColumn) {
    keyColumn_ = keyColumn;
    std::string key;
    if (const Control* c = window_.Find(list_); c && Current() != 0)
        key = Cell(c->rows[static_cast<std::size_t>(Current()) - 1], keyColumn);
    Sort(rows);
    int current = rows.empty() ? 0 : 1;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!key.empty() && Cell(rows[i], keyColumn) == key) current = static_cast<int>(i) + 1;
    window_.SetRows(list_, std::move(rows));
    window_.SetSelected(list_, current);
}

bool BrowseList::Navigate(int button) {
    const int rows = Rows();
    const int current = Current();
    switch (button) {
        case navigation::kTop:
            Select(1);
            return true;
        case navigation::kBottom:
            Select(rows);
            return true;
        case navigation::kUp:
            Select(current - 1);
            return true;
        case navigation::kDown:
            Select(current + 1);
            return true;
        case navigation::kPageUp:
            Select(current - pageSize);
            return true;
        case navigation::kPageDown:
            Select(current + pageSize);
            return true;
        case navigation::kLocate:
            window_.Select(list_);
            return true;
        default:
            return false;
    }
}

bool BrowseList::SortBy(int column) {
    const Control* c = window_.Find(list_);
    if (!c || column < 1 || column > static_cast<int>(c->columns.size()) ||
        !c->columns[static_cast<std::size_t>(column) - 1].sortable)
        return false;
    descending_ = column == sortColumn_ && !descending_;
    sortColumn_ = column;
    std::vector<ListRow> rows = c->rows;
    Show(std::move(rows), keyColumn_);
    return true;
}

void BrowseList::SetSort(int column, bool descending) {
    sortColumn_ = column < 1 ? 1 : column;
    descending_ = descending;
}

}  // namespace zem::ui
