#include "research/queryform/query_item_list.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>
#include <utility>
#include <vector>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/pictures.h"
#include "platform/store/errors.h"
#include "platform/ui/busy.h"
#include "platform/ui/field_binding.h"
#include "platform/ui/list_format.h"
#include "platform/ui/message_sink.h"
#include "research/queryform/query_items.h"
#include "shell/tagging.h"

namespace zem::research {
namespace {

using data::TableId;
namespace cell = item_cell;

constexpr std::string_view kTaggedIcon = "2";
constexpr std::string_view kUntaggedIcon = "1";
constexpr std::string_view kTagMark = "*";
constexpr std::uint32_t kYieldEvery = 10;

// The items the query has tagged, from one walk of its tags instead of a look-up per row.
std::unordered_set<std::int32_t> TaggedItems(std::int32_t query) {
    std::unordered_set<std::int32_t> tagged;
    shell::OpenTagFile();
    for (std::int32_t id = shell::FirstTagged(query); id != 0; id = shell::NextTagged(query))
        tagged.insert(id);
    data::Access(TableId::TagFile_).File().ClearBuffer();
    shell::CloseTagFile();
    return tagged;
}

std::string KeyOrder(int order) {
    char text[16];
    std::snprintf(text, sizeof text, "%010d", order);
    return text;
}

}  // namespace

void QueryItemList::SetUp(bool viewOnly) {
    viewOnly_ = viewOnly;
    list_ = window_.Feq("?LIST");
    browse_.SetList(list_);
    // Until a header is clicked the rows stay in GOO:KeyQuery order.
    browse_.SetSort(cell::kKeyOrder, false);
    browse_.SetSortCell(cell::kAffiliate, cell::kAffiliateValue);
    browse_.SetSortCell(cell::kShipping, cell::kShippingValue);
    for (std::size_t i = 0; i < kTagCommands; ++i) buttons_[i] = window_.Feq(kTagCommandButtons[i]);
    view_ = window_.Feq("?VIEW");
    change_ = window_.Feq("?CHANGE");
}

void QueryItemList::Opened() {
    // The commands are reached through the list's menu; their buttons never show.
    for (const int button : buttons_) window_.SetHide(button, true);
    window_.Alert(ui::key::MouseLeft);
    window_.Alert(ui::key::MouseRight);
}

const ui::ListRow* QueryItemList::RowAt(int row) const {
    const ui::Control* list = window_.Find(list_);
    if (!list || row < 1 || row > static_cast<int>(list->rows.size())) return nullptr;
    return &list->rows[static_cast<std::size_t>(row) - 1];
}

std::string QueryItemList::CellAt(int row, int cellNo) const {
    const ui::ListRow* r = RowAt(row);
    if (!r || cellNo < 1 || cellNo > static_cast<int>(r->cells.size())) return {};
    return r->cells[static_cast<std::size_t>(cellNo) - 1];
}

std::int32_t QueryItemList::IdAt(int row) const {
    const std::string id = CellAt(row, cell::kId);
    return id.empty() ? 0 : static_cast<std::int32_t>(std::stol(id));
}

int QueryItemList::RowOfId(std::int32_t id) const {
    for (int row = 1; row <= Rows(); ++row)
        if (IdAt(row) == id) return row;
    return 0;
}

std::int32_t QueryItemList::CurrentId() const {
    return IdAt(browse_.Current());
}

bool QueryItemList::ReadCurrent() {
    const std::int32_t id = CurrentId();
    if (id == 0) return false;
    data::Dict().GOO.ID = id;
    return data::Access(TableId::Goods).TryFetch(data::GOO_KeyId) == ui::Benign;
}

ui::ListRow QueryItemList::RowFor(const data::GoodsRecord& goods, int order, bool tagged) const {
    const std::int32_t id = goods.ID;
    const double listPrice = goods.PRICEREAL;
    const double amazonPrice = goods.AMAZONREAL;
    auto number = [](double value, std::string_view picture) {
        return runtime::FormatNumber(value, picture);
    };
    // The flag columns say "Yes" for a set flag, not the stored number in front of it.
    auto flag = [](double value) { return std::string(value != 0 ? "Yes" : ""); };
    return ui::ListRow{{
        std::string(tagged ? kTaggedIcon : kUntaggedIcon),
        number(goods.RANK, "n_10B"),
        std::string(data::StringOf(goods.TITLE)),
        std::string(data::CStringOf(goods.KEYWORDS)),
        number(goods.ADS, "n_10"),
        flag(goods.AFFILATIVE),
        std::string(data::CStringOf(goods.PRICELIST)),
        std::string(data::CStringOf(goods.AMAZONPRICE)),
        number(ShownSaving(listPrice, amazonPrice), "n-_7.2"),
        flag(goods.SHIP),
        std::string(tagged ? kTagMark : ""),
        runtime::Trimmed(number(listPrice, "n_14.2")),
        runtime::Trimmed(number(amazonPrice, "n_14.2")),
        std::to_string(id),
        std::to_string(std::int32_t{goods.QUERY}),
        KeyOrder(order),
        std::to_string(std::int32_t{goods.AFFILATIVE}),
        std::to_string(int{goods.SHIP}),
    }};
}

void QueryItemList::Load(std::int32_t query) {
    query_ = query;
    std::vector<ui::ListRow> rows;
    data::TableManager& goods = data::Access(TableId::Goods);
    data::GoodsRecord& row = data::Dict().GOO;
    if (goods.UseFile() == ui::Benign) {
        goods.File().ClearBuffer();
        row.QUERY = query;
        const std::unordered_set<std::int32_t> tagged = TaggedItems(query);
        if (goods.File().SetAt(data::GOO_KeyQuery) == store::NoError)
            while (goods.TryNext() == ui::Benign && row.QUERY == query)
                rows.push_back(
                    RowFor(row, static_cast<int>(rows.size()) + 1, tagged.contains(row.ID)));
    }
    browse_.Show(std::move(rows), cell::kId);
    // An edit in progress outlasts a reload that keeps its item (the refresh after a saved
    // configuration); it ends with the item.
    if (editId_ != 0 && RowOfId(editId_) == 0) EndEdit();
    ApplyStates();
    if (!ReadCurrent()) goods.File().ClearBuffer();
}

void QueryItemList::ApplyStates() {
    const bool off = viewOnly_ || Rows() == 0;
    window_.SetDisable(view_, Rows() == 0 || viewOnly_);
    for (const int button : buttons_) window_.SetDisable(button, off);
}

std::optional<TagCommand> QueryItemList::CommandOf(int feq) const {
    if (feq == 0) return std::nullopt;
    for (std::size_t i = 0; i < kTagCommands; ++i)
        if (feq == buttons_[i]) return static_cast<TagCommand>(i);
    return std::nullopt;
}

void QueryItemList::Run(TagCommand command) {
    if (viewOnly_ || Rows() == 0) return;
    switch (command) {
        case TagCommand::TagOne:
        case TagCommand::UntagOne:
        case TagCommand::FlipOne:
            TagCurrent(command);
            break;
        case TagCommand::TagAll:
        case TagCommand::UntagAll:
        case TagCommand::FlipAll:
            TagAll(command);
            break;
        case TagCommand::PrevTag:
            JumpToTagged(false);
            break;
        case TagCommand::NextTag:
            JumpToTagged(true);
            break;
    }
}

void QueryItemList::ShowTag(int row, bool tagged) {
    const ui::Control* list = window_.Find(list_);
    if (!list || !RowAt(row)) return;
    std::vector<ui::ListRow> rows = list->rows;
    std::vector<std::string>& cells = rows[static_cast<std::size_t>(row) - 1].cells;
    cells[cell::kTag - 1] = tagged ? kTaggedIcon : kUntaggedIcon;
    cells[cell::kTagValue - 1] = tagged ? kTagMark : "";
    window_.SetRows(list_, std::move(rows));
    browse_.Select(row);
}

void QueryItemList::TagCurrent(TagCommand command) {
    const int row = browse_.Current();
    const std::int32_t id = IdAt(row);
    if (id == 0) return;
    bool tagged = false;
    switch (command) {
        case TagCommand::TagOne:
            shell::SetTagValue(query_, id, "");
            tagged = true;
            break;
        case TagCommand::UntagOne:
            shell::RemoveTag(query_, id);
            break;
        default:
            shell::ToggleTag(query_, id, "");
            tagged = CellAt(row, cell::kTagValue).empty();
            break;
    }
    ShowTag(row, tagged);
    ReadCurrent();
}

void QueryItemList::CountRow() {
    if (++walked_ % kYieldEvery == 0) ui::YieldToEvents();
}

void QueryItemList::TagAll(TagCommand command) {
    {
        ui::WaitCursor wait;
        shell::OpenTagFile();
        std::vector<std::int32_t> ids;
        for (int row = 1; row <= Rows(); ++row) ids.push_back(IdAt(row));
        for (const std::int32_t id : ids) {
            CountRow();
            if (command == TagCommand::TagAll)
                shell::SetTagValue(query_, id, "");
            else if (command == TagCommand::UntagAll)
                shell::RemoveTag(query_, id);
            else
                shell::ToggleTag(query_, id, "");
        }
        shell::CloseTagFile();
    }
    Load(query_);
}

void QueryItemList::JumpToTagged(bool forward) {
    const int current = browse_.Current();
    int found = 0;
    {
        ui::WaitCursor wait;
        // The current row is where the search starts, never what it finds.
        const int step = forward ? 1 : -1;
        for (int row = current + step; current != 0 && row >= 1 && row <= Rows(); row += step) {
            CountRow();
            if (shell::IsTagged(query_, IdAt(row)) == 1) {
                found = row;
                break;
            }
        }
    }
    if (found == 0) {
        ui::Message(kNoMoreTagged, "", ui::Icon::Exclamation, ui::ButtonOk, ui::ButtonOk);
        window_.Select(list_);
        return;
    }
    browse_.Select(found);
    TakeNewSelection();
}

bool QueryItemList::Usable() const {
    for (const ui::Control* c = window_.Find(list_); c;
         c = c->parent != 0 ? window_.Find(c->parent) : nullptr)
        if (c->hide || c->disable) return false;
    return true;
}

bool QueryItemList::TakeClick(const runtime::Event& event) {
    if (event.control != list_ || event.code != runtime::event::kAlertKey ||
        event.key != ui::key::MouseLeft)
        return false;
    if (event.row < 1 || event.row > Rows() || event.column != cell::kTag || !Usable())
        return false;
    if (viewOnly_) return false;
    browse_.Select(event.row);
    TakeNewSelection();
    TagCurrent(TagCommand::FlipOne);
    return true;
}

bool QueryItemList::TakeMenu(const runtime::Event& event, std::string_view application,
                             std::string_view procedure) {
    if (event.control != list_) return false;
    if (menu_.Take(event)) return true;
    if (event.code != runtime::event::kAlertKey || event.key != ui::key::MouseRight) return false;
    if (event.row >= 1 && event.row <= Rows() && event.row != browse_.Current()) {
        browse_.Select(event.row);
        TakeNewSelection();
    }
    menu_.Clear();
    menu_.AddButton(window_, view_);
    menu_.AddButton(window_, change_);
    // The commands in three groups: one item, all items, the jumps.
    constexpr std::size_t kGroups[] = {0, 1, 2, 99, 4, 5, 6, 99, 3, 7};
    menu_.AddSeparator();
    for (const std::size_t i : kGroups) {
        if (i == 99)
            menu_.AddSeparator();
        else
            menu_.AddButton(window_, buttons_[i], true);  // the tag buttons never show
    }
    menu_.AddSeparator();
    ui::AddListFormatItems(menu_, window_, list_, application, procedure);
    menu_.Show(window_, list_);
    return true;
}

bool QueryItemList::SortBy(int column) {
    if (!browse_.SortBy(column)) return false;
    ReadCurrent();
    return true;
}

bool QueryItemList::Navigate(int button) {
    if (!browse_.Navigate(button)) return false;
    TakeNewSelection();
    return true;
}

void QueryItemList::TakeNewSelection() {
    if (editId_ != 0 && CurrentId() != editId_) EndEdit();
    ReadCurrent();
}

void QueryItemList::StartEdit() {
    if (viewOnly_) return;
    const int row = browse_.Current();
    const std::int32_t id = IdAt(row);
    if (id == 0) return;
    editId_ = id;
    EditCell(row, cell::kTitle);
    window_.Select(list_);
}

void QueryItemList::EditCell(int row, int column) {
    window_.Change(list_, [&](ui::Control& c) {
        c.editRow = row;
        c.editColumn = column;
    });
}

bool QueryItemList::TakeCellEdit(const runtime::Event& event) {
    if (event.code != runtime::event::kCellEdited || event.control != list_) return false;
    const int column = event.column;
    if (editId_ == 0 || (column != cell::kTitle && column != cell::kKeywords)) {
        EndEdit();
        return true;
    }
    if (event.key == ui::key::Escape) {
        EndEdit();
        return true;
    }
    WriteCell(column, window_.Screen(list_));
    if (editId_ == 0) return true;  // the item is gone
    const int row = RowOfId(editId_);
    if (event.key == ui::key::Tab && row != 0)
        EditCell(row, column == cell::kTitle ? cell::kKeywords : cell::kTitle);
    else
        EndEdit();
    return true;
}

void QueryItemList::WriteCell(int column, std::string_view text) {
    data::GoodsRecord& goods = data::Dict().GOO;
    data::TableManager& manager = data::Access(TableId::Goods);
    goods.ID = editId_;
    if (manager.TryFetch(data::GOO_KeyId) != ui::Benign) {
        EndEdit();
        return;
    }
    // Cut to what the field holds.
    if (column == cell::kTitle)
        data::SetString(goods.TITLE, text.substr(0, std::min(text.size(), sizeof goods.TITLE)));
    else
        data::SetCString(goods.KEYWORDS,
                         text.substr(0, std::min(text.size(), sizeof goods.KEYWORDS - 1)));
    if (manager.Update() != ui::Benign) return;
    // The row shows the stored text; the rest of the list is not read again.
    const int row = RowOfId(editId_);
    const ui::Control* list = window_.Find(list_);
    if (row == 0 || !list) return;
    std::vector<ui::ListRow> rows = list->rows;
    std::vector<std::string>& cells = rows[static_cast<std::size_t>(row) - 1].cells;
    cells[cell::kTitle - 1] = data::StringOf(goods.TITLE);
    cells[cell::kKeywords - 1] = data::CStringOf(goods.KEYWORDS);
    window_.SetRows(list_, std::move(rows));
}

void QueryItemList::EndEdit() {
    editId_ = 0;
    EditCell(0, 0);
}

}  // namespace zem::research
