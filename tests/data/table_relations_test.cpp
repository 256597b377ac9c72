#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "data_fixture.h"

namespace zem::test {
namespace {

using data::TableId;

class RelationsTest : public DataTest {
  protected:
    static std::int32_t AddQuery(const char* name, std::int32_t brand = 0) {
        Add(TableId::Queries, [&] {
            data::SetString(D().QUE.NAME, name);
            D().QUE.BRAND = brand;
        });
        return D().QUE.ID;
    }
    static std::int32_t AddGood(std::int32_t query, std::int32_t brand = 0) {
        Add(TableId::Goods, [&] {
            D().GOO.QUERY = query;
            D().GOO.BRAND = brand;
        });
        return D().GOO.ID;
    }
    static std::int32_t AddCatalog(const char* name, std::int32_t parent) {
        Add(TableId::Catalogs, [&] {
            data::SetCString(D().CAT.NAME, name);
            D().CAT.PARENT = parent;
            D().CAT.FLAGS = 1;
        });
        return D().CAT.ID;
    }
    static void AddTag(std::int32_t usr, std::int16_t tbl, std::int32_t ptr) {
        ASSERT_EQ(Add(TableId::TagFile_,
                      [&] {
                          D().TF_.USR = usr;
                          D().TF_.TBL = tbl;
                          D().TF_.PTR = ptr;
                          data::SetString(D().TF_.VAL, "*");
                      }),
                  ui::Benign);
    }
    static void AddPosition(std::int32_t usr, std::int16_t tbl, const char* pos) {
        ASSERT_EQ(Add(TableId::TagFilePos_,
                      [&] {
                          D().TP_.USR = usr;
                          D().TP_.TBL = tbl;
                          data::SetString(D().TP_.POS, pos);
                      }),
                  ui::Benign);
    }
    static void AddTagSet(std::int32_t usr, std::int16_t tbl) {
        ASSERT_EQ(Add(TableId::TagSet_,
                      [&] {
                          D().TS_.USR = usr;
                          D().TS_.TBL = tbl;
                      }),
                  ui::Benign);
    }

    // The (USR, TBL) of every row of a tag table, walked in file order.
    static std::multiset<std::pair<int, int>> TagOwners(TableId id) {
        std::multiset<std::pair<int, int>> owners;
        store::Table& table = M(id).File();
        EXPECT_EQ(table.SetFile(), store::NoError);
        while (M(id).TryNext() == ui::Benign) {
            if (id == TableId::TagFile_) owners.insert({+D().TF_.USR, +D().TF_.TBL});
            if (id == TableId::TagFilePos_) owners.insert({+D().TP_.USR, +D().TP_.TBL});
        }
        return owners;
    }

