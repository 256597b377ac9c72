// Table writes that fail because another thread holds the table's lock.
#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

#include "data/data_fixture.h"
#include "item_search_reply.h"
#include "parse_text.h"
#include "support/table_lock_holder.h"
#include "web/item_search_handler.h"

namespace zem::test {
namespace {

using data::TableId;

constexpr double kShortWait = 0.2;

class ItemSearchLockTest : public DataTest {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        D().QUE.ID = 42;
        for (TableId id : {TableId::Goods, TableId::Brands}) {
            ASSERT_EQ(M(id).UseFile(), ui::Benign);
            M(id).File().SetWriteWait(kShortWait);
        }
        handler.Reset();
    }
    web::ItemSearchHandler handler;
};

ReplyItem Item(std::string asin, std::string brand) {
    ReplyItem item;
    item.asin = std::move(asin);
    item.brand = std::move(brand);
    return item;
}

TEST_F(ItemSearchLockTest, AGoodsRowThatCantBePrimedStopsThePage) {
    ASSERT_EQ(Add(TableId::Brands, [] { data::SetString(D().BRA.NAME, "Acme"); }), ui::Benign);
    {
        TableLockHolder lock(TableId::Goods);
        ASSERT_TRUE(lock.Ok());
        ParseText(handler, Reply("2", "1", {Item("B1", "Acme"), Item("B2", "Acme")}));
    }
    EXPECT_EQ(handler.M_ERRORCODE, -1);
    EXPECT_EQ(handler.PARSEDITEMS, 0);
    EXPECT_EQ(handler.STATE, 4);  // the first item ended the parse
    EXPECT_EQ(Count(TableId::Goods), 0);

    // The error outlasts the next page's reset; the table works again once it is free.
    handler.Reset();
    ParseText(handler, Reply("2", "1", {Item("B3", "Acme")}));
    EXPECT_EQ(handler.M_ERRORCODE, -1);
    EXPECT_EQ(handler.PARSEDITEMS, 1);
}

TEST_F(ItemSearchLockTest, ABrandThatCantBeAddedStopsThePage) {
    const int brands = Count(TableId::Brands);
    {
        TableLockHolder lock(TableId::Brands);
        ASSERT_TRUE(lock.Ok());
        ParseText(handler, Reply("2", "1", {Item("B1", "NewCo"), Item("B2", "NewCo")}));
    }
    EXPECT_EQ(handler.M_ERRORCODE, -1);
    EXPECT_EQ(handler.STATE, 13);
    EXPECT_EQ(handler.PARSEDITEMS, 0);
    EXPECT_EQ(Count(TableId::Goods), 0);
    EXPECT_EQ(Count(TableId::Brands), brands);
}

}  // namespace
}  // namespace zem::test
