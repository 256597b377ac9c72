#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "data/tables.h"
#include "data_fixture.h"

namespace zem::test {
namespace {

using data::TableId;

struct SiteRow {
    std::int32_t id;
    const char* name;
    int active;
};
constexpr SiteRow kStores[] = {{1, "Amazon US", 1}, {2, "Amazon UK", 0},  {4, "Amazon FR", 0},
                               {8, "Amazon DE", 0}, {16, "Amazon JP", 0}, {32, "Amazon CA", 0}};

bool HasPlaceholder(std::string_view text) {
    for (std::string_view word : {"{KEYWORD}", "{PRICE}", "{SAVINGS}", "{SAVINGS%}"}) {
        if (text.find(word) != std::string_view::npos) return true;
    }
    return false;
}

TEST_F(DataTest, ANewFileHoldsTheSixStoresWithExampleAdTexts) {
    EXPECT_EQ(data::ZembrolaFile()->SchemaVersion(), data::kSchemaVersion);
    ASSERT_EQ(M(TableId::Sites).UseFile(), ui::Benign);
    ASSERT_EQ(M(TableId::Sites).File().Set(data::SIT_KeyId), store::NoError);
    for (const SiteRow& expected : kStores) {
        SCOPED_TRACE(expected.name);
        ASSERT_EQ(M(TableId::Sites).TryNext(), ui::Benign);
        const data::SitesRecord& site = D().SIT;
        EXPECT_EQ(+site.ID, expected.id);
        EXPECT_EQ(data::StringOf(site.NAME), expected.name);
        EXPECT_EQ(+site.ISACTIVE, expected.active);
        EXPECT_EQ(data::CStringOf(site.AFFILATEID), "");

        const std::string_view actions = data::CStringOf(site.ACTIONS);
        EXPECT_NE(actions.find("\r\n"), std::string_view::npos) << "one phrase only";
        EXPECT_TRUE(HasPlaceholder(actions));
        EXPECT_EQ(actions.find('\n', actions.size() - 1), std::string_view::npos)
            << "a trailing line break makes an empty phrase";
        const std::size_t limits[] = {25, 35, 35};
        for (int line = 0; line < 3; ++line) {
            const std::string_view text = data::CStringOf(site.ADWORDS[line]);
            EXPECT_FALSE(text.empty()) << "line " << line + 1;
            EXPECT_LE(text.size(), limits[line]) << text;
            EXPECT_TRUE(HasPlaceholder(text)) << text;
        }
    }
    EXPECT_EQ(M(TableId::Sites).TryNext(), ui::Notify);
}

TEST_F(DataTest, ANewFileOffersCurrentBrowsersAndNoConfiguration) {
    ASSERT_EQ(M(TableId::Browsers).UseFile(), ui::Benign);
    ASSERT_EQ(M(TableId::Browsers).File().Set(data::BRO_KeyId), store::NoError);
    std::vector<std::int32_t> ids;
    while (M(TableId::Browsers).TryNext() == ui::Benign) {
        ids.push_back(+D().BRO.ID);
        const std::string_view agent = data::StringOf(D().BRO.USERAGENT);
        EXPECT_TRUE(agent.starts_with("Mozilla/5.0 (")) << agent;
        EXPECT_FALSE(data::StringOf(D().BRO.NAME).empty());
    }
    ASSERT_GE(ids.size(), 3u);
    EXPECT_EQ(ids.front(), 1) << "a new configuration record points at browser 1";
    EXPECT_EQ(Count(TableId::Sysinfo), 0);
    EXPECT_EQ(Count(TableId::Queries), 0);
}

TEST_F(DataTest, TheFileIsKeyedWithTheOwnerPassword) {
    const std::filesystem::path path = data::ZembrolaFile()->Path();
    store::OpenStatus status;
    EXPECT_TRUE(store::DataFile::Open(path, "qorv lantis  u mepr", status)) << status.text;
    EXPECT_FALSE(store::DataFile::Open(path, "qorv lantis u mepr", status));
    EXPECT_EQ(status.code, store::InvalidDataFile);
}

TEST_F(DataTest, ReopeningKeepsTheRowsAndAddsNoSeeds) {
    ASSERT_EQ(Add(TableId::Brands, [] { data::SetString(D().BRA.NAME, "Acme"); }), ui::Benign);
    D().SIT.ID = 2;
    ASSERT_EQ(M(TableId::Sites).Fetch(data::SIT_KeyId), ui::Benign);
    data::SetCString(D().SIT.AFFILATEID, "me-21");
    ASSERT_EQ(M(TableId::Sites).Update(), ui::Benign);
    const std::filesystem::path path = data::ZembrolaFile()->Path();
    data::KillDictionary();
    data::CloseZembrolaFile();

    store::OpenStatus status;
    ASSERT_TRUE(data::OpenZembrolaFile(path, status)) << status.text;
    EXPECT_FALSE(status.created);
    ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
    EXPECT_EQ(Count(TableId::Sites), 6);
    EXPECT_EQ(Count(TableId::Brands), 1);
    D().SIT.ID = 2;
    ASSERT_EQ(M(TableId::Sites).Fetch(data::SIT_KeyId), ui::Benign);
    EXPECT_EQ(data::CStringOf(D().SIT.AFFILATEID), "me-21");
}

TEST_F(DataTest, AFileFromANewerVersionIsRefusedAndLeftAlone) {
    const std::filesystem::path path = data::ZembrolaFile()->Path();
    ASSERT_EQ(data::ZembrolaFile()->SetSchemaVersion(data::kSchemaVersion + 1), store::NoError);
    data::KillDictionary();
    data::CloseZembrolaFile();

    store::OpenStatus status;
    EXPECT_FALSE(data::OpenZembrolaFile(path, status));
    EXPECT_EQ(status.code, store::InvalidDataFile);
    EXPECT_NE(status.text.find("newer version"), std::string::npos) << status.text;
    EXPECT_FALSE(data::ZembrolaFile());

    store::OpenStatus direct;
    const auto file = store::DataFile::Open(path, "qorv lantis  u mepr", direct);
    ASSERT_TRUE(file) << direct.text;
    EXPECT_EQ(file->SchemaVersion(), data::kSchemaVersion + 1);
}

TEST(DataFileSetup, AFileThatIsNoDataFileIsRefusedUntouched) {
    TempDir dir;
    const std::filesystem::path path = dir / "zembrola.cfg";
    const std::string junk = "not a database, just some text that happens to be here\n";
    std::ofstream(path, std::ios::binary) << junk;

    store::OpenStatus status;
    EXPECT_FALSE(data::OpenZembrolaFile(path, status));
    EXPECT_NE(status.code, store::NoError);
    EXPECT_FALSE(status.text.empty());
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), junk);
}

