#pragma once
// A browse: a list control over rows its window loads, with the framework's record navigation
// (the toolbar's first, last, prior and next row and page buttons, which the frame forwards to
// the active window), sorting by a column header and the current row.
#include <map>
#include <string>
#include <vector>

#include "platform/ui/window/window.h"

namespace zem::ui {

// The framework's navigation buttons, by control number.
namespace navigation {
inline constexpr int kInsert = 3001;
inline constexpr int kChange = 3002;
inline constexpr int kDelete = 3003;
inline constexpr int kSelect = 3004;
inline constexpr int kBottom = 3005;
inline constexpr int kTop = 3006;
inline constexpr int kPageDown = 3007;
inline constexpr int kPageUp = 3008;
inline constexpr int kDown = 3009;
inline constexpr int kUp = 3010;
inline constexpr int kLocate = 3011;
inline constexpr int kHistory = 3012;
inline constexpr int kHelp = 3013;
}  // namespace navigation

class BrowseList {
  public:
    BrowseList(Window& window, int list) : window_(window), list_(list) {}

    int List() const { return list_; }
    void SetList(int list) { list_ = list; }
    int Rows() const;
    // The current row from 1; 0 when the list is empty.
    int Current() const;
    void Select(int row);

    // Shows rows sorted by the sort column (numbers, dates and times by value, read back through
    // the column's picture; other cells as text without regard to case), keeping the row whose key
    // cell (column keyColumn, which may lie beyond the shown columns) matches the current one
    // current; otherwise the first row.
    void Show(std::vector<ListRow> rows, int keyColumn);

    // Moves for a navigation button; false for buttons that are not movements.
    bool Navigate(int button);

    // A click on column header column (from 1): sorts by it, again reverses. False for a column
    // that does not sort.
    bool SortBy(int column);
    // The column sorts by another cell of its rows, one holding the value that the column shows
    // only as a word (a flag shown as "Yes"), read through the column's picture.
    void SetSortCell(int column, int cell) { sortCells_[column] = cell; }
    int SortColumn() const { return sortColumn_; }
    bool Descending() const { return descending_; }
    void SetSort(int column, bool descending);

    int pageSize = 10;

  private:
    void Sort(std::vector<ListRow>& rows) const;
    // The picture of the sort cell's column; empty for a cell beyond the shown columns.
    std::string PictureOf(int cell) const;

    Window& window_;
    int list_;
    int sortColumn_ = 1;
    int keyColumn_ = 1;
    bool descending_ = false;
    std::map<int, int> sortCells_;
};

}  // namespace zem::ui
