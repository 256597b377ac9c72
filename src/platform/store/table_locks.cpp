#include "platform/store/table_locks.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace zem::store {
namespace {

// Byte 0: presence; 1 + slot: a table's write lock; the owner bytes and the creation byte lie
// far beyond any slot.
constexpr long kOwnerBase = 1L << 24;
constexpr long kCreationByte = 1L << 30;

// The counters of transactions begun live in the lock file's first page.
constexpr std::size_t kCounterPage = 4096;
constexpr std::size_t kCounters = kCounterPage / sizeof(std::uint64_t);

}  // namespace

TableLocks::TableLocks(const std::filesystem::path& lockFile) {
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    struct stat st {};
    // Growing the file to the page keeps what others already counted (the size only grows).
    if (::fstat(fd_, &st) != 0) return;
    if (st.st_size < static_cast<off_t>(kCounterPage) &&
        ::ftruncate(fd_, static_cast<off_t>(kCounterPage)) != 0)
        return;
    void* page = ::mmap(nullptr, kCounterPage, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (page != MAP_FAILED) counters_ = static_cast<std::uint64_t*>(page);
}

TableLocks::~TableLocks() {
    if (counters_) ::munmap(counters_, kCounterPage);
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

void TableLocks::HoldPresent() {
    if (fd_ >= 0) Set(0, F_RDLCK, true);
}

bool TableLocks::HoldCreation() {
    return fd_ >= 0 && Set(kCreationByte, F_WRLCK, true);
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

bool TableLocks::TakeOwner(int slot) {
    return fd_ >= 0 && Set(kOwnerBase + slot, F_WRLCK, false);
}

void TableLocks::DropOwner(int slot) {
    if (fd_ >= 0) Set(kOwnerBase + slot, F_UNLCK, false);
}

bool TableLocks::OwnedElsewhere(int slot) const {
    if (fd_ < 0) return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kOwnerBase + slot;
    lock.l_len = 1;
    // Locks of this description never conflict with the query; those of every other do.
    return ::fcntl(fd_, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

std::uint64_t TableLocks::Begun(int slot) const {
    if (!counters_) return 0;
    return std::atomic_ref<std::uint64_t>(counters_[static_cast<std::size_t>(slot) % kCounters])
        .load(std::memory_order_acquire);
}

void TableLocks::CountBegun(int slot) {
    if (counters_)
        std::atomic_ref<std::uint64_t>(counters_[static_cast<std::size_t>(slot) % kCounters])
            .fetch_add(1, std::memory_order_acq_rel);
}

}  // namespace zem::store
