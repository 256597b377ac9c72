#include "platform/store/connection.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/store/data_file.h"
#include "platform/store/errors.h"
#include "platform/store/fold.h"
#include "platform/store/record_codec.h"

namespace zem::store {
namespace {

// Batch mode keeps one transaction open across many writes and commits it as soon as another
// connection of this process waits to write, and at the latest after this many writes or this
// long (the bound for writers in other processes, which can't be seen waiting).
constexpr int kBatchWrites = 50000;
constexpr auto kBatchAge = std::chrono::milliseconds(1000);

// The longest a read waits for another connection to finish rolling back what a dead writer
// left (it takes a moment; a batch of another process holding the database may make it longer).
constexpr auto kSettleWait = std::chrono::seconds(10);

constexpr auto kCheckpointWait = std::chrono::milliseconds(2000);

// Journal entries a rollback restores per commit. Restoring a large journal in one database
// transaction would need room in the log for every page it touches; in steps the log is reused
// and a step that can't be written leaves the table matching what is left of its journal.
constexpr std::int64_t kRestoreStep = 1024;
// Pages in the log after which a commit copies it back into the file: SQLite's own default.
constexpr int kCheckpointFrames = 1000;

// Why a write found no room, or nothing when it failed for another reason. SQLite says
// SQLITE_FULL for a short write; a refused one (or a refused allocation) comes as an I/O error
// with the system's code.
std::optional<std::string> NoRoom(int rc, int error, const std::string& where) {
    const int primary = rc & 0xFF;
    if (primary == SQLITE_FULL || (primary == SQLITE_IOERR && error == ENOSPC))
        return "the disk is full: there is no room to write " + where;
    if (primary != SQLITE_IOERR) return std::nullopt;
    if (error == EDQUOT) return "the disk quota is used up: there is no room to write " + where;
    if (error == EFBIG)
        return "the file " + where + " can't grow: it has reached the largest size this " +
               "program may write (" + std::error_code(error, std::generic_category()).message() +
               ")";
    return std::nullopt;
}

std::string SqlType(const FieldDef& field) {
    if (field.type == FieldType::Real) return "REAL";
    if (IsText(field)) return "TEXT";
    return "INTEGER";
}

// zem_fold(text): the folded form keys compare, for filters over any text field.
void FoldFunction(sqlite3_context* context, int, sqlite3_value** args) {
    auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    std::string folded = FoldKeyText(
        text ? std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(args[0])))
             : std::string_view());
    sqlite3_result_text(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

// The store error for any other failure of the database.
int Classify(int rc, const char* message) {
    switch (rc & 0xFF) {
        case SQLITE_CONSTRAINT:
            return SetError(DuplicateKey, rc, message);
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return SetError(FileLocked, rc, message);
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return SetError(InvalidDataFile, rc, message);
        case SQLITE_NOMEM:
            return SetError(NoMemory, rc, message);
        case SQLITE_PERM:
        case SQLITE_READONLY:
        case SQLITE_AUTH:
            return SetError(AccessDenied, rc, message);
        default:
            return SetError(FileSystemError, rc, message);
    }
}

}  // namespace

std::string Quoted(std::string_view name) {
    std::string q = "\"";
    for (char c : name) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

Statement::Statement(sqlite3* db, std::string_view sql) {
    rc_ = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr);
    if (rc_ != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Connection::Connection(DataFile& file, const std::string& path, const std::string& password)
    : file_(file), locks_(path + "-lock") {
    std::error_code ec;
    where_ = std::filesystem::absolute(path, ec).lexically_normal().string();
    if (ec) where_ = path;
    sqlite3* raw = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) {
        openResult_ = rc == SQLITE_CANTOPEN ? SetError(FileNotFound, rc, path) : Fail(rc);
        return;
    }
    if (!locks_.Ok()) {
        openResult_ =
            SetError(AccessDenied, 0, "the lock file beside the data file can't be opened");
        return;
    }
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_key(raw, password.data(), static_cast<int>(password.size()));
    // Nothing is written before the password has been shown to open the file.
    rc = sqlite3_exec(raw, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        openResult_ = (rc & 0xFF) == SQLITE_NOTADB || (rc & 0xFF) == SQLITE_CORRUPT
                          ? SetError(InvalidDataFile, rc,
                                     "not a data file, damaged, or the password does not open it")
                          : Fail(rc);
        return;
    }
    SetBusyWait(busyWait_);
    sqlite3_create_function(raw, "zem_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            &FoldFunction, nullptr, nullptr);
    Exec(kCacheSize);
    Exec("PRAGMA temp_store=MEMORY");
    Exec("PRAGMA synchronous=FULL");
    sqlite3_wal_hook(raw, &Connection::AfterCommit, this);
    locks_.HoldPresent();
}

// SQLite's automatic checkpoint, kept here so a batch can hold it off and its end can tell how
// long the log grew: a short batch leaves its few pages in the log (durable there) instead of
// paying two more syncs to copy them back at once.
int Connection::AfterCommit(void* self, sqlite3* db, const char* name, int frames) {
    auto* connection = static_cast<Connection*>(self);
    connection->logFrames_ = frames;
    // A commit with synchronous=FULL syncs the log, and with it every commit before it.
    connection->logUnsynced_ = !connection->fullSync_;
    if (connection->streams_ == 0 && frames >= kCheckpointFrames) {
        sqlite3_wal_checkpoint_v2(db, name, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        connection->logFrames_ = 0;
    }
    return SQLITE_OK;
}

Connection::~Connection() {
    if (outerOpen_) CommitOuter();
    statements_.clear();
}

int Connection::Fail(int rc) {
    const char* message = db_ ? sqlite3_errmsg(db_.get()) : sqlite3_errstr(rc);
    const std::optional<std::string> noRoom =
        NoRoom(rc, db_ ? sqlite3_system_errno(db_.get()) : 0, where_);
    const int code =
        noRoom ? SetError(FileSystemError, SQLITE_FULL, *noRoom) : Classify(rc, message);
    if (TransactionGone()) gone_ = {code, FileErrorCode(), std::string(FileErrorText())};
    return code;
}

bool Connection::TransactionGone() const {
    return (depth_ > 0 || outerOpen_) && db_ && sqlite3_get_autocommit(db_.get()) != 0;
}

void Connection::Abandon(const char* sql) {
    if (!db_ || sqlite3_get_autocommit(db_.get()) != 0) return;
    const Failure kept{ErrorCode(), FileErrorCode(), std::string(FileErrorText())};
    sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
    SetError(kept.code, kept.fileCode, kept.text);
}

int Connection::Gone(bool ok) {
    if (depth_ == 0 && outerOpen_ && atomic_ == 0) {
        outerOpen_ = false;
        ForgetTables();
    }
    if (!ok && ErrorCode() != NoError) return ErrorCode();
    if (gone_.code != NoError) return SetError(gone_.code, gone_.fileCode, gone_.text);
    return SetError(FileSystemError, 0, "the database undid the changes after a failed write");
}

Statement* Connection::Prepare(const std::string& sql) {
    auto it = statements_.find(sql);
    if (it != statements_.end()) {
        it->second->Reset();
        return it->second.get();
    }
    auto st = std::make_unique<Statement>(db_.get(), sql);
    if (!st->Ok()) {
        Fail(st->PrepareResult());
        return nullptr;
    }
    return statements_.emplace(sql, std::move(st)).first->second.get();
}

int Connection::Exec(const char* sql) {
    int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? NoError : Fail(rc);
}

// Checkpoint settings only change how soon the log is copied back: one that can't run (a
// passive checkpoint while another connection reads, say) is no failure of the caller's write,
// so it must not leave its code in the thread's error either.
void Connection::Tune(const char* sql) {
    sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
}

void Connection::SetBusyWait(int milliseconds) {
    busyWait_ = milliseconds;
    sqlite3_busy_timeout(db_.get(), milliseconds);
}

int Connection::Checkpoint() {
    if (outerOpen_ && atomic_ == 0 && depth_ == 0)
        if (int rc = CommitOuter(); rc != NoError) return rc;
    // Readers and writers of other connections hold it up; the program's end waits for them
    // only a moment.
    sqlite3_busy_timeout(db_.get(), static_cast<int>(kCheckpointWait.count()));
    const int rc =
        sqlite3_wal_checkpoint_v2(db_.get(), nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    sqlite3_busy_timeout(db_.get(), busyWait_);
    return rc == SQLITE_OK ? NoError : Fail(rc);
}

void Connection::SetSynchronous(bool full) {
    if (full == fullSync_ || depth_ > 0 || outerOpen_) return;
    if (Exec(full ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL") == NoError)
        fullSync_ = full;
}

// What the log holds goes to the disk, as a commit with synchronous=FULL would have sent it.
int Connection::SyncLog() {
    sqlite3_file* log = nullptr;
    if (sqlite3_file_control(db_.get(), "main", SQLITE_FCNTL_JOURNAL_POINTER, &log) != SQLITE_OK ||
        !log || !log->pMethods)
        return NoError;  // no log open: nothing was written to one
    const int rc = log->pMethods->xSync(log, SQLITE_SYNC_NORMAL);
    if (rc == SQLITE_OK) {
        logUnsynced_ = false;
        return NoError;
    }
    // Called past SQLite's own API, the sync leaves the connection's message as it was: the
    // reason is the system's.
    const int error = errno;
    if (const auto noRoom = NoRoom(rc, error, where_))
        return SetError(FileSystemError, SQLITE_FULL, *noRoom);
    return SetError(FileSystemError, rc,
                    "the log of " + where_ + " can't be written to the disk (" +
                        std::error_code(error, std::generic_category()).message() + ")");
}

// --- tables ---------------------------------------------------------------------------------

TableInfo* Connection::Info(const TableDef& def) {
    auto it = tables_.find(std::string(def.sqlName));
    if (it != tables_.end()) return it->second.get();

    auto info = std::make_unique<TableInfo>();
    info->sqlName = def.sqlName;
    info->columns = DataColumns(def);
    info->foldedOf = FoldedFields(def);
    for (int f : info->foldedOf) info->columns.push_back(FoldedColumn(def.fields[f].name));
    for (const std::string& c : info->columns) {
        if (!info->columnList.empty()) info->columnList += ',';
        info->columnList += Quoted(c);
    }
    info->selectList = "rowid," + info->columnList;
    info->journal = "_journal_" + info->sqlName;

    int rc = CreateTable(def, *info);
    if (rc != NoError) return nullptr;
    return tables_.emplace(info->sqlName, std::move(info)).first->second.get();
}

int Connection::CreateTable(const TableDef& def, TableInfo& info) {
    Statement* exists = Prepare("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?");
    if (!exists) return ErrorCode();
    auto tableExists = [&]() {
        exists->Reset();
        exists->Bind(1, std::string_view(info.sqlName));
        bool found = exists->Step() == SQLITE_ROW && exists->Int(0) > 0;
        exists->Reset();  // a statement left stepping would hold a read snapshot open
        return found;
    };
    if (!tableExists()) {
        if (int rc = BeginUnit(); rc != NoError) return rc;
        bool ok = true;
        if (!tableExists()) {
            std::string columns;
            std::size_t c = 0;
            for (const FieldDef& field : def.fields)
                for (std::uint32_t e = 0; e < std::max<std::uint32_t>(field.dim, 1); ++e)
                    columns += (columns.empty() ? "" : ",") + Quoted(info.columns[c++]) + " " +
                               SqlType(field);
            for (; c < info.columns.size(); ++c) columns += "," + Quoted(info.columns[c]) + " TEXT";
            std::string sql = "CREATE TABLE " + Quoted(info.sqlName) + "(" + columns + ");";
            for (std::size_t k = 0; k < def.keys.size(); ++k) {
                std::string cols;
                for (const std::string& kc : KeyColumns(def, k))
                    cols += (cols.empty() ? "" : ",") + Quoted(kc);
                sql += std::string("CREATE ") + (def.keys[k].unique ? "UNIQUE " : "") + "INDEX " +
                       Quoted(info.sqlName + "_" + std::string(def.keys[k].name)) + " ON " +
                       Quoted(info.sqlName) + "(" + cols + ");";
            }
            sql += "CREATE TABLE " + Quoted(info.journal) +
                   "(_jseq INTEGER PRIMARY KEY, _jop INTEGER, _jrow INTEGER," + columns + ");";
            sql += "INSERT OR IGNORE INTO _store_tables(name) VALUES('" + info.sqlName + "');";
            ok = Exec(sql.c_str()) == NoError;
        }
        if (int rc = EndUnit(ok); rc != NoError) return rc;
        if (!ok) return ErrorCode();
    } else if (int rc = CheckColumns(def, info); rc != NoError) {
        return rc;
    }
    Statement* slot = Prepare("SELECT rowid FROM _store_tables WHERE name=?");
    if (!slot) return ErrorCode();
    slot->Bind(1, std::string_view(info.sqlName));
    if (slot->Step() != SQLITE_ROW)
        return SetError(InvalidDataFile, 0, "table " + info.sqlName + " is not registered");
    info.slot = static_cast<int>(slot->Int(0));
    slot->Reset();
    return NoError;
}

int Connection::CheckColumns(const TableDef& def, TableInfo& info) {
    Statement* st = Prepare("PRAGMA table_info(" + Quoted(info.sqlName) + ")");
    if (!st) return ErrorCode();
    std::vector<std::string> found;
    while (st->Step() == SQLITE_ROW) found.emplace_back(st->Text(1));
    st->Reset();
    if (found != info.columns)
        return SetError(
            InvalidRecordDeclaration, 0,
            "table " + std::string(def.sqlName) + " has other fields than this program");
    return NoError;
}

// --- write units ----------------------------------------------------------------------------

int Connection::BeginUnit(bool singleStatement) {
    if (depth_ == 0 && !outerOpen_ && (atomic_ > 0 || streams_ > 0)) {
        if (int rc = Begin(); rc != NoError) return rc;
        outerOpen_ = true;
        outerWrites_ = 0;
        outerSince_ = std::chrono::steady_clock::now();
    }
    const bool nested = depth_ > 0 || outerOpen_;
    // Inside a transaction that SQLite has ended, a statement would run, and stay, on its own.
    if (nested && TransactionGone()) return Gone(false);
    // Inside a transaction one statement is atomic by itself; a savepoint would only cost a
    // sub-journal write of every page it touches.
    const bool savepoint = nested && !singleStatement;
    int rc = !nested ? Begin() : savepoint ? Run("SAVEPOINT unit") : NoError;
    if (rc == NoError) {
        ++depth_;
        savepoints_.push_back(savepoint);
    }
    return rc;
}

int Connection::EndUnit(bool ok) {
    if (depth_ == 0) return NoError;
    --depth_;
    const bool savepoint = savepoints_.back();
    savepoints_.pop_back();
    const bool nested = depth_ > 0 || outerOpen_;
    // This unit's transaction was open; SQLite may have ended it after a failed write.
    if (sqlite3_get_autocommit(db_.get()) != 0) return Gone(ok);
    int rc = NoError;
    if (nested) {
        if (savepoint) {
            if (!ok) Abandon("ROLLBACK TO unit");
            rc = ok ? Run("RELEASE unit") : (Abandon("RELEASE unit"), ErrorCode());
        }
    } else if (ok) {
        rc = Run("COMMIT");
        if (rc != NoError) Abandon("ROLLBACK");
    } else {
        Abandon("ROLLBACK");
        rc = ErrorCode();
    }
    if (depth_ == 0 && outerOpen_ && atomic_ == 0) {
        ++outerWrites_;
        if (file_.WritersWaiting() > 0 || outerWrites_ >= kBatchWrites ||
            std::chrono::steady_clock::now() - outerSince_ > kBatchAge)
            if (int crc = CommitOuter(); rc == NoError) rc = crc;
    }
    return rc;
}

int Connection::Begin() {
    gone_ = {};
    // Counted while it may wait, so a batch in progress on another thread makes way.
    file_.WriterWaits(+1);
    int rc = Run("BEGIN IMMEDIATE");
    file_.WriterWaits(-1);
    return rc;
}

int Connection::Run(const char* sql) {
    Statement* st = Prepare(sql);
    if (!st) return ErrorCode();
    int rc = st->Step();
    st->Reset();
    return rc == SQLITE_DONE || rc == SQLITE_ROW ? NoError : Fail(rc);
}

int Connection::CommitOuter() {
    if (!outerOpen_) return NoError;
    if (TransactionGone()) return Gone(true);
    outerOpen_ = false;
    int rc = Exec("COMMIT");
    if (rc != NoError) {
        Abandon("ROLLBACK");
        ForgetTables();
    }
    return rc;
}

void Connection::ForgetTables() {
    for (auto& [name, info] : tables_) {
        ++info->generation;
        info->autoNext = 0;
        info->checkedBegun = ~std::uint64_t{0};
    }
}

int Connection::BeginAtomic() {
    if (depth_ == 0 && !outerOpen_) {
        if (int rc = Begin(); rc != NoError) return rc;
        outerOpen_ = true;
        outerSince_ = std::chrono::steady_clock::now();
        outerWrites_ = 0;
        ++atomic_;
        return NoError;
    }
    if (int rc = Exec("SAVEPOINT atomic"); rc != NoError) return rc;
    ++atomic_;
    ++depth_;
    return NoError;
}

int Connection::EndAtomic(bool ok) {
    if (atomic_ == 0) return NoError;
    --atomic_;
    if (depth_ > 0) {
        --depth_;
        if (TransactionGone()) return Gone(ok);
        if (!ok) Abandon("ROLLBACK TO atomic");
        return Exec("RELEASE atomic");
    }
    if (TransactionGone()) return Gone(ok);
    if (!ok) {
        outerOpen_ = false;
        ForgetTables();
        return Exec("ROLLBACK");
    }
    return streams_ > 0 ? NoError : CommitOuter();
}

// A batch commits often; copying the log back into the file after every commit would copy the
// pages the batch keeps changing again and again. While it runs, AfterCommit copies nothing; its
// end copies the log back once, when it grew long.
void Connection::StreamOn() {
    if (streams_++ > 0) return;
    SetSynchronous(false);
}

int Connection::StreamOff() {
    if (streams_ == 0) return NoError;
    if (--streams_ > 0) return NoError;
    if (atomic_ > 0) return NoError;
    int rc = CommitOuter();
    // A batch's commits go unsynced, the last one too (the setting can't change inside the
    // transaction, and a commit on the batch's age may have been its last): its end syncs the
    // log once. In a logout, the commit that ends the logout is the durable one.
    if (rc == NoError && logUnsynced_ && !logout_) rc = SyncLog();
    if (rc == NoError && logFrames_ >= kCheckpointFrames) {
        Tune("PRAGMA wal_checkpoint(PASSIVE)");
        logFrames_ = 0;
    }
    if (!logout_) SetSynchronous(true);
    return rc;
}

// --- locks and transactions -----------------------------------------------------------------

int Connection::AcquireWrite(TableInfo& info, double timeoutSeconds) {
    if (!locks_.Acquire(info.slot, timeoutSeconds))
        return SetError(FileLocked, 0, info.sqlName + " is locked by another user");
    if (locks_.Holds(info.slot) == 1) {
        if (int rc = RollBackAbandoned(info); rc != NoError) {
            ReleaseWrite(info);
            return rc;
        }
    }
    return NoError;
}

void Connection::ReleaseWrite(TableInfo& info) {
    locks_.Release(info.slot);
    if (locks_.Holds(info.slot) == 0) info.autoNext = 0;
}

int Connection::JournalHasRows(TableInfo& info, bool& rows) {
    Statement* st = Prepare("SELECT 1 FROM " + Quoted(info.journal) + " LIMIT 1");
    if (!st) return ErrorCode();
    const int rc = st->Step();
    st->Reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Fail(rc);
    rows = rc == SQLITE_ROW;
    return NoError;
}

int Connection::RollBackAbandoned(TableInfo& info) {
    // Whoever owned a transaction on the table held its write lock until the journal was
    // empty again; holding the lock now, what the journal still holds has no owner alive.
    const std::uint64_t begun = locks_.Begun(info.slot);
    if (begun == info.checkedBegun) return NoError;
    bool rows = false;
    if (int rc = JournalHasRows(info, rows); rc != NoError) return rc;
    if (rows) {
        // A batch of this connection commits first: readers waiting for the rollback see it
        // as soon as it is done.
        if (outerOpen_ && atomic_ == 0 && depth_ == 0)
            if (int rc = CommitOuter(); rc != NoError) return rc;
        if (int rc = RestoreJournal(info); rc != NoError) return rc;
    }
    if (locks_.Counted()) info.checkedBegun = begun;
    return NoError;
}

int Connection::SettleBeforeRead(TableInfo& info) {
    if (locks_.Holds(info.slot) > 0) return NoError;  // this connection's own writes
    const auto deadline = std::chrono::steady_clock::now() + kSettleWait;
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        const std::uint64_t begun = locks_.Begun(info.slot);
        // A transaction in progress: its changes are read as they stand.
        if (locks_.OwnedElsewhere(info.slot)) return NoError;
        bool rows = false;
        if (int rc = JournalHasRows(info, rows); rc != NoError) return rc;
        if (!rows) {
            // Every transaction counted so far has ended: nothing to look at until the next.
            if (locks_.Counted()) info.checkedBegun = begun;
            return NoError;
        }
        // A journal without an owner: its writer died. Whoever takes the table's write lock
        // rolls it back; when another connection has it, wait until that is done.
        if (locks_.Acquire(info.slot, 0)) {
            const int rc = RollBackAbandoned(info);
            ReleaseWrite(info);
            return rc;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return SetError(FileLocked, 0,
                            info.sqlName + " is being restored from its journal by another user");
        std::this_thread::sleep_for(pause);
        if (pause < std::chrono::milliseconds(10)) pause *= 2;
    }
}

int Connection::Logout(double timeoutSeconds, const std::vector<TableInfo*>& tables) {
    if (logout_) return SetError(LogoutActive);
    std::vector<TableInfo*> sorted = tables;
    std::sort(sorted.begin(), sorted.end(),
              [](const TableInfo* a, const TableInfo* b) { return a->slot < b->slot; });
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration<double>(std::max(0.0, timeoutSeconds));
    std::vector<TableInfo*> taken;
    std::vector<TableInfo*> owned;
    auto undo = [&](int rc) {
        for (TableInfo* t : owned) locks_.DropOwner(t->slot);
        for (TableInfo* t : taken) ReleaseWrite(*t);
        return rc;
    };
    for (TableInfo* info : sorted) {
        double left =
            std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count();
        if (!locks_.Acquire(info->slot, std::max(0.0, left)))
            return undo(SetError(FileLocked, 0, info->sqlName + " is locked by another user"));
        taken.push_back(info);
    }
    for (TableInfo* info : taken)
        if (int rc = RollBackAbandoned(*info); rc != NoError) return undo(rc);
    // Owned from here until the journals are empty again; counted, so that every reader
    // checks on this transaction's owner once it sees the count.
    for (TableInfo* info : taken) {
        if (!locks_.TakeOwner(info->slot))
            return undo(SetError(FileLocked, 0, info->sqlName + " is locked by another user"));
        owned.push_back(info);
    }
    for (TableInfo* info : taken) {
        locks_.CountBegun(info->slot);
        if (locks_.Counted()) info->checkedBegun = locks_.Begun(info->slot);
    }
    SetSynchronous(false);
    logout_ = true;
    enlistedInfo_ = taken;
    enlisted_.clear();
    for (TableInfo* t : taken) enlisted_.insert(t->slot);
    return NoError;
}

int Connection::RestoreEntries(TableInfo& info, std::int64_t limit, bool& more) {
    more = false;
    Statement* entries = Prepare("SELECT _jseq,_jop,_jrow FROM " + Quoted(info.journal) +
                                 " ORDER BY _jseq DESC LIMIT ?");
    if (!entries) return ErrorCode();
    entries->Bind(1, limit < 0 ? std::int64_t{-1} : limit + 1);
    struct Entry {
        std::int64_t seq, op, row;
    };
    std::vector<Entry> list;
    int rc;
    while ((rc = entries->Step()) == SQLITE_ROW)
        list.push_back({entries->Int(0), entries->Int(1), entries->Int(2)});
    entries->Reset();
    if (rc != SQLITE_DONE) return Fail(rc);
    if (limit >= 0 && static_cast<std::int64_t>(list.size()) > limit) {
        more = true;
        list.pop_back();
    }
    if (list.empty()) return NoError;
    Statement* remove = Prepare("DELETE FROM " + Quoted(info.sqlName) + " WHERE rowid=?");
    Statement* restore = Prepare("INSERT OR REPLACE INTO " + Quoted(info.sqlName) + "(rowid," +
                                 info.columnList + ") SELECT _jrow," + info.columnList + " FROM " +
                                 Quoted(info.journal) + " WHERE _jseq=?");
    Statement* done = Prepare("DELETE FROM " + Quoted(info.journal) + " WHERE _jseq>=?");
    if (!remove || !restore || !done) return ErrorCode();
    for (const Entry& e : list) {
        Statement* st = e.op == 1 ? remove : restore;
        st->Reset();
        st->Bind(1, e.op == 1 ? e.row : e.seq);
        rc = st->Step();
        st->Reset();
        if (rc != SQLITE_DONE) return Fail(rc);
    }
    ++info.generation;
    info.autoNext = 0;
    done->Bind(1, list.back().seq);
    rc = done->Step();
    done->Reset();
    return rc == SQLITE_DONE ? NoError : Fail(rc);
}

int Connection::RestoreJournal(TableInfo& info) {
    bool more = false;
    // Inside a unit or a batch the restore is part of it, whole.
    if (depth_ > 0 || outerOpen_) return RestoreEntries(info, -1, more);
    // Each step is a transaction of its own, also while batch mode would join them.
    const int streams = std::exchange(streams_, 0);
    std::int64_t step = kRestoreStep;
    int rc = NoError;
    do {
        rc = BeginUnit();
        if (rc != NoError) break;
        rc = RestoreEntries(info, step, more);
        if (int erc = EndUnit(rc == NoError); rc == NoError) rc = erc;
        // The log is copied back after every step so the next one reuses its room; a step
        // refused for lack of room is tried again smaller.
        if (more || rc != NoError) Tune("PRAGMA wal_checkpoint(PASSIVE)");
        if (rc != NoError && FileErrorCode() == SQLITE_FULL && step > 1) {
            step /= 4;
            more = true;
            rc = NoError;
        }
    } while (rc == NoError && more);
    streams_ = streams;
    if (rc == NoError) return NoError;
    const std::string why(FileErrorText().empty() ? ErrorText() : FileErrorText());
    return SetError(
        rc, FileErrorCode(),
        why + "; the unfinished changes to " + info.sqlName + " are undone " +
            (FileErrorCode() == SQLITE_FULL ? "once there is room" : "when it is next used"));
}

int Connection::EndLogout(bool commit) {
    if (!logout_) return SetError(NoLogoutActive);
    int rc = NoError;
    // A batch's writes of the tables go before the journal does; when they can't be committed
    // they are gone, and the caller must roll back what the journal holds.
    if (outerOpen_ && atomic_ == 0)
        if (int crc = CommitOuter(); crc != NoError && commit) return crc;
    if (depth_ == 0 && !outerOpen_) SetSynchronous(true);
    if (!commit) {
        for (TableInfo* info : enlistedInfo_)
            if ((rc = RestoreJournal(*info)) != NoError) break;
    } else if ((rc = BeginUnit()) == NoError) {
        for (TableInfo* info : enlistedInfo_) {
            if (rc != NoError) break;
            rc = Exec(("DELETE FROM " + Quoted(info->journal)).c_str());
        }
        int erc = EndUnit(rc == NoError);
        if (rc == NoError) rc = erc;
    }
    // A commit that failed leaves the transaction open: the caller may roll back. A rollback
    // that can't finish (no room, say) leaves the rest in the journals with no owner; whoever
    // reads or writes a table next, in this process or another, finishes it.
    if (rc != NoError && commit) return rc;
    if (rc != NoError)
        for (TableInfo* info : enlistedInfo_) info->checkedBegun = ~std::uint64_t{0};
    for (TableInfo* info : enlistedInfo_) {
        locks_.DropOwner(info->slot);
        ReleaseWrite(*info);
    }
    logout_ = false;
    enlisted_.clear();
    enlistedInfo_.clear();
    if (streams_ > 0) SetSynchronous(false);
    return rc;
}

}  // namespace zem::store
