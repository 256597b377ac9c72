#include "platform/ui/window/browse_list.h"

#include <algorithm>

namespace zem::ui {

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

}  // namespace zem::ui
