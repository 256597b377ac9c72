#include "shell/start_application.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
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
#include "data/text_fields.h"
#include "frame_fixture.h"
#include "platform/store/errors.h"
#include "platform/ui/window/app_settings.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/errors/recording_sink.h"
#include "platform/ui/window/translator.h"
#include "platform/win/system_parameters.h"
#include "shell/instance_lock.h"
#include "shell/japanese_mode.h"
#include "shell/routers.h"
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

// Sets a store's active switch in the data file, as the configuration window would.
void SetActive(std::int32_t id, bool active) {
    const bool own = !data::HasDictionary();
    if (own) {
        ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
    }
    data::TableManager& sites = data::Access(data::TableId::Sites);
    data::Dict().SIT.ID = id;
    ASSERT_EQ(sites.Fetch(data::SIT_KeyId), ui::Benign);
    data::Dict().SIT.ISACTIVE = active ? 1 : 0;
    ASSERT_EQ(sites.Update(), ui::Benign);
    if (own) data::KillDictionary();
}

void PrepareFile(const std::function<void()>& change) {
    store::OpenStatus status;
    ASSERT_TRUE(data::OpenZembrolaFile(shell::kDataFileName, status)) << status.text;
    change();
    data::CloseZembrolaFile();
}

class StartApplicationTest : public FrameTest {};

TEST_F(StartApplicationTest, StartsAndEndsInItsOrder) {
    std::vector<std::string> steps;
    std::mutex mutex;
    shell::SetStartupObserver([&](std::string_view step) {
        std::lock_guard lock(mutex);
        steps.emplace_back(step);
    });
    const ui::WindowId frame = StartProgram();
    EXPECT_TRUE(std::filesystem::is_regular_file(shell::kDataFileName));
    ASSERT_TRUE(display->WaitForWindow("Splash"));
    EXPECT_EQ(EndProgram(frame), 0);
    const std::vector<std::string> expected{"error manager",      "translator",
                                            "fuzzy matcher",      "ini",
                                            "dictionary",         "application icon",
                                            "japanese mode",      "default charset",
                                            "drag setting",       "main",
                                            "save ini",           "restore drag setting",
                                            "release ini",        "release fuzzy matcher",
                                            "release translator", "write data file"};
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(ui::FuzzyMatcher::Global().Active(), false);
    // The frame's position was kept under its procedure name and written at shut-down.
    std::ifstream ini(shell::kIniFileName);
    const std::string text{std::istreambuf_iterator<char>(ini), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("[Main]"), std::string::npos) << text;
    EXPECT_NE(text.find("[Splash]"), std::string::npos) << text;
}

TEST_F(StartApplicationTest, FuzzyMatcherOptionsAreSetWhileTheFrameRuns) {
    const ui::WindowId frame = StartProgram();
    EXPECT_TRUE(ui::Translator::Global().Active());
    EXPECT_EQ(ui::FuzzyMatcher::Global().Option(1), 1);
    EXPECT_EQ(ui::FuzzyMatcher::Global().Option(2), 0);
    EXPECT_EQ(ui::ApplicationIcon(), "zembrola.ico");
    EXPECT_EQ(EndProgram(frame), 0);
}

struct DragCase {
    const char* name;
    bool atStart;
    friend void PrintTo(const DragCase& c, std::ostream* out) { *out << c.name; }
};

class DragSettingTest : public StartApplicationTest,
                        public ::testing::WithParamInterface<DragCase> {};

TEST_P(DragSettingTest, IsOffWhileRunningAndAsItWasAfterwards) {
    win::SetDesktopDragFullWindowsForTest(GetParam().atStart);
    const ui::WindowId frame = StartProgram();
    EXPECT_FALSE(win::DesktopDragFullWindows());
    EXPECT_EQ(EndProgram(frame), 0);
    EXPECT_EQ(win::DesktopDragFullWindows(), GetParam().atStart);
}

