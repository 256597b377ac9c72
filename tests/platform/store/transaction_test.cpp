// Transactions over tables, and several threads writing one file.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "platform/store/transaction.h"
#include "store_fixture.h"

namespace zem::test {
namespace {

using store::NoError;

// A second table, to show that a transaction on People does not hold up other tables.
inline constexpr store::TableDef kOthers{"Others",      "Others",    "OTH",
                                         kPersonFields, kPersonKeys, sizeof(Person)};

std::vector<std::string> Names(store::Table& t, Person& buf) {
    std::vector<std::string> names;
    t.Set(PER_KeyName);
    while (t.Next() == NoError) names.emplace_back(Name(buf));
    return names;
}

// Plain, and in batch mode, where the writes share a transaction and a write that fails takes
// itself back: neither the failed writes nor their journal entries change what commits or what
// a rollback restores.
TEST_F(StoreTest, RollbackRestoresEveryKindOfChangeAndCommitKeepsThem) {
    for (auto name : {"keep", "change", "drop"}) ASSERT_EQ(AddPerson(name, "X"), NoError);
    const auto before = Names(*people, buf);
    for (bool batch : {false, true}) {
        for (bool commit : {false, true}) {
            SCOPED_TRACE(std::string(batch ? "batch, " : "") + (commit ? "commit" : "rollback"));
            store::Table* tables[] = {people.get()};
            ASSERT_EQ(file->Logout(1, tables), NoError);
            EXPECT_EQ(file->Logout(1, tables), store::LogoutActive);
            if (batch) {
                ASSERT_EQ(people->Stream(), NoError);
            }
            ASSERT_EQ(AddPerson("added", "X"), NoError);
            EXPECT_EQ(AddPerson("keep", "X"), store::DuplicateKey);
            Fill(buf, 0, "change", "X");
            ASSERT_EQ(people->Fetch(PER_KeyName), NoError);
            SetText(buf.NAME, sizeof buf.NAME, "keep", false);
            EXPECT_EQ(people->Put(), store::DuplicateKey);
            SetText(buf.NAME, sizeof buf.NAME, "changed", false);
            ASSERT_EQ(people->Put(), NoError);
            SetText(buf.NAME, sizeof buf.NAME, "changed twice", false);
            ASSERT_EQ(people->Put(), NoError);
            Fill(buf, 0, "drop", "X");
            ASSERT_EQ(people->Fetch(PER_KeyName), NoError);
            ASSERT_EQ(people->Delete(), NoError);
            if (batch) {
                ASSERT_EQ(people->Flush(), NoError);
            }
            if (commit) {
                ASSERT_EQ(file->Commit(), NoError);
                EXPECT_EQ(Names(*people, buf),
                          (std::vector<std::string>{"added", "changed twice", "keep"}));
                // Back to the rows the next pass starts from.
                ASSERT_EQ(people->Empty(), NoError);
                for (auto name : {"keep", "change", "drop"})
                    ASSERT_EQ(AddPerson(name, "X"), NoError);
            } else {
                ASSERT_EQ(file->Rollback(), NoError);
                EXPECT_EQ(Names(*people, buf), before);
            }
        }
    }
    EXPECT_EQ(file->Commit(), store::NoLogoutActive);
}

TEST_F(StoreTest, RollbackUndoesEmptyingATable) {
    for (int i = 0; i < 50; ++i) ASSERT_EQ(AddPerson("e" + std::to_string(i), "X"), NoError);
    store::Table* tables[] = {people.get()};
    ASSERT_EQ(file->Logout(1, tables), NoError);
    ASSERT_EQ(people->Empty(), NoError);
    ASSERT_EQ(AddPerson("e7", "X"), NoError);  // the old row's key is free inside the transaction
    EXPECT_EQ(people->Records(), 1);
    ASSERT_EQ(file->Rollback(), NoError);
    EXPECT_EQ(people->Records(), 50);
    Fill(buf, 0, "e7", "X");
    ASSERT_EQ(people->Fetch(PER_KeyName), NoError);
    EXPECT_EQ(buf.ID, 8);
}

// A scoped transaction: what it did is gone when it ends uncommitted, kept when committed, and
// one that could not begin leaves the transaction this thread already has alone.
TEST_F(StoreTest, AScopedTransactionRollsBackUnlessCommitted) {
    ASSERT_EQ(AddPerson("keep", "X"), NoError);
    store::Table* tables[] = {people.get()};
    {
        store::Transaction left;
        ASSERT_EQ(left.Begin(*file, 1, tables), NoError);
        ASSERT_EQ(AddPerson("left", "X"), NoError);
    }
    EXPECT_EQ(Names(*people, buf), (std::vector<std::string>{"keep"}));
    {
        store::Transaction outer;
        ASSERT_EQ(outer.Begin(*file, 1, tables), NoError);
        ASSERT_EQ(AddPerson("committed", "X"), NoError);
        {
            store::Transaction refused;
            EXPECT_EQ(refused.Begin(*file, 1, tables), store::LogoutActive);
            EXPECT_FALSE(refused.IsOpen());
        }
        ASSERT_TRUE(outer.IsOpen());
        ASSERT_EQ(outer.Commit(), NoError);
        EXPECT_FALSE(outer.IsOpen());
        EXPECT_EQ(outer.Commit(), store::NoLogoutActive);
    }
    EXPECT_EQ(Names(*people, buf), (std::vector<std::string>{"committed", "keep"}));
    store::Transaction again;  // the locks went with the transactions before
    EXPECT_EQ(again.Begin(*file, 0, tables), NoError);
}

TEST_F(StoreTest, WritersWaitForATransactionThenFailWithoutHarm) {
    Person otherBuf{};
    store::Table others(*file, kOthers, &otherBuf);
    ASSERT_EQ(others.Open(), NoError);
    store::Table* tables[] = {people.get()};
    ASSERT_EQ(file->Logout(1, tables), NoError);
    ASSERT_EQ(AddPerson("inside", "X"), NoError);

    std::atomic<int> timedOut{0}, otherTableWrites{0};
    auto writer = [&](int n) {
        Person mine{};
        store::Table t(*file, kPeople, &mine);
        store::Table o(*file, kOthers, &mine);
        ASSERT_EQ(t.Open(), NoError);
        ASSERT_EQ(o.Open(), NoError);
        t.SetWriteWait(0.2);
        Fill(mine, 0, "writer" + std::to_string(n), "X");
        const auto start = std::chrono::steady_clock::now();
        if (t.Add() == store::FileLocked) {
            ++timedOut;
            EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
        }
        Fill(mine, 0, "other" + std::to_string(n), "X");
        if (o.Add() == NoError) ++otherTableWrites;  // other tables are not held up
        t.Close();
        o.Close();
        file->ReleaseThreadConnection();
    };
    std::thread a(writer, 1), b(writer, 2);
    a.join();
    b.join();
    EXPECT_EQ(timedOut, 2);
    EXPECT_EQ(otherTableWrites, 2);
    ASSERT_EQ(file->Commit(), NoError);

    // With the lock free again, both get through.
    std::thread c(writer, 3);
    std::atomic<bool> added{false};
    std::thread d([&] {
        Person mine{};
        store::Table t(*file, kPeople, &mine);
        ASSERT_EQ(t.Open(), NoError);
        Fill(mine, 0, "after", "X");
        added = t.Add() == NoError;
        t.Close();
        file->ReleaseThreadConnection();
    });
    c.join();
    d.join();
    EXPECT_TRUE(added);
    EXPECT_EQ(people->Records(), 3);  // inside, writer3, after
}

TEST_F(StoreTest, ConcurrentWritersLoseNothing) {
    constexpr int kThreads = 4, kRows = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            Person mine{};
            store::Table table(*file, kPeople, &mine);
            ASSERT_EQ(table.Open(), NoError);
            for (int i = 0; i < kRows; ++i) {
                Fill(mine, 0, "t" + std::to_string(t) + "-" + std::to_string(i), "X");
                if (i % 2) {
                    ASSERT_EQ(table.ReserveAutoNumber(), NoError);
                    Fill(mine, mine.ID, "t" + std::to_string(t) + "-" + std::to_string(i), "X");
                }
                ASSERT_EQ(table.Add(), NoError) << store::ErrorText() << store::FileErrorText();
            }
            table.Close();
            file->ReleaseThreadConnection();
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(people->Records(), kThreads * kRows);
    std::set<std::int32_t> ids;
    people->Set(PER_KeyId);
    while (people->Next() == NoError) ids.insert(buf.ID);
    EXPECT_EQ(ids.size(), static_cast<std::size_t>(kThreads * kRows));
    EXPECT_EQ(*ids.rbegin(), kThreads * kRows);
}

}  // namespace
}  // namespace zem::test
