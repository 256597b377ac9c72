#include "shell/sites_list.h"

#include <vector>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/ui/settings/ini_manager.h"

namespace zem::shell {
namespace {

using data::TableId;

const ui::ColumnSpec<SiteRow> kColumns[] = {
    // The status icon: 1 active, 2 inactive. A click on it toggles the store; it does not sort.
    {"Tag", "n1~ ~B", ui::ColumnAlign::Left,
     [](const SiteRow& r) { return std::string(r.active ? "1" : "2"); }, nullptr},
    {"Name", "s120", ui::ColumnAlign::Left, [](const SiteRow& r) { return r.name; },
     [](const SiteRow& r) { return ui::SortValue::Text(r.name); }},
    {"Affilate Id", "s20", ui::ColumnAlign::Left, [](const SiteRow& r) { return r.affiliate; },
     [](const SiteRow& r) { return ui::SortValue::Text(r.affiliate); }},
};

}  // namespace

std::span<const ui::ColumnSpec<SiteRow>> SiteColumns() {
    return kColumns;
}

void SitesList::Load(bool active, std::int32_t keep) {
    data::TableManager& sites = data::Access(TableId::Sites);
    data::SitesRecord& sit = data::Dict().SIT;
    const data::SitesRecord saved = sit;
    std::vector<SiteRow> rows;
    sites.UseFile();
    sites.File().Set(data::SIT_KeyName);
    while (sites.TryNext() == ui::Benign)
        if ((sit.ISACTIVE != 0) == active)
            rows.push_back({sit.ID, sit.ISACTIVE != 0, std::string(data::ShownText(sit.NAME)),
                            std::string(data::ShownText(sit.AFFILATEID))});
    sit = saved;
    // Show keeps the current store current; a store named to keep takes its place.
    sites_.Show(std::move(rows));
    if (const int row = keep != 0 ? sites_.RowOfId(keep) : 0; row != 0) sites_.Browse().Select(row);
}

bool SitesList::FetchRow(int row) const {
    const std::int32_t id = sites_.IdAt(row);
    if (id == 0) return false;
    data::Dict().SIT.ID = id;
    return data::Access(TableId::Sites).TryFetch(data::SIT_KeyId) == ui::Benign;
}

void SitesList::SortBy(int column) {
    if (column != site_column::kName && column != site_column::kAffiliate) return;
    sites_.SortBy(column);
}

void SitesList::RestoreSort() {
    const auto column = ui::IniManager::Global().Fetch(procedure_, "SortColumn");
    const auto order = ui::IniManager::Global().Fetch(procedure_, "SortDescending");
    sites_.SetSort(column == "3" ? site_column::kAffiliate : site_column::kName, order == "1");
}

void SitesList::SaveSort() const {
    const int column = sites_.SortColumn() == 0 ? site_column::kName : sites_.SortColumn();
    ui::IniManager::Global().Update(procedure_, "SortColumn", std::to_string(column));
    ui::IniManager::Global().Update(procedure_, "SortDescending", sites_.Descending() ? "1" : "0");
}

}  // namespace zem::shell
