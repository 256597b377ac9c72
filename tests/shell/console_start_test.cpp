#include "shell/console_start.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlcipher/sqlite3.h>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "platform/store/errors.h"
#include "platform/ui/error_manager.h"
#include "platform/ui/recording_sink.h"
#include "shell/japanese_mode.h"
#include "support/temp_dir.h"

namespace zem::test {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string kStores =
    "1\tAmazon US\tactive\n"
    "2\tAmazon UK\tinactive\n"
    "4\tAmazon FR\tinactive\n"
    "8\tAmazon DE\tinactive\n"
    "16\tAmazon JP\tinactive\n"
    "32\tAmazon CA\tinactive\n";

// Start-up works in the working directory, so each test runs in a fresh one.
class ConsoleStartTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::ErrorManager::Global().Init();
        ui::ErrorManager::Global().SetSink(sink);
        ASSERT_FALSE(dir.Path().empty());
        fs::current_path(dir.Path());
        shell::JPMode = 0;
    }
    void TearDown() override {
        fs::current_path(previous);
        ui::ErrorManager::Global().SetSink(nullptr);
    }

    int Start() {
        out.str("");
        err.str("");
        return shell::ConsoleStart(out, err);
    }

    fs::path DataFile() const { return dir / shell::kDataFileName; }

    fs::path previous = fs::current_path();
    TempDir dir;
    std::shared_ptr<ui::RecordingSink> sink = std::make_shared<ui::RecordingSink>();
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ConsoleStartTest, CreatesTheFileAndListsTheStores) {
    EXPECT_EQ(Start(), 0);
    EXPECT_EQ(out.str(), "Created a new data file zembrola.cfg.\n" + kStores + "JPMode 0\n");
    EXPECT_EQ(err.str(), "");
    EXPECT_TRUE(fs::is_regular_file(DataFile()));
    // Start-up leaves neither a dictionary nor the process's file behind.
    EXPECT_FALSE(data::HasDictionary());
    EXPECT_EQ(data::ZembrolaFile(), nullptr);

    EXPECT_EQ(Start(), 0);
    EXPECT_EQ(out.str(), kStores + "JPMode 0\n");
    EXPECT_EQ(sink->Count(), 0u);
}

TEST_F(ConsoleStartTest, AnActiveJapanStoreTurnsJapaneseModeOn) {
    {
        store::OpenStatus status;
        ASSERT_TRUE(data::OpenZembrolaFile(DataFile(), status)) << status.text;
        ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
        data::TableManager& sites = data::Access(data::TableId::Sites);
        data::Dict().SIT.ID = 16;
        ASSERT_EQ(sites.Fetch(data::SIT_KeyId), ui::Benign);
        data::Dict().SIT.ISACTIVE = 1;
        ASSERT_EQ(sites.Update(), ui::Benign);
        data::KillDictionary();
        data::CloseZembrolaFile();
    }
    EXPECT_EQ(Start(), 0);
    EXPECT_NE(out.str().find("16\tAmazon JP\tactive\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\nJPMode 128\n"), std::string::npos) << out.str();
    EXPECT_EQ(shell::JPMode.load(), 128);
}

struct Unusable {
    const char* name;
    std::function<void(const fs::path&)> make;
    const char* reason;  // part of the message
    friend void PrintTo(const Unusable& c, std::ostream* out) { *out << c.name; }
};

class UnusableFileTest : public ConsoleStartTest, public ::testing::WithParamInterface<Unusable> {};

TEST_P(UnusableFileTest, RefusesWithAMessageAndLeavesTheFileAlone) {
    GetParam().make(DataFile());
    const std::string before = Bytes(DataFile());
    ASSERT_FALSE(before.empty());

    EXPECT_EQ(Start(), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str().rfind("Zembrola: The data file zembrola.cfg ", 0), 0u) << err.str();
    EXPECT_NE(err.str().find(GetParam().reason), std::string::npos) << err.str();
    EXPECT_EQ(Bytes(DataFile()), before);
    EXPECT_EQ(data::ZembrolaFile(), nullptr);
}

void Garbage(const fs::path& path) {
    std::string bytes(8192, '\0');
    std::uint32_t x = 12345;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    Write(path, bytes);
}

// An ordinary unencrypted database, as another program would leave it.
void PlainDatabase(const fs::path& path) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(db, "CREATE TABLE t(a); INSERT INTO t VALUES(1);", nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
}

void NewerVersion(const fs::path& path) {
    store::OpenStatus status;
    auto file = data::OpenZembrolaFile(path, status);
    ASSERT_TRUE(file) << status.text;
    ASSERT_EQ(file->SetSchemaVersion(data::kSchemaVersion + 1), store::NoError);
    data::CloseZembrolaFile();
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnusableFileTest,
    ::testing::Values(Unusable{"Garbage", Garbage, "can't be opened"},
                      Unusable{"Text", [](const fs::path& p) { Write(p, "not a data file\n"); },
                               "can't be opened"},
                      Unusable{"PlainDatabase", PlainDatabase, "can't be opened"},
                      Unusable{"NewerVersion", NewerVersion, "newer version"}),
    [](const auto& tc) { return std::string(tc.param.name); });

}  // namespace
}  // namespace zem::test
