#include "platform/store/table_locks.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace zem::store {

TableLocks::TableLocks(const std::filesystem::path& lockFile) {
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

TableLocks::~TableLocks() {
    if (fd_ >= 0) ::close(fd_);  // releases every lock of this description
}

bool TableLocks::Set(long offset, short type, bool wait) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = offset;
    lock.l_len = 1;
    lock.l_pid = 0;
    return ::fcntl(fd_, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0;
}

bool TableLocks::TakeAlone() {
    return fd_ >= 0 && Set(0, F_WRLCK, false);
}

void TableLocks::HoldPresent() {
    if (fd_ >= 0) Set(0, F_RDLCK, true);
}

bool TableLocks::Acquire(int slot, double timeoutSeconds) {
    if (fd_ < 0) return false;
    int& count = holds_[slot];
    if (count > 0) {
        ++count;
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration<double>(timeoutSeconds < 0 ? 0 : timeoutSeconds);
    auto pause = std::chrono::microseconds(200);
    while (!Set(1 + slot, F_WRLCK, false)) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(pause);
        if (pause < std::chrono::milliseconds(10)) pause *= 2;
    }
    count = 1;
    return true;
}

void TableLocks::Release(int slot) {
    auto it = holds_.find(slot);
    if (it == holds_.end() || it->second <= 0) return;
    if (--it->second == 0) Set(1 + slot, F_UNLCK, false);
}

int TableLocks::Holds(int slot) const {
    auto it = holds_.find(slot);
    return it == holds_.end() ? 0 : it->second;
}

}  // namespace zem::store
