#include "platform/ui/window/browse_list.h"

#include <algorithm>
#include <optional>

#include "platform/runtime/date_pictures.h"
#include "platform/runtime/letter_case.h"
#include "platform/runtime/picture_kind.h"
#include "platform/runtime/pictures.h"

namespace zem::ui {
namespace {

// A cell's text as it compares, as the folded keys do (code page 1252 letters without regard to
// case): folded once per row, so that a comparison is a plain byte comparison (the same order,
// since std::string compares bytes as unsigned).
std::string Folded(const std::string& text) {
    std::string folded(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        folded[i] = static_cast<char>(runtime::UpperCp1252(static_cast<unsigned char>(text[i])));
    return folded;
}

const std::string& Cell(const ListRow& row, int column) {
    static const std::string none;
    const auto i = static_cast<std::size_t>(column - 1);
    return column >= 1 && i < row.cells.size() ? row.cells[i] : none;
}

// The value a cell shows through its picture; nullopt for text, or a cell that reads as none.
std::optional<double> ValueOf(const std::string& text, const std::string& picture) {
    switch (runtime::KindOfPicture(picture)) {
        case runtime::PictureKind::Number:
            return runtime::DeformatNumber(text, picture);
        case runtime::PictureKind::DateValue:
            if (const auto date = runtime::DeformatDate(text, picture)) return *date;
            return std::nullopt;
        case runtime::PictureKind::TimeValue:
            if (const auto time = runtime::DeformatTime(text, picture)) return *time;
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

// Values before text that reads as no value, which sorts as text among itself.
struct SortKey {
    std::optional<double> value;
    std::string folded;  // only for a cell without a value
};

bool Less(const SortKey& a, const SortKey& b) {
    if (a.value && b.value) return *a.value < *b.value;
    if (a.value || b.value) return a.value.has_value();
    return a.folded < b.folded;
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

std::string BrowseList::PictureOf(int cell) const {
    const Control* c = window_.Find(list_);
    if (!c || cell < 1 || cell > static_cast<int>(c->columns.size())) return {};
    return c->columns[static_cast<std::size_t>(cell) - 1].picture;
}

void BrowseList::Sort(std::vector<ListRow>& rows) const {
    const std::string picture = PictureOf(sortColumn_);
    const auto other = sortCells_.find(sortColumn_);
    const int cell = other == sortCells_.end() ? sortColumn_ : other->second;
    // Each row's key is worked out once; the sort moves row numbers, not rows or keys.
    std::vector<SortKey> keys;
    keys.reserve(rows.size());
    for (const ListRow& row : rows) {
        const std::string& text = Cell(row, cell);
        SortKey key{ValueOf(text, picture), {}};
        if (!key.value) key.folded = Folded(text);
        keys.push_back(std::move(key));
    }
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return descending_ ? Less(keys[b], keys[a]) : Less(keys[a], keys[b]);
    });
    std::vector<ListRow> sorted;
    sorted.reserve(rows.size());
    for (const std::size_t i : order) sorted.push_back(std::move(rows[i]));
    rows = std::move(sorted);
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
