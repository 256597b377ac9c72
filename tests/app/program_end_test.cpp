// The program binary as a desktop, a service manager or a script runs it, offscreen with no one
// to answer a message box: a SIGTERM ends it within seconds with its usual exit code, whatever
// box it shows, and its data file is left as it was.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "data/data_file_setup.h"
#include "support/temp_dir.h"

extern char** environ;

namespace zem::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Generous, for a machine that runs the whole suite at once; a program that waits for its
// message box to be answered never ends at all.
constexpr auto kStartWait = 60s;
constexpr auto kEndWait = 30s;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The program on a data directory, offscreen, its standard error read through a pipe; killed
// and reaped should the test end before it.
class Program {
  public:
    explicit Program(const fs::path& home) {
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e) {
            const std::string_view entry(*e);
            if (!entry.starts_with("ZEMBROLA_HOME=") && !entry.starts_with("QT_QPA_PLATFORM="))
                environment.emplace_back(entry);
        }
        environment.push_back("ZEMBROLA_HOME=" + home.string());
        environment.emplace_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> envp;
        for (std::string& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string path = ZEMBROLA_PROGRAM;
        char* argv[] = {path.data(), nullptr};
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        errors_ = fds[0];
    }
    ~Program() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (errors_ >= 0) ::close(errors_);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return pid_ > 0; }
    const std::string& Errors() const { return text_; }
    void Terminate() const { ::kill(pid_, SIGTERM); }

    // Reads standard error until it holds the text; false when the wait ran out first.
    bool WaitForError(std::string_view text, Clock::duration wait) {
        const auto end = Clock::now() + wait;
        while (text_.find(text) == std::string::npos)
            if (Clock::now() >= end || !Read(end)) return false;
        return true;
    }

    // The exit code (-1 when a signal ended it), or nullopt while it still runs after the wait.
    std::optional<int> WaitForExit(Clock::duration wait) {
        const auto end = Clock::now() + wait;
        for (;;) {
            int status = 0;
            if (pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            if (pid_ <= 0 || Clock::now() >= end) return std::nullopt;
            Read(std::min(end, Clock::now() + 50ms));  // keeps the pipe drained
        }
    }

  private:
    // One read of what the program wrote, waiting up to the deadline; false at the stream's end.
    bool Read(Clock::time_point until) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (errors_ < 0) {
            std::this_thread::sleep_for(std::max(left, std::chrono::milliseconds(0)));
            return false;
        }
        pollfd ready{errors_, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(std::max<long>(left.count(), 0))) <= 0) return true;
        char buffer[4096];
        const ssize_t got = ::read(errors_, buffer, sizeof buffer);
        if (got <= 0) {
            ::close(errors_);
            errors_ = -1;
            return false;
        }
        text_.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    pid_t pid_ = -1;
    int errors_ = -1;
    std::string text_;
};

struct Refused {
    const char* name;
    std::function<void(const fs::path&)> make;
    const char* told;  // what standard error says about the file
    friend void PrintTo(const Refused& c, std::ostream* out) { *out << c.name; }
};

// A data file of the program with a few bytes spoilt in the middle of its pages.
void Damaged(const fs::path& path) {
    store::OpenStatus status;
    ASSERT_TRUE(data::OpenZembrolaFile(path, status)) << status.text;
    data::CloseZembrolaFile();
    std::string bytes = Bytes(path);
    ASSERT_GT(bytes.size(), 4096u);
    for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i) bytes[i] ^= 0x5A;
    std::ofstream(path, std::ios::binary) << bytes;
}

void NotADataFile(const fs::path& path) {
    std::ofstream(path, std::ios::binary) << "not a data file\n";
}

class RefusedFileTest : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedFileTest, SigtermEndsTheProgramWithItsRefusalCodeAndTheFileAsItWas) {
    TempDir home;
    const fs::path file = home / "zembrola.cfg";
    GetParam().make(file);
    const std::string before = Bytes(file);
    ASSERT_FALSE(before.empty());

    Program program(home.Path());
    ASSERT_TRUE(program.Started());
    // Standard error says why as the message box comes up, with no one there to answer it.
    ASSERT_TRUE(program.WaitForError(GetParam().told, kStartWait)) << program.Errors();
    program.Terminate();
    const auto sent = Clock::now();
    EXPECT_EQ(program.WaitForExit(kEndWait), std::optional<int>(2)) << program.Errors();
    std::cout << "ended "
              << std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count()
              << " ms after SIGTERM\n";
    EXPECT_EQ(Bytes(file), before);
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedFileTest,
                         ::testing::Values(Refused{"Damaged", Damaged, "is damaged"},
                                           Refused{"NotADataFile", NotADataFile,
                                                   "can't be opened"}),
                         [](const auto& tc) { return std::string(tc.param.name); });

TEST(SecondProgram, IsRefusedWhileTheFirstRunsAndASigtermEndsEach) {
    TempDir home;
    const fs::path file = home / "zembrola.cfg";
    Program first(home.Path());
    ASSERT_TRUE(first.Started());
    // The first holds its data directory from before it makes its data file.
    const auto end = Clock::now() + kStartWait;
    while (!fs::exists(file) && Clock::now() < end) std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(fs::exists(file)) << first.Errors();

    Program second(home.Path());
    ASSERT_TRUE(second.Started());
    EXPECT_TRUE(second.WaitForError("Zembrola is already running with the data directory " +
                                        fs::canonical(home.Path()).string() + ". ",
                                    kStartWait))
        << second.Errors();
    second.Terminate();
    EXPECT_EQ(second.WaitForExit(kEndWait), std::optional<int>(2)) << second.Errors();

    // The first ran on with its windows open; a SIGTERM closes them as the session's end does.
    first.Terminate();
    EXPECT_EQ(first.WaitForExit(kEndWait), std::optional<int>(0)) << first.Errors();
    store::OpenStatus status;
    EXPECT_TRUE(data::OpenZembrolaFile(file, status)) << status.text;
    data::CloseZembrolaFile();
}

// A SIGTERM while the program still starts, before its frame opens: the frame closes as soon as
// it is open, and the program ends as from a running session.
TEST(StartingProgram, EndsOnASigtermThatComesBeforeItsFrame) {
    TempDir home;
    Program program(home.Path());
    ASSERT_TRUE(program.Started());
    // The first file in the data directory is the data file being made.
    const auto end = Clock::now() + kStartWait;
    while (fs::is_empty(home.Path()) && Clock::now() < end) std::this_thread::sleep_for(1ms);
    program.Terminate();
    EXPECT_EQ(program.WaitForExit(kEndWait), std::optional<int>(0)) << program.Errors();
    store::OpenStatus status;
    EXPECT_TRUE(data::OpenZembrolaFile(home / "zembrola.cfg", status)) << status.text;
    data::CloseZembrolaFile();
}

}  // namespace
}  // namespace zem::test
