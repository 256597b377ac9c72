// A browse's header sort: each column sorts by the kind of value its picture shows.
#include "platform/ui/window/browse_list.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/runtime/date_pictures.h"
#include "platform/runtime/pictures.h"
#include "platform/ui/window/window_test_support.h"

namespace zem::ui {
namespace {

constexpr std::string_view kLayout = R"({"windows": {"W": {"controls": [
    {"kind": "list", "use": "?LIST", "columns": [
        {"header": "Save, %", "picture": "n-_7.2"},
        {"header": "Built", "picture": "@d17"},
        {"header": "At", "picture": "T8"},
        {"header": "Name", "picture": "s20"},
        {"header": "Plain"}]}]}}})";

constexpr int kSaving = 1, kDate = 2, kTime = 3, kName = 4, kPlain = 5, kId = 6;

struct Item {
    double saving;
    runtime::Date date;
    runtime::Time time;
    const char* name;
};

// Rows as a list shows them, each with its number in the cell after the shown columns.
std::vector<ListRow> RowsOf(const std::vector<Item>& items) {
    std::vector<ListRow> rows;
    for (const Item& item : items)
        rows.push_back(
            ListRow{{runtime::FormatNumber(item.saving, "n-_7.2"),
                     runtime::FormatDate(item.date, "d17"), runtime::FormatTime(item.time, "T8"),
                     item.name, item.name, std::to_string(rows.size() + 1)}});
    return rows;
}

struct SortCase {
    const char* name;
    int column;
    std::vector<std::string> ascending;  // the rows' numbers
    friend void PrintTo(const SortCase& c, std::ostream* out) { *out << c.name; }
};

class BrowseSortTest : public ::testing::TestWithParam<SortCase> {
  protected:
    std::vector<std::string> Order() const {
        std::vector<std::string> ids;
        for (const ListRow& row : window.Find(list)->rows) ids.push_back(row.cells.at(kId - 1));
        return ids;
    }

    Window window;
    int list = 0;
};

TEST_P(BrowseSortTest, AHeaderSortsByTheColumnsValuesAndAgainTheOtherWay) {
    const SortCase& c = GetParam();
    window.Load(testing::LayoutOf(kLayout));
    list = window.Feq("?LIST");
    BrowseList browse(window, list);
    browse.SetSort(kId, false);        // shown in the order they came
    const runtime::Date day = 81'000;  // in 2022
    browse.Show(RowsOf({{30, day + 300, 9 * 360000, "beta"},
                        {5, day - 40, 17 * 360000, "Alpha"},
                        {0, day, 10 * 360000, "gamma"},
                        {-20, day + 31, 9 * 360000 + 6000, "delta"},
                        {50, day + 1, 23 * 360000, "Epsilon"},
                        {-5, day + 2, 1, "zeta"}}),
                kId);

    ASSERT_TRUE(browse.SortBy(c.column));
    EXPECT_EQ(Order(), c.ascending);
    ASSERT_TRUE(browse.SortBy(c.column));
    EXPECT_EQ(Order(), std::vector<std::string>(c.ascending.rbegin(), c.ascending.rend()));
}

INSTANTIATE_TEST_SUITE_P(
    Columns, BrowseSortTest,
    ::testing::Values(
        SortCase{"NumbersByValueNegativesFirst", kSaving, {"4", "6", "3", "2", "1", "5"}},
        SortCase{"DatesByDayNotByMonthName", kDate, {"2", "3", "5", "6", "4", "1"}},
        SortCase{"TimesByTimeNotByText", kTime, {"6", "1", "4", "3", "2", "5"}},
        SortCase{"TextWithoutRegardToCase", kName, {"2", "1", "4", "5", "3", "6"}},
        SortCase{"AColumnWithoutAPictureAsText", kPlain, {"2", "1", "4", "5", "3", "6"}}),
    [](const auto& tc) { return std::string(tc.param.name); });

// Cells that read as no value come after the values, as text among themselves.
TEST(BrowseSort, CellsWithoutAValueComeAfterTheValues) {
    Window window;
    window.Load(testing::LayoutOf(kLayout));
    const int list = window.Feq("?LIST");
    BrowseList browse(window, list);
    browse.SetSort(kId, false);
    browse.Show({ListRow{{"n/a", "", "", "", "", "1"}}, ListRow{{"  7.00", "", "", "", "", "2"}},
                 ListRow{{"???", "", "", "", "", "3"}}, ListRow{{" -1.00", "", "", "", "", "4"}}},
                kId);
    ASSERT_TRUE(browse.SortBy(kSaving));
    std::vector<std::string> ids;
    for (const ListRow& row : window.Find(list)->rows) ids.push_back(row.cells.at(kId - 1));
    EXPECT_EQ(ids, (std::vector<std::string>{"4", "2", "3", "1"}));
}

// Texts equal but for case keep the order they stood in, either way round; letters of the upper
// half of the code page fold too and come after the plain letters.
TEST(BrowseSort, EqualTextsKeepTheirOrderAndUpperHalfLettersComeLast) {
    Window window;
    window.Load(testing::LayoutOf(kLayout));
    const int list = window.Feq("?LIST");
    BrowseList browse(window, list);
    browse.SetSort(kId, false);
    std::vector<ListRow> rows;
    for (const char* name : {"b", "B", "\xC9t\xE9", "a", "\xE9T\xC9"})
        rows.push_back(ListRow{{"", "", "", name, "", std::to_string(rows.size() + 1)}});
    browse.Show(rows, kId);
    auto order = [&] {
        std::vector<std::string> ids;
        for (const ListRow& row : window.Find(list)->rows) ids.push_back(row.cells.at(kId - 1));
        return ids;
    };
    ASSERT_TRUE(browse.SortBy(kName));
    EXPECT_EQ(order(), (std::vector<std::string>{"4", "1", "2", "3", "5"}));
    ASSERT_TRUE(browse.SortBy(kName));
    EXPECT_EQ(order(), (std::vector<std::string>{"3", "5", "1", "2", "4"}));
}

// A column that shows its value only as a word sorts by the cell holding the value.
TEST(BrowseSort, AFlagColumnSortsByItsValueCell) {
    constexpr std::string_view kFlags = R"({"windows": {"W": {"controls": [
        {"kind": "list", "use": "?LIST", "columns": [
            {"header": "Aff.", "picture": "n_3~Yes~B"}]}]}}})";
    Window window;
    window.Load(testing::LayoutOf(kFlags));
    const int list = window.Feq("?LIST");
    BrowseList browse(window, list);
    browse.SetSort(3, false);
    browse.SetSortCell(1, 2);
    // The shown cell, the flag's value, the row's number.
    browse.Show({ListRow{{"Yes", "1", "1"}}, ListRow{{"", "0", "2"}}, ListRow{{"Yes", "2", "3"}},
                 ListRow{{"", "0", "4"}}},
                3);
    auto order = [&] {
        std::vector<std::string> ids;
        for (const ListRow& row : window.Find(list)->rows) ids.push_back(row.cells.at(2));
        return ids;
    };
    ASSERT_TRUE(browse.SortBy(1));
    EXPECT_EQ(order(), (std::vector<std::string>{"2", "4", "1", "3"}));
    ASSERT_TRUE(browse.SortBy(1));
    EXPECT_EQ(order(), (std::vector<std::string>{"3", "1", "2", "4"}));
}

}  // namespace
}  // namespace zem::ui
