#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "people_table.h"
#include "platform/store/data_file.h"
#include "platform/store/errors.h"
#include "platform/store/table.h"
#include "support/temp_dir.h"

namespace zem::test {

inline constexpr const char* kPassword = "qorv lantis  u mepr";

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
