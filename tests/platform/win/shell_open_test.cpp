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
    std::string failure;
    EXPECT_EQ(ShellOpen("https://example.com/", &failure), shell_open::LaunchFailed);
    EXPECT_EQ(opener.Opened().size(), 1u);
    EXPECT_FALSE(failure.empty());
}

// True while the process has a child that has not been reaped; looks without reaping it.
bool HasChildren() {
    siginfo_t info{};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0 || errno != ECHILD;
}

// Puts a fake xdg-open first on PATH for the test's lifetime. By default it writes its
// arguments to a file; body replaces what it does.
class FakeXdgOpen {
  public:
    explicit FakeXdgOpen(std::string body = {}) {
        if (body.empty())
            body = "printf '%s|' \"$@\" > \"" + (dir_ / "args.tmp").string() + "\"\nmv \"" +
                   (dir_ / "args.tmp").string() + "\" \"" + Args().string() + "\"\n";
        const std::filesystem::path script = dir_ / "xdg-open";
        std::ofstream(script) << "#!/bin/sh\n" << body;
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

// Waits until every child has been reaped.
bool AllReaped() {
    for (auto waited = 0ms; waited < 10s; waited += 10ms) {
        if (!HasChildren()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

TEST(ShellOpenTest, StartsXdgOpenWithoutAShellAndReapsIt) {
    ASSERT_FALSE(HasChildren());
    FakeXdgOpen fake;
    // Characters a shell would act on reach xdg-open as plain text, as one argument.
    const std::string url = "https://example.com/?q=a;b&c=$(touch%20x)'\"";
    EXPECT_EQ(ShellOpen(url), shell_open::Opened);
    EXPECT_EQ(fake.WaitForArgs(), url + "|");
    EXPECT_TRUE(AllReaped()) << "xdg-open was left as a zombie";
}

// An xdg-open that fails says why: what it wrote to its standard error and how it ended.
struct FailingOpener {
    const char* what;
    std::string body;
    std::vector<std::string> told;  // parts of the failure text
    friend void PrintTo(const FailingOpener& c, std::ostream* out) { *out << c.what; }
};

class ShellOpenFailureTest : public ::testing::TestWithParam<FailingOpener> {};

TEST_P(ShellOpenFailureTest, SaysWhyXdgOpenFailed) {
    const FailingOpener& c = GetParam();
    ASSERT_FALSE(HasChildren());
    FakeXdgOpen fake(c.body);
    std::string failure;
    EXPECT_EQ(ShellOpen("https://example.com/", &failure), shell_open::LaunchFailed);
    for (const std::string& part : c.told)
        EXPECT_NE(failure.find(part), std::string::npos) << failure;
    EXPECT_TRUE(failure.ends_with(".")) << failure;
    EXPECT_TRUE(AllReaped());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShellOpenFailureTest,
    ::testing::Values(
        FailingOpener{"no browser",
                      "echo \"xdg-open: no method available for opening '$1'\" >&2\nexit 3\n",
                      {"xdg-open: no method available for opening 'https://example.com/'\n"
                       "xdg-open ended with exit status 3 (a required tool could not be found)."}},
        FailingOpener{"a silent failure",
                      "exit 4\n",
                      {"xdg-open ended with exit status 4 (the action failed)."}},
        FailingOpener{"an unknown status", "exit 9\n", {"xdg-open ended with exit status 9."}},
        FailingOpener{"killed", "kill -KILL $$\n", {"xdg-open was ended by signal 9."}},
        // What it started keeps its standard error open: the failure still comes at once,
        // not when that program ends (then it would count as opened).
        FailingOpener{"a program it started lives on",
                      "sleep 5 >/dev/null &\necho 'gio: Operation not supported' >&2\nexit 4\n",
                      {"gio: Operation not supported\nxdg-open ended with exit status 4"}}));

TEST(ShellOpenTest, AnXdgOpenStillRunningAfterTheVerdictWaitHasOpenedTheAddress) {
    ASSERT_FALSE(HasChildren());
    // A browser xdg-open runs in the foreground; its failure long after does not count.
    FakeXdgOpen fake("echo 'browser starting' >&2\nsleep " +
                     std::to_string(kOpenerVerdictWait.count() + 1) + "\nexit 1\n");
    std::string failure;
    EXPECT_EQ(ShellOpen("https://example.com/", &failure), shell_open::Opened);
    EXPECT_EQ(failure, "");
    EXPECT_TRUE(AllReaped()) << "xdg-open was left as a zombie";
}

TEST(ShellOpenTest, MissingXdgOpenIsALaunchFailure) {
    const char* path = std::getenv("PATH");
    const std::string oldPath = path ? path : "";
    test::TempDir empty;
    ::setenv("PATH", empty.Path().c_str(), 1);
    std::string failure;
    const int answer = ShellOpen("https://example.com/", &failure);
    const int mailAnswer = ShellOpenMail("someone@example.com", "Hello", &failure);
    ::setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(answer, shell_open::LaunchFailed);
    EXPECT_EQ(mailAnswer, shell_open::LaunchFailed);
    EXPECT_EQ(failure, "xdg-open was not found: it is not installed or not on the PATH.");
}

}  // namespace
}  // namespace zem::win
