#pragma once
// One thread's connection to the data file: the database handle, its statement cache, the
// table locks it holds, the write units it has open and its transaction.
#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/store/errors.h"
#include "platform/store/schema.h"
#include "platform/store/sqlite.h"
#include "platform/store/table_locks.h"

namespace zem::store {

class DataFile;

// A connection's page cache (32 MiB), and the small one the open's check of every page reads
// through (2 MiB).
inline constexpr const char* kCacheSize = "PRAGMA cache_size=-32768";
inline constexpr const char* kCheckCacheSize = "PRAGMA cache_size=-2048";

// A physical table as this connection sees it: its columns and the SQL that reads and writes it.
struct TableInfo {
    std::string sqlName;
    int slot = 0;                      // lock byte
    std::vector<std::string> columns;  // data columns, then the folded key columns
    std::vector<int> foldedOf;         // for each folded column, the field it folds
    std::string columnList;            // quoted, comma-separated
    std::string selectList;            // "rowid," + columnList
    std::string journal;               // the table's journal table
    // Statements of every row written or re-read, built at first use.
    std::string insertSql;
    std::string updateSql;
    std::string deleteSql;
    std::string regetSql;
    std::string journalAddSql;     // a new row's entry
    std::string journalRowSql;     // a row's before-image
    std::uint64_t generation = 0;  // changes made through this connection
    std::int64_t autoNext = 0;     // next auto-number while the write lock is held; 0 unknown
    // The count of transactions begun on the table (TableLocks::Begun) up to which its journal
    // is known to hold nothing that a dead writer left.
    std::uint64_t checkedBegun = ~std::uint64_t{0};
};

class Connection {
  public:
    Connection(DataFile& file, const std::string& path, const std::string& password);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Result of opening: store Error (0 when usable), set in the thread's error too.
    int OpenResult() const { return openResult_; }
    sqlite3* Db() const { return db_.get(); }
    DataFile& File() { return file_; }
    TableLocks& Locks() { return locks_; }

    // A cached prepared statement; nullptr (with the thread's error set) when it can't be built.
    Statement* Prepare(const std::string& sql);
    int Exec(const char* sql);   // store Error
    void Tune(const char* sql);  // a setting whose failure is harmless; sets no error
    int Run(const char* sql);    // a cached statement without results
    int Begin();                 // a write transaction

    // The physical table of def, created with its keys and journal when missing.
    TableInfo* Info(const TableDef& def);

    // Write units: each write runs inside one. The outermost unit is a database transaction
    // unless an Atomically block or batch mode already holds one; inner ones are savepoints.
    // singleStatement: the unit is one statement, which needs no savepoint of its own.
    int BeginUnit(bool singleStatement = false);
    int EndUnit(bool ok);

    // Atomically blocks.
    int BeginAtomic();
    int EndAtomic(bool ok);

    // Batch mode: writes share transactions of bounded size and age until the last Flush.
    void StreamOn();
    int StreamOff();

    // Before any read of the table: a journal that a dead writer left is rolled back first.
    // Costs one load while no transaction has begun on the table since the last check.
    int BeforeRead(TableInfo& info) {
        return locks_.Begun(info.slot) == info.checkedBegun ? NoError : SettleBeforeRead(info);
    }

    // Write locks of this connection (counted). Taking a table's lock rolls back what a dead
    // writer left in its journal.
    int AcquireWrite(TableInfo& info, double timeoutSeconds);
    void ReleaseWrite(TableInfo& info);

    // Transaction over a set of tables.
    bool InLogout() const { return logout_; }
    bool Journalled(const TableInfo& info) const { return logout_ && enlisted_.count(info.slot); }
    int Logout(double timeoutSeconds, const std::vector<TableInfo*>& tables);
    int EndLogout(bool commit);
    // Restores a table from its journal and empties the journal (inside a unit).
    int RestoreJournal(TableInfo& info);

    // Maps a database result to the thread's store error. A write refused for lack of room
    // (a full disk, a used-up quota, a file at the size limit of the process) is reported as
    // SQLITE_FULL with a text that says so and names the data file.
    int Fail(int sqliteCode);
    // Whether SQLite has ended the transaction this connection holds open on its own, as it
    // does after some failed writes (a full disk among them): nothing is left to roll back.
    bool TransactionGone() const;

    // How long a statement retries on a busy database.
    void SetBusyWait(int milliseconds);
    // Copies the log into the file and empties it (waits at most a moment for others).
    int Checkpoint();

  private:
    int SettleBeforeRead(TableInfo& info);
    // With the table's write lock held: rolls back a journal whose writer is gone.
    int RollBackAbandoned(TableInfo& info);
    int JournalHasRows(TableInfo& info, bool& rows);
    // After a database transaction was rolled back: what this connection knew of its tables.
    void ForgetTables();
    int CreateTable(const TableDef& def, TableInfo& info);
    int CheckColumns(const TableDef& def, TableInfo& info);
    int CommitOuter();
    // Ends the open transaction after a failure, when SQLite has not already; the failure
    // stays the thread's error.
    void Abandon(const char* sql);
    // A unit whose transaction SQLite ended on its own: the failure that ended it, again.
    int Gone(bool ok);
    // Restores up to limit entries (all when negative), newest first, and removes them from
    // the journal; more tells whether older ones are left.
    int RestoreEntries(TableInfo& info, std::int64_t limit, bool& more);
    void SetSynchronous(bool full);
    int SyncLog();
    static int AfterCommit(void* self, sqlite3* db, const char* name, int frames);

    DataFile& file_;
    DbHandle db_;
    TableLocks locks_;
    int openResult_ = 0;
    std::unordered_map<std::string, std::unique_ptr<Statement>> statements_;
    std::unordered_map<std::string, std::unique_ptr<TableInfo>> tables_;
    int depth_ = 0;
    std::vector<bool> savepoints_;  // per open unit: whether it holds a savepoint
    int atomic_ = 0;
    int streams_ = 0;
    int logFrames_ = 0;         // pages in the log after the latest commit
    bool logUnsynced_ = false;  // a commit made without synchronous=FULL is not on the disk yet
    bool outerOpen_ = false;    // a transaction kept open for atomic blocks or batch mode
    int outerWrites_ = 0;
    std::chrono::steady_clock::time_point outerSince_;
    bool logout_ = false;
    std::set<int> enlisted_;
    std::vector<TableInfo*> enlistedInfo_;
    bool fullSync_ = true;
    int busyWait_ = 10000;  // milliseconds
    std::string where_;     // the data file's full path, for messages
    // The failure after which SQLite ended the transaction on its own.
    struct Failure {
        int code = 0;
        int fileCode = 0;
        std::string text;
    } gone_;
};

}  // namespace zem::store
