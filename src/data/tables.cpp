#include "data/tables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "data/records.h"

namespace zem::data {
namespace {

using store::FieldDef;
using store::FieldType;
using store::KeyDef;
using store::TableDef;

// Field descriptions come from the record structs themselves, so offsets and widths can't drift
// from the buffers the store reads into.
// clang-format off
#define ZEM_FIELD(Rec, name, kind) \
    FieldDef{#name, FieldType::kind, offsetof(Rec, name), sizeof(Rec::name)}
#define ZEM_DIM_FIELD(Rec, name, kind) \
    FieldDef{#name, FieldType::kind, offsetof(Rec, name), sizeof(Rec::name[0]), \
             static_cast<std::uint32_t>(std::extent_v<decltype(Rec::name)>)}
// clang-format on

// Not constexpr: reaching it in Col below stops the build at a misspelt key component.
inline void NoSuchField() {}

template <std::size_t N>
consteval std::uint16_t Col(const FieldDef (&fields)[N], std::string_view name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (fields[i].name == name) return static_cast<std::uint16_t>(i);
    }
    NoSuchField();
    return 0;
}

// Key descriptions in code page 1251, as the messages show them.
constexpr std::string_view kByIdentifier =
    "\xCF\xEE \xE8\xE4\xE5\xED\xF2\xE8\xF4\xE8\xEA\xE0\xF2\xEE\xF0\xF3";  // По идентификатору
constexpr std::string_view kByDesignation =
    "\xCF\xEE \xED\xE0\xE8\xEC\xE5\xED\xEE\xE2\xE0\xED\xE8\xFE";  // По наименованию
constexpr std::string_view kByParent = "\xCF\xEE \xF0\xEE\xE4\xE8\xF2\xE5\xEB\xFE";  // По родителю
constexpr std::string_view kByParentCatalog =
    "\xCF\xEE \xF0\xEE\xE4\xE8\xF2\xE5\xEB\xFC\xF1\xEA\xEE\xEC\xF3 "
    "\xEA\xE0\xF2\xE0\xEB\xEE\xE3\xF3";  // По родительскому каталогу
constexpr std::string_view kByLeaf = "\xCF\xEE \xEB\xE8\xF1\xF2\xF3";  // По листу

// Sites, aSites ---------------------------------------------------------------------------------
constexpr FieldDef kSitesFields[] = {
    ZEM_FIELD(SitesRecord, ID, Long),
    ZEM_FIELD(SitesRecord, NAME, String),
    ZEM_FIELD(SitesRecord, AFFILATEID, CString),
    ZEM_FIELD(SitesRecord, ACTIONS, CString),
    ZEM_DIM_FIELD(SitesRecord, ADWORDS, CString),
    ZEM_FIELD(SitesRecord, ISACTIVE, Byte),
};
constexpr std::uint16_t kSitesId[] = {Col(kSitesFields, "ID")};
constexpr std::uint16_t kSitesName[] = {Col(kSitesFields, "NAME")};
constexpr KeyDef kSitesKeys[] = {
    {"KeyId", kSitesId, true, true, false, "By Id"},
    {"KeyName", kSitesName, true, false, false, "By Name"},
};

// Nodes, aNodes ---------------------------------------------------------------------------------
constexpr FieldDef kNodesFields[] = {
    ZEM_FIELD(NodesRecord, ID, Long),    ZEM_FIELD(NodesRecord, PARENT, Long),
    ZEM_FIELD(NodesRecord, NODE, Long),  ZEM_FIELD(NodesRecord, NAME, CString),
    ZEM_FIELD(NodesRecord, FLAGS, Long),
};
constexpr std::uint16_t kNodesId[] = {Col(kNodesFields, "ID")};
constexpr std::uint16_t kNodesName[] = {Col(kNodesFields, "NAME")};
constexpr std::uint16_t kNodesParent[] = {Col(kNodesFields, "PARENT"), Col(kNodesFields, "NAME")};
constexpr KeyDef kNodesKeys[] = {
    {"KeyId", kNodesId, true, false, false, kByIdentifier},
    {"KeyName", kNodesName, false, false, false, kByDesignation},
    {"KeyParent", kNodesParent, false, false, false, kByParent},
};

// Catalogs, aCatalogs ---------------------------------------------------------------------------
constexpr FieldDef kCatalogsFields[] = {
    ZEM_FIELD(CatalogsRecord, ID, Long),         ZEM_FIELD(CatalogsRecord, PARENT, Long),
    ZEM_FIELD(CatalogsRecord, NAME, CString),    ZEM_FIELD(CatalogsRecord, NODE, Long),
    ZEM_FIELD(CatalogsRecord, CATALOG, CString), ZEM_FIELD(CatalogsRecord, FLAGS, Long),
    ZEM_FIELD(CatalogsRecord, BYBRAND, Byte),
};
constexpr std::uint16_t kCatalogsId[] = {Col(kCatalogsFields, "ID")};
constexpr std::uint16_t kCatalogsParent[] = {Col(kCatalogsFields, "PARENT"),
                                             Col(kCatalogsFields, "NAME")};
constexpr std::uint16_t kCatalogsNode[] = {
    Col(kCatalogsFields, "NODE"), Col(kCatalogsFields, "FLAGS"), Col(kCatalogsFields, "NAME")};
constexpr std::uint16_t kCatalogsName[] = {Col(kCatalogsFields, "NAME")};
constexpr KeyDef kCatalogsKeys[] = {
    {"KeyId", kCatalogsId, true, true, true, kByIdentifier},
    {"KeyParent", kCatalogsParent, false, false, false, kByParentCatalog},
    {"KeyNode", kCatalogsNode, false, false, false, kByLeaf},
    {"KeyName", kCatalogsName, false, false, false, "By Name"},
};

// Brands ----------------------------------------------------------------------------------------
constexpr FieldDef kBrandsFields[] = {
    ZEM_FIELD(BrandsRecord, ID, Long),
    ZEM_FIELD(BrandsRecord, NAME, String),
};
constexpr std::uint16_t kBrandsId[] = {Col(kBrandsFields, "ID")};
constexpr std::uint16_t kBrandsName[] = {Col(kBrandsFields, "NAME")};
constexpr KeyDef kBrandsKeys[] = {
    {"KeyId", kBrandsId, true, true, true, kByIdentifier},
    {"KeyName", kBrandsName, true, false, false, "By Name"},
};

// Queries ---------------------------------------------------------------------------------------
constexpr FieldDef kQueriesFields[] = {
    ZEM_FIELD(QueriesRecord, ID, Long),        ZEM_FIELD(QueriesRecord, BUILDDATE, Date),
    ZEM_FIELD(QueriesRecord, BUILDTIME, Time), ZEM_FIELD(QueriesRecord, SITE, Byte),
    ZEM_FIELD(QueriesRecord, CATALOG, Long),   ZEM_FIELD(QueriesRecord, NODE, Long),
    ZEM_FIELD(QueriesRecord, NAME, String),    ZEM_FIELD(QueriesRecord, KEYWORDS, CString),
    ZEM_FIELD(QueriesRecord, MINPRICE, Real),  ZEM_FIELD(QueriesRecord, MAXPRICE, Real),
    ZEM_FIELD(QueriesRecord, BRAND, Long),     ZEM_FIELD(QueriesRecord, SAVING, Real),
};
constexpr std::uint16_t kQueriesId[] = {Col(kQueriesFields, "ID")};
constexpr std::uint16_t kQueriesDate[] = {Col(kQueriesFields, "BUILDDATE"),
                                          Col(kQueriesFields, "BUILDTIME"),
                                          Col(kQueriesFields, "NAME")};
constexpr std::uint16_t kQueriesName[] = {Col(kQueriesFields, "NAME")};
constexpr std::uint16_t kQueriesCatalog[] = {Col(kQueriesFields, "CATALOG"),
                                             Col(kQueriesFields, "NAME")};
constexpr std::uint16_t kQueriesNode[] = {Col(kQueriesFields, "NODE"), Col(kQueriesFields, "NAME")};
constexpr std::uint16_t kQueriesBrand[] = {Col(kQueriesFields, "BRAND"),
                                           Col(kQueriesFields, "NAME")};
constexpr std::uint16_t kQueriesSite[] = {Col(kQueriesFields, "SITE"), Col(kQueriesFields, "NAME")};
constexpr KeyDef kQueriesKeys[] = {
    {"KeyId", kQueriesId, true, true, true, "QUE:KeyId"},
    {"KeyDate", kQueriesDate, false, false, false, "By Date"},
    {"KeyName", kQueriesName, false, false, false, "By Name"},
    {"KeyCatalog", kQueriesCatalog, false, false, false, "By Catalog"},
    {"KeyNode", kQueriesNode, false, false, false, "By Node"},
    {"KeyBrand", kQueriesBrand, false, false, false, "By Brand"},
    {"KeySite", kQueriesSite, false, false, false, "By Site"},
};

// Goods -----------------------------------------------------------------------------------------
constexpr FieldDef kGoodsFields[] = {
    ZEM_FIELD(GoodsRecord, ID, Long),
    ZEM_FIELD(GoodsRecord, ASIN, CString),
    ZEM_FIELD(GoodsRecord, QUERY, Long),
    ZEM_FIELD(GoodsRecord, BRAND, Long),
    ZEM_FIELD(GoodsRecord, RANK, Real),
    ZEM_FIELD(GoodsRecord, DETAILPAGE, CString),
    ZEM_FIELD(GoodsRecord, TITLE, String),
    ZEM_FIELD(GoodsRecord, KEYWORDS, CString),
    ZEM_FIELD(GoodsRecord, ADS, Long),
    ZEM_FIELD(GoodsRecord, AFFILATIVE, Long),
    ZEM_FIELD(GoodsRecord, PRICELIST, CString),
    ZEM_FIELD(GoodsRecord, PRICEREAL, Real),
    ZEM_FIELD(GoodsRecord, AMAZONPRICE, CString),
    ZEM_FIELD(GoodsRecord, AMAZONREAL, Real),
    ZEM_FIELD(GoodsRecord, SHIP, Byte),
};
constexpr std::uint16_t kGoodsQuery[] = {Col(kGoodsFields, "QUERY")};
constexpr std::uint16_t kGoodsId[] = {Col(kGoodsFields, "ID")};
constexpr std::uint16_t kGoodsBrand[] = {Col(kGoodsFields, "BRAND")};
constexpr KeyDef kGoodsKeys[] = {
    {"KeyQuery", kGoodsQuery, false, false, false, "By Query"},
    {"KeyId", kGoodsId, true, true, true, "By Id"},
    {"KeyBrand", kGoodsBrand, false, false, false, "By Brand"},
};

// Browsers --------------------------------------------------------------------------------------
constexpr FieldDef kBrowsersFields[] = {
    ZEM_FIELD(BrowsersRecord, ID, Long),
    ZEM_FIELD(BrowsersRecord, NAME, String),
    ZEM_FIELD(BrowsersRecord, USERAGENT, String),
};
constexpr std::uint16_t kBrowsersId[] = {Col(kBrowsersFields, "ID")};
constexpr std::uint16_t kBrowsersName[] = {Col(kBrowsersFields, "NAME")};
constexpr KeyDef kBrowsersKeys[] = {
    {"KeyId", kBrowsersId, true, true, true, kByIdentifier},
    {"KeyName", kBrowsersName, true, false, false, "By Name"},
};

// Sysinfo ---------------------------------------------------------------------------------------
constexpr FieldDef kSysinfoFields[] = {
    ZEM_FIELD(SysinfoRecord, USERAGENT, Long),      ZEM_FIELD(SysinfoRecord, MANUAL, Long),
    ZEM_FIELD(SysinfoRecord, PROXY, CString),       ZEM_FIELD(SysinfoRecord, USER, CString),
    ZEM_FIELD(SysinfoRecord, PASSWORD, CString),    ZEM_FIELD(SysinfoRecord, USEACCOUNT, Byte),
    ZEM_FIELD(SysinfoRecord, USEPASSWORD, Byte),    ZEM_FIELD(SysinfoRecord, CATALOGLEVEL, Byte),
    ZEM_FIELD(SysinfoRecord, AUTOLOADBRANDS, Byte),
};
constexpr std::uint16_t kSysinfoBrowser[] = {Col(kSysinfoFields, "USERAGENT")};
constexpr KeyDef kSysinfoKeys[] = {
    {"KeyBrowser", kSysinfoBrowser, false, false, false, "By Browser"},
};

// TagSet_ ---------------------------------------------------------------------------------------
constexpr FieldDef kTagSetFields[] = {
    ZEM_FIELD(TagSetRecord, TBL, Short),     ZEM_FIELD(TagSetRecord, USR, Long),
    ZEM_FIELD(TagSetRecord, SOURCE, String), ZEM_FIELD(TagSetRecord, DATE, Long),
    ZEM_FIELD(TagSetRecord, COUNT, Long),    ZEM_FIELD(TagSetRecord, DESCRIPTION, String),
};
constexpr std::uint16_t kTagSetTbl[] = {Col(kTagSetFields, "TBL")};
constexpr std::uint16_t kTagSetUsrTbl[] = {Col(kTagSetFields, "USR"), Col(kTagSetFields, "TBL")};
constexpr std::uint16_t kTagSetUsrSourceDate[] = {
    Col(kTagSetFields, "USR"), Col(kTagSetFields, "SOURCE"), Col(kTagSetFields, "DATE")};
constexpr KeyDef kTagSetKeys[] = {
    {"TblKey", kTagSetTbl, true, true, false, "TS_:TblKey"},
    {"UsrTblKey", kTagSetUsrTbl, false, false, false, "TS_:UsrTblKey"},
    {"UsrSourceDateKey", kTagSetUsrSourceDate, false, false, false, "TS_:UsrSourceDateKey"},
};

// TagFile_ --------------------------------------------------------------------------------------
constexpr FieldDef kTagFileFields[] = {
    ZEM_FIELD(TagFileRecord, USR, Long),
    ZEM_FIELD(TagFileRecord, TBL, Short),
    ZEM_FIELD(TagFileRecord, PTR, Long),
    ZEM_FIELD(TagFileRecord, VAL, String),
};
constexpr std::uint16_t kTagFilePtr[] = {Col(kTagFileFields, "USR"), Col(kTagFileFields, "TBL"),
                                         Col(kTagFileFields, "PTR")};
constexpr std::uint16_t kTagFileVal[] = {Col(kTagFileFields, "USR"), Col(kTagFileFields, "TBL"),
                                         Col(kTagFileFields, "VAL")};
constexpr KeyDef kTagFileKeys[] = {
    {"PtrKey", kTagFilePtr, true, true, false, "TF_:PtrKey"},
    {"ValKey", kTagFileVal, false, false, false, "TF_:ValKey"},
};

// TagFilePos_ -----------------------------------------------------------------------------------
constexpr FieldDef kTagFilePosFields[] = {
    ZEM_FIELD(TagFilePosRecord, USR, Long),
    ZEM_FIELD(TagFilePosRecord, TBL, Short),
    ZEM_FIELD(TagFilePosRecord, POS, String),
    ZEM_FIELD(TagFilePosRecord, VAL, String),
};
constexpr std::uint16_t kTagFilePosPos[] = {
    Col(kTagFilePosFields, "USR"), Col(kTagFilePosFields, "TBL"), Col(kTagFilePosFields, "POS")};
constexpr std::uint16_t kTagFilePosVal[] = {
    Col(kTagFilePosFields, "USR"), Col(kTagFilePosFields, "TBL"), Col(kTagFilePosFields, "VAL")};
constexpr KeyDef kTagFilePosKeys[] = {
    {"PosKey", kTagFilePosPos, true, true, false, "TP_:PosKey"},
    {"ValKey", kTagFilePosVal, false, false, false, "TP_:ValKey"},
};

#undef ZEM_FIELD
#undef ZEM_DIM_FIELD

// Indexed by TableId. An alias has its table's fields and keys under its own label and prefix.
constexpr std::array<TableDef, kTableCount> kTables{{
    {"Sites", "Sites", "SIT", kSitesFields, kSitesKeys, sizeof(SitesRecord)},
    {"aSites", "Sites", "ASI", kSitesFields, kSitesKeys, sizeof(SitesRecord)},
    {"Nodes", "Nodes", "NOD", kNodesFields, kNodesKeys, sizeof(NodesRecord)},
    {"aNodes", "Nodes", "ANO", kNodesFields, kNodesKeys, sizeof(NodesRecord)},
    {"Catalogs", "Catalogs", "CAT", kCatalogsFields, kCatalogsKeys, sizeof(CatalogsRecord)},
    {"aCatalogs", "Catalogs", "ACA", kCatalogsFields, kCatalogsKeys, sizeof(CatalogsRecord)},
    {"Brands", "Brands", "BRA", kBrandsFields, kBrandsKeys, sizeof(BrandsRecord)},
    {"Queries", "Queries", "QUE", kQueriesFields, kQueriesKeys, sizeof(QueriesRecord)},
    {"Goods", "Goods", "GOO", kGoodsFields, kGoodsKeys, sizeof(GoodsRecord)},
    {"Browsers", "Browsers", "BRO", kBrowsersFields, kBrowsersKeys, sizeof(BrowsersRecord)},
    {"Sysinfo", "Sysinfo", "SYS", kSysinfoFields, kSysinfoKeys, sizeof(SysinfoRecord)},
    {"TagSet_", "TagSet_", "TS_", kTagSetFields, kTagSetKeys, sizeof(TagSetRecord)},
    {"TagFile_", "TagFile_", "TF_", kTagFileFields, kTagFileKeys, sizeof(TagFileRecord)},
    {"TagFilePos_", "TagFilePos_", "TP_", kTagFilePosFields, kTagFilePosKeys,
     sizeof(TagFilePosRecord)},
}};

// Fields packed one after another with nothing left over: a field added to a record struct but
// not described here (or the reverse) fails the build.
consteval bool Contiguous(const TableDef& def) {
    std::uint32_t next = 0;
    for (const FieldDef& field : def.fields) {
        if (field.offset != next) return false;
        next += field.size * field.dim;
    }
    return next == def.recordSize;
}
consteval bool AllContiguous() {
    for (const TableDef& def : kTables) {
        if (!Contiguous(def)) return false;
    }
    return true;
}
static_assert(AllContiguous());

constexpr bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

const store::TableDef& Def(TableId id) {
    return kTables[Index(id)];
}

std::optional<TableId> FindTable(std::string_view label) {
    for (std::size_t i = 0; i < kTables.size(); ++i) {
        if (EqualNoCase(kTables[i].name, label)) return static_cast<TableId>(i);
    }
    return std::nullopt;
}

TableId RealTable(TableId id) {
    switch (id) {
        case TableId::aSites:
            return TableId::Sites;
        case TableId::aNodes:
            return TableId::Nodes;
        case TableId::aCatalogs:
            return TableId::Catalogs;
        default:
            return id;
    }
}

}  // namespace zem::data
