#pragma once
// A list's columns declared once: for each column its header, picture, alignment, how a typed
// row shows in it and what the column sorts the rows by. The window's layout draws the list;
// the table is what the procedure fills and sorts it with, and tests hold the two together.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/window/control.h"

namespace zem::ui {

// What a column sorts a row by: a number, or a text compared without regard to case. The text
// is a view of the row's own: the list folds the texts of all its rows at once when it sorts.
struct SortValue {
    double number = 0;
    std::string_view text;
    bool isText = false;

    static SortValue Number(double value) { return {value, {}, false}; }
    static SortValue Text(std::string_view text) { return {0, text, true}; }
};

// Writes text as it compares in a sort to out (text.size() bytes): code page 1252 letters
// upper-cased, so that a comparison is a plain byte comparison that ignores case.
void FoldCase(std::string_view text, char* out);

template <class Row>
struct ColumnSpec {
    std::string_view header;
    std::string_view picture;
    ColumnAlign align = ColumnAlign::Left;
    std::string (*cell)(const Row&) = nullptr;
    // nullptr: a header click does not sort by the column.
    SortValue (*key)(const Row&) = nullptr;
};

// The shown cells of a typed row, column by column.
template <class Row>
ListRow CellsOf(std::span<const ColumnSpec<Row>> columns, const Row& row) {
    ListRow cells;
    cells.cells.reserve(columns.size());
    for (const ColumnSpec<Row>& column : columns) cells.cells.push_back(column.cell(row));
    return cells;
}

template <class Row>
std::vector<std::string_view> HeadersOf(std::span<const ColumnSpec<Row>> columns) {
    std::vector<std::string_view> headers;
    for (const ColumnSpec<Row>& column : columns) headers.push_back(column.header);
    return headers;
}

}  // namespace zem::ui
