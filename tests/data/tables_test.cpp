#include <gtest/gtest.h>

#include <string>

#include "data/tables.h"
#include "data_fixture.h"

namespace zem::test {
namespace {

using data::TableId;

// Each key number names the key the callers mean: PREFIX_KeyName is PREFIX:KeyName.
struct KeyCase {
    TableId table;
    std::size_t key;
    const char* fullName;
    bool unique;
};
const KeyCase kKeys[] = {
    {TableId::Sites, data::SIT_KeyName, "SIT:KeyName", true},
    {TableId::aSites, data::ASI_KeyId, "ASI:KeyId", true},
    {TableId::aNodes, data::ANO_KeyParent, "ANO:KeyParent", false},
    {TableId::Catalogs, data::CAT_KeyNode, "CAT:KeyNode", false},
    {TableId::aCatalogs, data::ACA_KeyName, "ACA:KeyName", false},
    {TableId::Queries, data::QUE_KeySite, "QUE:KeySite", false},
    {TableId::Queries, data::QUE_KeyDate, "QUE:KeyDate", false},
    {TableId::Goods, data::GOO_KeyQuery, "GOO:KeyQuery", false},
    {TableId::Goods, data::GOO_KeyId, "GOO:KeyId", true},
    {TableId::Browsers, data::BRO_KeyName, "BRO:KeyName", true},
    {TableId::Sysinfo, data::SYS_KeyBrowser, "SYS:KeyBrowser", false},
    {TableId::TagSet_, data::TS_UsrSourceDateKey, "TS_:UsrSourceDateKey", false},
    {TableId::TagFile_, data::TF_ValKey, "TF_:ValKey", false},
    {TableId::TagFilePos_, data::TP_PosKey, "TP_:PosKey", true},
};

TEST(Tables, KeyNumbersNameTheirKeys) {
    for (const KeyCase& c : kKeys) {
        const store::TableDef& def = data::Def(c.table);
        ASSERT_LT(c.key, def.keys.size()) << c.fullName;
        EXPECT_EQ(std::string(def.prefix) + ":" + std::string(def.keys[c.key].name), c.fullName);
        EXPECT_EQ(def.keys[c.key].unique, c.unique) << c.fullName;
    }
}

// The Cyrillic descriptions are stored as code page 1251, which messages show as they are.
struct DescriptionCase {
    TableId table;
    std::size_t key;
    const char* utf8;
};
const DescriptionCase kDescriptions[] = {
    {TableId::Nodes, data::NOD_KeyId, "По идентификатору"},
    {TableId::aNodes, data::ANO_KeyName, "По наименованию"},
    {TableId::Nodes, data::NOD_KeyParent, "По родителю"},
    {TableId::Catalogs, data::CAT_KeyParent, "По родительскому каталогу"},
    {TableId::aCatalogs, data::ACA_KeyNode, "По листу"},
    {TableId::Brands, data::BRA_KeyId, "По идентификатору"},
    {TableId::Browsers, data::BRO_KeyId, "По идентификатору"},
};

TEST(Tables, CyrillicKeyDescriptionsAreCodePage1251) {
    for (const DescriptionCase& c : kDescriptions) {
        const std::string_view stored = data::Def(c.table).keys[c.key].description;
        EXPECT_EQ(Utf8FromCp1251(stored), c.utf8) << data::Def(c.table).name;
    }
}

TEST(Tables, AliasesAreTheirTablesUnderAnotherLabelAndPrefix) {
    const std::pair<TableId, const char*> aliases[] = {
        {TableId::aSites, "ASI"}, {TableId::aNodes, "ANO"}, {TableId::aCatalogs, "ACA"}};
    for (const auto& [alias, prefix] : aliases) {
        const store::TableDef& def = data::Def(alias);
        const store::TableDef& real = data::Def(data::RealTable(alias));
        EXPECT_EQ(def.prefix, prefix);
        EXPECT_EQ(def.sqlName, real.name);
        EXPECT_EQ(def.fields.data(), real.fields.data());
        EXPECT_EQ(def.keys.data(), real.keys.data());
    }
    EXPECT_EQ(data::FindTable("ACATALOGS"), TableId::aCatalogs);
    EXPECT_EQ(data::FindTable("tagfilepos_"), TableId::TagFilePos_);
    EXPECT_FALSE(data::FindTable("Catalog"));
}

}  // namespace
}  // namespace zem::test
