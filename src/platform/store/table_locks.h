#pragma once
// Table write locks shared by every connection to the file, in this process and in others:
// open-file-description locks on a byte per table of a lock file beside the data file. The
// kernel drops them when their holder dies, so a crashed writer never leaves a table locked.
#include <filesystem>
#include <unordered_map>

namespace zem::store {

class TableLocks {
  public:
    explicit TableLocks(const std::filesystem::path& lockFile);
    ~TableLocks();
    TableLocks(const TableLocks&) = delete;
    TableLocks& operator=(const TableLocks&) = delete;

    bool Ok() const { return fd_ >= 0; }

    // Every open connection holds the file's presence byte shared. A connection that can take
    // it exclusively is the only one: what a journal holds then belongs to nobody alive.
    bool TakeAlone();
    void HoldPresent();

    // Takes (or counts again) the write lock of a table slot, waiting up to timeoutSeconds.
    bool Acquire(int slot, double timeoutSeconds);
    void Release(int slot);
    int Holds(int slot) const;

  private:
    bool Set(long offset, short type, bool wait);
    int fd_ = -1;
    std::unordered_map<int, int> holds_;
};

}  // namespace zem::store
