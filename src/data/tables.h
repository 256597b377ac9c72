#pragma once
// The tables of the data file as the store sees them: one TableDef per table and per alias, and
// the key numbers callers pass to Fetch, Set and the relation rules.
#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/store/schema.h"

namespace zem::data {

// The fourteen tables and aliases, in the order they are declared.
enum class TableId : std::size_t {
    Sites,
    aSites,
    Nodes,
    aNodes,
    Catalogs,
    aCatalogs,
    Brands,
    Queries,
    Goods,
    Browsers,
    Sysinfo,
    TagSet_,
    TagFile_,
    TagFilePos_,
};
inline constexpr std::size_t kTableCount = 14;

// Key numbers, in each table's key order (named PREFIX_KeyName after PREFIX:KeyName).
enum SitesKey : std::size_t { SIT_KeyId, SIT_KeyName };
enum ASitesKey : std::size_t { ASI_KeyId, ASI_KeyName };
enum NodesKey : std::size_t { NOD_KeyId, NOD_KeyName, NOD_KeyParent };
enum ANodesKey : std::size_t { ANO_KeyId, ANO_KeyName, ANO_KeyParent };
enum CatalogsKey : std::size_t { CAT_KeyId, CAT_KeyParent, CAT_KeyNode, CAT_KeyName };
enum ACatalogsKey : std::size_t { ACA_KeyId, ACA_KeyParent, ACA_KeyNode, ACA_KeyName };
enum BrandsKey : std::size_t { BRA_KeyId, BRA_KeyName };
enum QueriesKey : std::size_t {
    QUE_KeyId,
    QUE_KeyDate,
    QUE_KeyName,
    QUE_KeyCatalog,
    QUE_KeyNode,
    QUE_KeyBrand,
    QUE_KeySite,
};
enum GoodsKey : std::size_t { GOO_KeyQuery, GOO_KeyId, GOO_KeyBrand };
enum BrowsersKey : std::size_t { BRO_KeyId, BRO_KeyName };
enum SysinfoKey : std::size_t { SYS_KeyBrowser };
enum TagSetKey : std::size_t { TS_TblKey, TS_UsrTblKey, TS_UsrSourceDateKey };
enum TagFileKey : std::size_t { TF_PtrKey, TF_ValKey };
enum TagFilePosKey : std::size_t { TP_PosKey, TP_ValKey };

const store::TableDef& Def(TableId id);
// By label ("aCatalogs"), without regard to case; nullopt for a name that is no table.
std::optional<TableId> FindTable(std::string_view label);

// The real table behind an alias; a real table answers itself.
TableId RealTable(TableId id);
inline bool IsAlias(TableId id) {
    return RealTable(id) != id;
}

inline constexpr std::size_t Index(TableId id) {
    return static_cast<std::size_t>(id);
}

}  // namespace zem::data
