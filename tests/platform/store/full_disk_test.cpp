// A disk that fills up under the data file: every write that finds no room says so and names
// the file, and a transaction that could not finish, or could not be undone, is undone by the
// next use of its tables that has room, leaving the rows as they were before it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/store/sqlite.h"
#include "store_fixture.h"
#include "support/limited_room.h"
#include "support/small_disk.h"

namespace zem::test {
namespace {

constexpr const char* kNeverShown = "no transaction is active";

std::string Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Wal(const std::filesystem::path& path) {
    return path.string() + "-wal";
}

std::string Numbered(std::string_view stem, int i) {
    return std::string(stem) + std::to_string(i);
}

// The People names of the file in key order, or the error that stopped the walk.
struct Read {
    std::vector<std::string> names;
    int code = store::NoError;
    int fileCode = 0;
    std::string text;
};
Read ReadPeople(const std::filesystem::path& path) {
    Read read;
    store::OpenStatus status;
    auto file = store::DataFile::Open(path, kPassword, status);
    if (!file) {
        read.code = status.code;
        read.text = status.text;
        return read;
    }
    Person p{};
    store::Table t(*file, kPeople, &p);
    int rc = t.Open();
    if (rc == store::NoError) rc = t.Set(PER_KeyName);
    while (rc == store::NoError && (rc = t.Next()) == store::NoError)
        read.names.emplace_back(Name(p));
    if (rc != store::RecordNotAvailable) {
        read.code = store::ErrorCode();
        read.fileCode = store::FileErrorCode();
        read.text = std::string(store::FileErrorText());
    }
    return read;
}

std::vector<std::string> Names(std::string_view stem, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(Numbered(stem, i));
    std::sort(names.begin(), names.end());
    return names;
}

// A new file with count People rows named stem0, stem1, ...; false when that failed.
bool MakePeople(const std::filesystem::path& path, int count, std::string_view stem) {
    store::OpenStatus status;
    auto file = store::DataFile::Open(path, kPassword, status);
    if (!file) return false;
    Person p{};
    store::Table t(*file, kPeople, &p);
    if (t.Open() != store::NoError || t.Stream() != store::NoError) return false;
    for (int i = 0; i < count; ++i) {
        Fill(p, 0, Numbered(stem, i), std::string(15, 'c'));
        if (t.Add() != store::NoError) return false;
    }
    return t.Flush() == store::NoError;
}

struct Failure {
    int code = store::NoError;
    int fileCode = 0;
    std::string text;  // what the user is shown: the store's text and the database's
};
Failure LastFailure() {
    return {store::ErrorCode(), store::FileErrorCode(),
            std::string(store::ErrorText()) + " (" + std::string(store::FileErrorText()) + ")"};
}

// Adds rows named stem0, stem1, ... until one fails (answers its failure) or limit are in.
Failure AddUntilFull(store::Table& t, Person& p, std::string_view stem, int limit,
                     int* added = nullptr) {
    for (int i = 0; i < limit; ++i) {
        Fill(p, 0, Numbered(stem, i), std::string(15, 'n'));
        if (t.Add() != store::NoError) return LastFailure();
        if (added) ++*added;
    }
    return {};
}

// The rewrite a catalog update makes, over People: in one transaction, in batch mode, every
// row deleted and more new ones added than there were. Answers the first failure; the
// transaction is then rolled back and rollback tells how that went.
struct Rewritten {
    Failure failure;
    Failure rollback;
};
Rewritten Rewrite(store::DataFile& file, int newRows,
                  const std::function<void()>& beforeRollback = {}) {
    Rewritten r;
    Person p{};
    store::Table t(file, kPeople, &p);
    store::Table* tables[] = {&t};
    if (t.Open() != store::NoError || file.Logout(1, tables) != store::NoError ||
        t.Stream() != store::NoError) {
        r.failure = LastFailure();
        return r;
    }
    int rc = t.SetFile();
    while (rc == store::NoError && (rc = t.Next()) == store::NoError) rc = t.Delete();
    if (rc != store::RecordNotAvailable) r.failure = LastFailure();
    if (r.failure.code == store::NoError) r.failure = AddUntilFull(t, p, "new", newRows);
    if (t.Flush() != store::NoError && r.failure.code == store::NoError) r.failure = LastFailure();
    if (r.failure.code == store::NoError) {
        if (file.Commit() != store::NoError) r.failure = LastFailure();
        return r;
    }
    if (beforeRollback) beforeRollback();
    if (file.Rollback() != store::NoError) r.rollback = LastFailure();
    return r;
}

void Note(Seen& seen, const std::string& key, const Failure& f) {
    seen[key + ".code"] = std::to_string(f.code);
    seen[key + ".fileCode"] = std::to_string(f.fileCode);
    seen[key + ".text"] = f.text;
}

// What the user must be told of a write that found no room.
void ExpectNoRoom(const Seen& seen, const std::string& key, const std::filesystem::path& path) {
    SCOPED_TRACE(key);
    EXPECT_EQ(seen.at(key + ".code"), std::to_string(store::FileSystemError));
    EXPECT_EQ(seen.at(key + ".fileCode"), std::to_string(SQLITE_FULL));
    const std::string& text = seen.at(key + ".text");
    EXPECT_NE(text.find("the disk is full"), std::string::npos) << text;
    EXPECT_NE(text.find(path.string()), std::string::npos) << text;
    EXPECT_EQ(text.find(kNeverShown), std::string::npos) << text;
}

// A process that died inside the rewrite, its batches committed with their journal; its log
// was copied into the file before it died, so all of it is in the file.
void RewriteAndDie(const std::filesystem::path& path) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        store::OpenStatus status;
        auto file = store::DataFile::Open(path, kPassword, status);
        Person p{};
        store::Table t(*file, kPeople, &p);
        store::Table* tables[] = {&t};
        bool ok = file && t.Open() == store::NoError && file->Logout(1, tables) == store::NoError &&
                  t.Stream() == store::NoError;
        int rc = ok ? t.SetFile() : store::FileNotOpen;
        while (rc == store::NoError && (rc = t.Next()) == store::NoError) rc = t.Delete();
        ok = ok && rc == store::RecordNotAvailable &&
             AddUntilFull(t, p, "new", 6000).code == store::NoError &&
             t.Flush() == store::NoError && file->Checkpoint() == store::NoError;
        ::_exit(ok ? 0 : 1);
    }
    int status = 1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// --- a real file system that fills up ---------------------------------------------------------

constexpr std::uint64_t kDisk = 8 << 20;

struct WriteCase {
    const char* what;
    // Writes until a write fails; answers that failure. The file has 50 rows "old0"...
    std::function<Failure(store::DataFile&, store::Table&, Person&)> write;
    // The rows a later open must find, given how many adds succeeded; -1: at least the old.
    std::function<int(int added)> rowsAfter;
};

TEST(FullDiskTest, AWriteThatFindsNoRoomSaysTheDiskIsFullAndNamesTheFile) {
    int added = 0;
    const WriteCase cases[] = {
        {"a row added on its own",
         [&](store::DataFile&, store::Table& t, Person& p) {
             return AddUntilFull(t, p, "new", 1'000'000, &added);
         },
         [](int adds) { return 50 + adds; }},
        {"rows added inside a transaction, then rolled back",
         [&](store::DataFile& file, store::Table& t, Person& p) {
             store::Table* tables[] = {&t};
             if (file.Logout(1, tables) != store::NoError) return LastFailure();
             Failure f = AddUntilFull(t, p, "new", 1'000'000);
             if (file.Rollback() != store::NoError) f = LastFailure();
             return f;
         },
         [](int) { return 50; }},
        {"rows added in batch mode",
         [&](store::DataFile&, store::Table& t, Person& p) {
             if (t.Stream() != store::NoError) return LastFailure();
             Failure f = AddUntilFull(t, p, "new", 1'000'000);
             if (t.Flush() != store::NoError && f.code == store::NoError) f = LastFailure();
             return f;
         },
         [](int) { return -1; }},
        {"rows added as one unit",
         [&](store::DataFile& file, store::Table& t, Person& p) {
             Failure f;
             const int rc = file.Atomically([&] {
                 f = AddUntilFull(t, p, "new", 1'000'000);
                 return f.code == store::NoError;
             });
             return rc == store::NoError ? Failure{} : f;
         },
         [](int) { return 50; }},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        added = 0;
        const SmallDiskRun run = OnSmallDisk(kDisk, [&](const std::filesystem::path& root,
                                                        Seen& seen) {
            const auto path = root / "full.cfg";
            seen["made"] = MakePeople(path, 50, "old") && FillUp(root, 64 << 10) ? "yes" : "no";
            {
                store::OpenStatus status;
                auto file = store::DataFile::Open(path, kPassword, status);
                if (!file) return;
                Person p{};
                store::Table t(*file, kPeople, &p);
                if (t.Open() != store::NoError) return;
                Note(seen, "write", c.write(*file, t, p));
                seen["added"] = std::to_string(added);
            }
            FreeRoom(root, 4 << 20);
            const Read read = ReadPeople(path);
            seen["rows"] = read.code == store::NoError ? std::to_string(read.names.size()) : "-";
            const std::vector<std::string> old = Names("old", 50);
            seen["old kept"] =
                std::includes(read.names.begin(), read.names.end(), old.begin(), old.end()) ? "yes"
                                                                                            : "no";
            seen["journal"] = std::to_string(JournalRows(path));
        });
        if (!run.skipped.empty()) GTEST_SKIP() << run.skipped;
        ASSERT_TRUE(run.finished);
        ASSERT_EQ(run.seen.at("made"), "yes");
        ExpectNoRoom(run.seen, "write", run.root / "full.cfg");
        const int rows = c.rowsAfter(std::stoi(run.seen.at("added")));
        if (rows >= 0) {
            EXPECT_EQ(run.seen.at("rows"), std::to_string(rows));
        }
        EXPECT_EQ(run.seen.at("old kept"), "yes");
        EXPECT_EQ(run.seen.at("journal"), "0");
    }
}

// A process whose files may not grow further (its file size limit): the write fails with
// EFBIG, which the store reports as no room, naming the file and why.
TEST(FullDiskTest, AWriteThatWouldPassTheProcessFileSizeLimitSaysSoAndNamesTheFile) {
    const SmallDiskRun run = InChild([&](const std::filesystem::path& root, Seen& seen) {
        const auto path = root / "limit.cfg";
        seen["made"] = MakePeople(path, 50, "old") ? "yes" : "no";
        std::error_code ec;
        const auto size = std::max(std::filesystem::file_size(path, ec),
                                   std::filesystem::file_size(Wal(path), ec));
        seen["limited"] = LimitFileSize(size + (64 << 10)) ? "yes" : "no";
        {
            store::OpenStatus status;
            auto file = store::DataFile::Open(path, kPassword, status);
            if (!file) return;
            Person p{};
            store::Table t(*file, kPeople, &p);
            if (t.Open() != store::NoError) return;
            Note(seen, "write", AddUntilFull(t, p, "new", 1'000'000));
        }
        LimitFileSize(RLIM_INFINITY);
        const Read read = ReadPeople(path);
        seen["rows"] = std::to_string(read.names.size());
    });
    ASSERT_TRUE(run.finished) << run.skipped;
    ASSERT_EQ(run.seen.at("made"), "yes");
    ASSERT_EQ(run.seen.at("limited"), "yes");
    EXPECT_EQ(run.seen.at("write.code"), std::to_string(store::FileSystemError));
    EXPECT_EQ(run.seen.at("write.fileCode"), std::to_string(SQLITE_FULL));
    const std::string& text = run.seen.at("write.text");
    EXPECT_NE(text.find("the file " + (run.root / "limit.cfg").string() + " can't grow"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("File too large"), std::string::npos) << text;
    EXPECT_EQ(text.find(kNeverShown), std::string::npos) << text;
    EXPECT_GT(std::stoi(run.seen.at("rows")), 50);
}

// A catalog update's rewrite on a disk with little room: it fails part-way, its rollback finds
// no room left either, and still the rows are as they were.
TEST(FullDiskTest, ARewriteThatRanOutOfRoomLeavesTheRowsAsTheyWere) {
    constexpr int kOld = 20000;
    const SmallDiskRun run =
        OnSmallDisk(kDisk * 2, [&](const std::filesystem::path& root, Seen& seen) {
            const auto path = root / "full.cfg";
            seen["made"] = MakePeople(path, kOld, "old") && FillUp(root, 3 << 20) ? "yes" : "no";
            {
                store::OpenStatus status;
                auto file = store::DataFile::Open(path, kPassword, status);
                if (!file) return;
                // What the failure left free is taken before the rollback.
                const Rewritten r = Rewrite(*file, 3 * kOld, [&] { FillUp(root, 0); });
                Note(seen, "failure", r.failure);
                Note(seen, "rollback", r.rollback);
            }
            FreeRoom(root, 2 << 20);
            const Read read = ReadPeople(path);
            seen["after.code"] = std::to_string(read.code);
            seen["after.as before"] = read.names == Names("old", kOld) ? "yes" : "no";
            seen["after.journal"] = std::to_string(JournalRows(path));
        });
    if (!run.skipped.empty()) GTEST_SKIP() << run.skipped;
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.seen.at("made"), "yes");
    const auto path = run.root / "full.cfg";
    ExpectNoRoom(run.seen, "failure", path);
    if (run.seen.at("rollback.code") != "0") ExpectNoRoom(run.seen, "rollback", path);
    EXPECT_EQ(run.seen.at("after.code"), "0");
    EXPECT_EQ(run.seen.at("after.as before"), "yes");
    EXPECT_EQ(run.seen.at("after.journal"), "0");
}

// A process died inside a rewrite and left its journal. An open without room to undo it says
// so and leaves the file as it was; the first with a little room undoes it all.
TEST(FullDiskTest, AnOpenWithoutRoomToUndoSaysSoAndTheFirstWithALittleRoomUndoes) {
    const SmallDiskRun run =
        OnSmallDisk(kDisk * 2, [&](const std::filesystem::path& root, Seen& seen) {
            const auto path = root / "full.cfg";
            seen["made"] = MakePeople(path, 3000, "old") ? "yes" : "no";
            RewriteAndDie(path);
            seen["journal left"] = std::to_string(JournalRows(path));
            FillUp(root, 0);
            const std::string before = Bytes(path);
            const Read none = ReadPeople(path);
            Note(seen, "no room", {none.code, none.fileCode, none.text});
            seen["no room.unchanged"] = Bytes(path) == before ? "yes" : "no";

            FreeRoom(root, 256 << 10);
            const Read read = ReadPeople(path);
            seen["after.code"] = std::to_string(read.code);
            seen["after.as before"] = read.names == Names("old", 3000) ? "yes" : "no";
            seen["after.journal"] = std::to_string(JournalRows(path));
        });
    if (!run.skipped.empty()) GTEST_SKIP() << run.skipped;
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.seen.at("made"), "yes");
    ASSERT_NE(run.seen.at("journal left"), "0");
    const auto path = run.root / "full.cfg";
    ExpectNoRoom(run.seen, "no room", path);
    EXPECT_NE(run.seen.at("no room.text").find("undone once there is room"), std::string::npos);
    EXPECT_EQ(run.seen.at("no room.unchanged"), "yes");
    EXPECT_EQ(run.seen.at("after.code"), "0");
    EXPECT_EQ(run.seen.at("after.as before"), "yes");
    EXPECT_EQ(run.seen.at("after.journal"), "0");
}

