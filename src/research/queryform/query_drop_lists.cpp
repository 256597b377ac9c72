#include "research/queryform/query_drop_lists.h"

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/store/errors.h"

namespace zem::research {
namespace {

using data::TableId;

// Walks a table by a key through its buffer, which gets back what it held before.
template <typename Record, typename Take>
void WalkTable(TableId table, std::size_t key, Record& buffer, Take take) {
    data::TableManager& manager = data::Access(table);
    if (manager.UseFile() != ui::Benign) return;
    const Record saved = buffer;
    if (manager.File().Set(key) == store::NoError)
        while (manager.TryNext() == ui::Benign) take(buffer);
    buffer = saved;
}

}  // namespace

std::vector<DropChoice> SiteChoices(std::int32_t currentSite) {
    std::vector<DropChoice> choices;
    WalkTable(TableId::Sites, data::SIT_KeyName, data::Dict().SIT,
              [&](const data::SitesRecord& site) {
                  if (site.ISACTIVE != 0 || site.ID == currentSite)
                      choices.push_back({std::string(data::StringOf(site.NAME)), site.ID});
              });
    return choices;
}

std::vector<DropChoice> CatalogChoices(std::int32_t site) {
    std::vector<DropChoice> choices;
    WalkTable(TableId::Catalogs, data::CAT_KeyName, data::Dict().CAT,
              [&](const data::CatalogsRecord& catalog) {
                  if (catalog.FLAGS == site && !data::CStringOf(catalog.CATALOG).empty())
                      choices.push_back({std::string(data::CStringOf(catalog.NAME)), catalog.ID});
              });
    return choices;
}

std::vector<DropChoice> BrandChoices() {
    std::vector<DropChoice> choices;
    WalkTable(TableId::Brands, data::BRA_KeyName, data::Dict().BRA,
              [&](const data::BrandsRecord& brand) {
                  choices.push_back({std::string(data::StringOf(brand.NAME)), brand.ID});
              });
    return choices;
}

void DropList::Show(std::vector<DropChoice> choices, std::int32_t& value) {
    std::vector<ui::ListRow> rows;
    ids_.clear();
    for (DropChoice& choice : choices) {
        ids_.push_back(choice.id);
        rows.push_back(ui::ListRow{{std::move(choice.name)}});
    }
    window_.SetRows(feq_, std::move(rows));
    if (defaultFill_ && !ids_.empty() && RowOf(value) == 0) value = ids_.front();
    Highlight(value);
}

void DropList::Highlight(std::int32_t value) {
    window_.SetSelected(feq_, RowOf(value));
}

std::optional<std::int32_t> DropList::Chosen() const {
    const int row = window_.Selected(feq_);
    if (row < 1 || row > static_cast<int>(ids_.size())) return std::nullopt;
    return ids_[static_cast<std::size_t>(row) - 1];
}

int DropList::RowOf(std::int32_t value) const {
    for (std::size_t i = 0; i < ids_.size(); ++i)
        if (ids_[i] == value) return static_cast<int>(i) + 1;
    return 0;
}

}  // namespace zem::research
