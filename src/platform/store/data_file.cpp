#include "platform/store/data_file.h"

#include <algorithm>
#include <cerrno>
#include <set>
#include <system_error>
#include <vector>

#include "platform/store/connection.h"
#include "platform/store/errors.h"
#include "platform/store/file_system.h"
#include "platform/store/table.h"

namespace zem::store {
namespace {

constexpr const char* kInternalTables =
    "CREATE TABLE IF NOT EXISTS _store_tables(name TEXT PRIMARY KEY);";

// The integrity check lists at most this many problems.
constexpr std::size_t kMostProblems = 1000;

std::string Why() {
    return std::string(FileErrorText().empty() ? ErrorText() : FileErrorText());
}

// A new, empty file: encrypted from its first page, in WAL mode so readers never wait.
int CreateEmpty(const std::filesystem::path& path, const std::string& password, std::string& why) {
    sqlite3* raw = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    DbHandle db(raw);
    if (rc == SQLITE_OK) {
        sqlite3_key(raw, password.data(), static_cast<int>(password.size()));
        rc = sqlite3_exec(raw, "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) rc = sqlite3_exec(raw, kInternalTables, nullptr, nullptr, nullptr);
    }
    if (rc == SQLITE_OK) return NoError;
    why = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
    return SetError(AccessDenied, rc, why);
}

// The check's answer holds one problem a line ("Page 7: ..."), under a line naming the
// database, or just "ok".
void CollectProblems(std::string_view answer, std::vector<std::string>& problems) {
    while (!answer.empty()) {
        const std::size_t end = std::min(answer.find('\n'), answer.size());
        const std::string_view line = answer.substr(0, end);
        answer.remove_prefix(std::min(end + 1, answer.size()));
        if (!line.empty() && line != "ok" && !line.starts_with("***")) problems.emplace_back(line);
    }
}

// What the user is told about a damaged file: how much is wrong, not every page.
std::string DamageSummary(const std::vector<std::string>& problems) {
    std::set<std::string> pages;
    for (const std::string& line : problems) {
        for (std::string_view word : {"Page ", "page "}) {
            const std::size_t at = line.find(word);
            if (at == std::string::npos) continue;
            const std::size_t digits = at + word.size();
            const std::size_t stop = line.find_first_not_of("0123456789", digits);
            if (stop != digits) pages.insert(line.substr(digits, stop - digits));
            break;
        }
    }
    // The check stops counting at its limit: the counts are then lower bounds.
    const bool more = problems.size() >= kMostProblems;
    std::string text = "it is damaged (" + std::to_string(problems.size()) +
                       (more                   ? " problems or more"
                        : problems.size() == 1 ? " problem"
                                               : " problems");
    if (!pages.empty())
        text += " in " + std::to_string(pages.size()) + (pages.size() == 1 ? " page" : " pages") +
                (more ? " or more" : "");
    return text + ")";
}

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
                                         OpenStatus& status, const SetUp& setUp) {
    status = {};
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    if (exists && !std::filesystem::is_regular_file(path, ec)) {
        status.code = SetError(InvalidDataFile, 0, path.string() + " is not a file");
        status.text = "The data file " + path.string() + " is not a file.";
        return nullptr;
    }
    if (!exists && !Create(path, password, setUp, status)) return nullptr;
    // A start killed right after moving its new file into place left the building name's
    // companions; nobody builds once the file is there.
    if (exists && AnyWithCompanions(BuildingName(path))) {
        TableLocks creation(path.string() + "-lock");
        if (creation.HoldCreation()) RemoveWithCompanions(BuildingName(path));
    }
    // Opened for reading only, the database would still make its log and shared-memory files
    // beside it, with the file's own mode, and a later start could not write them.
    if (std::string why; !CanWrite(path, why)) {
        status.code = SetError(AccessDenied, 0, why);
        status.text = "The data file " + path.string() + " can't be used: " + why + ".";
        return nullptr;
    }

    std::shared_ptr<DataFile> file(new DataFile(path, std::move(password)));
    Connection* conn = file->ThreadConnection();
    int rc = conn ? file->Prepare(*conn, status.created, status.detail) : ErrorCode();
    if (rc != NoError) {
        status.code = rc;
        status.text = "The data file " + path.string() + " can't be opened: " + Why() + ".";
        return nullptr;
    }
    ClearError();
    return file;
}

bool DataFile::Create(const std::filesystem::path& path, const std::string& password,
                      const SetUp& setUp, OpenStatus& status) {
    auto refuse = [&](int code, const std::string& why) {
        status.code = SetError(code, 0, why);
        status.text = "The data file " + path.string() + " can't be created: " + why + ".";
        return false;
    };
    // One process at a time creates the file; the others find it made when their turn comes.
    TableLocks creation(path.string() + "-lock");
    if (!creation.Ok())
        return refuse(AccessDenied, std::error_code(errno, std::generic_category()).message());
    creation.HoldCreation();
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return true;

    const std::filesystem::path building = BuildingName(path);
    RemoveWithCompanions(building);  // what a start killed while creating the file left
    std::string why;
    int rc = CreateEmpty(building, password, why);
    if (rc == NoError && setUp) {
        std::shared_ptr<DataFile> file(new DataFile(building, password));
        Connection* conn = file->ThreadConnection();
        rc = conn ? setUp(*file) : ErrorCode();
        if (rc != NoError) why = Why();
        if (rc == NoError && (rc = conn->Checkpoint()) != NoError) why = Why();
        // The last connection closing takes the log into the file and removes it.
        file->ReleaseThreadConnection();
    }
    bool taken = false;
    if (rc == NoError && !MoveIntoPlace(building, path, taken, why)) rc = FileSystemError;
    RemoveWithCompanions(building);
    if (rc != NoError) return refuse(rc, why);
    status.created = !taken;
    return true;
}

int DataFile::Prepare(Connection& conn, bool created, std::string& detail) {
    if (!created) {
        // Every page is read and its authentication checked before anything is written. The
        // check reads each page once: through a small page cache, so a large file's pages are
        // not each given memory of their own only to be dropped after.
        conn.Exec(kCheckCacheSize);
        Statement* check =
            conn.Prepare("PRAGMA quick_check(" + std::to_string(kMostProblems) + ")");
        if (!check) return ErrorCode();
        std::vector<std::string> problems;
        int rc;
        while ((rc = check->Step()) == SQLITE_ROW) CollectProblems(check->Text(0), problems);
        check->Reset();
        conn.Exec(kCacheSize);
        if (rc != SQLITE_DONE) return conn.Fail(rc);
        if (!problems.empty()) {
            for (const std::string& line : problems) detail += line + "\n";
            return SetError(InvalidDataFile, SQLITE_CORRUPT, DamageSummary(problems));
        }
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

int DataFile::Checkpoint() {
    Connection* conn = ThreadConnection();
    if (!conn) return ErrorCode();
    int rc = conn->Checkpoint();
    if (rc == NoError) ClearError();
    return rc;
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
