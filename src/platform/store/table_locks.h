#pragma once
// Table write locks shared by every connection to the file, in this process and in others:
// open-file-description locks on a byte per table of a lock file beside the data file. The
// kernel drops them when their holder dies, so a crashed writer never leaves a table locked.
//
// A transaction's owner also holds its tables' owner bytes while it runs, and counts the
// transactions begun on each table in a page of the lock file that every process maps. A
// reader that sees a count it has not checked finds out whether the journal of that table has
// an owner alive; a journal without one is rolled back before the table is read.
#include <cstdint>
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

    // Every open connection holds the file's presence byte shared, so that no earlier version
    // of the program, which rolled back every journal once it could take this byte
    // exclusively, ever takes the file for its own while we use it.
    void HoldPresent();

    // Creating the data file is one process's work at a time (waits for the others).
    // Held until this object goes.
    bool HoldCreation();

    // Takes (or counts again) the write lock of a table slot, waiting up to timeoutSeconds.
    bool Acquire(int slot, double timeoutSeconds);
    void Release(int slot);
    int Holds(int slot) const;

    // The owner byte of a table slot, held by a transaction from its start to its end.
    bool TakeOwner(int slot);
    void DropOwner(int slot);
    bool OwnedElsewhere(int slot) const;

    // Transactions begun on a slot, by any process. Slots may share a counter; a count that
    // moves for another table only costs a needless check. Without the shared page (it could
    // not be mapped) every answer is 0 and Counted() is false.
    std::uint64_t Begun(int slot) const;
    void CountBegun(int slot);
    bool Counted() const { return counters_ != nullptr; }

  private:
    bool Set(long offset, short type, bool wait);
    int fd_ = -1;
    std::uint64_t* counters_ = nullptr;  // the shared page
    std::unordered_map<int, int> holds_;
};

}  // namespace zem::store
