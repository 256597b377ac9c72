#include "platform/store/data_file.h"

#include <system_error>

#include "platform/store/connection.h"
#include "platform/store/errors.h"
#include "platform/store/table.h"

namespace zem::store {
namespace {

constexpr const char* kInternalTables =
    "CREATE TABLE IF NOT EXISTS _store_tables(name TEXT PRIMARY KEY);";

bool TableExists(Connection& conn, const char* name) {
    Statement* st = conn.Prepare("SELECT count(*) FROM sqlite_master WHERE name=?");
    if (!st) return false;
    st->Bind(1, std::string_view(name));
    bool found = st->Step() == SQLITE_ROW && st->Int(0) > 0;
    st->Reset();
    return found;
}

std::uint64_t ThreadSerial() {
    static std::atomic<std::uint64_t> next{1};
    thread_local const std::uint64_t serial = next.fetch_add(1);
    return serial;
}

}  // namespace

DataFile::DataFile(std::filesystem::path path, std::string password)
    : path_(std::move(path)), password_(std::move(password)) {}

DataFile::~DataFile() {
    std::lock_guard lock(mutex_);
    connections_.clear();
}

std::shared_ptr<DataFile> DataFile::Open(const std::filesystem::path& path, std::string password,
                                         OpenStatus& status) {
    status = {};
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    if (exists && !std::filesystem::is_regular_file(path, ec)) {
        status.code = SetError(InvalidDataFile, 0, path.string() + " is not a file");
        status.text = "The data file " + path.string() + " is not a file.";
        return nullptr;
    }
    if (!exists) {
        // A new file: encrypted from its first page, in WAL mode so readers never wait.
        sqlite3* raw = nullptr;
        int rc = sqlite3_open_v2(path.c_str(), &raw,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                 nullptr);
        DbHandle db(raw);
        if (rc == SQLITE_OK) {
            sqlite3_key(raw, password.data(), static_cast<int>(password.size()));
            rc = sqlite3_exec(raw, "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK) rc = sqlite3_exec(raw, kInternalTables, nullptr, nullptr, nullptr);
        }
        if (rc != SQLITE_OK) {
            std::string why = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
            db.reset();
            std::filesystem::remove(path, ec);
            status.code = SetError(AccessDenied, rc, why);
            status.text = "The data file " + path.string() + " can't be created: " + why;
            return nullptr;
        }
        status.created = true;
    }

    std::shared_ptr<DataFile> file(new DataFile(path, std::move(password)));
    Connection* conn = file->ThreadConnection();
    int rc = conn ? file->Prepare(*conn, status.created) : ErrorCode();
    if (rc != NoError) {
        status.code = rc;
        status.text = "The data file " + path.string() + " can't be opened: " +
                      std::string(FileErrorText().empty() ? ErrorText() : FileErrorText()) + ".";
        return nullptr;
    }
    ClearError();
    return file;
}

int DataFile::Prepare(Connection& conn, bool created) {
    if (!created) {
        // Every page is read and its authentication checked before anything is written. The
        // check reads each page once: through a small page cache, so a large file's pages are
        // not each given memory of their own only to be dropped after.
        conn.Exec(kCheckCacheSize);
        Statement* check = conn.Prepare("PRAGMA quick_check");
        if (!check) return ErrorCode();
        int rc = check->Step();
        std::string verdict = rc == SQLITE_ROW ? std::string(check->Text(0)) : "";
        check->Reset();
        conn.Exec(kCacheSize);
        if (rc != SQLITE_ROW) return conn.Fail(rc);
        if (verdict != "ok")
            return SetError(InvalidDataFile, SQLITE_CORRUPT, "damaged: " + verdict);
        if (!TableExists(conn, "_store_tables"))
            return SetError(InvalidDataFile, 0, "it is not a data file of this program");
        Statement* mode = conn.Prepare("PRAGMA journal_mode");
        if (mode && mode->Step() == SQLITE_ROW && mode->Text(0) != "wal") {
            mode->Reset();
            if (int mrc = conn.Exec("PRAGMA journal_mode=WAL"); mrc != NoError) return mrc;
        }
        if (mode) mode->Reset();
    }
    return NoError;
}

Connection* DataFile::ThreadConnection() {
    const std::uint64_t id = ThreadSerial();
    {
        std::lock_guard lock(mutex_);
        auto it = connections_.find(id);
        if (it != connections_.end()) return it->second.get();
    }
    // Opening derives the key from the password, which is slow: not under the lock.
    auto conn = std::make_unique<Connection>(*this, path_.string(), password_);
    if (conn->OpenResult() != NoError) return nullptr;
    std::lock_guard lock(mutex_);
    return connections_.emplace(id, std::move(conn)).first->second.get();
}

void DataFile::ReleaseThreadConnection() {
    std::unique_ptr<Connection> conn;
    {
        std::lock_guard lock(mutex_);
        auto it = connections_.find(ThreadSerial());
        if (it == connections_.end()) return;
        conn = std::move(it->second);
        connections_.erase(it);
    }
    if (conn->InLogout()) conn->EndLogout(false);
}

int DataFile::SchemaVersion() {
    Connection* conn = ThreadConnection();
    if (!conn) return -1;
    Statement* st = conn->Prepare("PRAGMA user_version");
    if (!st) return -1;
    int version = st->Step() == SQLITE_ROW ? static_cast<int>(st->Int(0)) : -1;
    st->Reset();
    ClearError();
    return version;
}

int DataFile::SetSchemaVersion(int version) {
    Connection* conn = ThreadConnection();
    if (!conn) return ErrorCode();
    if (int rc = conn->BeginUnit(); rc != NoError) return rc;
    int rc = conn->Exec(("PRAGMA user_version=" + std::to_string(version)).c_str());
    if (int erc = conn->EndUnit(rc == NoError); rc == NoError) rc = erc;
    if (rc == NoError) ClearError();
    return rc;
}

int DataFile::Atomically(const std::function<bool()>& work) {
    Connection* conn = ThreadConnection();
    if (!conn) return ErrorCode();
    if (int rc = conn->BeginAtomic(); rc != NoError) return rc;
    bool ok = work();
    int rc = conn->EndAtomic(ok);
    if (rc == NoError && !ok) rc = SetError(FileSystemError, 0, "the work was rolled back");
    if (rc == NoError) ClearError();
    return rc;
}

int DataFile::Logout(double timeoutSeconds, std::span<Table* const> tables) {
    Connection* conn = ThreadConnection();
    if (!conn) return ErrorCode();
    std::vector<TableInfo*> infos;
    for (Table* table : tables) {
        if (!table->IsOpen()) return SetError(FileNotOpen, 0, std::string(table->Def().name));
        TableInfo* info = conn->Info(table->Def());
        if (!info) return ErrorCode();
        infos.push_back(info);
    }
    int rc = conn->Logout(timeoutSeconds, infos);
    if (rc == NoError) ClearError();
    return rc;
}

int DataFile::Commit() {
    Connection* conn = ThreadConnection();
    if (!conn) return ErrorCode();
    int rc = conn->EndLogout(true);
    if (rc == NoError) ClearError();
    return rc;
}

int DataFile::Rollback() {
    Connection* conn = ThreadConnection();
    if (!conn) return ErrorCode();
    int rc = conn->EndLogout(false);
    if (rc == NoError) ClearError();
    return rc;
}

bool DataFile::InTransaction() {
    Connection* conn = ThreadConnection();
    return conn && conn->InLogout();
}

std::int64_t DataFile::HighestReserved(const std::string& sqlName) {
    std::lock_guard lock(reservedMutex_);
    auto it = reserved_.find(sqlName);
    return it == reserved_.end() || it->second.empty() ? 0 : *it->second.rbegin();
}

void DataFile::Reserve(const std::string& sqlName, std::int64_t number) {
    std::lock_guard lock(reservedMutex_);
    reserved_[sqlName].insert(number);
}

void DataFile::Unreserve(const std::string& sqlName, std::int64_t number) {
    std::lock_guard lock(reservedMutex_);
    auto it = reserved_.find(sqlName);
    if (it != reserved_.end()) it->second.erase(number);
}

}  // namespace zem::store