// --- a disk that runs out of room exactly where the test says -------------------------------

class LimitedRoomTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(room.Ok()); }

    // The room used by what runs, with room enough.
    std::int64_t RoomUsedBy(const std::function<void()>& work) {
        constexpr std::int64_t kPlenty = std::int64_t{1} << 40;
        room.Limit(kPlenty);
        work();
        const std::int64_t used = kPlenty - room.Left();
        room.Unlimit();
        return used;
    }

    LimitedRoom room;
    TempDir dir;
    const std::filesystem::path path = dir / "room.cfg";
    const std::filesystem::path master = dir / "master.cfg";
};

// The rewrite runs out of room at points spread over all it writes, its batches' commits and
// the rollback's steps included.
TEST_F(LimitedRoomTest, ARewriteThatRunsOutOfRoomAnywhereLeavesTheRowsAsTheyWere) {
    ASSERT_TRUE(MakePeople(master, 3000, "old"));
    auto fresh = [&] {
        std::filesystem::remove(path);
        std::filesystem::copy_file(master, path);
    };
    fresh();
    std::int64_t whole = 0;
    {
        store::OpenStatus status;
        auto file = store::DataFile::Open(path, kPassword, status);
        ASSERT_TRUE(file);
        whole = RoomUsedBy([&] { EXPECT_EQ(Rewrite(*file, 6000).failure.code, store::NoError); });
    }
    ASSERT_GT(whole, 0);
    for (int part = 0; part < 12; ++part) {
        const std::int64_t budget = whole * part / 12;
        SCOPED_TRACE("room for " + std::to_string(budget) + " of " + std::to_string(whole));
        fresh();
        room.Limit(budget);
        Rewritten r;
        {
            store::OpenStatus status;
            auto file = store::DataFile::Open(path, kPassword, status);
            ASSERT_TRUE(file) << status.text;
            r = Rewrite(*file, 6000);
        }
        room.Unlimit();
        ASSERT_NE(r.failure.code, store::NoError);
        Seen seen;
        Note(seen, "failure", r.failure);
        ExpectNoRoom(seen, "failure", path);
        if (r.rollback.code != store::NoError) {
            Note(seen, "rollback", r.rollback);
            ExpectNoRoom(seen, "rollback", path);
        }
        const Read read = ReadPeople(path);
        EXPECT_EQ(read.code, store::NoError) << read.text;
        EXPECT_EQ(read.names, Names("old", 3000));
        EXPECT_EQ(JournalRows(path), 0);
    }
}

