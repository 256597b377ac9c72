#include "platform/win/shell_open.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace zem::win {
namespace {

using namespace std::chrono_literals;

class RecordingOpener {
  public:
    explicit RecordingOpener(bool succeed = true) {
        SetUrlOpener([this, succeed](const std::string& url) {
            std::lock_guard lock(mutex_);
            opened_.push_back(url);
            return succeed;
        });
    }
    ~RecordingOpener() { SetUrlOpener(nullptr); }
    RecordingOpener(const RecordingOpener&) = delete;
    RecordingOpener& operator=(const RecordingOpener&) = delete;

    std::vector<std::string> Opened() const {
        std::lock_guard lock(mutex_);
        return opened_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> opened_;
};

struct UrlCase {
    std::string url;
    int answer;
    friend void PrintTo(const UrlCase& c, std::ostream* out) { *out << '"' << c.url << '"'; }
};

class ShellOpenUrlTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(ShellOpenUrlTest, OpensOnlyWebAddresses) {
    const UrlCase& c = GetParam();
    RecordingOpener opener;
    EXPECT_EQ(CheckShellUrl(c.url), c.answer);
    EXPECT_EQ(ShellOpen(c.url), c.answer);
    const std::vector<std::string> opened = opener.Opened();
    if (c.answer == shell_open::Opened) {
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0], c.url);  // handed on exactly as given
    } else {
        EXPECT_TRUE(opened.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShellOpenUrlTest,
    ::testing::Values(
        UrlCase{"http://www.amazon.com/dp/B000123456", shell_open::Opened},
        UrlCase{"https://www.amazon.co.jp/dp/B000123456?tag=a-22&x=%20y", shell_open::Opened},
        UrlCase{"HTTP://EXAMPLE.COM", shell_open::Opened},
        UrlCase{"hTtPs://example.com/", shell_open::Opened},
        UrlCase{"http://127.0.0.1:8080/a;b$(id)`id`", shell_open::Opened},
        UrlCase{std::string("http://example.com/caf\xE9"), shell_open::Opened},
        UrlCase{"", shell_open::EmptyUrl}, UrlCase{"file:///etc/passwd", shell_open::SchemeRefused},
        UrlCase{"javascript:alert(1)", shell_open::SchemeRefused},
        UrlCase{"ftp://example.com/", shell_open::SchemeRefused},
        UrlCase{"/usr/bin/xterm", shell_open::SchemeRefused},
        UrlCase{"--help", shell_open::SchemeRefused},
        UrlCase{"www.amazon.com", shell_open::SchemeRefused},
        UrlCase{"http:/example.com", shell_open::SchemeRefused},
        UrlCase{"httpx://example.com", shell_open::SchemeRefused},
        UrlCase{"http://example.com/a b", shell_open::BadCharacter},
        UrlCase{" http://example.com", shell_open::BadCharacter},
        UrlCase{"http://example.com/\tx", shell_open::BadCharacter},
        UrlCase{"http://example.com/\nfile:///x", shell_open::BadCharacter},
        UrlCase{"http://example.com/\x7F", shell_open::BadCharacter},
        UrlCase{std::string("http://example.com/\0x", 21), shell_open::BadCharacter},
        UrlCase{"http://", shell_open::NoHost}, UrlCase{"https:///etc/passwd", shell_open::NoHost},
        UrlCase{"http://?q=1", shell_open::NoHost}));

TEST(ShellOpenTest, ReportsAnOpenerThatFails) {
    RecordingOpener opener(false);
    EXPECT_EQ(ShellOpen("https://example.com/"), shell_open::LaunchFailed);
    EXPECT_EQ(opener.Opened().size(), 1u);
}

// True while the process has a child that has not been reaped; looks without reaping it.
bool HasChildren() {
    siginfo_t info{};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0 || errno != ECHILD;
}

// Puts a fake xdg-open first on PATH for the test's lifetime; it writes its arguments to a file.
class FakeXdgOpen {
  public:
    FakeXdgOpen() {
        const std::filesystem::path script = dir_ / "xdg-open";
        {
            std::ofstream out(script);
            out << "#!/bin/sh\n"
                   "printf '%s|' \"$@\" > \""
                << (dir_ / "args.tmp").string() << "\"\nmv \"" << (dir_ / "args.tmp").string()
                << "\" \"" << Args().string() << "\"\n";
        }
        ::chmod(script.c_str(), 0755);
        const char* path = std::getenv("PATH");
        if (path) oldPath_ = path;
        ::setenv("PATH", (dir_.Path().string() + ":" + oldPath_.value_or("/usr/bin:/bin")).c_str(),
                 1);
    }
    ~FakeXdgOpen() {
        if (oldPath_) {
            ::setenv("PATH", oldPath_->c_str(), 1);
        } else {
            ::unsetenv("PATH");
        }
    }
    FakeXdgOpen(const FakeXdgOpen&) = delete;
    FakeXdgOpen& operator=(const FakeXdgOpen&) = delete;

    std::filesystem::path Args() const { return dir_ / "args"; }

    // What the fake was started with, once it has run.
    std::optional<std::string> WaitForArgs() const {
        for (auto waited = 0ms; waited < 10s; waited += 10ms) {
            std::ifstream in(Args());
            if (in) return std::string(std::istreambuf_iterator<char>(in), {});
            std::this_thread::sleep_for(10ms);
        }
        return std::nullopt;
    }

  private:
    test::TempDir dir_;
    std::optional<std::string> oldPath_;
};

TEST(ShellOpenTest, StartsXdgOpenWithoutAShellAndReapsIt) {
    ASSERT_FALSE(HasChildren());
    FakeXdgOpen fake;
    // Characters a shell would act on reach xdg-open as plain text, as one argument.
    const std::string url = "https://example.com/?q=a;b&c=$(touch%20x)'\"";
    EXPECT_EQ(ShellOpen(url), shell_open::Opened);
    EXPECT_EQ(fake.WaitForArgs(), url + "|");

    bool reaped = false;
    for (auto waited = 0ms; waited < 10s && !reaped; waited += 10ms) {
        reaped = !HasChildren();
        if (!reaped) std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(reaped) << "xdg-open was left as a zombie";
}

TEST(ShellOpenTest, MissingXdgOpenIsALaunchFailure) {
    const char* path = std::getenv("PATH");
    const std::string oldPath = path ? path : "";
    test::TempDir empty;
    ::setenv("PATH", empty.Path().c_str(), 1);
    const int answer = ShellOpen("https://example.com/");
    ::setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(answer, shell_open::LaunchFailed);
}

}  // namespace
}  // namespace zem::win
