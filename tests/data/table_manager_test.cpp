#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "data/field_rules.h"
#include "data_fixture.h"

namespace zem::test {
namespace {

using data::TableId;

TEST_F(DataTest, PrimedRecordsStartFromDefaultsWhateverTheBufferHeld) {
    std::memset(&D().QUE, 'x', sizeof D().QUE);
    std::memset(&D().SYS, 'x', sizeof D().SYS);
    std::memset(&D().BRA, 'x', sizeof D().BRA);

    ASSERT_EQ(M(TableId::Queries).PrimeRecord(), ui::Benign);
    EXPECT_EQ(+D().QUE.SITE, 1);
    EXPECT_GT(+D().QUE.ID, 0);
    EXPECT_EQ(+D().QUE.BRAND, 0);
    EXPECT_EQ(+D().QUE.MINPRICE, 0.0);
    EXPECT_EQ(data::StringOf(D().QUE.NAME), "");
    EXPECT_EQ(data::CStringOf(D().QUE.KEYWORDS), "");

    ASSERT_EQ(M(TableId::Sysinfo).PrimeRecord(), ui::Benign);
    EXPECT_EQ(+D().SYS.USERAGENT, 1);
    EXPECT_EQ(+D().SYS.CATALOGLEVEL, 0);
    EXPECT_EQ(data::CStringOf(D().SYS.PROXY), "");

    ASSERT_EQ(M(TableId::Brands).PrimeRecord(), ui::Benign);
    EXPECT_GT(+D().BRA.ID, 0);
    EXPECT_EQ(data::StringOf(D().BRA.NAME), "");
}

struct ValidationCase {
    const char* what;
    TableId table;
    int field;
    int value;
    ui::Level expected;
    const char* caption;  // nullptr: nothing shown
    const char* text;
};

constexpr const char* kSiteList =
    "The value of Site must be in the list : 'Amazon US','Amazon UK','Amazon FR','Amazon DE',"
    "'Amazon JP','Amazon CA'.";
constexpr const char* kLevelRange =
    "The value of Catalog tree maximum level must be in range 0 .. 100.";

const ValidationCase kValidation[] = {
    {"site 3 is no store (though \"32\" holds a 3)", TableId::Queries, 4, 3, ui::Notify,
     "Value Error", kSiteList},
    {"site 0 is no store", TableId::Queries, 4, 0, ui::Notify, "Value Error", kSiteList},
    {"site 6 is no store (though \"16\" holds a 6)", TableId::Queries, 4, 6, ui::Notify,
     "Value Error", kSiteList},
    {"site 16 is Amazon JP", TableId::Queries, 4, 16, ui::Benign, nullptr, nullptr},
    {"site 1 is Amazon US", TableId::Queries, 4, 1, ui::Benign, nullptr, nullptr},
    {"other query fields have no rule", TableId::Queries, 5, -7, ui::Benign, nullptr, nullptr},
    {"level 100 is the deepest", TableId::Sysinfo, 8, 100, ui::Benign, nullptr, nullptr},
    {"level 0 is allowed", TableId::Sysinfo, 8, 0, ui::Benign, nullptr, nullptr},
    {"level 101 is too deep", TableId::Sysinfo, 8, 101, ui::Notify, "Range Error", kLevelRange},
    {"level 255 is too deep", TableId::Sysinfo, 8, 255, ui::Notify, "Range Error", kLevelRange},
    {"other sysinfo fields have no rule", TableId::Sysinfo, 7, 200, ui::Benign, nullptr, nullptr},
};

void SetField(data::Dictionary& d, TableId table, int field, int value) {
    if (table == TableId::Queries && field == 4) d.QUE.SITE = static_cast<std::uint8_t>(value);
    if (table == TableId::Queries && field == 5) d.QUE.CATALOG = value;
    if (table == TableId::Sysinfo && field == 8) {
        d.SYS.CATALOGLEVEL = static_cast<std::uint8_t>(value);
    }
    if (table == TableId::Sysinfo && field == 7)
        d.SYS.USEPASSWORD = static_cast<std::uint8_t>(value);
}

TEST_F(DataTest, FieldRulesAcceptOrRefuseWithTheirMessage) {
    for (const ValidationCase& c : kValidation) {
        SCOPED_TRACE(c.what);
        sink->Clear();
        ASSERT_EQ(M(c.table).PrimeRecord(), ui::Benign);
        SetField(D(), c.table, c.field, c.value);
        const std::vector<std::byte> before(M(c.table).Buffer().begin(), M(c.table).Buffer().end());

        EXPECT_EQ(M(c.table).ValidateField(c.field, true), c.expected);
        if (c.caption) {
            ASSERT_EQ(sink->Count(), 1u);
            EXPECT_EQ(sink->Last()->caption, c.caption);
            EXPECT_EQ(sink->Last()->text, c.text);
        } else {
            EXPECT_EQ(sink->Count(), 0u);
        }
        const std::vector<std::byte> after(M(c.table).Buffer().begin(), M(c.table).Buffer().end());
        EXPECT_EQ(before, after) << "validation changed the record";

        // Without the report flag the verdict is the same and nothing is shown.
        sink->Clear();
        EXPECT_EQ(M(c.table).ValidateField(c.field, false), c.expected);
        EXPECT_EQ(sink->Count(), 0u);
    }
}

struct UniqueCase {
    const char* what;
    TableId table;
    void (*first)(data::Dictionary&);
    void (*second)(data::Dictionary&);
    bool secondRefused;
    const char* key;  // the key the refusal names
};

void Brand(data::Dictionary& d, const char* name) {
    data::SetString(d.BRA.NAME, name);
}
void Catalog(data::Dictionary& d, const char* name, std::int32_t store) {
    data::SetCString(d.CAT.NAME, name);
    d.CAT.FLAGS = store;
}
void Tag(data::Dictionary& d, std::int32_t ptr, const char* val) {
    d.TF_.USR = 0;
    d.TF_.TBL = 5;
    d.TF_.PTR = ptr;
    data::SetString(d.TF_.VAL, val);
}

const UniqueCase kUnique[] = {
    {"brand names ignore case and trailing blanks", TableId::Brands,
     [](data::Dictionary& d) { Brand(d, "Acme"); }, [](data::Dictionary& d) { Brand(d, "ACME "); },
     true, "By Name"},
    {"different brands", TableId::Brands, [](data::Dictionary& d) { Brand(d, "Acme"); },
     [](data::Dictionary& d) { Brand(d, "Apex"); }, false, nullptr},
    {"one catalog name in two stores", TableId::Catalogs,
     [](data::Dictionary& d) { Catalog(d, "Books", 1); },
     [](data::Dictionary& d) { Catalog(d, "Books", 2); }, false, nullptr},
    {"two tags on one record", TableId::TagFile_, [](data::Dictionary& d) { Tag(d, 7, "*"); },
     [](data::Dictionary& d) { Tag(d, 7, "+"); }, true, "TF_:PtrKey"},
    {"one tag value on two records", TableId::TagFile_, [](data::Dictionary& d) { Tag(d, 7, "*"); },
     [](data::Dictionary& d) { Tag(d, 8, "*"); }, false, nullptr},
};

TEST_F(DataTest, UniqueKeysRefuseASecondRowWithTheDuplicateNamed) {
    for (const UniqueCase& c : kUnique) {
        SCOPED_TRACE(c.what);
        sink->Clear();
        ASSERT_EQ(M(c.table).UseFile(), ui::Benign);
        ASSERT_EQ(M(c.table).File().Empty(), store::NoError);
        ASSERT_EQ(Add(c.table, [&] { c.first(D()); }), ui::Benign);
        const ui::Level second = Add(c.table, [&] { c.second(D()); });
        if (c.secondRefused) {
            EXPECT_EQ(second, ui::Notify);
            EXPECT_EQ(store::ErrorCode(), store::DuplicateKey);
            ASSERT_EQ(sink->Count(), 1u);
            EXPECT_EQ(
                sink->Last()->text,
                std::string("Adding this record creates a duplicate entry for the key: ") + c.key);
            EXPECT_EQ(Count(c.table), 1);
        } else {
            EXPECT_EQ(second, ui::Benign);
            EXPECT_EQ(sink->Count(), 0u);
            EXPECT_EQ(Count(c.table), 2);
        }
    }
}

TEST_F(DataTest, UpdateIntoAnotherRowsNameIsRefusedAndLeavesBothRows) {
    ASSERT_EQ(Add(TableId::Brands, [] { data::SetString(D().BRA.NAME, "Acme"); }), ui::Benign);
    ASSERT_EQ(Add(TableId::Brands, [] { data::SetString(D().BRA.NAME, "Apex"); }), ui::Benign);
    data::SetString(D().BRA.NAME, "acme");
    EXPECT_EQ(M(TableId::Brands).Update(), ui::Notify);
    EXPECT_EQ(LastText(), "Adding this record creates a duplicate entry for the key: By Name");
    EXPECT_EQ(M(TableId::Brands).TryUpdate(), ui::Notify);
    EXPECT_EQ(Count(TableId::Brands), 2);

    // Rewriting a row with its own key values is no duplicate.
    sink->Clear();
    data::SetString(D().BRA.NAME, "Apex");
    ASSERT_EQ(M(TableId::Brands).TryFetch(data::BRA_KeyName), ui::Benign);
    EXPECT_EQ(M(TableId::Brands).Update(), ui::Benign);
    EXPECT_EQ(sink->Count(), 0u);
}

TEST_F(DataTest, FetchReportsAMissByTheKeysDescriptionAndTryFetchStaysQuiet) {
    D().NOD.ID = 99;
    EXPECT_EQ(M(TableId::Nodes).TryFetch(data::NOD_KeyId), ui::Notify);
    EXPECT_EQ(sink->Count(), 0u);

    D().NOD.ID = 99;
    EXPECT_EQ(M(TableId::Nodes).Fetch(data::NOD_KeyId), ui::Notify);
    ASSERT_EQ(sink->Count(), 1u);
    EXPECT_EQ(sink->Last()->caption, "Record Not Found");
    EXPECT_EQ(Utf8FromCp1251(sink->Last()->text),
              "The record was not found in the Nodes file (По идентификатору).");

    D().SIT.ID = 1;
    EXPECT_EQ(M(TableId::Sites).Fetch(data::SIT_KeyId), ui::Benign);
    EXPECT_EQ(data::StringOf(D().SIT.NAME), "Amazon US");
}

TEST_F(DataTest, OpenAndCloseAreCounted) {
    data::TableManager& goods = M(TableId::Goods);
    ASSERT_EQ(goods.Open(), ui::Benign);
    ASSERT_EQ(goods.Open(), ui::Benign);
    goods.Close();
    EXPECT_TRUE(goods.File().IsOpen());
    goods.Close();
    EXPECT_FALSE(goods.File().IsOpen());
    // A use without an Open opens the table again.
    D().GOO.ID = 1;
    EXPECT_EQ(goods.TryFetch(data::GOO_KeyId), ui::Notify);
    EXPECT_TRUE(goods.File().IsOpen());
}

}  // namespace
}  // namespace zem::test
