// A typed list's header sort: each column sorts by its key, a second click reverses, rows with
// equal keys keep their order, and the shown rows follow the typed ones.
#include "platform/ui/window/typed_list.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/runtime/date_pictures.h"
#include "platform/runtime/letter_case.h"
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
        {"header": "Aff.", "picture": "n_3~Yes~B"},
        {"header": "Note"}]}]}}})";

struct Item {
    std::int32_t id = 0;
    double saving = 0;
    runtime::Date date = 0;
    runtime::Time time = 0;
    std::string name;
    bool flag = false;
};

constexpr std::array<ColumnSpec<Item>, 6> kColumns{{
    {"Save, %", "n-_7.2", ColumnAlign::Right,
     [](const Item& i) { return runtime::FormatNumber(i.saving, "n-_7.2"); },
     [](const Item& i) { return SortValue::Number(i.saving); }},
    {"Built", "@d17", ColumnAlign::Right,
     [](const Item& i) { return runtime::FormatDate(i.date, "d17"); },
     [](const Item& i) { return SortValue::Number(i.date); }},
    {"At", "T8", ColumnAlign::Right,
     [](const Item& i) { return runtime::FormatTime(i.time, "T8"); },
     [](const Item& i) { return SortValue::Number(i.time); }},
    {"Name", "s20", ColumnAlign::Left, [](const Item& i) { return i.name; },
     [](const Item& i) { return SortValue::Text(i.name); }},
    // A flag shows only as a word and sorts by its value.
    {"Aff.", "n_3~Yes~B", ColumnAlign::Center,
     [](const Item& i) { return std::string(i.flag ? "Yes" : ""); },
     [](const Item& i) { return SortValue::Number(i.flag ? 1 : 0); }},
    {"Note", "", ColumnAlign::Left, [](const Item& i) { return i.name; }, nullptr},
}};
constexpr int kSaving = 1, kDate = 2, kTime = 3, kName = 4, kFlag = 5, kNote = 6;

class TypedListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.Load(testing::LayoutOf(kLayout));
        list.SetList(window.Feq("?LIST"));
    }
    // The ids in the list's order, checked against the names the list shows.
    std::vector<std::int32_t> Order() const {
        std::vector<std::int32_t> ids;
        const Control* shown = window.Find(list.List());
        for (int row = 1; row <= list.Rows(); ++row) {
            ids.push_back(list.IdAt(row));
            EXPECT_EQ(shown->rows.at(static_cast<std::size_t>(row) - 1).cells.at(kName - 1),
                      list.At(row)->name)
                << "row " << row << " shows another row than its typed one";
        }
        return ids;
    }

    Window window;
    TypedList<Item> list{window, kColumns};
};

struct SortCase {
    const char* name;
    int column;
    std::vector<std::int32_t> ascending;
    friend void PrintTo(const SortCase& c, std::ostream* out) { *out << c.name; }
};

class TypedListSortTest : public TypedListTest, public ::testing::WithParamInterface<SortCase> {};