TEST_F(LimitedRoomTest, AnOpenWithoutRoomToUndoSaysSoAndChangesNothingAndOneWithRoomUndoes) {
    ASSERT_TRUE(MakePeople(path, 3000, "old"));
    ASSERT_NO_FATAL_FAILURE(RewriteAndDie(path));
    ASSERT_GT(JournalRows(path), 3000);
    const std::string before = Bytes(path);

    room.Limit(0);
    const Read full = ReadPeople(path);
    EXPECT_EQ(full.code, store::FileSystemError);
    EXPECT_EQ(full.fileCode, SQLITE_FULL);
    EXPECT_NE(full.text.find("the disk is full"), std::string::npos) << full.text;
    EXPECT_NE(full.text.find(path.string()), std::string::npos) << full.text;
    EXPECT_NE(full.text.find("undone once there is room"), std::string::npos) << full.text;
    EXPECT_EQ(full.text.find(kNeverShown), std::string::npos) << full.text;
    EXPECT_TRUE(Bytes(path) == before) << "the data file changed";
    EXPECT_EQ(Bytes(Wal(path)), "");

    // Far less room than the undoing would need in one piece.
    room.Limit(256 << 10);
    const Read read = ReadPeople(path);
    room.Unlimit();
    EXPECT_EQ(read.code, store::NoError) << read.text;
    EXPECT_EQ(read.names, Names("old", 3000));
    EXPECT_EQ(JournalRows(path), 0);
}

}  // namespace
}  // namespace zem::test
