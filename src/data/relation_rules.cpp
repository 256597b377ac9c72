#include "data/relation_rules.h"

namespace zem::data {
namespace {

using enum TableId;

constexpr RelationDef kCatalogTree{aCatalogs, Catalogs,   CAT_KeyParent, {{{"ID", "PARENT"}}},
                                   1,         Rule::None, Rule::Cascade};
constexpr RelationDef kSiteQueries{Sites, Queries,    QUE_KeySite, {{{"ID", "SITE"}}},
                                   1,     Rule::None, Rule::None};
constexpr RelationDef kTagSetTags{
    TagSet_, TagFile_,      TF_PtrKey,   {{{"USR", "USR"}, {"TBL", "TBL"}}},
    2,       Rule::Cascade, Rule::Cascade};
constexpr RelationDef kTagSetPositions{
    TagSet_, TagFilePos_,   TP_ValKey,   {{{"USR", "USR"}, {"TBL", "TBL"}}},
    2,       Rule::Cascade, Rule::Cascade};
constexpr RelationDef kBrandQueries{Brands, Queries,    QUE_KeyBrand, {{{"ID", "BRAND"}}},
                                    1,      Rule::None, Rule::None};
constexpr RelationDef kBrandGoods{Brands, Goods,      GOO_KeyBrand, {{{"ID", "BRAND"}}},
                                  1,      Rule::None, Rule::None};
constexpr RelationDef kCatalogQueries{Catalogs, Queries,    QUE_KeyCatalog, {{{"ID", "CATALOG"}}},
                                      1,        Rule::None, Rule::None};
constexpr RelationDef kQueryGoods{Queries, Goods,      GOO_KeyQuery, {{{"ID", "QUERY"}}},
                                  1,       Rule::None, Rule::Cascade};
constexpr RelationDef kNodeQueries{Nodes, Queries,    QUE_KeyNode, {{{"ID", "NODE"}}},
                                   1,     Rule::None, Rule::None};
constexpr RelationDef kBrowserConfig{Browsers, Sysinfo,    SYS_KeyBrowser, {{{"ID", "USERAGENT"}}},
                                     1,        Rule::None, Rule::Clear};

constexpr const RelationDef* kSites[] = {&kSiteQueries};
constexpr const RelationDef* kNodes[] = {&kNodeQueries};
constexpr const RelationDef* kCatalogs[] = {&kCatalogTree, &kCatalogQueries};
constexpr const RelationDef* kACatalogs[] = {&kCatalogTree};
constexpr const RelationDef* kBrands[] = {&kBrandQueries, &kBrandGoods};
constexpr const RelationDef* kQueries[] = {&kSiteQueries, &kCatalogQueries, &kQueryGoods,
                                           &kNodeQueries, &kBrandQueries};
constexpr const RelationDef* kGoods[] = {&kQueryGoods, &kBrandGoods};
constexpr const RelationDef* kBrowsers[] = {&kBrowserConfig};
constexpr const RelationDef* kSysinfo[] = {&kBrowserConfig};
constexpr const RelationDef* kTagSet[] = {&kTagSetTags, &kTagSetPositions};
constexpr const RelationDef* kTagFile[] = {&kTagSetTags};
constexpr const RelationDef* kTagFilePos[] = {&kTagSetPositions};

}  // namespace

std::span<const RelationDef* const> RelationsOf(TableId id) {
    switch (id) {
        case Sites:
            return kSites;
        case Nodes:
            return kNodes;
        case Catalogs:
            return kCatalogs;
        case aCatalogs:
            return kACatalogs;
        case Brands:
            return kBrands;
        case Queries:
            return kQueries;
        case Goods:
            return kGoods;
        case Browsers:
            return kBrowsers;
        case Sysinfo:
            return kSysinfo;
        case TagSet_:
            return kTagSet;
        case TagFile_:
            return kTagFile;
        case TagFilePos_:
            return kTagFilePos;
        case aSites:
        case aNodes:
            return {};
    }
    return {};
}

}  // namespace zem::data
