#pragma once
// A browse over typed rows: the rows a window loads (each with its id) beside the cells the
// list shows, drawn through the list's column table. Sorting by a header orders the rows by
// the column's key; the shown rows are moved into that order, never parsed back. The row at a
// place of the list, and its id, come from the typed rows.
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/window/browse_list.h"
#include "platform/ui/window/column_table.h"
#include "platform/ui/window/window.h"

namespace zem::ui {

// Row: a typed row with a member `id` (std::int32_t) that names it across reloads.
template <class Row>
class TypedList {
  public:
    TypedList(Window& window, std::span<const ColumnSpec<Row>> columns)
        : window_(window), columns_(columns) {}
    TypedList(const TypedList&) = delete;
    TypedList& operator=(const TypedList&) = delete;

    void SetList(int feq) { browse_.SetList(feq); }
    int List() const { return browse_.List(); }
    // Navigation and the current row.
    BrowseList& Browse() { return browse_; }
    const BrowseList& Browse() const { return browse_; }
    std::span<const ColumnSpec<Row>> Columns() const { return columns_; }

    int Rows() const { return static_cast<int>(order_.size()); }
    // The row at a place of the list, from 1; nullptr for none.
    const Row* At(int row) const {
        if (row < 1 || row > Rows()) return nullptr;
        return &rows_[order_[static_cast<std::size_t>(row) - 1]];
    }
    const Row* Current() const { return At(browse_.Current()); }
    std::int32_t IdAt(int row) const {
        const Row* r = At(row);
        return r ? r->id : 0;
    }
    // The place of the row with this id, from 1; 0 when none has it.
    int RowOfId(std::int32_t id) const {
        for (std::size_t i = 0; i < order_.size(); ++i)
            if (rows_[order_[i]].id == id) return static_cast<int>(i) + 1;
        return 0;
    }

    // Shows rows given in their load order, sorted as the list sorts now. The current row stays
    // on the row with the same id; otherwise the first row is current.
    void Show(std::vector<Row> rows) {
        const std::int32_t current = IdAt(browse_.Current());
        rows_ = std::move(rows);
        order_.resize(rows_.size());
        std::iota(order_.begin(), order_.end(), std::size_t{0});
        SortOrder(order_);
        std::vector<ListRow> shown;
        shown.reserve(order_.size());
        for (const std::size_t i : order_) shown.push_back(CellsOf(columns_, rows_[i]));
        const int list = browse_.List();
        window_.SetRows(list, std::move(shown));
        window_.SetSortShown(list, sortColumn_, descending_);
        const int at = current != 0 ? RowOfId(current) : 0;
        window_.SetSelected(list, at != 0 ? at : (rows_.empty() ? 0 : 1));
    }

    // Changes the row at a place of the list (from 1) and shows it anew; the list keeps its
    // order.
    template <class Edit>
    void Change(int row, Edit&& edit) {
        if (row < 1 || row > Rows()) return;
        Row& r = rows_[order_[static_cast<std::size_t>(row) - 1]];
        edit(r);
        window_.SetRow(browse_.List(), row, CellsOf(columns_, r));
    }

    // A click on a column header (from 1): sorts by the column, again reverses. False for a
    // column that does not sort.
    bool SortBy(int column) {
        if (!Sorts(column)) return false;
        descending_ = column == sortColumn_ && !descending_;
        sortColumn_ = column;
        std::vector<std::size_t> sorted = order_;
        SortOrder(sorted);
        // The list's rows move to where their typed rows went.
        std::vector<std::size_t> place(rows_.size());
        for (std::size_t i = 0; i < order_.size(); ++i) place[order_[i]] = i;
        std::vector<std::size_t> moves(sorted.size());
        for (std::size_t i = 0; i < sorted.size(); ++i) moves[i] = place[sorted[i]];
        order_ = std::move(sorted);
        window_.ReorderRows(browse_.List(), moves, sortColumn_, descending_);
        return true;
    }
    // The order the next Show uses: column 0 keeps the rows' load order.
    void SetSort(int column, bool descending) {
        sortColumn_ = Sorts(column) || column == 0 ? column : 0;
        descending_ = sortColumn_ != 0 && descending;
    }
    int SortColumn() const { return sortColumn_; }
    bool Descending() const { return descending_; }

  private:
    bool Sorts(int column) const {
        if (column < 1 || column > static_cast<int>(columns_.size()) ||
            !columns_[static_cast<std::size_t>(column) - 1].key)
            return false;
        const Control* c = window_.Find(browse_.List());
        const auto at = static_cast<std::size_t>(column) - 1;
        return !c || at >= c->columns.size() || c->columns[at].sortable;
    }

    // Sorts row numbers by the sort column's key; rows with equal keys keep their order. The
    // keys' texts are folded together into one buffer; a column of numbers only or of texts
    // only compares plain doubles or plain byte strings.
    void SortOrder(std::vector<std::size_t>& order) const {
        if (sortColumn_ == 0 || rows_.empty()) return;
        const auto key = columns_[static_cast<std::size_t>(sortColumn_) - 1].key;
        std::vector<SortValue> keys;
        keys.reserve(rows_.size());
        std::size_t textBytes = 0;
        std::size_t texts = 0;
        for (const Row& row : rows_) {
            keys.push_back(key(row));
            if (keys.back().isText) {
                textBytes += keys.back().text.size();
                ++texts;
            }
        }
        std::string folded(textBytes, '\0');
        char* out = folded.data();
        for (SortValue& value : keys) {
            if (!value.isText) continue;
            FoldCase(value.text, out);
            value.text = {out, value.text.size()};
            out += value.text.size();
        }
        if (texts == 0)
            SortIndices(order, [&](std::size_t i) { return keys[i].number; });
        else if (texts == keys.size())
            SortIndices(order, [&](std::size_t i) { return keys[i].text; });
        else
            SortIndices(order, [&](std::size_t i) { return MixedKey{keys[i]}; });
    }
    // A key of a column that gives both kinds, its text folded: numbers before texts.
    struct MixedKey {
        const SortValue& value;
        friend bool operator<(const MixedKey& a, const MixedKey& b) {
            if (a.value.isText != b.value.isText) return !a.value.isText;
            return a.value.isText ? a.value.text < b.value.text : a.value.number < b.value.number;
        }
    };
    template <class KeyOf>
    void SortIndices(std::vector<std::size_t>& order, KeyOf keyOf) const {
        if (descending_)
            std::stable_sort(order.begin(), order.end(),
                             [&](std::size_t a, std::size_t b) { return keyOf(b) < keyOf(a); });
        else
            std::stable_sort(order.begin(), order.end(),
                             [&](std::size_t a, std::size_t b) { return keyOf(a) < keyOf(b); });
    }

    Window& window_;
    std::span<const ColumnSpec<Row>> columns_;
    BrowseList browse_{window_, 0};
    std::vector<Row> rows_;           // in load order
    std::vector<std::size_t> order_;  // the list's row i shows rows_[order_[i]]
    int sortColumn_ = 0;
    bool descending_ = false;
};

}  // namespace zem::ui
