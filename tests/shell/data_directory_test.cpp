#include "shell/data_directory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace zem::test {
namespace {

namespace fs = std::filesystem;

// Sets (or, with nullopt, removes) environment variables and puts them back as they were.
class Environment {
  public:
    ~Environment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) Apply(it->first, it->second);
    }
    void Set(const std::string& name, std::optional<std::string> value) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        Apply(name, value);
    }

  private:
    static void Apply(const std::string& name, const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

struct Setting {
    const char* name;
    std::optional<std::string> zembrolaHome;  // relative to the test's directory
    std::optional<std::string> xdgDataHome;
    std::optional<std::string> home;
    std::string expected;
    friend void PrintTo(const Setting& c, std::ostream* out) { *out << c.name; }
};

class DataDirectoryTest : public ::testing::TestWithParam<Setting> {
  protected:
    std::optional<std::string> Under(const std::optional<std::string>& part) {
        if (!part) return std::nullopt;
        return part->empty() ? std::string() : (dir / *part).string();
    }
    TempDir dir;
    Environment env;
};

TEST_P(DataDirectoryTest, FollowsTheEnvironment) {
    const Setting& s = GetParam();
    env.Set("ZEMBROLA_HOME", Under(s.zembrolaHome));
    env.Set("XDG_DATA_HOME", Under(s.xdgDataHome));
    env.Set("HOME", Under(s.home));
    EXPECT_EQ(shell::DataDirectory(), dir / s.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Variables, DataDirectoryTest,
    ::testing::Values(Setting{"ZembrolaHomeFirst", "own", "xdg", "home", "own"},
                      Setting{"ThenXdgDataHome", std::nullopt, "xdg", "home", "xdg/zembrola"},
                      Setting{"EmptyCountsAsUnset", "", "", "home", "home/.local/share/zembrola"},
                      Setting{"ThenHome", std::nullopt, std::nullopt, "home",
                              "home/.local/share/zembrola"}),
    [](const auto& tc) { return std::string(tc.param.name); });

class EnterDataDirectoryTest : public ::testing::Test {
  protected:
    void TearDown() override { fs::current_path(previous); }
    fs::path previous = fs::current_path();
    TempDir dir;
    Environment env;
};

TEST_F(EnterDataDirectoryTest, CreatesTheDirectoryAndWorksInIt) {
    env.Set("ZEMBROLA_HOME", (dir / "a" / "b").string());
    std::string error;
    ASSERT_TRUE(shell::EnterDataDirectory(error)) << error;
    EXPECT_TRUE(fs::is_directory(dir / "a" / "b"));
    EXPECT_TRUE(fs::equivalent(fs::current_path(), dir / "a" / "b"));
}

TEST_F(EnterDataDirectoryTest, SaysWhyWhenTheDirectoryCantBeMadeByItsFullName) {
    std::ofstream(dir / "file") << "in the way";
    fs::current_path(dir.Path());
    const fs::path blocked = fs::current_path() / "file" / "zembrola";
    // Given in full or relative to where the program starts, the message names it in full.
    for (const fs::path& given : {blocked, fs::path("file") / "zembrola"}) {
        SCOPED_TRACE(given.string());
        env.Set("ZEMBROLA_HOME", given.string());
        std::string error;
        EXPECT_FALSE(shell::EnterDataDirectory(error));
        EXPECT_EQ(error.rfind("The data directory " + blocked.string() + " can't be used: ", 0), 0u)
            << error;
        EXPECT_EQ(fs::current_path(), blocked.parent_path().parent_path());
    }
}

}  // namespace
}  // namespace zem::test
