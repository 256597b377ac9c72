#pragma once
// The configuration window's Sites list: the active or the inactive stores by name, each with its
// status icon and affiliate id. Sorts by Name or Affilate Id from a header click and keeps that
// order in the INI file under the window's procedure name.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/ui/window/column_table.h"
#include "platform/ui/window/typed_list.h"
#include "platform/ui/window/window.h"

namespace zem::shell {

struct SiteRow {
    std::int32_t id = 0;  // SIT:ID
    bool active = false;
    std::string name;
    std::string affiliate;
};

// The Sites list's columns, in the order of its layout.
std::span<const ui::ColumnSpec<SiteRow>> SiteColumns();

namespace site_column {
inline constexpr int kStatus = 1;
inline constexpr int kName = 2;
inline constexpr int kAffiliate = 3;
}  // namespace site_column

class SitesList {
  public:
    SitesList(ui::Window& window, std::string_view procedure)
        : procedure_(procedure), sites_(window, SiteColumns()) {}

    void SetList(int feq) { sites_.SetList(feq); }
    int List() const { return sites_.List(); }
    // Reads the active (or inactive) stores, keeping the store keep current (0: the current
    // one); the Sites buffer is left as it was.
    void Load(bool active, std::int32_t keep = 0);
    std::int32_t IdAt(int row) const { return sites_.IdAt(row); }
    // Reads the store of a list row into the Sites buffer.
    bool FetchRow(int row) const;
    // A header click; columns other than Name and Affilate Id do not sort.
    void SortBy(int column);
    void RestoreSort();
    void SaveSort() const;

  private:
    std::string procedure_;
    ui::TypedList<SiteRow> sites_;
};

}  // namespace zem::shell
