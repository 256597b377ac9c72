#include "platform/ui/settings/ini_manager.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>

#include "support/temp_dir.h"

namespace zem::ui {
namespace {

namespace fs = std::filesystem;

// A file as people and other programs leave it: comments, blank lines, a damaged line,
// settings before the first section, spaces around names, CRLF line ends in one section.
constexpr std::string_view kFile =
    "; kept by Zembrola\n"
    "orphan=before any section\n"
    "[Main]\n"
    "X=10\n"
    "  Y = 20  \n"
    "Width=640\n"
    "Height=480\n"
    "this line is damaged\n"
    "=no key\n"
    "\n"
    "[ UpdateSysInfo ]\r\n"
    "SortColumn=2\r\n"
    "Filter=a=b=c\r\n"
    "Empty=\r\n"
    "; a comment\r\n"
    "SortColumn=9\r\n"
    "\r\n"
    "[Other Program]\n"
    "Colour=Blue\n"
    "[broken\n"
    "Still=Other Program\n";

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& file, std::string_view text) {
    std::ofstream(file, std::ios::binary) << text;
}

class IniManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile(file_, kFile);
        ini_.Init(file_);
    }

    // Files in the directory besides the INI file itself (left-over temporary files).
    int StrayFiles() const {
        int stray = 0;
        for (const auto& entry : fs::directory_iterator(dir_.Path())) {
            if (entry.path() != file_) ++stray;
        }
        return stray;
    }

    test::TempDir dir_;
    fs::path file_ = dir_ / "quorel.ini";
    IniManager ini_;
};

struct FetchCase {
    const char* section;
    const char* key;
    std::optional<std::string> value;
    friend void PrintTo(const FetchCase& c, std::ostream* out) {
        *out << c.section << "/" << c.key;
    }
};

class IniFetchTest : public IniManagerTest, public ::testing::WithParamInterface<FetchCase> {};

