#include "web/log_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace zem::HTTP {
namespace {

// Never destroyed: detached loader threads may still write while the process exits.
std::mutex& LogMutex() {
    static std::mutex* const mutex = new std::mutex;
    return *mutex;
}

}  // namespace

void LogWriter::WriteLog(std::string_view text) const noexcept {
    char line[kLineLimit + 1];
    const std::size_t n = std::min(text.size(), kLineLimit);
    std::copy_n(text.data(), n, line);
    line[n] = '\n';
    // The mutex orders the lines of this process; O_APPEND keeps each line whole against
    // other processes writing the same file.
    std::lock_guard lock(LogMutex());
    const int fd = ::open(kFileName, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const char* p = line;
    std::size_t left = n + 1;
    while (left > 0) {
        const ssize_t written = ::write(fd, p, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        p += written;
        left -= static_cast<std::size_t>(written);
    }
    ::close(fd);
}

}  // namespace zem::HTTP
