#include "shell/tagging.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "data/dictionary.h"
#include "shell_fixture.h"
#include "support/failing_write.h"
#include "support/limited_room.h"
#include "tag_rows.h"

namespace zem::test {
namespace {

using data::TableId;
using namespace zem::shell;

class TaggingTest : public ShellTest {};

TEST_F(TaggingTest, ToggleAddsTheTagAndToggleAgainRemovesIt) {
    ToggleTag(5, 11, "7");
    EXPECT_EQ(TagFileRows(), (std::vector<TagRow>{{0, 5, 11, "", "         7"}}));
    EXPECT_EQ(IsTagged(5, 11), 1);

    ToggleTag(5, 11, "ignored when removing");
    EXPECT_TRUE(TagFileRows().empty());
    EXPECT_EQ(IsTagged(5, 11), 0);
    EXPECT_EQ(sink->Count(), 0u);
}

struct ValueCase {
    const char* name;
    const char* text;
    const char* stored;  // all ten characters
    friend void PrintTo(const ValueCase& c, std::ostream* out) { *out << c.name; }
};

class TagValueTest : public ShellTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(TagValueTest, SetTagValueStoresTheTextByTheValueRule) {
    EXPECT_EQ(SetTagValue(5, 11, GetParam().text), 1);
    const auto rows = TagFileRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].val, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TagValueTest,
    ::testing::Values(ValueCase{"OneDigit", "7", "         7"},
                      ValueCase{"Word", "abc", "abc       "},
                      ValueCase{"ElevenDigitsKeepTheLastTen", "12345678901", "2345678901"},
                      ValueCase{"DigitsThenLetter", "12a", "12a       "},
                      ValueCase{"Empty", "", "          "},
                      ValueCase{"LongWordIsCut", "a very long word", "a very lon"}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(TaggingTest, SetTagValueAddsOnceThenChangesTheValue) {
    EXPECT_EQ(SetTagValue(5, 11, "old"), 1);
    EXPECT_EQ(SetTagValue(5, 11, "42"), 0);
    EXPECT_EQ(TagFileRows(), (std::vector<TagRow>{{0, 5, 11, "", "        42"}}));
}

TEST_F(TaggingTest, EveryRowWrittenBelongsToUserZeroWhateverTheBufferHeld) {
    data::TagFileRecord& tf = data::Dict().TF_;
    tf.USR = 7;
    ToggleTag(5, 11, "a");
    tf.USR = 7;
    EXPECT_EQ(SetTagValue(5, 12, "b"), 1);
    tf.USR = 7;
    EXPECT_EQ(SetTagValue(5, 11, "c"), 0);
    EXPECT_EQ(TagFileRows(),
              (std::vector<TagRow>{{0, 5, 11, "", "c         "}, {0, 5, 12, "", "b         "}}));
}

TEST_F(TaggingTest, IsTaggedMatchesUserSetAndPointer) {
    ToggleTag(5, 11, "a");
    ToggleTag(6, 12, "a");
    AddTagFileRow(1, 5, 13);  // another user's tag
    EXPECT_EQ(IsTagged(5, 11), 1);
    EXPECT_EQ(IsTagged(5, 12), 0);
    EXPECT_EQ(IsTagged(6, 11), 0);
    EXPECT_EQ(IsTagged(5, 13), 0);
}

// Rows with a set or pointer of 0 exist, so an operation that did not stop at once would find,
// change or remove them.
TEST_F(TaggingTest, NoSetOrNoPointerTouchesNothing) {
    AddTagFileRow(0, 0, 9);
    AddTagFileRow(0, 5, 0);
    const auto before = TagFileRows();
    data::TagFileRecord& tf = data::Dict().TF_;
    std::memset(&tf, 0x5A, sizeof tf);
    const data::TagFileRecord pattern = tf;

    const std::pair<std::int32_t, std::int32_t> cases[] = {{0, 9}, {5, 0}, {65536, 9}, {0, 0}};
    for (const auto& [set, pointer] : cases) {
        SCOPED_TRACE("set " + std::to_string(set) + ", pointer " + std::to_string(pointer));
        EXPECT_EQ(IsTagged(set, pointer), 0);
        ToggleTag(set, pointer, "new");
        RemoveTag(set, pointer);
        EXPECT_EQ(SetTagValue(set, pointer, "new"), 0);
        EXPECT_EQ(std::memcmp(&tf, &pattern, sizeof tf), 0) << "the buffer was used";
    }
    EXPECT_FALSE(data::Access(TableId::TagFile_).KeysSetUp()) << "the table was used";
    EXPECT_EQ(TagFileRows(), before);
}

TEST_F(TaggingTest, RemoveTagDeletesOnlyThatTag) {
    ToggleTag(5, 11, "a");
    ToggleTag(5, 12, "a");
    ToggleTag(6, 11, "a");
    RemoveTag(5, 11);
    RemoveTag(5, 99);
    EXPECT_EQ(TagFileRows(),
              (std::vector<TagRow>{{0, 5, 12, "", "a         "}, {0, 6, 11, "", "a         "}}));
    EXPECT_EQ(sink->Count(), 0u);
}

// Tag All's path: one read of the set, then adds without a look-up. A tag that was there keeps
// its one row and takes the new value; one added by other code between two pointers (a click
// handled while the caller lets its window catch up) is updated, not added twice; pointer 0,
// another user's row and another set stay as they were.
TEST_F(TaggingTest, SetTagValuesActsAsSetTagValueForEachPointer) {
    AddTagFileRow(1, 5, 12);
    ToggleTag(6, 12, "a");
    EXPECT_EQ(SetTagValue(5, 11, "old"), 1);
    const std::int32_t pointers[] = {12, 11, 0, 13, 14};
    int calls = 0;
    SetTagValues(5, pointers, "", [&] {
        if (++calls == 4) ToggleTag(5, 13, "x");
    });
    EXPECT_EQ(calls, 5);
    const std::string blank(10, ' ');
    EXPECT_EQ(TagFileRows(), (std::vector<TagRow>{{1, 5, 12, "", "x         "},
                                                  {0, 6, 12, "", "a         "},
                                                  {0, 5, 11, "", blank},
                                                  {0, 5, 12, "", blank},
                                                  {0, 5, 13, "", blank},
                                                  {0, 5, 14, "", blank}}));
    EXPECT_EQ(sink->Count(), 0u);
    EXPECT_EQ(data::Access(TableId::TagFile_).OpenCount(), 0);
}

TEST_F(TaggingTest, TaggedPointersAreTheSetsOwnInPointerOrder) {
    ToggleTag(5, 30, "a");
    ToggleTag(4, 11, "a");
    ToggleTag(5, 10, "z");
    ToggleTag(6, 12, "a");
    AddTagFileRow(1, 5, 20);  // another user's tag
    ToggleTag(5, 25, "m");
    EXPECT_EQ(TaggedPointers(5), (std::vector<std::int32_t>{10, 25, 30}));
    EXPECT_TRUE(TaggedPointers(7).empty());
    EXPECT_TRUE(TaggedPointers(0).empty());
    EXPECT_EQ(data::Access(TableId::TagFile_).OpenCount(), 0);
}

// --- walks ---------------------------------------------------------------------------------

// The pointers a walk of the set yields, calling between after each step; stops at 0 or after
// far more steps than there are tags.
std::vector<std::int32_t> Walk(std::int32_t set,
                               const std::function<void(std::int32_t)>& between = {}) {
    std::vector<std::int32_t> seen;
    OpenTagFile();
    for (std::int32_t p = FirstTagged(set); p != 0 && seen.size() < 100; p = NextTagged(set)) {
        seen.push_back(p);
        if (between) between(p);
    }
    CloseTagFile();
    return seen;
}

TEST_F(TaggingTest, FirstTaggedOfAnEmptySetBetweenOthersIsZero) {
    ToggleTag(4, 41, "a");
    ToggleTag(6, 61, "a");
    OpenTagFile();
    EXPECT_EQ(FirstTagged(5), 0);
    EXPECT_EQ(NextTagged(5), 0);
    CloseTagFile();
}

TEST_F(TaggingTest, WalkGoesByValueThenInsertionAndStopsAtTheSetsEnd) {
    ToggleTag(4, 301, "z");
    ToggleTag(5, 101, "b");
    ToggleTag(5, 102, "a");
    ToggleTag(5, 103, "10");
    ToggleTag(5, 104, "b");
    ToggleTag(5, 105, "9");
    ToggleTag(5, 106, "a");
    ToggleTag(6, 201, "a");  // follows set 5 in key order

    OpenTagFile();
    std::vector<std::int32_t> seen{FirstTagged(5)};
    for (int i = 0; i < 6; ++i) seen.push_back(NextTagged(5));
    seen.push_back(NextTagged(5));
    CloseTagFile();
    // Numbers are right-justified, so they sort by size and before words.
    EXPECT_EQ(seen, (std::vector<std::int32_t>{105, 103, 102, 106, 101, 104, 0, 0}));
}

struct BetweenSteps {
    const char* name;
    std::function<void(std::int32_t current)> action;
    std::vector<std::int32_t> expected;
    friend void PrintTo(const BetweenSteps& c, std::ostream* out) { *out << c.name; }
};

// Set 5: values a, b, a, c, b, d for pointers 1 to 6, so the walk is 1 3 2 5 4 6. Sets 4 and 6
// surround it in key order.
class WalkBetweenStepsTest : public ShellTest, public ::testing::WithParamInterface<BetweenSteps> {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ToggleTag(4, 1, "a");
        const char* values[] = {"a", "b", "a", "c", "b", "d"};
        for (std::int32_t p = 1; p <= 6; ++p) ToggleTag(5, p, values[p - 1]);
        ToggleTag(6, 1, "a");
        ToggleTag(6, 2, "0");
    }
};

TEST_P(WalkBetweenStepsTest, NeitherSkipsNorRepeats) {
    EXPECT_EQ(Walk(5, GetParam().action), GetParam().expected);
}

const std::vector<std::int32_t> kFullWalk{1, 3, 2, 5, 4, 6};

INSTANTIATE_TEST_SUITE_P(
    Actions, WalkBetweenStepsTest,
    ::testing::Values(
        BetweenSteps{"RemoveTheCurrentTag", [](std::int32_t p) { RemoveTag(5, p); }, kFullWalk},
        BetweenSteps{"ToggleTheCurrentTagOff", [](std::int32_t p) { ToggleTag(5, p, ""); },
                     kFullWalk},
        BetweenSteps{"TestEveryTag",
                     [](std::int32_t) {
                         for (std::int32_t q = 0; q <= 7; ++q) {
                             IsTagged(5, q);
                             IsTagged(6, q);
                         }
                     },
                     kFullWalk},
        BetweenSteps{"ToggleTagsOfOtherSets",
                     [](std::int32_t p) {
                         ToggleTag(6, 100 + p, "a");
                         ToggleTag(4, 1, "a");
                     },
                     kFullWalk},
        BetweenSteps{"SetValuesInAnotherSet",
                     [](std::int32_t p) { SetTagValue(6, 1, std::to_string(p)); }, kFullWalk},
        BetweenSteps{"AddATagThatSortsBeforeTheCurrentOne",
                     [](std::int32_t p) { ToggleTag(5, 50 + p, " "); }, kFullWalk},
        BetweenSteps{"RemoveTheFollowingTag",
                     [](std::int32_t p) {
                         const auto at = std::find(kFullWalk.begin(), kFullWalk.end(), p);
                         if (at + 1 < kFullWalk.end()) RemoveTag(5, *(at + 1));
                     },
                     {1, 2, 4}}),
    [](const auto& tc) { return std::string(tc.param.name); });

// --- clearing ------------------------------------------------------------------------------

enum class TagTable { Tags, Positions };

void PrintTo(TagTable table, std::ostream* out) {
    *out << (table == TagTable::Tags ? "TagFile_" : "TagFilePos_");
}

// Adds one row to the tag table: TagFile_ tags of user 0 the way the program adds them,
// everything else directly through the table's manager.
void AddTag(TagTable table, std::int32_t usr, std::int16_t tbl, int n) {
    if (table == TagTable::Tags) {
        if (usr == 0) {
            ToggleTag(tbl, 1000 + n, std::to_string(n));
        } else {
            AddTagFileRow(usr, tbl, 1000 + n);
        }
        return;
    }
    data::TableManager& manager = data::Access(TableId::TagFilePos_);
    ASSERT_EQ(manager.PrimeRecord(), ui::Benign);
    data::TagFilePosRecord& tp = data::Dict().TP_;
    tp.USR = usr;
    tp.TBL = tbl;
    SetText(tp.POS, sizeof tp.POS, "pos " + std::to_string(n));
    SetText(tp.VAL, sizeof tp.VAL, std::to_string(n));
    ASSERT_EQ(manager.Insert(), ui::Benign);
}

TableId IdOf(TagTable table) {
    return table == TagTable::Tags ? TableId::TagFile_ : TableId::TagFilePos_;
}

void Clear(TagTable table, std::int32_t set, std::uint8_t manageOpen = 0) {
    if (table == TagTable::Tags) {
        ClearTags(set, manageOpen);
    } else {
        ClearTagPositions(set, manageOpen);
    }
}

std::vector<TagRow> Without(std::vector<TagRow> rows, std::int16_t set) {
    std::erase_if(rows, [set](const TagRow& r) { return r.usr == 0 && r.tbl == set; });
    return rows;
}

struct Layout {
    const char* name;
    int thisSet;    // rows of user 0, set 5
    int before;     // rows of set 4, before set 5 in both keys
    int after;      // rows of set 6
    int otherUser;  // rows of user 1, set 5: last in both keys
    bool rowByRow;
    friend void PrintTo(const Layout& c, std::ostream* out) { *out << c.name; }
};

class ClearTest : public ShellTest,
                  public ::testing::WithParamInterface<std::tuple<TagTable, Layout>> {};

TEST_P(ClearTest, RemovesExactlyTheSetsRows) {
    const auto [table, layout] = GetParam();
    int n = 0;
    for (int i = 0; i < layout.before; ++i) AddTag(table, 0, 4, ++n);
    for (int i = 0; i < layout.thisSet; ++i) AddTag(table, 0, 5, ++n);
    for (int i = 0; i < layout.after; ++i) AddTag(table, 0, 6, ++n);
    for (int i = 0; i < layout.otherUser; ++i) AddTag(table, 1, 5, ++n);
    const auto before = StoredRows(IdOf(table));
    WatchBusy();

    Clear(table, 5);

    EXPECT_EQ(StoredRows(IdOf(table)), Without(before, 5));
    if (layout.rowByRow) {
        EXPECT_EQ(busy.shown, 1);
        EXPECT_EQ(busy.restored, 1);
        EXPECT_EQ(busy.yields, layout.thisSet / 10);
        EXPECT_EQ(busy.yieldsWithoutCursor, 0);
    } else {
        // Emptied in one step: no wait cursor, no walk.
        EXPECT_EQ(busy.shown, 0);
        EXPECT_EQ(busy.yields, 0);
    }
    data::TableManager& manager = data::Access(IdOf(table));
    EXPECT_EQ(manager.OpenCount(), 0);
    EXPECT_FALSE(manager.File().Locked());
    EXPECT_EQ(sink->Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ClearTest,
    ::testing::Combine(::testing::Values(TagTable::Tags, TagTable::Positions),
                       ::testing::Values(Layout{"OnlyThisSet", 25, 0, 0, 0, false},
                                         Layout{"EmptyTable", 0, 0, 0, 0, false},
                                         Layout{"AnotherSetBefore", 25, 1, 0, 0, true},
                                         Layout{"AnotherSetAfter", 10, 0, 3, 0, true},
                                         Layout{"AnotherUsersTagsOfTheSet", 9, 0, 0, 2, true},
                                         Layout{"NoneOfThisSet", 0, 2, 2, 0, true})),
    [](const auto& tc) {
        return std::string(std::get<0>(tc.param) == TagTable::Tags ? "Tags_" : "Positions_") +
               std::get<1>(tc.param).name;
    });

class ClearNoSetTest : public ShellTest, public ::testing::WithParamInterface<TagTable> {};

// Rows of set 0 exist (left by other code), so clearing "no set" as if it were set 0 shows.
TEST_P(ClearNoSetTest, ClearsNothing) {
    const TagTable table = GetParam();
    AddTag(table, 0, 0, 1);
    AddTag(table, 0, 0, 2);
    AddTag(table, 0, 5, 3);
    const auto before = StoredRows(IdOf(table));
    WatchBusy();
    Clear(table, 0, 1);
    Clear(table, 65536, 1);  // stored as 0
    EXPECT_EQ(StoredRows(IdOf(table)), before);
    EXPECT_EQ(busy.shown, 0);
}

INSTANTIATE_TEST_SUITE_P(Tables, ClearNoSetTest,
                         ::testing::Values(TagTable::Tags, TagTable::Positions),
                         [](const auto& tc) {
                             return std::string(tc.param == TagTable::Tags ? "Tags" : "Positions");
                         });

TEST_F(TaggingTest, RowByRowClearWithManagedOpenLeavesTheTableClosedAndUnlocked) {
    for (int n = 1; n <= 12; ++n) AddTag(TagTable::Tags, 0, 5, n);
    AddTag(TagTable::Tags, 0, 6, 13);
    ClearTags(5, 1);
    EXPECT_EQ(TagFileRows().size(), 1u);
    data::TableManager& manager = data::Access(TableId::TagFile_);
    EXPECT_EQ(manager.OpenCount(), 0);
    EXPECT_FALSE(manager.File().IsOpen());
    EXPECT_FALSE(manager.File().Locked());
}

// A delete that fails for another reason than a lock is reported and the clear goes on.
TEST_F(TaggingTest, RowByRowClearReportsAFailedDeleteAndGoesOn) {
    for (std::int32_t p = 1; p <= 3; ++p) ToggleTag(5, p, "a");
    ToggleTag(6, 1, "a");  // another set: the rows go one by one
    FailingWrite refused("TagFile_", "DELETE", "OLD.TBL=5 AND OLD.PTR=2");
    ASSERT_TRUE(refused.Ok());

    ClearTags(5, 0);

    ASSERT_EQ(sink->Count(), 1u);
    EXPECT_EQ(sink->Last()->caption, "Record was not deleted");
    EXPECT_EQ(TagFileRows(),
              (std::vector<TagRow>{{0, 5, 2, "", "a         "}, {0, 6, 1, "", "a         "}}));
}

// A walk over all rows commits its tags when it closes the tag table. With no room on the disk
// for that commit the user is told that the disk is full, and no tag of the walk stays.
class TaggingFullDiskTest : public TaggingTest {
  protected:
    LimitedRoom room;  // before the fixture opens the data file
};

TEST_F(TaggingFullDiskTest, AWalkWhoseCommitFindsNoRoomIsReported) {
    ASSERT_TRUE(room.Ok());
    ASSERT_EQ(data::ZembrolaFile()->Checkpoint(), store::NoError);  // no room left in the log
    OpenTagFile();
    const std::vector<std::int32_t> items{11, 12, 13};
    SetTagValues(5, items, "", [] {});
    room.Limit(0);
    CloseTagFile();
    room.Unlimit();

    ASSERT_EQ(sink->Count(), 1u);
    EXPECT_EQ(sink->Last()->caption, "Record Was Not Changed");
    EXPECT_NE(sink->Last()->text.find("TagFile_"), std::string::npos) << sink->Last()->text;
    EXPECT_NE(sink->Last()->text.find("disk is full"), std::string::npos) << sink->Last()->text;
    EXPECT_TRUE(TagFileRows().empty());
    EXPECT_FALSE(data::Access(TableId::TagFile_).File().IsOpen());
}

// --- set numbers above a SHORT ---------------------------------------------------------------

struct SetNumber {
    std::int32_t given;
    std::int16_t stored;
    friend void PrintTo(const SetNumber& c, std::ostream* out) { *out << c.given; }
};

class StoredSetTest : public ShellTest, public ::testing::WithParamInterface<SetNumber> {};

// Every operation uses the stored SHORT, so what one writes the others find, walk and clear,
// the row-by-row clear's filter included (a set of another number is present to force it).
TEST_P(StoredSetTest, EveryOperationUsesTheStoredNumber) {
    const auto [given, stored] = GetParam();
    constexpr std::int16_t kOther = 3;
    ToggleTag(given, 11, "a");
    EXPECT_EQ(SetTagValue(given, 12, "b"), 1);
    ToggleTag(kOther, 11, "a");
    EXPECT_EQ(TagFileRows(), (std::vector<TagRow>{{0, stored, 11, "", "a         "},
                                                  {0, stored, 12, "", "b         "},
                                                  {0, kOther, 11, "", "a         "}}));
    EXPECT_EQ(IsTagged(given, 11), 1);
    EXPECT_EQ(IsTagged(stored, 12), 1);
    EXPECT_EQ(Walk(given), (std::vector<std::int32_t>{11, 12}));

    ClearTags(given, 0);
    EXPECT_EQ(TagFileRows(), (std::vector<TagRow>{{0, kOther, 11, "", "a         "}}));

    AddTag(TagTable::Positions, 0, stored, 1);
    AddTag(TagTable::Positions, 0, kOther, 2);
    ClearTagPositions(given, 0);
    const auto positions = StoredRows(TableId::TagFilePos_);
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_EQ(positions[0].tbl, kOther);
}

INSTANTIATE_TEST_SUITE_P(Numbers, StoredSetTest,
                         ::testing::Values(SetNumber{70000, 4464}, SetNumber{40000, -25536},
                                           SetNumber{-5, -5}, SetNumber{32767, 32767}),
                         [](const auto& tc) {
                             const std::int32_t n = tc.param.given;
                             return (n < 0 ? "Minus" : "") + std::to_string(n < 0 ? -n : n);
                         });

// --- counted opens -------------------------------------------------------------------------

TEST_F(TaggingTest, NestedOpensKeepTheTableOpenAndLockedUntilTheLastClose) {
    data::TableManager& manager = data::Access(TableId::TagFile_);
    OpenTagFile();
    OpenTagFile();
    ToggleTag(5, 1, "a");
    ToggleTag(5, 2, "a");
    CloseTagFile();
    EXPECT_TRUE(manager.File().IsOpen());
    EXPECT_TRUE(manager.File().Locked());
    ToggleTag(5, 3, "a");
    CloseTagFile();
    EXPECT_FALSE(manager.File().IsOpen());
    EXPECT_FALSE(manager.File().Locked());
    EXPECT_EQ(manager.OpenCount(), 0);
    EXPECT_EQ(TagFileRows().size(), 3u);

    // A close too many does not leave the count below zero: the next pair opens and closes.
    CloseTagFile();
    OpenTagFile();
    EXPECT_TRUE(manager.File().IsOpen());
    CloseTagFile();
    EXPECT_FALSE(manager.File().IsOpen());
}

}  // namespace
}  // namespace zem::test
