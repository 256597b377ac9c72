// Keys, cursors and writes of one table on one thread.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/store/view.h"
#include "store_fixture.h"
#include "support/limited_room.h"

namespace zem::test {
namespace {

using store::NoError;

std::vector<std::string> Walk(store::Table& t, Person& buf, bool forward = true) {
    std::vector<std::string> names;
    while ((forward ? t.Next() : t.Previous()) == NoError) names.emplace_back(Name(buf));
    EXPECT_EQ(store::ErrorCode(), store::RecordNotAvailable);
    return names;
}

TEST_F(StoreTest, UniqueTextKeysIgnoreCaseAndTrailingBlanks) {
    struct Case {
        const char* first;
        const char* second;
        int expected;
    } cases[] = {
        {"Acme", "ACME ", store::DuplicateKey},
        {"caf\xE9", "CAF\xC9", store::DuplicateKey},  // code page 1252 letters fold too
        {"Acme", " Acme", NoError},                   // leading blanks count
        {"Acme", "Acme2", NoError},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(people->Empty(), NoError);
        ASSERT_EQ(AddPerson(c.first, "X"), NoError);
        EXPECT_EQ(AddPerson(c.second, "X"), c.expected) << c.first << " / " << c.second;
    }
}

TEST_F(StoreTest, KeysWalkInOrderWithDuplicatesInInsertionOrder) {
    for (auto [name, city] : {std::pair{"d", "Rome"}, {"b", "oslo"}, {"a", "Rome"}, {"c", "Oslo"}})
        ASSERT_EQ(AddPerson(name, city), NoError);
    ASSERT_EQ(people->Set(PER_KeyName), NoError);
    EXPECT_EQ(Walk(*people, buf), (std::vector<std::string>{"a", "b", "c", "d"}));
    ASSERT_EQ(people->Set(PER_KeyName), NoError);
    EXPECT_EQ(Walk(*people, buf, false), (std::vector<std::string>{"d", "c", "b", "a"}));
    ASSERT_EQ(people->Set(PER_KeyCity), NoError);
    EXPECT_EQ(Walk(*people, buf), (std::vector<std::string>{"b", "c", "a", "d"}));
    ASSERT_EQ(people->SetFile(), NoError);
    EXPECT_EQ(Walk(*people, buf), (std::vector<std::string>{"d", "b", "a", "c"}));
}

TEST_F(StoreTest, PartialKeyPositionsAtLowestRemainingComponent) {
    for (auto [name, city] : {std::pair{"z", "Oslo"}, {"m", "Rome"}, {"a", "Rome"}, {"q", "Zug"}})
        ASSERT_EQ(AddPerson(name, city), NoError);
    people->ClearBuffer(-1);  // every component at its lowest
    SetText(buf.CITY, sizeof buf.CITY, "rome", true);
    ASSERT_EQ(people->SetAt(PER_KeyCity), NoError);
    EXPECT_EQ(Walk(*people, buf), (std::vector<std::string>{"a", "m", "q"}));
    // Previous from a position reads the rows at or before it.
    Fill(buf, 0, "m", "Rome");
    ASSERT_EQ(people->SetAt(PER_KeyCity), NoError);
    EXPECT_EQ(Walk(*people, buf, false), (std::vector<std::string>{"m", "a", "z"}));
}

TEST_F(StoreTest, WalkSurvivesChangesBetweenSteps) {
    for (int i = 0; i < 40; ++i) ASSERT_EQ(AddPerson("p" + std::to_string(100 + i), "C"), NoError);
    ASSERT_EQ(people->Set(PER_KeyName), NoError);
    std::vector<std::string> seen;
    while (people->Next() == NoError) {
        seen.emplace_back(Name(buf));
        if (seen.size() % 3 == 0) {
            ASSERT_EQ(people->Delete(), NoError);  // delete as we go
        }
        if (seen.size() == 5) {  // a row added ahead of the cursor is met; one behind is not
            Person keep = buf;
            ASSERT_EQ(AddPerson("p999", "C"), NoError);
            ASSERT_EQ(AddPerson("p000", "C"), NoError);
            buf = keep;
        }
    }
    EXPECT_EQ(seen.size(), 41u);
    EXPECT_EQ(seen.back(), "p999");
    EXPECT_EQ(people->Records(), 40 + 2 - 13);
}

// A walk that deletes the rows it stands on, past several read-ahead batches and in every
// order, meets each row once; another view of the table, walking beside it, never meets a row
// that is gone. (In batch mode, for speed; the walk is the same.)
TEST_F(StoreTest, DeletingAsItWalksMeetsEveryRowOnceAndOthersSeeTheDeletions) {
    constexpr int kRows = 600;
    ASSERT_EQ(people->Stream(), NoError);
    for (int i = 0; i < kRows; ++i)
        ASSERT_EQ(AddPerson("p" + std::to_string(10000 + i), "C"), NoError);
    struct Order {
        const char* name;
        int key;  // -1: file order
        bool forward;
    };
    for (const Order order : {Order{"file order", -1, true}, Order{"by name", PER_KeyName, true},
                              Order{"by name, backwards", PER_KeyName, false}}) {
        SCOPED_TRACE(order.name);
        ASSERT_EQ(
            order.key < 0 ? people->SetFile() : people->Set(static_cast<std::size_t>(order.key)),
            NoError);
        Person otherBuf{};
        store::Table other(*file, kPeople, &otherBuf);
        ASSERT_EQ(other.Open(), NoError);
        ASSERT_EQ(other.SetFile(), NoError);
        std::set<std::string> seen, deleted;
        std::size_t otherMetDeleted = 0;
        const std::int64_t before = people->Records();
        while ((order.forward ? people->Next() : people->Previous()) == NoError) {
            const std::string name(Name(buf));
            EXPECT_TRUE(seen.insert(name).second) << name << " met twice";
            if (seen.size() % 2 == 0) {
                ASSERT_EQ(people->Delete(), NoError);
                deleted.insert(name);
            }
            if (other.Next() == NoError)
                otherMetDeleted += deleted.count(std::string(Name(otherBuf)));
        }
        EXPECT_EQ(static_cast<std::int64_t>(seen.size()), before);
        EXPECT_EQ(otherMetDeleted, 0u);
        EXPECT_EQ(people->Records(), before - static_cast<std::int64_t>(deleted.size()));
        for (const std::string& name : deleted) {
            Fill(buf, 0, name, "C");
            EXPECT_EQ(people->Fetch(PER_KeyName), store::RecordNotFound) << name;
        }
    }
    EXPECT_EQ(people->Flush(), NoError);
}

TEST_F(StoreTest, SetAfterResumesStrictlyAfterARowThatIsGone) {
    for (auto name : {"a", "b", "c", "d"}) ASSERT_EQ(AddPerson(name, "X"), NoError);
    Fill(buf, 0, "b", "X");
    ASSERT_EQ(people->Fetch(PER_KeyName), NoError);
    const store::Position b = people->CurrentPosition();
    ASSERT_EQ(people->Delete(), NoError);
    Fill(buf, 0, "b", "X");
    ASSERT_EQ(people->SetAfter(PER_KeyName, b), NoError);
    EXPECT_EQ(Walk(*people, buf), (std::vector<std::string>{"c", "d"}));
}

// A positioning that fails ends the walk before it, so a caller that goes on to Next without
// testing it reads nothing rather than the rest of the old walk.
TEST_F(StoreTest, AFailedPositioningLeavesNoWalk) {
    for (auto name : {"a", "b", "c"}) ASSERT_EQ(AddPerson(name, "X"), NoError);
    const std::size_t noSuchKey = kPeople.keys.size();
    for (bool anchored : {false, true}) {
        SCOPED_TRACE(anchored ? "SetAt" : "Set");
        ASSERT_EQ(people->Set(PER_KeyName), NoError);
        ASSERT_EQ(people->Next(), NoError);
        EXPECT_EQ(anchored ? people->SetAt(noSuchKey) : people->Set(noSuchKey),
                  store::InvalidRecordDeclaration);
        EXPECT_NE(people->Next(), NoError);
    }
}

TEST_F(StoreTest, FetchFindsOrClearsTheBuffer) {
    ASSERT_EQ(AddPerson("Ann", "Bergen", 41), NoError);
    const std::int32_t id = buf.ID;
    EXPECT_EQ(id, 1);
    people->ClearBuffer();
    buf.ID = id;
    ASSERT_EQ(people->Fetch(PER_KeyId), NoError);
    EXPECT_EQ(Name(buf), "Ann");
    EXPECT_EQ(buf.AGE, 41);
    EXPECT_EQ(std::string(buf.CITY), "Bergen");

    Fill(buf, 0, "nobody", "Nowhere", 9);
    EXPECT_EQ(people->Fetch(PER_KeyName), store::RecordNotFound);
    EXPECT_EQ(Name(buf), "");
    EXPECT_EQ(buf.AGE, 0);
    EXPECT_EQ(buf.CITY[0], '\0');
}

TEST_F(StoreTest, FieldsRoundTripExactly) {
    Fill(buf, 0, "Exact", "Trondheim", -7);
    buf.SCORE = -0.125;
    SetText(buf.NOTES[2], sizeof buf.NOTES[2], "1234567", true);
    SetText(buf.NAME, sizeof buf.NAME, std::string(20, 'N'), false);  // full width, no blanks
    ASSERT_EQ(people->Add(), NoError);
    const Person written = buf;  // with the number Add gave it
    const store::Position at = people->CurrentPosition();
    std::memset(&buf, 0x55, sizeof buf);
    ASSERT_EQ(people->Reget(at), NoError);
    EXPECT_EQ(std::memcmp(&buf, &written, sizeof buf), 0);
}

TEST_F(StoreTest, PutAndDeleteActOnTheCurrentRecord) {
    EXPECT_EQ(people->Put(), store::RecordNotAvailable);
    ASSERT_EQ(AddPerson("Old", "X"), NoError);
    SetText(buf.NAME, sizeof buf.NAME, "New", false);
    ASSERT_EQ(people->Put(), NoError);
    ASSERT_EQ(AddPerson("Other", "X"), NoError);
    SetText(buf.NAME, sizeof buf.NAME, "new", false);
    EXPECT_EQ(people->Put(), store::DuplicateKey);  // unique key checked on change too
    ASSERT_EQ(people->Delete(), NoError);
    EXPECT_EQ(people->Delete(), store::RecordNotAvailable);
    EXPECT_EQ(people->Records(), 1);
}

TEST_F(StoreTest, AutoNumbersReserveAndCancel) {
    Person other{};
    store::Table second(*file, kPeopleAlias, &other);
    ASSERT_EQ(second.Open(), NoError);
    ASSERT_EQ(people->ReserveAutoNumber(), NoError);
    ASSERT_EQ(second.ReserveAutoNumber(), NoError);
    EXPECT_EQ(buf.ID, 1);
    EXPECT_EQ(other.ID, 2);
    ASSERT_EQ(people->CancelReservation(), NoError);
    Fill(other, other.ID, "Second", "X");
    ASSERT_EQ(second.Add(), NoError);
    EXPECT_EQ(other.ID, 2);
    ASSERT_EQ(AddPerson("Third", "X"), NoError);  // 0 asks for the next number
    EXPECT_EQ(buf.ID, 3);
    ASSERT_EQ(people->ReserveAutoNumber(), NoError);
    EXPECT_EQ(buf.ID, 4);
}

TEST_F(StoreTest, ViewsFilterAndDelete) {
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(AddPerson("n" + std::to_string(i), i % 2 ? "Odd" : "even",
                            static_cast<std::int16_t>(i)),
                  NoError);
    store::View view(*people, "PER:City='EVEN' AND (per:age>=10 OR PER:Age=2)");
    ASSERT_EQ(view.Open(), NoError);
    int deleted = 0;
    while (view.Next() == NoError) {
        EXPECT_EQ(std::string(buf.CITY), "even");
        ASSERT_EQ(view.Delete(), NoError);
        ++deleted;
    }
    EXPECT_EQ(deleted, 6);  // 2, 10, 12, 14, 16, 18
    EXPECT_EQ(people->Records(), 14);

    for (const char* bad : {"PER:Nope=1", "PER:AGE=", "XYZ:AGE=1", "(PER:AGE=1", "PER:AGE='x"}) {
        store::View broken(*people, bad);
        EXPECT_EQ(broken.Open(), store::InvalidFilter) << bad;
    }
}

TEST_F(StoreTest, AliasSeesTheSameRowsThroughItsOwnBuffer) {
    Person other{};
    store::Table alias(*file, kPeopleAlias, &other);
    ASSERT_EQ(alias.Open(), NoError);
    ASSERT_EQ(AddPerson("Shared", "X"), NoError);
    other.ID = buf.ID;
    ASSERT_EQ(alias.Fetch(PER_KeyId), NoError);
    EXPECT_EQ(Name(other), "Shared");
    ASSERT_EQ(people->Set(PER_KeyName), NoError);
    ASSERT_EQ(alias.Set(PER_KeyName), NoError);
    ASSERT_EQ(AddPerson("Another", "X"), NoError);
    EXPECT_EQ(alias.Next(), NoError);
    EXPECT_EQ(people->Next(), NoError);
}

TEST_F(StoreTest, StreamedWritesAreAllThereAfterFlush) {
    ASSERT_EQ(people->Lock(1), NoError);
    ASSERT_EQ(people->Stream(), NoError);
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(AddPerson("s" + std::to_string(i), "C"), NoError);
    ASSERT_EQ(people->Flush(), NoError);
    ASSERT_EQ(people->Unlock(), NoError);
    EXPECT_EQ(buf.ID, 5000);
    EXPECT_EQ(people->Records(), 5000);
}

// The closing commit of a batch is a durable one, however short the batch: the disk is asked to
// keep the log before the batch's end returns.
class StoreSyncTest : public StoreTest {
  protected:
    LimitedRoom disk;  // before the fixture opens the data file: it counts the syncs
};

TEST_F(StoreSyncTest, AShortBatchsEndSyncsTheLog) {
    ASSERT_TRUE(disk.Ok());
    ASSERT_EQ(people->Lock(1), NoError);
    ASSERT_EQ(people->Stream(), NoError);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(AddPerson("s" + std::to_string(i), "C"), NoError);
    const int before = disk.Syncs();
    ASSERT_EQ(people->Flush(), NoError);
    EXPECT_GT(disk.Syncs(), before) << "the batch's last commit was left to the page cache";
    ASSERT_EQ(people->Unlock(), NoError);
}

// A batch that has run a while commits at its next write; when that write is its last, the
// batch's end has no commit of its own left, and its log must still reach the disk.
TEST_F(StoreSyncTest, ABatchWhoseLastWriteCommittedOnItsOwnStillSyncsAtItsEnd) {
    ASSERT_TRUE(disk.Ok());
    ASSERT_EQ(people->Lock(1), NoError);
    ASSERT_EQ(people->Stream(), NoError);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(AddPerson("s" + std::to_string(i), "C"), NoError);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // past a batch's age
    ASSERT_EQ(AddPerson("last", "C"), NoError);
    const int before = disk.Syncs();
    ASSERT_EQ(people->Flush(), NoError);
    EXPECT_GT(disk.Syncs(), before) << "the batch's last commit was left to the page cache";
    ASSERT_EQ(people->Unlock(), NoError);
}

// The sync at a batch's end goes past SQLite's own calls: what it reports is the system's
// reason, not the message of whatever statement ran before.
TEST_F(StoreSyncTest, ABatchsEndThatCanNotSyncTheLogSaysWhy) {
    ASSERT_TRUE(disk.Ok());
    const struct {
        int error;
        const char* says;
    } cases[] = {{ENOSPC, "the disk is full"}, {EIO, "can't be written to the disk"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        ASSERT_EQ(people->Lock(1), NoError);
        ASSERT_EQ(people->Stream(), NoError);
        ASSERT_EQ(AddPerson("s" + std::to_string(c.error), "C"), NoError);
        disk.RefuseSyncs(c.error);
        EXPECT_EQ(people->Flush(), store::FileSystemError);
        disk.RefuseSyncs(0);
        EXPECT_NE(std::string(store::FileErrorText()).find(c.says), std::string::npos)
            << store::FileErrorText();
        ASSERT_EQ(people->Unlock(), NoError);
    }
}

std::string Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A batch's closing commit is durable in the log. A short batch leaves its pages there (copying
// them back at once would cost two more syncs); one whose log grew long copies it back into the
// file at its end, so the log does not keep growing batch after batch.
TEST_F(StoreTest, ABatchCopiesTheLogBackOnlyWhenItGrewLong) {
    const std::filesystem::path data = dir / "test.cfg";
    auto batch = [&](int rows, std::string_view stem) {
        ASSERT_EQ(people->Lock(1), NoError);
        ASSERT_EQ(people->Stream(), NoError);
        for (int i = 0; i < rows; ++i)
            ASSERT_EQ(AddPerson(std::string(stem) + std::to_string(i), "C"), NoError);
        ASSERT_EQ(people->Flush(), NoError);
        ASSERT_EQ(people->Unlock(), NoError);
    };
    ASSERT_EQ(file->Checkpoint(), NoError);
    const std::string before = Bytes(data);

    ASSERT_NO_FATAL_FAILURE(batch(20, "short"));
    EXPECT_EQ(Bytes(data), before) << "a short batch was copied back";
    EXPECT_EQ(PeopleIn(data), 20) << "another connection sees the short batch";

    ASSERT_NO_FATAL_FAILURE(batch(60000, "long"));
    EXPECT_GT(std::filesystem::file_size(data), before.size() + 2'000'000)
        << "a long batch stayed in the log";
    EXPECT_EQ(PeopleIn(data), 60020);
}

}  // namespace
}  // namespace zem::test
