#include "platform/store/table.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

#include "platform/store/connection.h"
#include "platform/store/data_file.h"
#include "platform/store/errors.h"
#include "platform/store/fold.h"
#include "platform/store/record_codec.h"

namespace zem::store {

// A keyset cursor: it remembers where it is by the last row's key values and position, and
// reads ahead a batch of rows at a time. Nothing stays open in the database between calls, so
// a walk holds up no other connection, and a write through this connection makes it read again
// from where it stands.
struct Cursor {
    enum class Anchor { Start, At, After };
    int key = -1;  // -1: file order
    bool forward = true;
    Anchor anchor = Anchor::Start;
    KeyTuple tuple;
    store::Position row = 0;
    std::vector<std::byte> arena;      // the read-ahead rows, compact
    std::vector<std::size_t> offsets;  // where each row starts in the arena
    std::vector<store::Position> rows;
    std::vector<std::byte> scratch;  // a row expanded to work out its key values
    std::size_t next = 0;
    bool exhausted = false;
    std::uint64_t generation = 0;
    std::size_t batch = 4;
    // The key values of the anchor row are worked out only when a read needs them, from the
    // row's image in the cache.
    bool tupleFromCache = false;
    std::size_t cachedIndex = 0;
};

namespace {

constexpr std::size_t kMaxBatch = 1024;

std::string KeyOrder(const std::vector<std::string>& columns, bool forward) {
    std::string order;
    for (const std::string& c : columns) order += Quoted(c) + (forward ? "," : " DESC,");
    return order + (forward ? "rowid" : "rowid DESC");
}

std::string RowValue(const std::vector<std::string>& columns) {
    std::string list;
    for (const std::string& c : columns) list += (list.empty() ? "" : ",") + Quoted(c);
    return "(" + list + ")";
}

std::string Params(std::size_t n) {
    std::string list;
    for (std::size_t i = 0; i < n; ++i) list += i ? ",?" : "?";
    return "(" + list + ")";
}

}  // namespace

Table::Table(DataFile& file, const TableDef& def, void* buffer)
    : file_(file), def_(def), buffer_(buffer) {}

Table::~Table() {
    if (reserved_ && open_) CancelReservation();
    Close();
}

TableInfo* Table::Ready() {
    if (!open_ || !info_) {
        SetError(FileNotOpen, 0, std::string(def_.name));
        return nullptr;
    }
    return info_;
}

int Table::Open() {
    if (open_) return SetError(NoError);
    conn_ = file_.ThreadConnection();
    if (!conn_) return ErrorCode();
    info_ = conn_->Info(def_);
    if (!info_) {
        int rc = ErrorCode() == FileLocked
                     ? SetError(AccessDenied, FileErrorCode(), FileErrorText())
                     : ErrorCode();
        conn_ = nullptr;
        return rc;
    }
    open_ = true;
    ClearError();
    return NoError;
}

void Table::Close() {
    if (!open_) return;
    // Not tested: closing can't report, so a caller that must know flushes before it closes.
    if (streaming_) (void)Flush();
    if (lockedByCaller_) Unlock();
    if (reserved_) CancelReservation();
    cursor_.reset();
    open_ = false;
    current_ = 0;
    conn_ = nullptr;
    info_ = nullptr;
}

void Table::ClearBuffer(int how) {
    for (const FieldDef& field : def_.fields) ClearFieldBytes(field, Buffer().data(), how);
}

void Table::ClearField(std::size_t field, int how) {
    if (field < def_.fields.size()) ClearFieldBytes(def_.fields[field], Buffer().data(), how);
}

// --- reading --------------------------------------------------------------------------------

int Table::Fetch(std::size_t key) {
    TableInfo* info = Ready();
    if (!info) return ErrorCode();
    if (key >= def_.keys.size()) return SetError(InvalidRecordDeclaration, 0, "no such key");
    if (int rc = conn_->BeforeRead(*info); rc != NoError) return rc;
    const auto columns = KeyColumns(def_, key);
    std::string where;
    for (const std::string& c : columns) where += (where.empty() ? "" : " AND ") + Quoted(c) + "=?";
    Statement* st = conn_->Prepare("SELECT " + info->selectList + " FROM " + Quoted(info->sqlName) +
                                   " WHERE " + where + " ORDER BY rowid LIMIT 1");
    if (!st) return ErrorCode();
    BindTuple(*st, 1, MakeTuple(def_, key, Buffer().data()));
    int rc = st->Step();
    if (rc == SQLITE_ROW) {
        current_ = st->Int(0);
        ReadRecord(*st, 1, def_, Buffer().data());
        st->Reset();
        ClearError();
        return NoError;
    }
    st->Reset();
    ClearBuffer();
    if (rc != SQLITE_DONE) return conn_->Fail(rc);
    return SetError(RecordNotFound);
}

int Table::Reget(store::Position position) {
    TableInfo* info = Ready();
    if (!info) return ErrorCode();
    if (int rc = conn_->BeforeRead(*info); rc != NoError) return rc;
    if (info->regetSql.empty())
        info->regetSql =
            "SELECT " + info->selectList + " FROM " + Quoted(info->sqlName) + " WHERE rowid=?";
    Statement* st = conn_->Prepare(info->regetSql);
    if (!st) return ErrorCode();
    st->Bind(1, static_cast<std::int64_t>(position));
    int rc = st->Step();
    if (rc == SQLITE_ROW) {
        current_ = position;
        ReadRecord(*st, 1, def_, Buffer().data());
        st->Reset();
        ClearError();
        return NoError;
    }
    st->Reset();
    if (rc != SQLITE_DONE) return conn_->Fail(rc);
    return SetError(RecordNotFound);
}

int Table::Set(std::size_t key) {
    if (!Ready()) return ErrorCode();
    cursor_.reset();  // no walk goes on after a failed Set
    if (key >= def_.keys.size()) return SetError(InvalidRecordDeclaration, 0, "no such key");
    cursor_ = std::make_unique<Cursor>();
    cursor_->key = static_cast<int>(key);
    ClearError();
    return NoError;
}

int Table::Anchor(std::size_t key, store::Position position, bool after) {
    if (!Ready()) return ErrorCode();
    cursor_.reset();
    if (key >= def_.keys.size()) return SetError(InvalidRecordDeclaration, 0, "no such key");
    cursor_ = std::make_unique<Cursor>();
    cursor_->key = static_cast<int>(key);
    cursor_->anchor = after ? Cursor::Anchor::After : Cursor::Anchor::At;
    cursor_->tuple = MakeTuple(def_, key, Buffer().data());
    cursor_->row = position;
    ClearError();
    return NoError;
}

int Table::SetAt(std::size_t key) {
    return Anchor(key, 0, false);
}
int Table::SetAfter(std::size_t key, store::Position position) {
    return Anchor(key, position, true);
}

int Table::SetFile() {
    if (!Ready()) return ErrorCode();
    cursor_ = std::make_unique<Cursor>();
    ClearError();
    return NoError;
}

int Table::SetFileAt(store::Position position) {
    if (!Ready()) return ErrorCode();
    cursor_ = std::make_unique<Cursor>();
    cursor_->anchor = Cursor::Anchor::At;
    cursor_->row = position;
    ClearError();
    return NoError;
}

int Table::Next() {
    return Walk(true);
}
int Table::Previous() {
    return Walk(false);
}

int Table::Walk(bool forward) {
    TableInfo* info = Ready();
    if (!info) return ErrorCode();
    if (!cursor_) return SetError(RecordNotAvailable, 0, "no sequence has been set");
    Cursor& c = *cursor_;
    // Rows the read-ahead holds were read as they stood; new ones come from a settled table.
    if (c.next >= c.rows.size() || c.forward != forward)
        if (int rc = conn_->BeforeRead(*info); rc != NoError) return rc;
    const bool stale = c.generation != info->generation;
    auto settleTuple = [&] {
        if (!c.tupleFromCache) return;
        c.scratch.resize(def_.recordSize);
        ExpandCompact(c.arena.data() + c.offsets[c.cachedIndex], def_, c.scratch.data());
        c.tuple = MakeTuple(def_, static_cast<std::size_t>(c.key), c.scratch.data());
        c.tupleFromCache = false;
    };
    if (c.forward != forward || stale || c.next >= c.rows.size()) settleTuple();
    if (c.forward != forward || stale) {
        // Turning round, or rows changed under the read-ahead: read again from where we stand.
        c.rows.clear();
        c.next = 0;
        c.exhausted = false;
        if (c.forward != forward) c.batch = 4;
        c.forward = forward;
    }
    if (c.next >= c.rows.size()) {
        if (c.exhausted) return SetError(RecordNotAvailable);
        if (int rc = Fill(c); rc != NoError) return rc;
        if (c.rows.empty()) {
            c.exhausted = true;
            return SetError(RecordNotAvailable);
        }
    }
    const std::size_t i = c.next++;
    ExpandCompact(c.arena.data() + c.offsets[i], def_, Buffer().data());
    current_ = c.rows[i];
    c.anchor = Cursor::Anchor::After;
    c.row = current_;
    c.cachedIndex = i;
    c.tupleFromCache = c.key >= 0;
    ClearError();
    return NoError;
}

int Table::Fill(Cursor& c) {
    TableInfo* info = Ready();
    const std::string head = "SELECT " + info->selectList + " FROM " + Quoted(info->sqlName);
    const std::size_t want = c.batch;
    c.batch = std::min(c.batch * 2, kMaxBatch);
    c.rows.clear();
    c.next = 0;
    c.arena.clear();
    c.offsets.clear();
    c.generation = info->generation;

    auto run = [&](const std::string& sql, auto&& bind) -> int {
        Statement* st = conn_->Prepare(sql);
        if (!st) return ErrorCode();
        int next = bind(*st);
        st->Bind(next, static_cast<std::int64_t>(want - c.rows.size()));
        int rc;
        while ((rc = st->Step()) == SQLITE_ROW) {
            c.rows.push_back(st->Int(0));
            c.offsets.push_back(c.arena.size());
            AppendCompact(*st, 1, def_, c.arena);
        }
        st->Reset();
        return rc == SQLITE_DONE ? NoError : conn_->Fail(rc);
    };
    const char* cmp = c.forward ? ">" : "<";
    if (c.key < 0) {
        if (c.anchor == Cursor::Anchor::Start)
            return run(
                head + (c.forward ? " ORDER BY rowid LIMIT ?" : " ORDER BY rowid DESC LIMIT ?"),
                [](Statement&) { return 1; });
        std::string op = std::string(cmp) + (c.anchor == Cursor::Anchor::At ? "=" : "");
        return run(head + " WHERE rowid" + op + "? ORDER BY rowid" + (c.forward ? "" : " DESC") +
                       " LIMIT ?",
                   [&](Statement& st) {
                       st.Bind(1, static_cast<std::int64_t>(c.row));
                       return 2;
                   });
    }
    const auto columns = KeyColumns(def_, static_cast<std::size_t>(c.key));
    const std::string order = " ORDER BY " + KeyOrder(columns, c.forward) + " LIMIT ?";
    if (c.anchor == Cursor::Anchor::Start) return run(head + order, [](Statement&) { return 1; });
    if (c.anchor == Cursor::Anchor::At)
        return run(
            head + " WHERE " + RowValue(columns) + cmp + "=" + Params(columns.size()) + order,
            [&](Statement& st) { return BindTuple(st, 1, c.tuple); });
    // Strictly after (tuple, row): first the rest of the rows with equal key values, then the
    // rows beyond them. Each part is one index range.
    std::string equal;
    for (const std::string& col : columns) equal += Quoted(col) + "=? AND ";
    int rc = run(head + " WHERE " + equal + "rowid" + cmp + "? ORDER BY rowid" +
                     (c.forward ? "" : " DESC") + " LIMIT ?",
                 [&](Statement& st) {
                     int n = BindTuple(st, 1, c.tuple);
                     st.Bind(n, static_cast<std::int64_t>(c.row));
                     return n + 1;
                 });
    if (rc != NoError || c.rows.size() >= want) return rc;
    return run(head + " WHERE " + RowValue(columns) + cmp + Params(columns.size()) + order,
               [&](Statement& st) { return BindTuple(st, 1, c.tuple); });
}

std::int64_t Table::Records() {
    TableInfo* info = Ready();
    if (!info || conn_->BeforeRead(*info) != NoError) return -1;
    Statement* st = conn_->Prepare("SELECT count(*) FROM " + Quoted(info->sqlName));
    if (!st) return -1;
    std::int64_t n = st->Step() == SQLITE_ROW ? st->Int(0) : -1;
    st->Reset();
    ClearError();
    return n;
}

// --- writing --------------------------------------------------------------------------------

// A journalled write is two statements, the change and its journal entry. Inside a transaction
// that is already open, a write that takes its first statement back itself when the second
// fails needs no savepoint for the pair: with an encrypted file a savepoint costs an encrypted
// copy of every page the write touches.
static int TakeBack(Connection& conn, const std::string& table, const char* column,
                    std::int64_t value, int failure) {
    // SQLite may have undone the whole transaction already (a full disk): nothing to take back.
    if (conn.TransactionGone()) return failure;
    Statement* st = conn.Prepare("DELETE FROM " + Quoted(table) + " WHERE " + column + "=?");
    if (!st) return ErrorCode();
    st->Bind(1, value);
    const int rc = st->Step();
    st->Reset();
    if (rc != SQLITE_DONE) return conn.Fail(rc);
    return failure;  // the thread's error still tells what failed
}

// The before-image of a row in the journal; entry gets the journal row's number, 0 when nothing
// was written (no transaction, or no such row).
static int JournalRow(Connection& conn, TableInfo& info, int op, store::Position row,
                      std::int64_t& entry) {
    entry = 0;
    if (!conn.Journalled(info)) return NoError;
    if (info.journalRowSql.empty())
        info.journalRowSql = "INSERT INTO " + Quoted(info.journal) + "(_jop,_jrow," +
                             info.columnList + ") SELECT ?,rowid," + info.columnList + " FROM " +
                             Quoted(info.sqlName) + " WHERE rowid=?";
    Statement* j = conn.Prepare(info.journalRowSql);
    if (!j) return ErrorCode();
    j->Bind(1, static_cast<std::int64_t>(op));
    j->Bind(2, static_cast<std::int64_t>(row));
    int rc = j->Step();
    j->Reset();
    if (rc != SQLITE_DONE) return conn.Fail(rc);
    if (sqlite3_changes(conn.Db()) > 0) entry = sqlite3_last_insert_rowid(conn.Db());
    return NoError;
}

// A change that failed after its journal entry takes the entry back.
static int AfterEntry(Connection& conn, TableInfo& info, std::int64_t entry, int failure) {
    return entry == 0 ? failure : TakeBack(conn, info.journal, "_jseq", entry, failure);
}

template <typename Change>
int Table::Write(bool takesItselfBack, Change&& change) {
    TableInfo* info = Ready();
    if (!info) return ErrorCode();
    if (int rc = conn_->AcquireWrite(*info, writeWait_); rc != NoError) return rc;
    int rc = conn_->BeginUnit(takesItselfBack || !conn_->Journalled(*info));
    if (rc == NoError) {
        rc = change(*info);
        int erc = conn_->EndUnit(rc == NoError);
        if (rc == NoError) rc = erc;
        ++info->generation;
    }
    conn_->ReleaseWrite(*info);
    if (rc == NoError) ClearError();
    return rc;
}

int Table::AutoField() const {
    for (const KeyDef& key : def_.keys)
        if (key.autoNumber && key.fields.size() == 1) return key.fields[0];
    return -1;
}

std::int64_t Table::NextAutoNumber(TableInfo& info, const FieldDef& field) {
    if (info.autoNext > 0) return info.autoNext;
    Statement* st =
        conn_->Prepare("SELECT max(" + Quoted(field.name) + ") FROM " + Quoted(info.sqlName));
    if (!st) return 0;
    std::int64_t highest = st->Step() == SQLITE_ROW ? st->Int(0) : 0;
    st->Reset();
    return std::max(highest, file_.HighestReserved(info.sqlName)) + 1;
}

int Table::Add() {
    const int autoField = AutoField();
    std::byte* record = Buffer().data();
    return Write(kTakesItselfBack, [&](TableInfo& info) -> int {
        std::int64_t assigned = 0;
        if (autoField >= 0) {
            const FieldDef& field = def_.fields[static_cast<std::size_t>(autoField)];
            if (IntegerOf(field, record + field.offset) == 0) {
                assigned = NextAutoNumber(info, field);
                StoreInteger(field, record + field.offset, assigned);
            }
        }
        if (info.insertSql.empty())
            info.insertSql = "INSERT INTO " + Quoted(info.sqlName) + "(" + info.columnList +
                             ") VALUES" + Params(info.columns.size());
        Statement* st = conn_->Prepare(info.insertSql);
        if (!st) return ErrorCode();
        BindRecord(*st, 1, def_, info.foldedOf, record);
        int rc = st->Step();
        st->Reset();
        auto undo = [&](int code) -> int {
            if (assigned) {
                const FieldDef& field = def_.fields[static_cast<std::size_t>(autoField)];
                StoreInteger(field, record + field.offset, 0);
            }
            return code;
        };
        if (rc != SQLITE_DONE) return undo(conn_->Fail(rc));
        const store::Position row = sqlite3_last_insert_rowid(conn_->Db());
        if (conn_->Journalled(info)) {
            if (info.journalAddSql.empty())
                info.journalAddSql =
                    "INSERT INTO " + Quoted(info.journal) + "(_jop,_jrow) VALUES(1,?)";
            Statement* j = conn_->Prepare(info.journalAddSql);
            if (!j) return undo(TakeBack(*conn_, info.sqlName, "rowid", row, ErrorCode()));
            j->Bind(1, static_cast<std::int64_t>(row));
            rc = j->Step();
            j->Reset();
            if (rc != SQLITE_DONE)
                return undo(TakeBack(*conn_, info.sqlName, "rowid", row, conn_->Fail(rc)));
        }
        current_ = row;
        if (autoField >= 0) {
            const FieldDef& field = def_.fields[static_cast<std::size_t>(autoField)];
            const std::int64_t number = IntegerOf(field, record + field.offset);
            if (reserved_ && number == reserved_) {
                file_.Unreserve(info.sqlName, reserved_);
                reserved_ = 0;
            }
            // Valid while this connection keeps the lock; releasing it forgets the number.
            info.autoNext = std::max(info.autoNext, number + 1);
        }
        return NoError;
    });
}

int Table::Put() {
    if (!Ready()) return ErrorCode();
    if (current_ == 0) return SetError(RecordNotAvailable, 0, "no current record");
    return Write(kTakesItselfBack, [&](TableInfo& info) -> int {
        std::int64_t entry = 0;
        if (int rc = JournalRow(*conn_, info, 2, current_, entry); rc != NoError) return rc;
        if (info.updateSql.empty()) {
            std::string set;
            for (const std::string& c : info.columns)
                set += (set.empty() ? "" : ",") + Quoted(c) + "=?";
            info.updateSql = "UPDATE " + Quoted(info.sqlName) + " SET " + set + " WHERE rowid=?";
        }
        Statement* st = conn_->Prepare(info.updateSql);
        if (!st) return AfterEntry(*conn_, info, entry, ErrorCode());
        BindRecord(*st, 1, def_, info.foldedOf, Buffer().data());
        st->Bind(static_cast<int>(info.columns.size()) + 1, static_cast<std::int64_t>(current_));
        int rc = st->Step();
        st->Reset();
        if (rc != SQLITE_DONE) return AfterEntry(*conn_, info, entry, conn_->Fail(rc));
        if (sqlite3_changes(conn_->Db()) == 0)
            return SetError(RecordNotAvailable, 0, "the record no longer exists");
        return NoError;
    });
}

int Table::Delete() {
    TableInfo* ready = Ready();
    if (!ready) return ErrorCode();
    if (current_ == 0) return SetError(RecordNotAvailable, 0, "no current record");
    // Deleting the row a walk stands on leaves the rows it read ahead as they were, so a walk
    // that deletes as it goes keeps them instead of reading again after every row.
    const bool walkStandsOnIt = cursor_ && cursor_->generation == ready->generation &&
                                cursor_->anchor == Cursor::Anchor::After &&
                                cursor_->row == current_;
    int result = Write(kTakesItselfBack, [&](TableInfo& info) -> int {
        std::int64_t entry = 0;
        if (int rc = JournalRow(*conn_, info, 3, current_, entry); rc != NoError) return rc;
        if (info.deleteSql.empty())
            info.deleteSql = "DELETE FROM " + Quoted(info.sqlName) + " WHERE rowid=?";
        Statement* st = conn_->Prepare(info.deleteSql);
        if (!st) return AfterEntry(*conn_, info, entry, ErrorCode());
        st->Bind(1, static_cast<std::int64_t>(current_));
        int rc = st->Step();
        st->Reset();
        if (rc != SQLITE_DONE) return AfterEntry(*conn_, info, entry, conn_->Fail(rc));
        if (sqlite3_changes(conn_->Db()) == 0)
            return SetError(RecordNotAvailable, 0, "the record no longer exists");
        return NoError;
    });
    if (result == NoError) {
        if (walkStandsOnIt) cursor_->generation = ready->generation;
        current_ = 0;
    }
    return result;
}

int Table::Empty() {
    int result = Write(false, [&](TableInfo& info) -> int {
        if (conn_->Journalled(info)) {
            std::string sql = "INSERT INTO " + Quoted(info.journal) + "(_jop,_jrow," +
                              info.columnList + ") SELECT 3,rowid," + info.columnList + " FROM " +
                              Quoted(info.sqlName);
            if (int rc = conn_->Exec(sql.c_str()); rc != NoError) return rc;
        }
        return conn_->Exec(("DELETE FROM " + Quoted(info.sqlName)).c_str());
    });
    if (result == NoError) current_ = 0;
    return result;
}

int Table::ReserveAutoNumber() {
    const int autoField = AutoField();
    if (autoField < 0)
        return SetError(InvalidRecordDeclaration, 0, "the table has no auto-numbered key");
    TableInfo* info = Ready();
    if (!info) return ErrorCode();
    if (reserved_) CancelReservation();
    if (int rc = conn_->AcquireWrite(*info, writeWait_); rc != NoError) return rc;
    const FieldDef& field = def_.fields[static_cast<std::size_t>(autoField)];
    const std::int64_t number = NextAutoNumber(*info, field);
    int rc = NoError;
    if (number <= 0) {
        rc = ErrorCode() ? ErrorCode() : SetError(FileSystemError);
    } else {
        file_.Reserve(info->sqlName, number);
        reserved_ = number;
        StoreInteger(field, Buffer().data() + field.offset, number);
        info->autoNext = number + 1;
    }
    conn_->ReleaseWrite(*info);
    if (rc == NoError) ClearError();
    return rc;
}

int Table::CancelReservation() {
    if (reserved_) file_.Unreserve(std::string(def_.sqlName), reserved_);
    reserved_ = 0;
    ClearError();
    return NoError;
}

// --- locks, batches, options ----------------------------------------------------------------

int Table::Lock(double timeoutSeconds) {
    TableInfo* info = Ready();
    if (!info) return ErrorCode();
    if (lockedByCaller_) return SetError(NoError);
    if (int rc = conn_->AcquireWrite(*info, timeoutSeconds); rc != NoError) return rc;
    lockedByCaller_ = true;
    ClearError();
    return NoError;
}

int Table::Unlock() {
    TableInfo* info = Ready();
    if (!info) return ErrorCode();
    if (lockedByCaller_) conn_->ReleaseWrite(*info);
    lockedByCaller_ = false;
    ClearError();
    return NoError;
}

int Table::Stream() {
    if (!Ready()) return ErrorCode();
    if (!streaming_) conn_->StreamOn();
    streaming_ = true;
    ClearError();
    return NoError;
}

int Table::Flush() {
    if (!Ready()) return ErrorCode();
    int rc = NoError;
    if (streaming_) rc = conn_->StreamOff();
    streaming_ = false;
    if (rc == NoError) ClearError();
    return rc;
}

int Table::Send(std::string_view option) {
    constexpr std::string_view recover = "Recover=";
    if (option.size() > recover.size() &&
        FoldKeyText(option.substr(0, recover.size())) == FoldKeyText(recover)) {
        double seconds = 0;
        std::string_view value = option.substr(recover.size());
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
        if (ec == std::errc() && seconds >= 0) {
            writeWait_ = seconds;
            if (conn_) conn_->SetBusyWait(static_cast<int>(std::max(10.0, seconds) * 1000));
            ClearError();
            return NoError;
        }
    }
    return SetError(InvalidFilter, 0, "unknown driver option");
}

}  // namespace zem::store
