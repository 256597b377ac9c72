#include <gtest/gtest.h>

#include <thread>

#include "data_fixture.h"

namespace zem::test {
namespace {

using data::TableId;

TEST_F(DataTest, ManagersWorkOnTheirOwnThreadsBuffersAndAliasesBindToTheirTables) {
    for (std::size_t i = 0; i < data::kTableCount; ++i) {
        const auto id = static_cast<TableId>(i);
        SCOPED_TRACE(data::Def(id).name);
        EXPECT_EQ(&data::Relate(id).Me(), &M(id));
        EXPECT_EQ(M(id).Label(), data::Def(id).name);
        EXPECT_EQ(M(id).AliasedFile(), data::IsAlias(id) ? &M(data::RealTable(id)) : nullptr);
        EXPECT_EQ(data::Relate(id).AliasFile(),
                  data::IsAlias(id) ? &data::Relate(data::RealTable(id)) : nullptr);
    }
    EXPECT_EQ(M(TableId::aSites).Buffer().data(), reinterpret_cast<std::byte*>(&D().ASI));
    EXPECT_EQ(M(TableId::TagFilePos_).Buffer().data(), reinterpret_cast<std::byte*>(&D().TP_));
    EXPECT_EQ(M(TableId::Goods).Buffer().size(), sizeof(data::GoodsRecord));
}

TEST_F(DataTest, ANewThreadHasADictionaryOfItsOwnOverTheSameFile) {
    data::SetString(D().BRA.NAME, "Main thread's text");
    data::Dictionary* const mine = &D();
    data::Dictionary* theirs = nullptr;
    bool hadOneBefore = true;
    bool blankBuffer = false;
    bool hasOneAfter = true;
    std::thread other([&] {
        hadOneBefore = data::HasDictionary();
        data::InitDictionary(data::ZembrolaFile());
        theirs = &data::Dict();
        blankBuffer = data::StringOf(data::Dict().BRA.NAME).empty();
        EXPECT_EQ(data::Access(TableId::Brands).PrimeRecord(), ui::Benign);
        data::SetString(data::Dict().BRA.NAME, "Written elsewhere");
        EXPECT_EQ(data::Access(TableId::Brands).Insert(), ui::Benign);
        data::KillDictionary();
        hasOneAfter = data::HasDictionary();
    });
    other.join();

    EXPECT_FALSE(hadOneBefore);
    EXPECT_NE(theirs, mine);
    EXPECT_TRUE(blankBuffer);
    EXPECT_FALSE(hasOneAfter);
    EXPECT_EQ(data::StringOf(D().BRA.NAME), "Main thread's text");
    data::SetString(D().BRA.NAME, "written ELSEWHERE");
    EXPECT_EQ(M(TableId::Brands).Fetch(data::BRA_KeyName), ui::Benign);
}

TEST_F(DataTest, KillDictionaryClosesTheTablesAndLetsTheFileGo) {
    ASSERT_EQ(data::Relate(TableId::Queries).Open(), ui::Benign);
    std::weak_ptr<store::DataFile> file = data::ZembrolaFile();
    data::KillDictionary();
    EXPECT_FALSE(data::HasDictionary());
    data::CloseZembrolaFile();
    EXPECT_TRUE(file.expired());
}

TEST_F(DataTest, PrimedRecordsHoldDistinctNumbersUntilCancelled) {
    // A table and its alias share one sequence of numbers.
    ASSERT_EQ(M(TableId::Catalogs).PrimeRecord(), ui::Benign);
    ASSERT_EQ(M(TableId::aCatalogs).PrimeRecord(), ui::Benign);
    EXPECT_NE(+D().CAT.ID, +D().ACA.ID);

    ASSERT_EQ(M(TableId::Brands).PrimeRecord(), ui::Benign);
    const std::int32_t mine = D().BRA.ID;
    std::int32_t theirs = 0;
    std::thread other([&] {
        data::InitDictionary(data::ZembrolaFile());
        if (data::Access(TableId::Brands).PrimeRecord() == ui::Benign) theirs = data::Dict().BRA.ID;
        data::Access(TableId::Brands).CancelAutoInc();
        data::KillDictionary();
    });
    other.join();
    EXPECT_GT(theirs, 0);
    EXPECT_NE(theirs, mine);

    // Cancelling gives the number back, and the next record primed gets it again.
    ASSERT_EQ(M(TableId::Brands).CancelAutoInc(), ui::Benign);
    EXPECT_EQ(+D().BRA.ID, 0);
    ASSERT_EQ(M(TableId::Brands).PrimeRecord(), ui::Benign);
    EXPECT_EQ(+D().BRA.ID, mine);
    data::SetString(D().BRA.NAME, "Acme");
    ASSERT_EQ(M(TableId::Brands).Insert(), ui::Benign);
    D().BRA.ID = mine;
    EXPECT_EQ(M(TableId::Brands).TryFetch(data::BRA_KeyId), ui::Benign);
    EXPECT_EQ(data::StringOf(D().BRA.NAME), "Acme");
}

TEST_F(DataTest, KeysAreSetUpAtFirstUseOnlyOnThatThread) {
    for (std::size_t i = 0; i < data::kTableCount; ++i) {
        EXPECT_FALSE(M(static_cast<TableId>(i)).KeysSetUp())
            << data::Def(static_cast<TableId>(i)).name;
    }
    ASSERT_EQ(M(TableId::Brands).UseFile(), ui::Benign);
    EXPECT_TRUE(M(TableId::Brands).KeysSetUp());
    EXPECT_FALSE(M(TableId::Goods).KeysSetUp());
    EXPECT_FALSE(M(TableId::aSites).KeysSetUp());

    bool otherBrands = true;
    bool otherGoods = false;
    std::thread other([&] {
        data::InitDictionary(data::ZembrolaFile());
        data::Dict().GOO.ID = 1;
        (void)data::Access(TableId::Goods).TryFetch(data::GOO_KeyId);  // found or not, it is a use
        otherGoods = data::Access(TableId::Goods).KeysSetUp();
        otherBrands = data::Access(TableId::Brands).KeysSetUp();
        data::KillDictionary();
    });
    other.join();
    EXPECT_TRUE(otherGoods);
    EXPECT_FALSE(otherBrands);
    EXPECT_FALSE(M(TableId::Goods).KeysSetUp());
}

}  // namespace
}  // namespace zem::test
