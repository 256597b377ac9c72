#include "research/queryform/query_item_list.h"

#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/pictures.h"
#include "platform/store/errors.h"
#include "platform/ui/errors/message_sink.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/window/field_binding.h"
#include "platform/ui/window/list_format.h"
#include "research/queryform/query_items.h"
#include "shell/tagging.h"

namespace zem::research {
namespace {

using data::TableId;
namespace cell = item_cell;

constexpr std::string_view kTaggedIcon = "2";
constexpr std::string_view kUntaggedIcon = "1";
constexpr std::uint32_t kYieldEvery = 10;

// The items the query has tagged, from one pass over its tags instead of a look-up per row.
std::unordered_set<std::int32_t> TaggedItems(std::int32_t query) {
    const std::vector<std::int32_t> pointers = shell::TaggedPointers(query);
    return {pointers.begin(), pointers.end()};
}

std::string Number(double value, std::string_view picture) {
    return runtime::FormatNumber(value, picture);
}

// The flag columns say "Yes" for a set flag, not the stored number in front of it.
std::string Flag(double value) {
    return value != 0 ? "Yes" : "";
}

constexpr ui::ColumnAlign L = ui::ColumnAlign::Left;
constexpr ui::ColumnAlign C = ui::ColumnAlign::Center;
constexpr ui::ColumnAlign R = ui::ColumnAlign::Right;
using ui::SortValue;

const ui::ColumnSpec<ItemRow> kColumns[] = {
    {"Tag", "s10", R,
     [](const ItemRow& r) { return std::string(r.tagged ? kTaggedIcon : kUntaggedIcon); },
     [](const ItemRow& r) { return SortValue::Number(r.tagged ? 2 : 1); }},
    {"Rank", "n_10B", R, [](const ItemRow& r) { return Number(r.rank, "n_10B"); },
     [](const ItemRow& r) { return SortValue::Number(r.rank); }},
    {"Title", "s255", L, [](const ItemRow& r) { return r.title; },
     [](const ItemRow& r) { return SortValue::Text(r.title); }},
    {"Keywords", "s255", L, [](const ItemRow& r) { return r.keywords; },
     [](const ItemRow& r) { return SortValue::Text(r.keywords); }},
    {"# Ads", "n_10", R, [](const ItemRow& r) { return Number(r.ads, "n_10"); },
     [](const ItemRow& r) { return SortValue::Number(r.ads); }},
    {"Aff.", "n_3~Yes~B", C, [](const ItemRow& r) { return Flag(r.affiliate); },
     [](const ItemRow& r) { return SortValue::Number(r.affiliate); }},
    // The prices sort as the texts they show.
    {"List", "s50", R, [](const ItemRow& r) { return r.listPrice; },
     [](const ItemRow& r) { return SortValue::Text(r.listPrice); }},
    {"Amazon", "s50", R, [](const ItemRow& r) { return r.amazonPrice; },
     [](const ItemRow& r) { return SortValue::Text(r.amazonPrice); }},
    {"Save, %", "n-_7.2", R,
     [](const ItemRow& r) { return Number(ShownSaving(r.listReal, r.amazonReal), "n-_7.2"); },
     [](const ItemRow& r) { return SortValue::Number(ShownSaving(r.listReal, r.amazonReal)); }},
    {"Free Shipping", "n3~Yes~B", C, [](const ItemRow& r) { return Flag(r.ship); },
     [](const ItemRow& r) { return SortValue::Number(r.ship); }},
};

ItemRow RowOf(const data::GoodsRecord& goods, bool tagged) {
    return ItemRow{goods.ID,
                   goods.QUERY,
                   tagged,
                   goods.RANK,
                   std::string(data::StringOf(goods.TITLE)),
                   std::string(data::CStringOf(goods.KEYWORDS)),
                   goods.ADS,
                   goods.AFFILATIVE,
                   std::string(data::CStringOf(goods.PRICELIST)),
                   std::string(data::CStringOf(goods.AMAZONPRICE)),
                   goods.PRICEREAL,
                   goods.AMAZONREAL,
                   goods.SHIP};
}

}  // namespace

std::span<const ui::ColumnSpec<ItemRow>> ItemColumns() {
    return kColumns;
}

void QueryItemList::SetUp(bool viewOnly) {
    viewOnly_ = viewOnly;
    list_.SetList(window_.Feq("?LIST"));
    // Until a header is clicked the rows stay in GOO:KeyQuery order.
    list_.SetSort(0, false);
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

std::int32_t QueryItemList::CurrentId() const {
    return list_.IdAt(list_.Browse().Current());
}

bool QueryItemList::ReadCurrent() {
    const std::int32_t id = CurrentId();
    if (id == 0) return false;
    data::Dict().GOO.ID = id;
    return data::Access(TableId::Goods).TryFetch(data::GOO_KeyId) == ui::Benign;
}

void QueryItemList::Load(std::int32_t query) {
    query_ = query;
    std::vector<ItemRow> rows;
    data::TableManager& goods = data::Access(TableId::Goods);
    data::GoodsRecord& row = data::Dict().GOO;
    if (goods.UseFile() == ui::Benign) {
        goods.File().ClearBuffer();
        row.QUERY = query;
        const std::unordered_set<std::int32_t> tagged = TaggedItems(query);
        if (goods.File().SetAt(data::GOO_KeyQuery) == store::NoError)
            while (goods.TryNext() == ui::Benign && row.QUERY == query)
                rows.push_back(RowOf(row, tagged.contains(row.ID)));
    }
    list_.Show(std::move(rows));
    // An edit in progress outlasts a reload that keeps its item (the refresh after a saved
    // configuration); it ends with the item.
    if (editId_ != 0 && list_.RowOfId(editId_) == 0) EndEdit();
    ApplyStates();
    if (!ReadCurrent()) goods.File().ClearBuffer();
}

void QueryItemList::Drop(const std::unordered_set<std::int32_t>& items) {
    if (items.empty()) return;
    std::vector<ItemRow> rows;
    for (int row = 1; row <= Rows(); ++row)
        if (const ItemRow* item = list_.At(row); item && !items.contains(item->id))
            rows.push_back(*item);
    list_.Show(std::move(rows));
    ApplyStates();
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

void QueryItemList::TagCurrent(TagCommand command) {
    const int row = list_.Browse().Current();
    const ItemRow* item = list_.At(row);
    if (!item) return;
    const std::int32_t id = item->id;
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
            tagged = !item->tagged;
            break;
    }
    // The row shows its new tag without the list being read again.
    list_.Change(row, [tagged](ItemRow& r) { r.tagged = tagged; });
    list_.Browse().Select(row);
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
        ids.reserve(static_cast<std::size_t>(Rows()));
        for (int row = 1; row <= Rows(); ++row) ids.push_back(list_.IdAt(row));
        if (command == TagCommand::TagAll) {
            shell::SetTagValues(query_, ids, "", [this] { CountRow(); });
        } else {
            for (const std::int32_t id : ids) {
                CountRow();
                if (command == TagCommand::UntagAll)
                    shell::RemoveTag(query_, id);
                else
                    shell::ToggleTag(query_, id, "");
            }
        }
        shell::CloseTagFile();
    }
    Load(query_);
}

void QueryItemList::JumpToTagged(bool forward) {
    const int current = list_.Browse().Current();
    int found = 0;
    {
        ui::WaitCursor wait;
        // The current row is where the search starts, never what it finds.
        const int step = forward ? 1 : -1;
        for (int row = current + step; current != 0 && row >= 1 && row <= Rows(); row += step) {
            CountRow();
            if (shell::IsTagged(query_, list_.IdAt(row)) == 1) {
                found = row;
                break;
            }
        }
    }
    if (found == 0) {
        ui::Message(kNoMoreTagged, "", ui::Icon::Exclamation, ui::ButtonOk, ui::ButtonOk);
        window_.Select(List());
        return;
    }
    list_.Browse().Select(found);
    TakeNewSelection();
}

bool QueryItemList::Usable() const {
    for (const ui::Control* c = window_.Find(List()); c;
         c = c->parent != 0 ? window_.Find(c->parent) : nullptr)
        if (c->hide || c->disable) return false;
    return true;
}

bool QueryItemList::TakeClick(const runtime::Event& event) {
    if (event.control != List() || event.code != runtime::event::kAlertKey ||
        event.key != ui::key::MouseLeft)
        return false;
    if (event.row < 1 || event.row > Rows() || event.column != cell::kTag || !Usable())
        return false;
    if (viewOnly_) return false;
    list_.Browse().Select(event.row);
    TakeNewSelection();
    TagCurrent(TagCommand::FlipOne);
    return true;
}

bool QueryItemList::TakeMenu(const runtime::Event& event, std::string_view application,
                             std::string_view procedure) {
    if (event.control != List()) return false;
    if (menu_.Take(event)) return true;
    if (event.code != runtime::event::kAlertKey || event.key != ui::key::MouseRight) return false;
    if (event.row >= 1 && event.row <= Rows() && event.row != list_.Browse().Current()) {
        list_.Browse().Select(event.row);
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
    ui::AddListFormatItems(menu_, window_, List(), application, procedure);
    menu_.Show(window_, List());
    return true;
}

bool QueryItemList::SortBy(int column) {
    if (!list_.SortBy(column)) return false;
    // The selection moves with its row: a record buffer already on that item stays as it is.
    if (data::Dict().GOO.ID != CurrentId()) ReadCurrent();
    return true;
}

bool QueryItemList::Navigate(int button) {
    if (!list_.Browse().Navigate(button)) return false;
    TakeNewSelection();
    return true;
}

void QueryItemList::TakeNewSelection() {
    if (editId_ != 0 && CurrentId() != editId_) EndEdit();
    ReadCurrent();
}

void QueryItemList::StartEdit() {
    if (viewOnly_) return;
    const int row = list_.Browse().Current();
    const std::int32_t id = list_.IdAt(row);
    if (id == 0) return;
    editId_ = id;
    EditCell(row, cell::kTitle);
    window_.Select(List());
}

void QueryItemList::EditCell(int row, int column) {
    window_.Change(List(), [&](ui::Control& c) {
        c.editRow = row;
        c.editColumn = column;
    });
}

bool QueryItemList::TakeCellEdit(const runtime::Event& event) {
    if (event.code != runtime::event::kCellEdited || event.control != List()) return false;
    const int column = event.column;
    if (editId_ == 0 || (column != cell::kTitle && column != cell::kKeywords)) {
        EndEdit();
        return true;
    }
    if (event.key == ui::key::Escape) {
        EndEdit();
        return true;
    }
    WriteCell(column, window_.Screen(List()));
    if (editId_ == 0) return true;  // the item is gone
    const int row = list_.RowOfId(editId_);
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
    list_.Change(list_.RowOfId(editId_), [&](ItemRow& r) {
        r.title = data::StringOf(goods.TITLE);
        r.keywords = data::CStringOf(goods.KEYWORDS);
    });
}

void QueryItemList::EndEdit() {
    editId_ = 0;
    EditCell(0, 0);
}

}  // namespace zem::research
