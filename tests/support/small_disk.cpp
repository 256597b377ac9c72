#include "support/small_disk.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string_view>
#include <system_error>

#include "support/temp_dir.h"

namespace zem::test {
namespace {

bool WriteFile(const char* path, std::string_view text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

std::string Why(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// In the child: its own user and mount namespace, and the tmpfs on root. Empty on success.
std::string MountSmallDisk(const std::filesystem::path& root, std::uint64_t bytes, uid_t uid,
                           gid_t gid) {
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return Why("no user and mount namespace");
    WriteFile("/proc/self/setgroups", "deny");
    if (!WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
        return Why("no user mapping in the namespace");
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return Why("mounts can't be made private");
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    if (::mount("zem-small-disk", root.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) !=
        0)
        return Why("no tmpfs can be mounted");
    return {};
}

void Send(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// Values travel as "key\x1Fvalue\x1E".
std::string Encode(const Seen& seen) {
    std::string text;
    for (const auto& [key, value] : seen) text += key + '\x1F' + value + '\x1E';
    return text;
}

Seen Decode(std::string_view text) {
    Seen seen;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\x1E'), text.size());
        const std::string_view entry = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t split = entry.find('\x1F');
        if (split != std::string_view::npos)
            seen[std::string(entry.substr(0, split))] = std::string(entry.substr(split + 1));
    }
    return seen;
}

constexpr int kCantMount = 77;

// Runs body in a child process after setUp (which answers why it failed, or nothing).
SmallDiskRun RunChild(const std::function<std::string(const std::filesystem::path&)>& setUp,
                      const std::function<void(const std::filesystem::path&, Seen&)>& body) {
    SmallDiskRun run;
    TempDir dir;
    const std::filesystem::path root = dir / "disk";
    run.root = root;
    std::filesystem::create_directory(root);
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        run.skipped = Why("no pipe");
        return run;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(out[0]);
        if (std::string why = setUp(root); !why.empty()) {
            Send(out[1], why);
            ::_exit(kCantMount);
        }
        Seen seen;
        body(root, seen);
        Send(out[1], Encode(seen));
        ::_exit(0);
    }
    ::close(out[1]);
    std::string text;
    char chunk[4096];
    for (ssize_t n; pid > 0 && (n = ::read(out[0], chunk, sizeof chunk)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        text.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) {
        run.skipped = Why("no child process");
        return run;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCantMount) {
        run.skipped = text;
        return run;
    }
    run.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.seen = Decode(text);
    return run;
}

}  // namespace

SmallDiskRun OnSmallDisk(std::uint64_t bytes,
                         const std::function<void(const std::filesystem::path&, Seen&)>& body) {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    SmallDiskRun run = RunChild(
        [&](const std::filesystem::path& root) { return MountSmallDisk(root, bytes, uid, gid); },
        body);
    if (!run.skipped.empty())
        run.skipped = "no small file system can be made here (" + run.skipped + ")";
    return run;
}

SmallDiskRun InChild(const std::function<void(const std::filesystem::path&, Seen&)>& body) {
    return RunChild([](const std::filesystem::path&) { return std::string(); }, body);
}

bool LimitFileSize(std::uint64_t bytes) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

std::uint64_t FreeBytes(const std::filesystem::path& folder) {
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) != 0) return 0;
    return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
}

bool FillUp(const std::filesystem::path& folder, std::uint64_t leave) {
    const std::uint64_t free = FreeBytes(folder);
    if (free < leave) return false;
    const std::filesystem::path ballast = folder / "ballast";
    const int fd = ::open(ballast.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    struct stat st {};
    ::fstat(fd, &st);
    const bool ok = ::posix_fallocate(fd, st.st_size, static_cast<off_t>(free - leave)) == 0;
    ::close(fd);
    return ok;
}

bool FreeRoom(const std::filesystem::path& folder, std::uint64_t bytes) {
    std::error_code ec;
    const std::filesystem::path ballast = folder / "ballast";
    const std::uint64_t size = std::filesystem::file_size(ballast, ec);
    if (ec) return false;
    std::filesystem::resize_file(ballast, size > bytes ? size - bytes : 0, ec);
    return !ec;
}

}  // namespace zem::test
