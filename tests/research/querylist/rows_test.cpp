#include "research/querylist/query_list_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "research/querylist/querylist_fixture.h"
#include "support/column_table_check.h"

namespace zem::test {
namespace {

using research::LoadQueryRows;
using research::QueryOrder;

class QueryRowsTest : public QueryListTest {
  protected:
    static std::vector<std::string> NamesOf(const std::vector<research::QueryRow>& rows) {
        std::vector<std::string> names;
        for (const research::QueryRow& row : rows) names.push_back(row.name);
        return names;
    }
    // What the list shows of a row, column by column.
    static std::vector<std::string> Shown(const research::QueryRow& row) {
        return ui::CellsOf(research::QueryColumns(), row).cells;
    }
};

TEST_F(QueryRowsTest, EachOrderShowsItsRowsAndTheRangedOnesFollowThePickedRow) {
    struct Case {
        const char* what;
        QueryOrder order;
        std::int32_t catalog;  // CAT:ID in the thread's Catalogs buffer
        std::int32_t node;     // NOD:ID in its Nodes buffer
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"by date, time and name", QueryOrder::ByDate, 0, 0, kByDate},
        {"by name, without regard to case", QueryOrder::ByName, 0, 0, kByName},
        {"nothing picked yet", QueryOrder::ByCatalog, 0, 0, {}},
        {"one catalog, by name",
         QueryOrder::ByCatalog,
         catalogs::kUsBooks,
         0,
         {"Cookbooks", "Mystery novels"}},
        {"a catalog without queries", QueryOrder::ByCatalog, 3, 0, {}},
        {"a catalog that is gone", QueryOrder::ByCatalog, 99, 0, {"Lost links"}},
        {"nothing picked yet", QueryOrder::ByNode, 0, 0, {}},
        {"one node", QueryOrder::ByNode, 0, nodes::kCooking, {"Cookbooks"}},
        {"the last node of the key", QueryOrder::ByNode, 0, 98, {"Lost links"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        data::Dict().CAT.ID = c.catalog;
        data::Dict().NOD.ID = c.node;
        EXPECT_EQ(NamesOf(LoadQueryRows(c.order)), c.names);
        // The picked rows stay where they are: the names come through the aliases.
        EXPECT_EQ(data::Dict().CAT.ID, c.catalog);
        EXPECT_EQ(data::Dict().NOD.ID, c.node);
    }
}

TEST_F(QueryRowsTest, RowsShowDateTimeAndTheLinkedNamesAndCarryTheirIds) {
    const std::vector<research::QueryRow> rows = LoadQueryRows(QueryOrder::ByName);
    ASSERT_EQ(rows.size(), 5u);
    // cameras, and Lost links whose catalog and node are gone.
    EXPECT_EQ(Shown(rows[0]), (std::vector<std::string>{"October 31, 2008", "9:30:00 AM", "cameras",
                                                        "Electronics", "Electronics"}));
    EXPECT_EQ(rows[0].id, 2);
    EXPECT_EQ(rows[0].catalog, 4);
    EXPECT_EQ(rows[0].node, 6);
    EXPECT_EQ(rows[0].nodeId, 6);
    EXPECT_EQ(rows[0].catalogId, 4);
    EXPECT_EQ(Shown(rows[3]), (std::vector<std::string>{Shown(rows[3])[0], Shown(rows[3])[1],
                                                        "Lost links", "", ""}));
    EXPECT_EQ(rows[3].catalog, 99);
    EXPECT_EQ(rows[3].catalogId, 0);
    EXPECT_EQ(rows[3].node, 98);
    EXPECT_EQ(rows[3].nodeId, 0);
}

TEST_F(QueryRowsTest, LongNamesAreCutToTheirColumnsAndEmptyDatesShowNothing) {
    data::TableManager& table = data::Access(data::TableId::Queries);
    table.File().ClearBuffer();
    data::QueriesRecord& que = data::Dict().QUE;
    que.ID = 7;
    std::memset(que.NAME, 'x', sizeof que.NAME);
    ASSERT_EQ(table.Insert(), ui::Benign);
    const std::vector<research::QueryRow> rows = LoadQueryRows(QueryOrder::ByDate);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(Shown(rows[0]), (std::vector<std::string>{"", "", std::string(120, 'x'), "", ""}));
}

// The list is filled through its column table: the layout shows the same columns.
TEST(QueryListLayoutTest, TheListsLayoutHoldsItsColumnTable) {
    ExpectLayoutColumns("zembrola$zembr025", "P1$QUICKWINDOW", "?BROWSE:1",
                        research::QueryColumns());
}

}  // namespace
}  // namespace zem::test