    static std::vector<std::int32_t> Ids(TableId id) {
        std::vector<std::int32_t> ids;
        store::Table& table = M(id).File();
        EXPECT_EQ(table.SetFile(), store::NoError);
        while (M(id).TryNext() == ui::Benign) {
            // Copied out: a packed field can't be bound to push_back's reference.
            const std::int32_t rowId = id == TableId::Goods      ? D().GOO.ID
                                       : id == TableId::Catalogs ? D().CAT.ID
                                       : id == TableId::Queries  ? D().QUE.ID
                                                                 : 0;
            ids.push_back(rowId);
        }
        return ids;
    }
};

TEST_F(RelationsTest, DeletingAQueryDeletesItsGoodsButNotItsTags) {
    const std::int32_t q1 = AddQuery("Lamps");
    const std::int32_t q2 = AddQuery("Tables");
    const std::int32_t g1 = AddGood(q1);
    AddGood(q1);
    const std::int32_t g3 = AddGood(q2);
    AddGood(q1);
    AddTag(0, static_cast<std::int16_t>(q1), g1);

    ASSERT_EQ(data::Relate(TableId::Queries).Open(), ui::Benign);
    D().QUE.ID = q1;
    ASSERT_EQ(M(TableId::Queries).Fetch(data::QUE_KeyId), ui::Benign);
    EXPECT_EQ(data::Relate(TableId::Queries).Delete(false), ui::Benign);

    EXPECT_EQ(Ids(TableId::Queries), std::vector<std::int32_t>{q2});
    EXPECT_EQ(Ids(TableId::Goods), std::vector<std::int32_t>{g3});
    EXPECT_EQ(TagOwners(TableId::TagFile_).size(), 1u);
    EXPECT_EQ(sink->Count(), 0u);
    data::Relate(TableId::Queries).Close();
}

TEST_F(RelationsTest, DeletingACatalogThroughTheAliasDeletesOneLevelOfChildren) {
    const std::int32_t root = AddCatalog("Electronics", 0);
    const std::int32_t child1 = AddCatalog("Audio", root);
    const std::int32_t child2 = AddCatalog("Video", root);
    const std::int32_t grandchild = AddCatalog("Headphones", child1);
    const std::int32_t other = AddCatalog("Garden", 0);
    (void)child2;

    D().ACA.ID = root;
    ASSERT_EQ(M(TableId::aCatalogs).Fetch(data::ACA_KeyId), ui::Benign);
    EXPECT_EQ(data::Relate(TableId::aCatalogs).Delete(false), ui::Benign);

    EXPECT_EQ(Ids(TableId::Catalogs), (std::vector<std::int32_t>{grandchild, other}));
}

TEST_F(RelationsTest, ACatalogThatIsItsOwnParentIsDeletedOnceWithoutComplaint) {
    const std::int32_t loop = AddCatalog("Loop", 0);
    const std::int32_t child = AddCatalog("Child", loop);
    D().CAT.ID = loop;
    ASSERT_EQ(M(TableId::Catalogs).Fetch(data::CAT_KeyId), ui::Benign);
    D().CAT.PARENT = loop;
    ASSERT_EQ(M(TableId::Catalogs).Update(), ui::Benign);

    D().ACA.ID = loop;
    ASSERT_EQ(M(TableId::aCatalogs).Fetch(data::ACA_KeyId), ui::Benign);
    EXPECT_EQ(data::Relate(TableId::aCatalogs).Delete(false), ui::Benign);
    EXPECT_EQ(sink->Count(), 0u);
    EXPECT_TRUE(Ids(TableId::Catalogs).empty()) << "child " << child << " left";
}

TEST_F(RelationsTest, DeletingACatalogThroughItsTableLeavesItsChildren) {
    const std::int32_t root = AddCatalog("Electronics", 0);
    const std::int32_t child = AddCatalog("Audio", root);
    D().CAT.ID = root;
    ASSERT_EQ(M(TableId::Catalogs).Fetch(data::CAT_KeyId), ui::Benign);
    EXPECT_EQ(data::Relate(TableId::Catalogs).Delete(false), ui::Benign);
    EXPECT_EQ(Ids(TableId::Catalogs), std::vector<std::int32_t>{child});
}

TEST_F(RelationsTest, DeletingABrowserClearsTheConfigurationThatChoseIt) {
    for (std::int32_t agent : {2, 1}) {
        ASSERT_EQ(Add(TableId::Sysinfo,
                      [&] {
                          D().SYS.USERAGENT = agent;
                          D().SYS.CATALOGLEVEL = 7;
                          data::SetCString(D().SYS.PROXY, "proxy:8080");
                      }),
                  ui::Benign);
    }
    D().BRO.ID = 2;
    ASSERT_EQ(M(TableId::Browsers).Fetch(data::BRO_KeyId), ui::Benign);
    EXPECT_EQ(data::Relate(TableId::Browsers).Delete(false), ui::Benign);

    std::multiset<int> agents;
    ASSERT_EQ(M(TableId::Sysinfo).File().SetFile(), store::NoError);
    while (M(TableId::Sysinfo).TryNext() == ui::Benign) {
        agents.insert(+D().SYS.USERAGENT);
        EXPECT_EQ(+D().SYS.CATALOGLEVEL, 7);
        EXPECT_EQ(data::CStringOf(D().SYS.PROXY), "proxy:8080");
    }
    EXPECT_EQ(agents, (std::multiset<int>{0, 1}));
    D().BRO.ID = 2;
    EXPECT_EQ(M(TableId::Browsers).TryFetch(data::BRO_KeyId), ui::Notify);
}

class TagSetTest : public RelationsTest {
  protected:
    void SetUp() override {
        RelationsTest::SetUp();
        AddTagSet(0, 5);
        AddTagSet(0, 6);
        AddTag(0, 5, 1);
        AddTag(0, 5, 2);
        AddTag(0, 6, 1);
        AddTag(1, 5, 1);  // another user's set 5
        AddPosition(0, 5, "a");
        AddPosition(0, 5, "b");
        AddPosition(0, 6, "a");
        D().TS_.TBL = 5;
        ASSERT_EQ(M(TableId::TagSet_).Fetch(data::TS_TblKey), ui::Benign);
    }
};

TEST_F(TagSetTest, DeletingATagSetDeletesItsTagsAndPositions) {
    EXPECT_EQ(data::Relate(TableId::TagSet_).Delete(false), ui::Benign);
    EXPECT_EQ(TagOwners(TableId::TagFile_), (std::multiset<std::pair<int, int>>{{0, 6}, {1, 5}}));
    EXPECT_EQ(TagOwners(TableId::TagFilePos_), (std::multiset<std::pair<int, int>>{{0, 6}}));
}

TEST_F(TagSetTest, RenumberingATagSetRenumbersItsTagsAndPositions) {
    D().TS_.TBL = 9;
    EXPECT_EQ(data::Relate(TableId::TagSet_).Update(), ui::Benign);
    EXPECT_EQ(TagOwners(TableId::TagFile_),
              (std::multiset<std::pair<int, int>>{{0, 9}, {0, 9}, {0, 6}, {1, 5}}));
    EXPECT_EQ(TagOwners(TableId::TagFilePos_),
              (std::multiset<std::pair<int, int>>{{0, 9}, {0, 9}, {0, 6}}));
    D().TS_.TBL = 9;
    EXPECT_EQ(M(TableId::TagSet_).TryFetch(data::TS_TblKey), ui::Benign);
}

TEST_F(TagSetTest, ARenumberOntoAnExistingSetIsRefusedAndMovesNoTag) {
    const auto tags = TagOwners(TableId::TagFile_);
    const auto positions = TagOwners(TableId::TagFilePos_);
    D().TS_.TBL = 6;
    EXPECT_EQ(data::Relate(TableId::TagSet_).Update(), ui::Notify);
    EXPECT_EQ(LastText(), "Adding this record creates a duplicate entry for the key: TS_:TblKey");
    EXPECT_EQ(TagOwners(TableId::TagFile_), tags);
    EXPECT_EQ(TagOwners(TableId::TagFilePos_), positions);
}

TEST_F(RelationsTest, DeletingABrandLeavesItsQueriesAndGoods) {
    ASSERT_EQ(Add(TableId::Brands, [] { data::SetString(D().BRA.NAME, "Acme"); }), ui::Benign);
    const std::int32_t brand = D().BRA.ID;
    const std::int32_t query = AddQuery("Anvils", brand);
    AddGood(query, brand);

    D().BRA.ID = brand;
    ASSERT_EQ(M(TableId::Brands).Fetch(data::BRA_KeyId), ui::Benign);
    EXPECT_EQ(data::Relate(TableId::Brands).Delete(false), ui::Benign);

    D().QUE.ID = query;
    ASSERT_EQ(M(TableId::Queries).Fetch(data::QUE_KeyId), ui::Benign);
    EXPECT_EQ(+D().QUE.BRAND, brand);
    D().GOO.QUERY = query;
    ASSERT_EQ(M(TableId::Goods).Fetch(data::GOO_KeyQuery), ui::Benign);
    EXPECT_EQ(+D().GOO.BRAND, brand);
}

TEST_F(RelationsTest, AskingFirstDeletesOnlyWhenTheUserAgrees) {
    const std::int32_t query = AddQuery("Lamps");
    AddGood(query);
    D().QUE.ID = query;
    ASSERT_EQ(M(TableId::Queries).Fetch(data::QUE_KeyId), ui::Benign);

    sink->AnswerNext(ui::ButtonNo);
    EXPECT_EQ(data::Relate(TableId::Queries).Delete(true), ui::Cancel);
    EXPECT_EQ(Ids(TableId::Goods).size(), 1u);

    D().QUE.ID = query;
    ASSERT_EQ(M(TableId::Queries).Fetch(data::QUE_KeyId), ui::Benign);
    sink->AnswerNext(ui::ButtonYes);
    EXPECT_EQ(data::Relate(TableId::Queries).Delete(true), ui::Benign);
    EXPECT_EQ(sink->Count(), 2u);
    EXPECT_TRUE(Ids(TableId::Goods).empty());
    EXPECT_TRUE(Ids(TableId::Queries).empty());
}

TEST_F(RelationsTest, DeletingWithoutACurrentRecordIsReportedAndTouchesNoChild) {
    const std::int32_t query = AddQuery("Lamps");
    AddGood(query);
    AddQuery("Tables");
    ASSERT_EQ(M(TableId::Queries).File().Delete(), store::NoError);  // leaves no current record
    D().QUE.ID = query;  // a buffer naming a query is not a record read from the table

    EXPECT_EQ(data::Relate(TableId::Queries).Delete(false), ui::Fatal);
    ASSERT_EQ(sink->Count(), 1u);
    EXPECT_EQ(sink->Last()->caption, "Record was not deleted");
    EXPECT_NE(sink->Last()->text.find("from the Queries file"), std::string::npos);
    EXPECT_EQ(Ids(TableId::Goods).size(), 1u);
}

TEST_F(RelationsTest, EveryTableOpensWithItsRelationsAndClosesBalanced) {
    for (std::size_t i = 0; i < data::kTableCount; ++i) {
        const auto id = static_cast<TableId>(i);
        SCOPED_TRACE(data::Def(id).name);
        EXPECT_EQ(data::Relate(id).Open(), ui::Benign);
        EXPECT_TRUE(data::Relate(id).RelationsDeclared());
        EXPECT_EQ(data::Relate(id).Close(), ui::Benign);
    }
    for (std::size_t i = 0; i < data::kTableCount; ++i) {
        EXPECT_EQ(M(static_cast<TableId>(i)).OpenCount(), 0)
            << data::Def(static_cast<TableId>(i)).name;
    }
    // Opening a query's relations reaches its lookups and children, not unrelated tables.
    ASSERT_EQ(data::Relate(TableId::Queries).Open(), ui::Benign);
    EXPECT_EQ(M(TableId::Goods).OpenCount(), 1);
    EXPECT_EQ(M(TableId::Sites).OpenCount(), 1);
    EXPECT_EQ(M(TableId::TagFile_).OpenCount(), 0);
    data::Relate(TableId::Queries).Close();
}

}  // namespace
}  // namespace zem::test
