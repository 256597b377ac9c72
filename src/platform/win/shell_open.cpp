#include "platform/win/shell_open.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>
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

void Reap(pid_t child) {
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// Starts xdg-open with the address as its only argument; its standard input is /dev/null so a
// browser started from a terminal does not read the terminal.
bool OpenWithXdgOpen(const std::string& url) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    char program[] = "xdg-open";
    std::string argument = url;
    char* argv[] = {program, argument.data(), nullptr};
    pid_t child = 0;
    const int started = posix_spawnp(&child, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return false;
    // xdg-open may run as long as the browser does; it is reaped in the background so it
    // neither blocks the window's thread nor stays behind as a zombie.
    try {
        std::thread(Reap, child).detach();
    } catch (const std::system_error&) {
        Reap(child);  // no thread to spare: wait here rather than leave a zombie
    }
    return true;
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

int ShellOpen(std::string_view url) {
    if (const int refused = CheckShellUrl(url); refused != shell_open::Opened) return refused;
    const std::string address(url);
    const std::shared_ptr<const Opener> opener = CurrentOpener();
    const bool opened = opener ? (*opener)(address) : OpenWithXdgOpen(address);
    return opened ? shell_open::Opened : shell_open::LaunchFailed;
}

int ShellOpenMail(std::string_view address, std::string_view subject) {
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
    const std::shared_ptr<const Opener> opener = CurrentOpener();
    const bool opened = opener ? (*opener)(mail) : OpenWithXdgOpen(mail);
    return opened ? shell_open::Opened : shell_open::LaunchFailed;
}

void SetUrlOpener(std::function<bool(const std::string& url)> opener) {
    auto next = opener ? std::make_shared<const Opener>(std::move(opener)) : nullptr;
    OpenerSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    slot.opener = std::move(next);
}

}  // namespace zem::win
