// The walks over a query's tagged items: tag order, rows that are gone, and the wait cursor and
// yields of a long walk.
#include "research/google/tagged_goods.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/data_fixture.h"
#include "platform/ui/window/busy.h"
#include "shell/tagging.h"

namespace zem::test {
namespace {

using data::TableId;
using research::TaggedRow;

constexpr std::int32_t kQuery = 7;
constexpr std::int32_t kOther = 8;

class TaggedGoodsTest : public DataTest {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        // The check's window keeps both open for its walks.
        ASSERT_EQ(M(TableId::Goods).Open(), ui::Benign);
        ASSERT_EQ(M(TableId::TagFile_).Open(), ui::Benign);
    }
    void TearDown() override {
        ui::SetBusyHooks({});
        M(TableId::TagFile_).Close();
        M(TableId::Goods).Close();
        DataTest::TearDown();
    }

    // An item of the query, tagged with the value when there is one.
    static std::int32_t AddItem(const std::string& keywords, std::int32_t query = kQuery,
                                const char* tag = "") {
        EXPECT_EQ(Add(TableId::Goods,
                      [&] {
                          D().GOO.QUERY = query;
                          data::SetCString(D().GOO.KEYWORDS, keywords);
                      }),
                  ui::Benign);
        const std::int32_t id = D().GOO.ID;
        if (tag) shell::ToggleTag(query, id, tag);
        return id;
    }

    static void DeleteItem(std::int32_t id) {
        D().GOO.ID = id;
        ASSERT_EQ(M(TableId::Goods).Fetch(data::GOO_KeyId), ui::Benign);
        ASSERT_EQ(M(TableId::Goods).File().Delete(), store::NoError);
    }

    static std::vector<std::int32_t> Tags(std::int32_t query) {
        std::vector<std::int32_t> tags;
        for (std::int32_t p = shell::FirstTagged(query); p != 0; p = shell::NextTagged(query))
            tags.push_back(p);
        return tags;
    }

    static std::string Keywords() { return std::string(data::CStringOf(D().GOO.KEYWORDS)); }

    // Logs the wait cursor and the yields the walks ask for.
    std::vector<std::string> log;
    void RecordBusy() {
        ui::BusyHooks hooks;
        hooks.cursor = [this](bool busy) { log.push_back(busy ? "wait" : "ready"); };
        hooks.yield = [this] { log.push_back("yield"); };
        ui::SetBusyHooks(hooks);
    }
};

TEST_F(TaggedGoodsTest, RowsComeInTheOrderOfTheirTagValuesAndEachLoadsItsRow) {
    AddItem("third", kQuery, "3");
    AddItem("first", kQuery, "1");
    AddItem("untagged", kQuery, nullptr);
    AddItem("other query", kOther, "0");
    AddItem("second", kQuery, "2");

    EXPECT_EQ(research::FirstTaggedGoods(kQuery), TaggedRow::Loaded);
    EXPECT_EQ(Keywords(), "first");
    EXPECT_EQ(research::NextTaggedGoods(kQuery), TaggedRow::Loaded);
    EXPECT_EQ(Keywords(), "second");
    EXPECT_EQ(research::NextTaggedGoods(kQuery), TaggedRow::Loaded);
    EXPECT_EQ(Keywords(), "third");
    // The end of the set leaves the buffer with the row before.
    EXPECT_EQ(research::NextTaggedGoods(kQuery), TaggedRow::End);
    EXPECT_EQ(Keywords(), "third");

    const char* expected[] = {"first", "second", "third"};
    for (std::int32_t position = 1; position <= 3; ++position) {
        EXPECT_EQ(research::LoadTaggedGoods(kQuery, position), TaggedRow::Loaded);
        EXPECT_EQ(Keywords(), expected[position - 1]);
    }
    EXPECT_EQ(research::LoadTaggedGoods(kQuery, 4), TaggedRow::End);
    EXPECT_EQ(research::LoadTaggedGoods(kQuery, 0), TaggedRow::End);
    EXPECT_EQ(research::FirstTaggedGoods(9), TaggedRow::End);
}

TEST_F(TaggedGoodsTest, CountingDropsTheTagsOfVanishedRowsAndLoadingReportsThemMissing) {
    const std::int32_t a = AddItem("a", kQuery, "1");
    const std::int32_t b = AddItem("b", kQuery, "2");
    const std::int32_t c = AddItem("c", kQuery, "3");
    const std::int32_t d = AddItem("d", kQuery, "4");
    const std::int32_t other = AddItem("other", kOther, "1");
    DeleteItem(b);
    DeleteItem(other);

    // Positions stay as they were until a count drops the tag.
    EXPECT_EQ(research::LoadTaggedGoods(kQuery, 2), TaggedRow::Missing);
    EXPECT_EQ(D().GOO.ID, b);
    EXPECT_EQ(research::LoadTaggedGoods(kQuery, 3), TaggedRow::Loaded);
    EXPECT_EQ(D().GOO.ID, c);

    DeleteItem(d);  // the last one too: the walk goes on to the end after a removal
    EXPECT_EQ(research::CountTaggedGoods(kQuery), 2);
    EXPECT_EQ(Tags(kQuery), (std::vector<std::int32_t>{a, c}));
    EXPECT_EQ(research::LoadTaggedGoods(kQuery, 2), TaggedRow::Loaded);
    EXPECT_EQ(D().GOO.ID, c);
    // Another query's set is not touched, not even its stale tag.
    EXPECT_EQ(Tags(kOther), (std::vector<std::int32_t>{other}));
    EXPECT_EQ(research::CountTaggedGoods(9), 0);
}

TEST_F(TaggedGoodsTest, LongWalksShowTheWaitCursorAndYieldEveryTenthTag) {
    std::vector<std::int32_t> ids;
    for (int i = 1; i <= 25; ++i) ids.push_back(AddItem("item " + std::to_string(i), kQuery, ""));
    // Vanished rows count as steps of the walk too.
    DeleteItem(ids[2]);
    RecordBusy();
    EXPECT_EQ(research::CountTaggedGoods(kQuery), 24);
    EXPECT_EQ(log, (std::vector<std::string>{"wait", "yield", "yield", "ready"}));

    log.clear();
    EXPECT_EQ(research::LoadTaggedGoods(kQuery, 9), TaggedRow::Loaded);
    EXPECT_EQ(log, (std::vector<std::string>{"wait", "ready"}));
    log.clear();
    EXPECT_EQ(research::LoadTaggedGoods(kQuery, 10), TaggedRow::Loaded);
    EXPECT_EQ(log, (std::vector<std::string>{"wait", "yield", "ready"}));
    EXPECT_EQ(Keywords(), "item 11");  // the tenth of the tags left
}

}  // namespace
}  // namespace zem::test
