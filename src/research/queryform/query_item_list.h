#pragma once
// The query form's item list: the query's Goods rows with their tag, sales rank, title,
// keywords, competition counts, prices and saving. The user tags rows one at a time or all at
// once (commands of hidden buttons, reached through the list's menu), jumps to the previous or
// next tagged row, flips a row's tag with a click on its Tag cell, sorts by a column header and
// edits a row's title and keywords in place. Tags live in the tagging module (set QUE:ID,
// pointer GOO:ID); each row holds a copy of its tag for display.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

#include "data/records.h"
#include "platform/runtime/events.h"
#include "platform/ui/window/column_table.h"
#include "platform/ui/window/popup_actions.h"
#include "platform/ui/window/typed_list.h"
#include "platform/ui/window/window.h"

namespace zem::research {

// The tag commands, in the order of their buttons.
enum class TagCommand { TagOne, UntagOne, FlipOne, PrevTag, TagAll, UntagAll, FlipAll, NextTag };
inline constexpr std::size_t kTagCommands = 8;

// The button of each command, by use name.
inline constexpr std::array<std::string_view, kTagCommands> kTagCommandButtons{
    "?TAGONE", "?UNTAGONE", "?FLIPONE", "?PREVTAG", "?TAGALL", "?UNTAGALL", "?FLIPALL", "?NEXTTAG",
};

// The list's columns, from 1.
namespace item_cell {
inline constexpr int kTag = 1;  // icon number: 1 blank, 2 check
inline constexpr int kRank = 2;
inline constexpr int kTitle = 3;
inline constexpr int kKeywords = 4;
inline constexpr int kAds = 5;
inline constexpr int kAffiliate = 6;
inline constexpr int kList = 7;
inline constexpr int kAmazon = 8;
inline constexpr int kSaving = 9;
inline constexpr int kShipping = 10;
}  // namespace item_cell

// One item of the list as read from its Goods row, with its tag as the list knows it.
struct ItemRow {
    std::int32_t id = 0;
    std::int32_t query = 0;
    bool tagged = false;
    double rank = 0;
    std::string title;
    std::string keywords;
    std::int32_t ads = 0;
    std::int32_t affiliate = 0;
    std::string listPrice;  // the prices as texts with their currency signs
    std::string amazonPrice;
    double listReal = 0;
    double amazonReal = 0;
    std::uint8_t ship = 0;
};

// The item list's columns, in the order of its layout.
std::span<const ui::ColumnSpec<ItemRow>> ItemColumns();

// The message of a jump that finds no tagged row.
inline constexpr std::string_view kNoMoreTagged = "There are no more tagged records!";

class QueryItemList {
  public:
    explicit QueryItemList(ui::Window& window) : window_(window) {}
    QueryItemList(const QueryItemList&) = delete;
    QueryItemList& operator=(const QueryItemList&) = delete;

    // Finds the list, the tag buttons and menu items and the edit fields in the loaded layout
    // and binds the edit fields. With viewOnly nothing can be tagged or edited.
    void SetUp(bool viewOnly);
    // Once the window is open: hides the tag buttons for good and alerts the left mouse button
    // for Tag cell clicks.
    void Opened();

    // Reads the query's rows anew, keeping the current row and an edit whose item is still
    // there, and applies the button states.
    void Load(std::int32_t query);

    // Takes the rows of these items out of the list as it stands, without reading the query
    // anew: the list follows a walk that deletes them while the walk still reads Goods.
    void Drop(const std::unordered_set<std::int32_t>& items);

    std::optional<TagCommand> CommandOf(int feq) const;
    void Run(TagCommand command);

    // A left click on a data row's Tag cell flips the row's tag; false for any other event.
    bool TakeClick(const runtime::Event& event);
    // The right mouse button over the list: its menu, with the browse's View and Change, the
    // tag commands and the list-format entries, each item enabled as its button is. A choice
    // from it presses that button; false for any other event.
    bool TakeMenu(const runtime::Event& event, std::string_view application,
                  std::string_view procedure);
    bool SortBy(int column);
    // The frame's record navigation; false for a button that does not move.
    bool Navigate(int button);
    // The list moved to another row: an edit of the row left behind ends.
    void TakeNewSelection();

    // In-place edit of the current row's Title and Keywords cells, from the Title cell. Each
    // cell the user ends with Enter or Tab is written to the item's Goods row at once; Tab goes
    // on to the other cell, Enter and Escape end the edit.
    void StartEdit();
    // A cell-edited event of the list; false for any other event.
    bool TakeCellEdit(const runtime::Event& event);
    void EndEdit();

    int List() const { return list_.List(); }
    int Rows() const { return list_.Rows(); }
    // The current row's GOO:ID; 0 when the list is empty.
    std::int32_t CurrentId() const;
    // Reads the current row's Goods row into the thread's Goods buffer; false when there is none
    // or it can't be read.
    bool ReadCurrent();

  private:
    void ApplyStates();
    void EditCell(int row, int column);
    // Writes an edited cell's text to the item's Goods row and shows what was stored.
    void WriteCell(int column, std::string_view text);
    void TagCurrent(TagCommand command);
    void TagAll(TagCommand command);
    void JumpToTagged(bool forward);
    bool Usable() const;
    // Lets the window catch up every tenth row walked, counting on across walks.
    void CountRow();

    ui::Window& window_;
    ui::TypedList<ItemRow> list_{window_, ItemColumns()};
    std::array<int, kTagCommands> buttons_{};
    int view_ = 0;
    int change_ = 0;
    ui::PopupActions menu_;
    bool viewOnly_ = false;
    std::int32_t query_ = 0;
    std::uint32_t walked_ = 0;
    std::int32_t editId_ = 0;
};

}  // namespace zem::research
