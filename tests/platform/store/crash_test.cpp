// A process that dies inside a transaction: what it changed is rolled back before anyone reads
// the table again, whether or not other processes and threads keep the file open.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/store/sqlite.h"
#include "store_fixture.h"

namespace zem::test {
namespace {

std::vector<std::string> Names(store::Table& t, Person& p) {
    std::vector<std::string> names;
    t.Set(PER_KeyId);
    while (t.Next() == store::NoError) names.emplace_back(Name(p));
    return names;
}

// The names as a new open of the file reads them.
std::vector<std::string> NamesIn(const std::filesystem::path& path) {
    store::OpenStatus status;
    auto file = store::DataFile::Open(path, kPassword, status);
    EXPECT_TRUE(file) << status.text;
    if (!file) return {};
    Person p{};
    store::Table t(*file, kPeople, &p);
    EXPECT_EQ(t.Open(), store::NoError);
    return Names(t, p);
}

std::vector<std::string> Numbered(const std::string& stem, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(stem + std::to_string(i));
    return names;
}

// Another process that, once told to go, opens the file, starts a transaction over People and
// rewrites it half-way: deletes committed3, renames committed4, adds rows. It reports when it
// is there and waits to be killed. Forked before this process opens the file, since a database
// connection must not cross a fork.
class Writer {
  public:
    // batched: the changes go in batch mode, and the first of them commit (with their journal
    // entries) before the rest are made.
    explicit Writer(const std::filesystem::path& path, bool batched = false) : batched_(batched) {
        if (::pipe(go_) != 0 || ::pipe(ready_) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) Run(path);
    }
    ~Writer() {
        if (pid_ > 0) Kill();
    }
    // True once the writer is inside its transaction with every change made.
    bool Start() {
        char c = 'g';
        if (pid_ <= 0 || ::write(go_[1], &c, 1) != 1) return false;
        return ::read(ready_[0], &c, 1) == 1 && c == 'y';
    }
    void Kill() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }

  private:
    [[noreturn]] void Run(const std::filesystem::path& path) {
        char c = 0;
        if (::read(go_[0], &c, 1) != 1) ::_exit(1);
        store::OpenStatus status;
        auto file = store::DataFile::Open(path, kPassword, status);
        bool ok = file != nullptr;
        Person p{};
        std::unique_ptr<store::Table> t;
        if (ok) {
            t = std::make_unique<store::Table>(*file, kPeople, &p);
            ok = t->Open() == store::NoError;
        }
        store::Table* tables[] = {t.get()};
        ok = ok && file->Logout(1, tables) == store::NoError;
        if (batched_) ok = ok && t->Stream() == store::NoError;
        for (int i = 0; ok && i < 200; ++i) {
            Fill(p, 0, "uncommitted" + std::to_string(i), "X");
            ok = t->Add() == store::NoError;
            // A batch commits at the first write after it has been open a second.
            if (batched_ && i == 100) ::usleep(1'100'000);
        }
        Fill(p, 0, "committed3", "X");
        ok = ok && t->Fetch(PER_KeyName) == store::NoError && t->Delete() == store::NoError;
        Fill(p, 0, "committed4", "X");
        ok = ok && t->Fetch(PER_KeyName) == store::NoError;
        SetText(p.NAME, sizeof p.NAME, "renamed", false);
        ok = ok && t->Put() == store::NoError;
        c = ok ? 'y' : 'n';
        (void)!::write(ready_[1], &c, 1);
        for (;;) ::pause();  // killed here, mid-transaction
    }

    int go_[2] = {-1, -1};
    int ready_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool batched_ = false;
};

TEST(CrashTest, NextOpenRollsBackWhatADeadProcessLeft) {
    TempDir dir;
    const auto path = dir / "crash.cfg";
    ASSERT_NO_FATAL_FAILURE(AddPeople(path, 10, "committed"));
    Writer writer(path);
    ASSERT_TRUE(writer.Start());
    writer.Kill();

    EXPECT_EQ(NamesIn(path), Numbered("committed", 10));
    EXPECT_EQ(JournalRows(path), 0);
}

TEST(CrashTest, NextOpenRollsBackABatchThatDiedPartlyCommitted) {
    TempDir dir;
    const auto path = dir / "crash.cfg";
    ASSERT_NO_FATAL_FAILURE(AddPeople(path, 10, "committed"));
    Writer writer(path, true);
    ASSERT_TRUE(writer.Start());
    // The batch's first commit is there for others to read until the kill.
    EXPECT_GT(PeopleIn(path), 10);
    writer.Kill();

    EXPECT_EQ(NamesIn(path), Numbered("committed", 10));
    EXPECT_EQ(JournalRows(path), 0);
}

TEST(CrashTest, AReaderThatStaysOpenAndEveryNewOpenSeeTheRollback) {
    TempDir dir;
    const auto path = dir / "crash.cfg";
    ASSERT_NO_FATAL_FAILURE(AddPeople(path, 10, "committed"));
    Writer writer(path);

    store::OpenStatus status;
    auto file = store::DataFile::Open(path, kPassword, status);
    ASSERT_TRUE(file) << status.text;
    Person p{};
    store::Table reader(*file, kPeople, &p);
    ASSERT_EQ(reader.Open(), store::NoError);
    ASSERT_EQ(Names(reader, p), Numbered("committed", 10));

    ASSERT_TRUE(writer.Start());
    // While the writer lives, its changes are read as they stand.
    EXPECT_EQ(reader.Records(), 10 - 1 + 200);
    writer.Kill();

    EXPECT_EQ(reader.Records(), 10);
    EXPECT_EQ(Names(reader, p), Numbered("committed", 10));
    Fill(p, 0, "committed4", "X");
    EXPECT_EQ(reader.Fetch(PER_KeyName), store::NoError);

    EXPECT_EQ(NamesIn(path), Numbered("committed", 10));
    EXPECT_EQ(JournalRows(path), 0);
}

TEST(CrashTest, ThreadsReadingAndWritingAtOnceAfterTheKillNeverSeeTheDeadWritersRows) {
    TempDir dir;
    const auto path = dir / "crash.cfg";
    ASSERT_NO_FATAL_FAILURE(AddPeople(path, 10, "committed"));
    Writer writer(path);
    store::OpenStatus status;
    auto file = store::DataFile::Open(path, kPassword, status);
    ASSERT_TRUE(file) << status.text;
    ASSERT_TRUE(writer.Start());

    constexpr int kReaders = 6;
    std::atomic<int> opened{0};
    std::atomic<bool> killed{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int r = 0; r < kReaders; ++r) {
        threads.emplace_back([&, r] {
            Person p{};
            store::Table t(*file, kPeople, &p);
            if (t.Open() != store::NoError || t.Records() != 209) ++wrong;
            ++opened;
            while (!killed) std::this_thread::yield();
            if (r == 0) {
                // One thread writes as soon as it can; its row comes on top of the rollback.
                Fill(p, 0, "late", "X");
                if (t.Add() != store::NoError) ++wrong;
            }
            for (int round = 0; round < 20; ++round) {
                std::vector<std::string> names = Names(t, p);
                std::erase(names, "late");
                if (names != Numbered("committed", 10)) ++wrong;
            }
            t.Close();
            file->ReleaseThreadConnection();
        });
    }
    while (opened < kReaders) std::this_thread::yield();
    writer.Kill();
    killed = true;
    for (auto& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);

    std::vector<std::string> expected = Numbered("committed", 10);
    expected.push_back("late");
    EXPECT_EQ(NamesIn(path), expected);
    EXPECT_EQ(JournalRows(path), 0);
}

}  // namespace
}  // namespace zem::test