// Rows of a table as the file holds them.
std::int64_t Rows(store::DataFile& file, TableId id) {
    std::vector<std::byte> buffer(data::Def(id).recordSize);
    store::Table table(file, data::Def(id), buffer.data());
    return table.Open() == store::NoError ? table.Records() : -1;
}

// The first start, killed at moments spread over its creation of the file: the next start
// always finds a whole file, or none and makes one.
TEST(DataFileSetup, AStartKilledWhileCreatingTheFileLeavesNothingThatIsRefused) {
    using Clock = std::chrono::steady_clock;
    std::chrono::microseconds creation{};
    {
        TempDir dir;
        store::OpenStatus status;
        const auto start = Clock::now();
        ASSERT_TRUE(data::OpenZembrolaFile(dir / "zembrola.cfg", status)) << status.text;
        creation = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
        data::CloseZembrolaFile();
    }
    constexpr int kKills = 16;
    for (int k = 0; k < kKills; ++k) {
        const auto delay = creation * k / (kKills - 1);
        SCOPED_TRACE("killed after " + std::to_string(delay.count()) + " us");
        TempDir dir;
        const std::filesystem::path path = dir / "zembrola.cfg";
        // No connection is open here: the child's database state is its own.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            store::OpenStatus status;
            data::OpenZembrolaFile(path, status);
            ::_exit(0);
        }
        std::this_thread::sleep_for(delay);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        store::OpenStatus status;
        auto file = data::OpenZembrolaFile(path, status);
        ASSERT_TRUE(file) << status.text;
        EXPECT_EQ(file->SchemaVersion(), data::kSchemaVersion);
        EXPECT_EQ(Rows(*file, TableId::Sites), 6);
        file->ReleaseThreadConnection();
        file.reset();
        data::CloseZembrolaFile();
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            EXPECT_EQ(entry.path().filename().string().find("-new"), std::string::npos)
                << entry.path();
    }
}

}  // namespace
}  // namespace zem::test
