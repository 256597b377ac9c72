#include "research/querylist/query_list_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "research/querylist/querylist_fixture.h"

namespace zem::test {
namespace {

using research::LoadQueryRows;
using research::QueryOrder;
namespace cell = research::query_cell;

class QueryRowsTest : public QueryListTest {
  protected:
    static std::vector<std::string> NamesOf(const std::vector<ui::ListRow>& rows) {
        std::vector<std::string> names;
        for (const ui::ListRow& row : rows) names.push_back(row.cells.at(cell::kName - 1));
        return names;
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
    const std::vector<ui::ListRow> rows = LoadQueryRows(QueryOrder::ByName);
    ASSERT_EQ(rows.size(), 5u);
    // cameras, and Lost links whose catalog and node are gone.
    EXPECT_EQ(rows[0].cells,
              (std::vector<std::string>{
                  "October 31, 2008", "9:30:00 AM", "cameras", "Electronics", "Electronics", "2",
                  "4", "6", "6", "4", rows[0].cells.at(cell::kKeyOrder - 1),
                  rows[0].cells.at(cell::kDateOrder - 1), rows[0].cells.at(cell::kTimeOrder - 1)}));
    EXPECT_EQ(rows[3].cells.at(cell::kName - 1), "Lost links");
    EXPECT_EQ(rows[3].cells.at(cell::kCatalogName - 1), "");
    EXPECT_EQ(rows[3].cells.at(cell::kNodeName - 1), "");
    EXPECT_EQ(rows[3].cells.at(cell::kCatalog - 1), "99");
    EXPECT_EQ(rows[3].cells.at(cell::kCatalogId - 1), "0");
    EXPECT_EQ(rows[3].cells.at(cell::kNode - 1), "98");
    EXPECT_EQ(rows[3].cells.at(cell::kNodeId - 1), "0");
    // The hidden order cells compare as text the way their values compare as numbers.
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_LT(rows[i - 1].cells.at(cell::kKeyOrder - 1), rows[i].cells.at(cell::kKeyOrder - 1));
    const std::vector<ui::ListRow> byDate = LoadQueryRows(QueryOrder::ByDate);
    for (std::size_t i = 1; i < byDate.size(); ++i)
        EXPECT_LE(byDate[i - 1].cells.at(cell::kDateOrder - 1),
                  byDate[i].cells.at(cell::kDateOrder - 1));
    EXPECT_LT(byDate[3].cells.at(cell::kTimeOrder - 1), byDate[4].cells.at(cell::kTimeOrder - 1))
        << "8:15 before 9:30 on the same day";
}

TEST_F(QueryRowsTest, LongNamesAreCutToTheirColumnsAndEmptyDatesShowNothing) {
    data::TableManager& table = data::Access(data::TableId::Queries);
    table.File().ClearBuffer();
    data::QueriesRecord& que = data::Dict().QUE;
    que.ID = 7;
    std::memset(que.NAME, 'x', sizeof que.NAME);
    ASSERT_EQ(table.Insert(), ui::Benign);
    const std::vector<ui::ListRow> rows = LoadQueryRows(QueryOrder::ByDate);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].cells.at(cell::kName - 1), std::string(120, 'x'));
    EXPECT_EQ(rows[0].cells.at(cell::kBuildDate - 1), "");
    EXPECT_EQ(rows[0].cells.at(cell::kBuildTime - 1), "");
}

}  // namespace
}  // namespace zem::test
