// A process that dies inside a transaction: the next open rolls the transaction back.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/store/sqlite.h"
#include "store_fixture.h"

namespace zem::test {
namespace {

// batchCommitted: the transaction's writes go in batch mode, and some of them were committed
// (with their journal entries) before the process died.
void DieInsideATransaction(bool batchCommitted) {
    TempDir dir;
    const auto path = dir / "crash.cfg";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        store::OpenStatus status;
        auto file = store::DataFile::Open(path, kPassword, status);
        Person p{};
        store::Table t(*file, kPeople, &p);
        bool ok = file && t.Open() == store::NoError;
        for (int i = 0; ok && i < 10; ++i) {
            Fill(p, 0, "committed" + std::to_string(i), "X");
            ok = t.Add() == store::NoError;
        }
        store::Table* tables[] = {&t};
        ok = ok && file->Logout(1, tables) == store::NoError;
        if (batchCommitted) ok = ok && t.Stream() == store::NoError;
        for (int i = 0; ok && i < 100; ++i) {
            Fill(p, 0, "uncommitted" + std::to_string(i), "X");
            ok = t.Add() == store::NoError;
            // A batch commits at the first write after it has been open a second.
            if (batchCommitted && i == 50) ::usleep(1'100'000);
        }
        Fill(p, 0, "committed3", "X");
        ok = ok && t.Fetch(PER_KeyName) == store::NoError && t.Delete() == store::NoError;
        Fill(p, 0, "committed4", "X");
        ok = ok && t.Fetch(PER_KeyName) == store::NoError;
        SetText(p.NAME, sizeof p.NAME, "renamed", false);
        ok = ok && t.Put() == store::NoError;
        char c = ok ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        ::pause();  // killed here, mid-transaction
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_EQ(c, 'y');

    store::OpenStatus status;
    auto file = store::DataFile::Open(path, kPassword, status);
    ASSERT_TRUE(file) << status.text;
    Person p{};
    store::Table t(*file, kPeople, &p);
    ASSERT_EQ(t.Open(), store::NoError);
    std::vector<std::string> names;
    t.Set(PER_KeyId);
    while (t.Next() == store::NoError) names.emplace_back(Name(p));
    std::vector<std::string> expected;
    for (int i = 0; i < 10; ++i) expected.push_back("committed" + std::to_string(i));
    EXPECT_EQ(names, expected);

    // No journal is left behind.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    store::DbHandle db(raw);
    sqlite3_key(raw, kPassword, static_cast<int>(std::strlen(kPassword)));
    store::Statement count(raw, "SELECT count(*) FROM _journal_People");
    ASSERT_TRUE(count.Ok());
    ASSERT_EQ(count.Step(), SQLITE_ROW);
    EXPECT_EQ(count.Int(0), 0);
}

TEST(CrashTest, NextOpenRollsBackWhatADeadProcessLeft) {
    DieInsideATransaction(false);
}

TEST(CrashTest, NextOpenRollsBackABatchThatDiedPartlyCommitted) {
    DieInsideATransaction(true);
}

}  // namespace
}  // namespace zem::test
