#pragma once
// The encrypted data file. One process-wide object per file; every thread that touches it gets
// its own database connection, created on first use and released by ReleaseThreadConnection.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <span>
#include <string>
#include <unordered_map>

namespace zem::store {

class Connection;
class Table;

struct OpenStatus {
    int code = 0;        // store Error
    std::string text;    // what the user is told, in a line or two
    std::string detail;  // more for the log (a damaged file's problems, one a line), or empty
    bool created = false;
};

class DataFile {
  public:
    // What a new file holds before anyone else sees it; answers a store Error.
    using SetUp = std::function<int(DataFile&)>;

    // Opens an existing file with the password, or creates one when it is missing: built and
    // set up under another name, then moved into place whole, so a start killed half-way
    // leaves no file behind (what it left under the other name is discarded next time). An
    // existing file is never replaced; one that this process can't write, that the password
    // does not open or that is damaged is refused and left untouched, with nothing created
    // beside it. Transactions that a crashed process left unfinished are rolled back before
    // anyone reads their tables.
    static std::shared_ptr<DataFile> Open(const std::filesystem::path& path, std::string password,
                                          OpenStatus& status, const SetUp& setUp = {});
    ~DataFile();
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // The schema version the file records (0 for a file nothing has been written to).
    int SchemaVersion();
    [[nodiscard]] int SetSchemaVersion(int version);

    // Runs work as one unit on this thread's connection: every write inside commits together
    // or not at all. work returns false to roll back. Result: store Error.
    [[nodiscard]] int Atomically(const std::function<bool()>& work);

    // Transactions over a set of tables (this thread's). Logout takes the write locks of the
    // tables within timeoutSeconds; changes are journalled until Commit or Rollback. Callers
    // hold one through Transaction (transaction.h), which rolls back unless committed.
    [[nodiscard]] int Logout(double timeoutSeconds, std::span<Table* const> tables);
    [[nodiscard]] int Commit();
    [[nodiscard]] int Rollback();

    // Ends this thread's connection (the per-thread end hook calls it). Tables of this thread
    // must be closed first.
    void ReleaseThreadConnection();

    // This thread's connection, opened on first use; nullptr when it can't be opened
    // (ErrorCode() tells why).
    Connection* ThreadConnection();

    // Auto-numbers handed out and not yet used, per physical table (process-wide).
    std::int64_t HighestReserved(const std::string& sqlName);
    void Reserve(const std::string& sqlName, std::int64_t number);
    void Unreserve(const std::string& sqlName, std::int64_t number);

    // Connections of this process waiting to start a write transaction.
    int WritersWaiting() const { return writersWaiting_.load(std::memory_order_relaxed); }
    void WriterWaits(int delta) { writersWaiting_.fetch_add(delta, std::memory_order_relaxed); }

    // Copies every change into the file itself and empties its write-ahead log, so the file
    // is whole on its own (for the end of the program: waits at most a moment for others).
    [[nodiscard]] int Checkpoint();

  private:
    DataFile(std::filesystem::path path, std::string password);
    // Creates the file under its building name, sets it up and moves it into place; false
    // with status filled when that fails. Another process may have made it meanwhile.
    static bool Create(const std::filesystem::path& path, const std::string& password,
                       const SetUp& setUp, OpenStatus& status);
    int Prepare(Connection& conn, bool created, std::string& detail);

    std::filesystem::path path_;
    std::string password_;
    std::mutex mutex_;
    // By a serial number per thread: unlike thread ids, never reused by a later thread.
    std::unordered_map<std::uint64_t, std::unique_ptr<Connection>> connections_;
    std::atomic<int> writersWaiting_{0};
    std::mutex reservedMutex_;
    std::unordered_map<std::string, std::set<std::int64_t>> reserved_;
    friend class Connection;
};

}  // namespace zem::store
