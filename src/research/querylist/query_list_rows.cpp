#include "research/querylist/query_list_rows.h"

#include <cstdint>
#include <optional>
#include <string>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/date_pictures.h"

namespace zem::research {
namespace {

using data::TableId;

constexpr std::size_t kNameLength = 120;        // "@s120"
constexpr std::size_t kLinkedNameLength = 255;  // "@s255"

std::string Cut(std::string_view text, std::size_t length) {
    return std::string(text.substr(0, length));
}

struct Linked {
    std::string name;
    std::int32_t id = 0;
};

Linked CatalogOf(std::int32_t catalog) {
    data::CatalogsRecord& aca = data::Dict().ACA;
    if (catalog == 0) return {};
    aca.ID = catalog;
    if (data::Access(TableId::aCatalogs).TryFetch(data::ACA_KeyId) != ui::Benign) return {};
    return {Cut(data::CStringOf(aca.NAME), kLinkedNameLength), aca.ID};
}

Linked NodeOf(std::int32_t node) {
    data::NodesRecord& ano = data::Dict().ANO;
    if (node == 0) return {};
    ano.ID = node;
    if (data::Access(TableId::aNodes).TryFetch(data::ANO_KeyId) != ui::Benign) return {};
    return {Cut(data::CStringOf(ano.NAME), kLinkedNameLength), ano.ID};
}

QueryRow RowOf(const data::QueriesRecord& que) {
    const Linked catalog = CatalogOf(que.CATALOG);
    const Linked node = NodeOf(que.NODE);
    return QueryRow{
        que.ID,       que.BUILDDATE, que.BUILDTIME, Cut(data::StringOf(que.NAME), kNameLength),
        catalog.name, node.name,     que.CATALOG,   que.NODE,
        catalog.id,   node.id};
}

constexpr ui::ColumnAlign L = ui::ColumnAlign::Left;
constexpr ui::ColumnAlign R = ui::ColumnAlign::Right;
using ui::SortValue;

const ui::ColumnSpec<QueryRow> kColumns[] = {
    {"Build Date", "d17", R,
     [](const QueryRow& r) { return runtime::FormatDate(r.buildDate, "@d17"); },
     [](const QueryRow& r) { return SortValue::Number(r.buildDate); }},
    {"Build Time", "T8", R,
     [](const QueryRow& r) { return runtime::FormatTime(r.buildTime, "@T8"); },
     [](const QueryRow& r) { return SortValue::Number(r.buildTime); }},
    {"Name", "s120", L, [](const QueryRow& r) { return r.name; },
     [](const QueryRow& r) { return SortValue::Text(r.name); }},
    {"Catalog", "s255", L, [](const QueryRow& r) { return r.catalogName; },
     [](const QueryRow& r) { return SortValue::Text(r.catalogName); }},
    {"Node", "s255", L, [](const QueryRow& r) { return r.nodeName; },
     [](const QueryRow& r) { return SortValue::Text(r.nodeName); }},
};

std::size_t KeyOf(QueryOrder order) {
    switch (order) {
        case QueryOrder::ByName:
            return data::QUE_KeyName;
        case QueryOrder::ByCatalog:
            return data::QUE_KeyCatalog;
        case QueryOrder::ByNode:
            return data::QUE_KeyNode;
        case QueryOrder::ByDate:
            break;
    }
    return data::QUE_KeyDate;
}

// The field a ranged order links on; the record is packed, so it is read and written by value.
std::int32_t LinkOf(QueryOrder order, const data::QueriesRecord& que) {
    return order == QueryOrder::ByCatalog ? que.CATALOG : que.NODE;
}

void SetLink(QueryOrder order, data::QueriesRecord& que, std::int32_t value) {
    if (order == QueryOrder::ByCatalog)
        que.CATALOG = value;
    else
        que.NODE = value;
}

}  // namespace

std::span<const ui::ColumnSpec<QueryRow>> QueryColumns() {
    return kColumns;
}

std::vector<QueryRow> LoadQueryRows(QueryOrder order) {
    data::Dictionary& d = data::Dict();
    data::TableManager& queries = data::Access(TableId::Queries);
    std::vector<QueryRow> rows;
    if (queries.UseFile() != ui::Benign) return rows;
    data::Access(TableId::aCatalogs).UseFile();
    data::Access(TableId::aNodes).UseFile();

    store::Table& table = queries.File();
    const std::size_t key = KeyOf(order);
    // The catalog and node orders are ranges: only the rows whose link equals the picked row's.
    std::optional<std::int32_t> range;
    if (order == QueryOrder::ByCatalog) range = std::int32_t{d.CAT.ID};
    if (order == QueryOrder::ByNode) range = std::int32_t{d.NOD.ID};
    if (range) {
        table.ClearBuffer(-1);
        SetLink(order, d.QUE, *range);
        table.SetAt(key);
    } else {
        table.Set(key);
    }
    while (queries.TryNext() == ui::Benign) {
        if (range && LinkOf(order, d.QUE) != *range) break;
        rows.push_back(RowOf(d.QUE));
    }
    return rows;
}

}  // namespace zem::research
