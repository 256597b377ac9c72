// Tag tables as other threads see them: the bulk lock, what is committed, and deletes that fail
// because another thread holds a table's lock.
#include <gtest/gtest.h>

#include <cstddef>
#include <future>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "data/dictionary.h"
#include "shell/tagging.h"
#include "shell_fixture.h"
#include "support/table_lock_holder.h"
#include "tag_rows.h"

namespace zem::test {
namespace {

using data::TableId;
using namespace zem::shell;

// Runs work on a thread of its own (with its own connection to the data file) and waits for it.
template <typename Work>
auto OnAnotherThread(Work work) {
    std::packaged_task<decltype(work())()> task([work] {
        auto result = work();
        data::ZembrolaFile()->ReleaseThreadConnection();
        return result;
    });
    auto future = task.get_future();
    std::thread(std::move(task)).join();
    return future.get();
}

bool AnotherThreadCanLock(TableId id) {
    return OnAnotherThread([id] {
        std::vector<std::byte> buffer(data::Def(id).recordSize);
        store::Table table(*data::ZembrolaFile(), data::Def(id), buffer.data());
        const bool locked = table.Open() == store::NoError && table.Lock(0) == store::NoError;
        table.Close();
        return locked;
    });
}

std::vector<TagRow> RowsSeenByAnotherThread(TableId id) {
    return OnAnotherThread([id] { return StoredRows(id); });
}

class TaggingThreadsTest : public ShellTest {};

TEST_F(TaggingThreadsTest, BulkOpenHoldsTheLockAndCommitsAtTheLastClose) {
    OpenTagFile();
    OpenTagFile();
    for (std::int32_t p = 1; p <= 3; ++p) ToggleTag(5, p, "a");
    EXPECT_FALSE(AnotherThreadCanLock(TableId::TagFile_));
    CloseTagFile();
    EXPECT_FALSE(AnotherThreadCanLock(TableId::TagFile_));
    CloseTagFile();
    EXPECT_TRUE(AnotherThreadCanLock(TableId::TagFile_));
    EXPECT_EQ(RowsSeenByAnotherThread(TableId::TagFile_).size(), 3u);
}

// A caller doing bulk work keeps its lock through a clear, whichever way the clear goes.
TEST_F(TaggingThreadsTest, ClearInsideABulkOpenKeepsTheCallersLock) {
    for (std::int16_t set : {5, 6, 7})
        for (std::int32_t p = 1; p <= 3; ++p) ToggleTag(set, p, "a");
    data::TableManager& manager = data::Access(TableId::TagFile_);
    OpenTagFile();

    ClearTags(5, 0);  // row by row: sets 6 and 7 remain
    EXPECT_TRUE(manager.File().Locked());
    ClearTags(6, 1);  // row by row with its own counted open
    EXPECT_TRUE(manager.File().Locked());
    ClearTags(7, 0);  // the only set left: emptied in one step
    EXPECT_TRUE(manager.File().Locked());
    EXPECT_FALSE(AnotherThreadCanLock(TableId::TagFile_));
    EXPECT_EQ(manager.OpenCount(), 1);

    CloseTagFile();
    EXPECT_TRUE(AnotherThreadCanLock(TableId::TagFile_));
    EXPECT_TRUE(RowsSeenByAnotherThread(TableId::TagFile_).empty());
}

TEST_F(TaggingThreadsTest, RowByRowClearWithManagedOpenIsCommittedAndUnlocked) {
    for (std::int32_t p = 1; p <= 12; ++p) ToggleTag(5, p, "a");
    ToggleTag(6, 1, "a");
    ClearTags(5, 1);
    EXPECT_TRUE(AnotherThreadCanLock(TableId::TagFile_));
    EXPECT_EQ(RowsSeenByAnotherThread(TableId::TagFile_),
              (std::vector<TagRow>{{0, 6, 1, "", "a         "}}));
}

// Another thread's lock makes a delete wait; a short wait lets it fail quickly.
constexpr double kShortWait = 0.2;

TEST_F(TaggingThreadsTest, AFailedToggleDeleteIsReportedAndTheTagStays) {
    ToggleTag(5, 1, "a");
    data::Access(TableId::TagFile_).File().SetWriteWait(kShortWait);
    TableLockHolder holder(TableId::TagFile_);
    ASSERT_TRUE(holder.Ok());

    ToggleTag(5, 1, "a");
    holder.Release();

    ASSERT_EQ(sink->Count(), 1u);
    EXPECT_EQ(sink->Last()->caption, "Record was not deleted");
    EXPECT_NE(sink->Last()->text.find("from the TagFile_ file"), std::string::npos)
        << sink->Last()->text;
    EXPECT_EQ(TagFileRows().size(), 1u);
    EXPECT_EQ(IsTagged(5, 1), 1);
}

struct Locked {
    TableId id;
    const char* fileName;
    friend void PrintTo(const Locked& c, std::ostream* out) { *out << c.fileName; }
};

class ClearUnderAnothersLockTest : public ShellTest,
                                   public ::testing::WithParamInterface<Locked> {};

// The fast path can't take the lock, so the rows go one by one. The first delete waits out the
// lock and fails; the others would only wait as long again: the clear stops there, with one
// message.
TEST_P(ClearUnderAnothersLockTest, StopsAtTheFirstLockedDeleteWithOneMessage) {
    const auto [id, fileName] = GetParam();
    data::TableManager& manager = data::Access(id);
    for (int n = 1; n <= 3; ++n) {
        if (id == TableId::TagFile_) {
            ToggleTag(5, n, "a");
        } else {
            ASSERT_EQ(manager.PrimeRecord(), ui::Benign);
            data::Dict().TP_.TBL = 5;
            SetText(data::Dict().TP_.POS, sizeof data::Dict().TP_.POS, std::to_string(n));
            ASSERT_EQ(manager.Insert(), ui::Benign);
        }
    }
    manager.File().SetWriteWait(kShortWait);
    WatchBusy();
    TableLockHolder holder(id);
    ASSERT_TRUE(holder.Ok());

    if (id == TableId::TagFile_) {
        ClearTags(5, 0);
    } else {
        ClearTagPositions(5, 0);
    }
    holder.Release();

    const auto requests = sink->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].caption, "Record was not deleted");
    EXPECT_NE(requests[0].text.find("from the " + std::string(fileName) + " file"),
              std::string::npos)
        << requests[0].text;
    EXPECT_EQ(StoredRows(id).size(), 3u);
    EXPECT_EQ(busy.shown, 1);
    EXPECT_EQ(busy.restored, 1);
}

INSTANTIATE_TEST_SUITE_P(Tables, ClearUnderAnothersLockTest,
                         ::testing::Values(Locked{TableId::TagFile_, "TagFile_"},
                                           Locked{TableId::TagFilePos_, "TagFilePos_"}),
                         [](const auto& tc) { return std::string(tc.param.fileName); });

}  // namespace
}  // namespace zem::test