INSTANTIATE_TEST_SUITE_P(Desktop, DragSettingTest,
                         ::testing::Values(DragCase{"OnAtStart", true},
                                           DragCase{"OffAtStart", false}),
                         [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(StartApplicationTest, AfterTheEndTheDataFileAloneHoldsEveryChange) {
    const ui::WindowId frame = StartProgram();
    // A thread that still has the file open when the program ends, as a window may: the
    // database can't fold its log into the file on closing, since it is not closed.
    ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
    SetActive(2, true);
    EXPECT_EQ(EndProgram(frame), 0);

    std::error_code ec;
    EXPECT_EQ(fs::file_size(std::string(shell::kDataFileName) + "-wal", ec), 0u);
    // A backup of the data file alone, taken right after the program ended.
    TempDir backup;
    fs::copy_file(shell::kDataFileName, backup / "zembrola.cfg");
    data::KillDictionary();
    store::OpenStatus status;
    auto copy = data::OpenZembrolaFile(backup / "zembrola.cfg", status);
    ASSERT_TRUE(copy) << status.text;
    ASSERT_TRUE(data::InitDictionary(copy));
    data::Dict().SIT.ID = 2;
    EXPECT_EQ(data::Access(data::TableId::Sites).Fetch(data::SIT_KeyId), ui::Benign);
    EXPECT_EQ(+data::Dict().SIT.ISACTIVE, 1);
    data::KillDictionary();
    data::CloseZembrolaFile();
}

// Which variant the routers open now.
char RoutedVariant() {
    char variant = '?';
    shell::Route([&] { variant = 'A'; }, [&] { variant = 'J'; });
    return variant;
}

TEST_F(StartApplicationTest, WithoutAJapanRowJapaneseModeIsOff) {
    PrepareFile([] {
        ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
        data::Dict().SIT.ID = 16;
        ASSERT_EQ(data::Access(data::TableId::Sites).Fetch(data::SIT_KeyId), ui::Benign);
        ASSERT_EQ(data::Access(data::TableId::Sites).File().Delete(), store::NoError);
        data::KillDictionary();
    });
    const ui::WindowId frame = StartProgram();
    EXPECT_EQ(shell::JPMode.load(), 0);
    EXPECT_EQ(RoutedVariant(), 'A');
    EXPECT_EQ(display->View(frame)->window.props.charset, 0);
    EXPECT_EQ(EndProgram(frame), 0);
}

TEST_F(StartApplicationTest, ActiveJapanStoreOpensJVariantsInShiftJisUntilDeactivated) {
    PrepareFile([] {
        SetActive(1, false);
        SetActive(16, true);
    });
    const ui::WindowId frame = StartProgram();
    EXPECT_EQ(shell::JPMode.load(), 128);
    EXPECT_EQ(ui::DefaultCharset(), 128);
    EXPECT_EQ(display->View(frame)->window.props.charset, 128);
    EXPECT_EQ(RoutedVariant(), 'J');

    // Deactivated during the run, as the configuration window does it.
    ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
    SetActive(16, false);
    shell::JPMode = shell::GetJPMode();
    data::KillDictionary();
    EXPECT_EQ(RoutedVariant(), 'A');
    EXPECT_EQ(ui::DefaultCharset(), 128);  // set once, at start-up
    EXPECT_EQ(EndProgram(frame), 0);
    ui::SetDefaultCharset(0);
}

struct Unusable {
    const char* name;
    std::function<void(const fs::path&)> make;
    const char* reason;  // part of the message
    const char* logged;  // part of what standard error shows
    friend void PrintTo(const Unusable& c, std::ostream* out) { *out << c.name; }
};

class UnusableFileTest : public StartApplicationTest,
                         public ::testing::WithParamInterface<Unusable> {};

TEST_P(UnusableFileTest, RefusesWithAMessageAndLeavesTheFileAlone) {
    const fs::path file = shell::kDataFileName;
    GetParam().make(file);
    const std::string before = Bytes(file);
    ASSERT_FALSE(before.empty());

    std::atomic<int> code{-1};
    std::ostringstream log;
    std::streambuf* const stderrBuffer = std::cerr.rdbuf(log.rdbuf());
    runtime::Join(runtime::Start([&] { code = shell::RunApplication(); }));
    std::cerr.rdbuf(stderrBuffer);
    EXPECT_EQ(code.load(), 2);
    const auto messages = display->Messages();
    ASSERT_EQ(messages.size(), 1u);
    const std::string& text = messages[0].request.text;
    EXPECT_EQ(messages[0].request.caption, "Error");
    // Named in full: the user may not know which folder the program works in.
    EXPECT_EQ(text.rfind("The data file " + fs::absolute(file).string() + " ", 0), 0u) << text;
    EXPECT_NE(text.find(GetParam().reason), std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), std::string::npos) << "one line: " << text;
    EXPECT_NE(log.str().find(text), std::string::npos) << log.str();
    EXPECT_NE(log.str().find(GetParam().logged), std::string::npos) << log.str();
    EXPECT_EQ(Bytes(file), before);
    EXPECT_EQ(data::ZembrolaFile(), nullptr);
    EXPECT_TRUE(display->OpenedProcedures().empty());
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

// A real data file with a few bytes spoilt in the middle of its pages.
void Damaged(const fs::path& path) {
    PrepareFile([] {});
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA key='qorv lantis  u mepr';"
                           "CREATE TABLE bulk(x);"
                           "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM c "
                           "WHERE i<3000) INSERT INTO bulk SELECT randomblob(300) FROM c;"
                           "PRAGMA wal_checkpoint(TRUNCATE);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    std::string bytes = Bytes(path);
    for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i) bytes[i] ^= 0x5A;
    Write(path, bytes);
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
    ::testing::Values(Unusable{"Garbage", Garbage, "can't be opened", ""},
                      Unusable{"Text", [](const fs::path& p) { Write(p, "not a data file\n"); },
                               "can't be opened", ""},
                      Unusable{"PlainDatabase", PlainDatabase, "can't be opened", ""},
                      Unusable{"Damaged", Damaged, "is damaged", "\nPage "},
                      Unusable{"NewerVersion", NewerVersion, "newer version", ""}),
    [](const auto& tc) { return std::string(tc.param.name); });

// A second program on the same data directory is refused before it touches the data file,
// and told that one is running there; the first (here: the lock it holds) goes on.
TEST_F(StartApplicationTest, ASecondProgramOnTheSameDataDirectoryIsRefused) {
    const shell::InstanceLock running(".");
    ASSERT_FALSE(running.HeldElsewhere());
    std::atomic<int> code{-1};
    std::ostringstream log;
    std::streambuf* const stderrBuffer = std::cerr.rdbuf(log.rdbuf());
    runtime::Join(runtime::Start([&] { code = shell::RunApplication(); }));
    std::cerr.rdbuf(stderrBuffer);
    EXPECT_EQ(code.load(), 2);
    const auto messages = display->Messages();
    ASSERT_EQ(messages.size(), 1u);
    const std::string& text = messages[0].request.text;
    EXPECT_EQ(text, "Zembrola is already running with the data directory " +
                        fs::current_path().string() +
                        ". Use its windows, or end it before starting Zembrola again.");
    EXPECT_NE(log.str().find(text), std::string::npos) << log.str();
    EXPECT_FALSE(fs::exists(shell::kDataFileName));
    EXPECT_TRUE(display->OpenedProcedures().empty());
}

}  // namespace
}  // namespace zem::test