TEST_P(IniFetchTest, ReadsLikeWindowsDoes) {
    const FetchCase& c = GetParam();
    EXPECT_EQ(ini_.Fetch(c.section, c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(Table, IniFetchTest,
                         ::testing::Values(FetchCase{"Main", "X", "10"},
                                           FetchCase{"MAIN", "x", "10"},
                                           FetchCase{" main ", " Y ", "20"},
                                           FetchCase{"UpdateSysInfo", "SortColumn", "2"},
                                           FetchCase{"updatesysinfo", "Filter", "a=b=c"},
                                           FetchCase{"UpdateSysInfo", "Empty", ""},
                                           FetchCase{"Other Program", "Colour", "Blue"},
                                           FetchCase{"Other Program", "Still", "Other Program"},
                                           FetchCase{"Main", "this line is damaged", std::nullopt},
                                           FetchCase{"Main", "", std::nullopt},
                                           FetchCase{"Main", "orphan", std::nullopt},
                                           FetchCase{"Main", "; kept by Zembrola", std::nullopt},
                                           FetchCase{"Main", "Colour", std::nullopt},
                                           FetchCase{"Missing", "X", std::nullopt}));

TEST_F(IniManagerTest, SavingUnchangedSettingsKeepsEveryLine) {
    ASSERT_TRUE(ini_.Save());
    std::string expected(kFile);
    for (std::size_t at; (at = expected.find('\r')) != std::string::npos;) expected.erase(at, 1);
    EXPECT_EQ(ReadFile(file_), expected);
    EXPECT_EQ(StrayFiles(), 0);
}

TEST_F(IniManagerTest, UpdatesStayInMemoryUntilSave) {
    ini_.Update("main", "x", "15");                    // changed where it stands
    ini_.Update("Main", "Maximized", "1");             // added after the section's last setting
    ini_.Update("UpdateSysInfo", "Filter", "x = y ");  // trimmed
    ini_.Update("BrowseQueriesA", "SortOrder", "-GOO:NAME");  // a new section at the end
    EXPECT_EQ(ini_.Fetch("Main", "X"), "15");
    EXPECT_EQ(ini_.Fetch("Main", "Maximized"), "1");
    EXPECT_EQ(ini_.Fetch("UpdateSysInfo", "Filter"), "x = y");
    EXPECT_EQ(ini_.Fetch("browsequeriesa", "sortorder"), "-GOO:NAME");
    EXPECT_EQ(ReadFile(file_), kFile);

    ASSERT_TRUE(ini_.Save());
    const std::string saved = ReadFile(file_);
    EXPECT_NE(saved.find("[Main]\nx=15\n  Y = 20  \nWidth=640\nHeight=480\nMaximized=1\n"
                         "this line is damaged\n"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find("Still=Other Program\n\n[BrowseQueriesA]\nSortOrder=-GOO:NAME\n"),
              std::string::npos)
        << saved;

    IniManager reread;
    reread.Init(file_);
    EXPECT_EQ(reread.Fetch("Main", "X"), "15");
    EXPECT_EQ(reread.Fetch("UpdateSysInfo", "Filter"), "x = y");
    EXPECT_EQ(reread.Fetch("Other Program", "Colour"), "Blue");
    EXPECT_EQ(reread.Fetch("BrowseQueriesA", "SortOrder"), "-GOO:NAME");
}

TEST_F(IniManagerTest, IgnoresUpdatesThatWouldNotReadBack) {
    struct Bad {
        const char* section;
        const char* key;
        const char* value;
    };
    for (const Bad& bad : {Bad{"Main", "X", "1\n[Main]"}, Bad{"Main", "X", "1\rY=2"},
                           Bad{"Main", "A=B", "1"}, Bad{"Main", "", "1"}, Bad{"Main", "  ", "1"},
                           Bad{"Main", ";X", "1"}, Bad{"Main", "[X", "1"}, Bad{"", "X", "1"},
                           Bad{"Ma]in", "X", "1"}, Bad{"Main\n", "X", "1"}}) {
        ini_.Update(bad.section, bad.key, bad.value);
    }
    ASSERT_TRUE(ini_.Save());
    EXPECT_EQ(ini_.Fetch("Main", "X"), "10");
    std::string expected(kFile);
    for (std::size_t at; (at = expected.find('\r')) != std::string::npos;) expected.erase(at, 1);
    EXPECT_EQ(ReadFile(file_), expected);
}

TEST_F(IniManagerTest, WindowPlacementsRoundTripThroughTheFile) {
    EXPECT_EQ(ini_.FetchWindow("main").value_or(IniManager::Placement{}).width, 640);
    const IniManager::Placement placement{-8, 30, 1024, 700, true};
    ini_.SaveWindow("UpdateQueriesA", placement);
    EXPECT_EQ(ReadFile(file_), kFile);  // only Save writes
    ASSERT_TRUE(ini_.Save());

    IniManager reread;
    reread.Init(file_);
    const std::optional<IniManager::Placement> back = reread.FetchWindow("updatequeriesa");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->x, -8);
    EXPECT_EQ(back->y, 30);
    EXPECT_EQ(back->width, 1024);
    EXPECT_EQ(back->height, 700);
    EXPECT_TRUE(back->maximized);
    EXPECT_FALSE(reread.FetchWindow("Main")->maximized);  // no Maximized key: not maximized
}

TEST_F(IniManagerTest, DamagedPlacementIsNoPlacement) {
    struct Damage {
        const char* key;
        const char* value;
    };
    for (const Damage& damage :
         {Damage{"Width", "0"}, Damage{"Height", "-5"}, Damage{"X", "ten"}, Damage{"Y", "20px"},
          Damage{"X", ""}, Damage{"Width", "99999999999"}}) {
        SCOPED_TRACE(std::string(damage.key) + "=" + damage.value);
        ini_.SaveWindow("Win", {1, 2, 300, 200, false});
        ASSERT_TRUE(ini_.FetchWindow("Win"));
        ini_.Update("Win", damage.key, damage.value);
        EXPECT_FALSE(ini_.FetchWindow("Win"));
    }
    EXPECT_FALSE(ini_.FetchWindow("Nowhere"));
}

// A list's saved sort: the column, negative when descending; anything that names no column of
// the list is no sort, however it came into the file.
TEST_F(IniManagerTest, ASortOrderReadsBackOnlyAsAColumnOfTheList) {
    ini_.SaveSortOrder("BrowseQueriesA", {3, true});
    EXPECT_EQ(ini_.Fetch("BrowseQueriesA", "SortOrder"), "-3");
    struct Case {
        const char* saved;
        int column;  // 0: none
        bool descending;
    };
    for (const Case& c : {Case{"2", 2, false}, Case{"-5", 5, true}, Case{"0", 0, false},
                          Case{"6", 0, false}, Case{"-6", 0, false}, Case{"x", 0, false},
                          Case{"2 ", 2, false}, Case{"-2147483648", 0, false}}) {
        SCOPED_TRACE(c.saved);
        ini_.Update("List", "SortOrder", c.saved);
        const auto order = ini_.FetchSortOrder("List", 5);
        EXPECT_EQ(order ? order->column : 0, c.column);
        EXPECT_EQ(order && order->descending, c.descending);
    }
}

TEST_F(IniManagerTest, MissingFileStartsEmptyAndIsCreatedBySave) {
    const fs::path fresh = dir_ / "new.ini";
    ini_.Init(fresh);
    EXPECT_FALSE(ini_.Fetch("Main", "X"));  // the earlier file's settings are gone
    ini_.SaveWindow("Main", {1, 2, 3, 4, false});
    ASSERT_TRUE(ini_.Save());
    EXPECT_EQ(ReadFile(fresh), "[Main]\nX=1\nY=2\nWidth=3\nHeight=4\nMaximized=0\n");
}

TEST_F(IniManagerTest, SaveKeepsTheFilesPermissions) {
    ASSERT_EQ(::chmod(file_.c_str(), 0640), 0);
    ini_.Update("Main", "X", "11");
    ASSERT_TRUE(ini_.Save());
    struct stat info {};
    ASSERT_EQ(::stat(file_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(IniManagerTest, SaveFailsWithoutWritingAnythingHalfway) {
    // The directory is gone: nothing can be written.
    ini_.Init(dir_ / "gone" / "quorel.ini");
    ini_.Update("Main", "X", "1");
    EXPECT_FALSE(ini_.Save());

    // A path that exists but is no file is never replaced.
    fs::create_directory(dir_ / "folder.ini");
    ini_.Init(dir_ / "folder.ini");
    ini_.Update("Main", "X", "1");
    EXPECT_FALSE(ini_.Save());
    EXPECT_TRUE(fs::is_directory(dir_ / "folder.ini"));
    EXPECT_TRUE(fs::is_empty(dir_ / "folder.ini"));

    // Nothing bound, or released.
    IniManager unbound;
    EXPECT_FALSE(unbound.Save());
    ini_.Init(file_);
    ini_.Kill();
    EXPECT_FALSE(ini_.Fetch("Main", "X"));
    EXPECT_FALSE(ini_.Save());
    EXPECT_EQ(ReadFile(file_), kFile);
    EXPECT_EQ(StrayFiles(), 1);  // the folder; no temporary file left behind
}

TEST(IniManagerGlobalTest, IsOneObject) {
    EXPECT_EQ(&IniManager::Global(), &IniManager::Global());
}

}  // namespace
}  // namespace zem::ui
