#include "platform/store/file_system.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace zem::store {
namespace {

constexpr const char* kCompanions[] = {"-wal", "-shm", "-journal", "-lock"};

std::filesystem::path WithSuffix(const std::filesystem::path& path, const char* suffix) {
    return std::filesystem::path(path.string() + suffix);
}

std::filesystem::path Folder(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

std::string SystemError(int code) {
    return std::error_code(code, std::generic_category()).message();
}

bool Sync(const std::filesystem::path& path, int flags, std::string& why) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (!ok) why = path.string() + ": " + SystemError(errno);
    if (fd >= 0) ::close(fd);
    return ok;
}

}  // namespace

std::filesystem::path BuildingName(const std::filesystem::path& path) {
    return WithSuffix(path, "-new");
}

void RemoveWithCompanions(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    for (const char* suffix : kCompanions)
        std::filesystem::remove(WithSuffix(path, suffix), ignored);
}

bool AnyWithCompanions(const std::filesystem::path& path) {
    std::error_code ignored;
    if (std::filesystem::exists(path, ignored)) return true;
    for (const char* suffix : kCompanions)
        if (std::filesystem::exists(WithSuffix(path, suffix), ignored)) return true;
    return false;
}

bool CanWrite(const std::filesystem::path& path, std::string& why) {
    bool missing = false;
    for (const char* suffix : {"", "-wal", "-shm", "-lock"}) {
        const std::filesystem::path file = WithSuffix(path, suffix);
        // Opening for writing, without changing anything, is the one test that knows about
        // modes, ownership, ACLs, immutable files and read-only mounts alike.
        const int fd = ::open(file.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            continue;
        }
        const int error = errno;
        if (error == ENOENT && *suffix) {
            missing = true;
            continue;
        }
        why = *suffix ? "the file " + file.string() + " beside it can't be written (" +
                            SystemError(error) + ")"
                      : "it can't be written (" + SystemError(error) + ")";
        return false;
    }
    const std::filesystem::path folder = Folder(path);
    if (missing && ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        why = "its folder " + folder.string() + " can't be written (" + SystemError(errno) + ")";
        return false;
    }
    return true;
}

bool MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to, bool& taken,
                   std::string& why) {
    taken = false;
    std::error_code ec;
    // Everything must be in the file itself: its write-ahead log stays behind.
    const auto logSize = std::filesystem::file_size(WithSuffix(from, "-wal"), ec);
    if (!ec && logSize > 0) {
        why = "its changes are not all written into it";
        return false;
    }
    if (!Sync(from, O_RDONLY, why)) return false;
    int rc = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system without the no-replace move: a hard link never replaces either.
        rc = ::link(from.c_str(), to.c_str());
        if (rc == 0) ::unlink(from.c_str());
    }
    if (rc != 0) {
        if (errno == EEXIST) {
            taken = true;
            return true;
        }
        why = "it can't be moved to " + to.string() + " (" + SystemError(errno) + ")";
        return false;
    }
    return Sync(Folder(to), O_RDONLY | O_DIRECTORY, why);
}

}  // namespace zem::store
