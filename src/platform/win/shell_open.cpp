#include "platform/win/shell_open.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

extern char** environ;

namespace zem::win {
namespace {

using Opener = std::function<bool(const std::string&)>;

struct OpenerSlot {
    std::mutex mutex;
    std::shared_ptr<const Opener> opener;  // null: xdg-open
};

// Never destroyed: a window thread may still open an address while the process ends.
OpenerSlot& Slot() {
    static OpenerSlot* const slot = std::make_unique<OpenerSlot>().release();
    return *slot;
}

std::shared_ptr<const Opener> CurrentOpener() {
    OpenerSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    return slot.opener;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
        if (c != static_cast<unsigned char>(prefix[i])) return false;
    }
    return true;
}

// What the caller learns of one xdg-open run from the thread that watches it.
struct Verdict {
    std::mutex mutex;
    std::condition_variable ended;
    bool known = false;  // xdg-open has ended
    int status = 0;      // as waitpid gives it
    std::string errors;  // the end of what it wrote to its standard error
};

// A desktop's opener explains a failure in a line or two; of more only the last lines are kept.
constexpr std::size_t kErrorsKept = 2048;

void KeepTail(std::string& errors, const char* bytes, std::size_t count) {
    errors.append(bytes, count);
    if (errors.size() <= kErrorsKept) return;
    errors.erase(0, errors.size() - kErrorsKept);
    if (const std::size_t line = errors.find('\n'); line != std::string::npos)
        errors.erase(0, line + 1);
}

// Reads what the pipe holds now. False once it is closed on the other side (or fails).
bool ReadAvailable(int fd, std::string* keep) {
    char buffer[512];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            if (keep) KeepTail(*keep, buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

bool Reaped(pid_t child, int* status, int flags) {
    for (;;) {
        const pid_t done = ::waitpid(child, status, flags);
        if (done == child) return true;
        if (done < 0 && errno == EINTR) continue;
        // 0: still running; an error: nothing left to wait for.
        return done < 0;
    }
}

// Follows xdg-open until it ends, collecting its standard error from the pipe's read end, then
// publishes the verdict. Whatever xdg-open started may keep the pipe open after it (a browser
// inherits its standard error): it is drained until then, so such a program never blocks on
// a full pipe or is killed by a closed one.
void Watch(pid_t child, int errorsFd, const std::shared_ptr<Verdict>& verdict) {
    // The child's end shows in poll; without pidfds the child is looked at every 50 ms.
    const int childFd = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    std::string errors;
    int status = 0;
    bool ended = false;
    while (!ended) {
        pollfd watched[2] = {{errorsFd, POLLIN, 0}, {childFd, POLLIN, 0}};
        const int ready = ::poll(watched, 2, childFd >= 0 ? -1 : 50);
        if (ready < 0 && errno != EINTR) {
            ended = Reaped(child, &status, 0);
            break;
        }
        if (errorsFd >= 0 && watched[0].revents != 0 && !ReadAvailable(errorsFd, &errors)) {
            ::close(errorsFd);
            errorsFd = -1;
        }
        ended = Reaped(child, &status, WNOHANG);
    }
    // What it wrote before it ended is in the pipe by now.
    if (errorsFd >= 0 && !ReadAvailable(errorsFd, &errors)) {
        ::close(errorsFd);
        errorsFd = -1;
    }
    if (childFd >= 0) ::close(childFd);
    {
        std::lock_guard lock(verdict->mutex);
        verdict->known = true;
        verdict->status = status;
        verdict->errors = std::move(errors);
    }
    verdict->ended.notify_all();
    while (errorsFd >= 0) {
        pollfd watched{errorsFd, POLLIN, 0};
        if (::poll(&watched, 1, -1) < 0 && errno != EINTR) break;
        if (!ReadAvailable(errorsFd, nullptr)) break;
    }
    if (errorsFd >= 0) ::close(errorsFd);
}

// xdg-open's exit statuses, as its manual gives them.
std::string_view ExitStatusMeaning(int code) {
    switch (code) {
        case 1:
            return "error in command line syntax";
        case 2:
            return "one of the files passed on the command line did not exist";
        case 3:
            return "a required tool could not be found";
        case 4:
            return "the action failed";
        default:
            return {};
    }
}

std::string DescribeEnd(int status, std::string errors) {
    while (!errors.empty() && std::isspace(static_cast<unsigned char>(errors.back())))
        errors.pop_back();
    std::string end;
    if (WIFEXITED(status)) {
        const int code = WEXITSTATUS(status);
        end = "xdg-open ended with exit status " + std::to_string(code);
        if (const std::string_view meaning = ExitStatusMeaning(code); !meaning.empty())
            end += " (" + std::string(meaning) + ")";
    } else if (WIFSIGNALED(status)) {
        end = "xdg-open was ended by signal " + std::to_string(WTERMSIG(status));
    } else {
        end = "xdg-open ended without success";
    }
    if (!errors.empty()) errors += '\n';
    return errors + end + ".";
}

std::string DescribeSpawnFailure(int error) {
    if (error == ENOENT) return "xdg-open was not found: it is not installed or not on the PATH.";
    return "xdg-open could not be started: " + std::generic_category().message(error) + ".";
}

// Starts xdg-open with the address as its only argument and waits kOpenerVerdictWait for it to
// fail. Its standard input is /dev/null so a browser started from a terminal does not read the
// terminal; its standard error comes back through a pipe.
bool OpenWithXdgOpen(const std::string& url, std::string* failure) {
    int errorsPipe[2];
    if (::pipe2(errorsPipe, O_CLOEXEC) != 0) {
        if (failure) *failure = DescribeSpawnFailure(errno);
        return false;
    }
    ::fcntl(errorsPipe[0], F_SETFL, ::fcntl(errorsPipe[0], F_GETFL) | O_NONBLOCK);
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        ::close(errorsPipe[0]);
        ::close(errorsPipe[1]);
        if (failure) *failure = DescribeSpawnFailure(ENOMEM);
        return false;
    }
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errorsPipe[1], 2);
    char program[] = "xdg-open";
    std::string argument = url;
    char* argv[] = {program, argument.data(), nullptr};
    pid_t child = 0;
    const int started = posix_spawnp(&child, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(errorsPipe[1]);
    if (started != 0) {
        ::close(errorsPipe[0]);
        if (failure) *failure = DescribeSpawnFailure(started);
        return false;
    }
    // xdg-open may run as long as the browser does: a thread of its own follows it, so it
    // neither blocks the window's thread past the verdict nor stays behind as a zombie.
    auto verdict = std::make_shared<Verdict>();
    try {
        std::thread(Watch, child, errorsPipe[0], verdict).detach();
    } catch (const std::system_error&) {
        Watch(child, errorsPipe[0], verdict);  // no thread to spare: follow it here
    }
    std::unique_lock lock(verdict->mutex);
    if (!verdict->ended.wait_for(lock, kOpenerVerdictWait, [&] { return verdict->known; }))
        return true;  // still running: it is showing the page
    if (WIFEXITED(verdict->status) && WEXITSTATUS(verdict->status) == 0) return true;
    if (failure) *failure = DescribeEnd(verdict->status, std::move(verdict->errors));
    return false;
}

// Hands the address to the opener a test installed, or to xdg-open.
bool Open(const std::string& address, std::string* failure) {
    const std::shared_ptr<const Opener> opener = CurrentOpener();
    if (!opener) return OpenWithXdgOpen(address, failure);
    if ((*opener)(address)) return true;
    if (failure) *failure = "The desktop did not open the address.";
    return false;
}

}  // namespace

int CheckShellUrl(std::string_view url) {
    if (url.empty()) return shell_open::EmptyUrl;
    for (const char ch : url) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= ' ' || c == 0x7F) return shell_open::BadCharacter;
    }
    std::string_view rest;
    if (StartsWithNoCase(url, "http://")) {
        rest = url.substr(7);
    } else if (StartsWithNoCase(url, "https://")) {
        rest = url.substr(8);
    } else {
        return shell_open::SchemeRefused;
    }
    const std::size_t hostEnd = rest.find_first_of("/?#");
    if (rest.substr(0, hostEnd).empty()) return shell_open::NoHost;
    return shell_open::Opened;
}

int ShellOpen(std::string_view url, std::string* failure) {
    if (const int refused = CheckShellUrl(url); refused != shell_open::Opened) return refused;
    return Open(std::string(url), failure) ? shell_open::Opened : shell_open::LaunchFailed;
}

int ShellOpenMail(std::string_view address, std::string_view subject, std::string* failure) {
    if (address.empty()) return shell_open::EmptyUrl;
    for (const std::string_view part : {address, subject})
        for (const char ch : part) {
            const auto c = static_cast<unsigned char>(ch);
            // Nothing that could end the address or start another header.
            if (c <= ' ' || c == 0x7F || ch == '?' || ch == '&' || ch == '#')
                return shell_open::BadCharacter;
        }
    if (address.find('@') == std::string_view::npos) return shell_open::NoHost;
    std::string mail = "mailto:" + std::string(address);
    if (!subject.empty()) mail += "?subject=" + std::string(subject);
    return Open(mail, failure) ? shell_open::Opened : shell_open::LaunchFailed;
}

void SetUrlOpener(std::function<bool(const std::string& url)> opener) {
    auto next = opener ? std::make_shared<const Opener>(std::move(opener)) : nullptr;
    OpenerSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    slot.opener = std::move(next);
}

}  // namespace zem::win