TEST_P(TypedListSortTest, AHeaderSortsByTheColumnsKeyAndAgainTheOtherWay) {
    const SortCase& c = GetParam();
    const runtime::Date day = 81'000;  // in 2022
    list.Show({{1, 30, day + 300, 9 * 360000, "beta", true},
               {2, 5, day - 40, 17 * 360000, "Alpha", false},
               {3, 0, day, 10 * 360000, "gamma", true},
               {4, -20, day + 31, 9 * 360000 + 6000, "delta", false},
               {5, 50, day + 1, 23 * 360000, "Epsilon", true},
               {6, -5, day + 2, 1, "zeta", false}});
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6})) << "shown as loaded";

    ASSERT_TRUE(list.SortBy(c.column));
    EXPECT_EQ(Order(), c.ascending);
    ASSERT_TRUE(list.SortBy(c.column));
    std::vector<std::int32_t> descending = c.ascending;
    if (c.column == kFlag) {
        descending = {1, 3, 5, 2, 4, 6};  // equal flags keep their order the other way too
    } else {
        descending.assign(c.ascending.rbegin(), c.ascending.rend());
    }
    EXPECT_EQ(Order(), descending);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, TypedListSortTest,
    ::testing::Values(SortCase{"NumbersByValueNegativesFirst", kSaving, {4, 6, 3, 2, 1, 5}},
                      SortCase{"DatesByDayNotByMonthName", kDate, {2, 3, 5, 6, 4, 1}},
                      SortCase{"TimesByTimeNotByText", kTime, {6, 1, 4, 3, 2, 5}},
                      SortCase{"TextWithoutRegardToCase", kName, {2, 1, 4, 5, 3, 6}},
                      SortCase{"AFlagByItsValueNotItsWord", kFlag, {2, 4, 6, 1, 3, 5}}),
    [](const auto& tc) { return std::string(tc.param.name); });

// Texts equal but for case keep the order they stood in, either way round; letters of the upper
// half of the code page fold too (oe and y diaeresis among them, whose capitals stand apart) and
// come after the plain letters.
TEST_F(TypedListTest, EqualTextsKeepTheirOrderAndUpperHalfLettersComeLast) {
    std::vector<Item> items;
    for (const char* name :
         {"b", "B", "\xC9t\xE9", "a", "\xE9T\xC9", "\x9C", "\xFF", "\x8C", "\x9F"})
        items.push_back({static_cast<std::int32_t>(items.size() + 1), 0, 0, 0, name, false});
    list.Show(items);
    ASSERT_TRUE(list.SortBy(kName));
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{4, 1, 2, 6, 8, 7, 9, 3, 5}));
    ASSERT_TRUE(list.SortBy(kName));
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{3, 5, 7, 9, 6, 8, 1, 2, 4}));
}

// A reload keeps the sort and the current row (by id); a column without a key does not sort.
TEST_F(TypedListTest, AReloadKeepsTheSortAndTheCurrentRowAndAKeylessColumnDoesNotSort) {
    list.Show({{1, 3, 0, 0, "c", false}, {2, 1, 0, 0, "a", false}, {3, 2, 0, 0, "b", false}});
    ASSERT_TRUE(list.SortBy(kSaving));
    list.Browse().Select(list.RowOfId(3));
    list.Show({{1, 3, 0, 0, "c", false},
               {4, 0, 0, 0, "new", false},
               {3, 2, 0, 0, "b", false},
               {2, 1, 0, 0, "a", false}});
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{4, 2, 3, 1}));
    EXPECT_EQ(list.IdAt(list.Browse().Current()), 3);
    EXPECT_FALSE(list.SortBy(kNote));
    EXPECT_FALSE(list.SortBy(0));
    EXPECT_FALSE(list.SortBy(7));
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{4, 2, 3, 1}));
}

// The fold works eight ASCII bytes at a time: every byte value, at every place of a group and
// in the tail, among neighbours that keep the group ASCII, folds as the code page's capital.
TEST(FoldCaseTest, EveryByteFoldsToItsCapitalWhereverItStands) {
    const std::string around = "az@[`{AZ09 mixed Case";
    for (int byte = 1; byte < 256; ++byte) {
        for (std::size_t at = 0; at < around.size(); ++at) {
            std::string text = around;
            text[at] = static_cast<char>(byte);
            std::string folded(text.size(), '?');
            FoldCase(text, folded.data());
            for (std::size_t i = 0; i < text.size(); ++i) {
                const auto expected = runtime::UpperCp1252(static_cast<unsigned char>(text[i]));
                ASSERT_EQ(static_cast<unsigned char>(folded[i]), expected)
                    << "byte " << byte << " at " << at << ", place " << i;
            }
        }
    }
}

}  // namespace
}  // namespace zem::ui
