#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "people_table.h"
#include "platform/store/data_file.h"
#include "platform/store/errors.h"
#include "platform/store/sqlite.h"
#include "platform/store/table.h"
#include "support/temp_dir.h"

namespace zem::test {

inline constexpr const char* kPassword = "qorv lantis  u mepr";

// The rows a transaction left in the People table's journal, read straight from the file; -1
// when the file can't be read.
inline std::int64_t JournalRows(const std::filesystem::path& path) {
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return -1;
    store::DbHandle db(raw);
    sqlite3_key(raw, kPassword, static_cast<int>(std::strlen(kPassword)));
    store::Statement count(raw, "SELECT count(*) FROM _journal_People");
    return count.Ok() && count.Step() == SQLITE_ROW ? count.Int(0) : -1;
}

// Adds People rows named stem0, stem1, ... in one batch to the file at path (created when
// missing), and closes the file again.
inline void AddPeople(const std::filesystem::path& path, int count, std::string_view stem = "row") {
    store::OpenStatus status;
    auto file = store::DataFile::Open(path, kPassword, status);
    ASSERT_TRUE(file) << status.text;
    Person p{};
    store::Table t(*file, kPeople, &p);
    ASSERT_EQ(t.Open(), store::NoError);
    ASSERT_EQ(t.Stream(), store::NoError);
    for (int i = 0; i < count; ++i) {
        Fill(p, 0, std::string(stem) + std::to_string(i), std::string(15, 'c'));
        ASSERT_EQ(t.Add(), store::NoError);
    }
    ASSERT_EQ(t.Flush(), store::NoError);
}

// The People rows of the file at path; -1 when it can't be opened.
inline std::int64_t PeopleIn(const std::filesystem::path& path) {
    store::OpenStatus status;
    auto file = store::DataFile::Open(path, kPassword, status);
    if (!file) return -1;
    Person p{};
    store::Table t(*file, kPeople, &p);
    return t.Open() == store::NoError ? t.Records() : -1;
}

class StoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        file = Open();
        ASSERT_TRUE(file);
        people = std::make_unique<store::Table>(*file, kPeople, &buf);
        ASSERT_EQ(people->Open(), store::NoError);
    }
    void TearDown() override {
        people.reset();
        if (file) file->ReleaseThreadConnection();
    }
    std::shared_ptr<store::DataFile> Open(const char* password = kPassword) {
        store::OpenStatus status;
        return store::DataFile::Open(dir / "test.cfg", password, status);
    }
    int AddPerson(std::string_view name, std::string_view city, std::int16_t age = 30) {
        Fill(buf, 0, name, city, age);
        return people->Add();
    }

    TempDir dir;
    std::shared_ptr<store::DataFile> file;
    Person buf{};
    std::unique_ptr<store::Table> people;
};

}  // namespace zem::test
