#pragma once
// Owning handles for the database connection and its statements.
// sqlite3_key() is declared only for builds with the codec.
#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlcipher/sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zem::store {

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;

// A prepared statement; Reset() before reuse is done by the users of the cache.
class Statement {
  public:
    Statement() = default;
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept : stmt_(other.stmt_), rc_(other.rc_) {
        other.stmt_ = nullptr;
    }
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;

    bool Ok() const { return stmt_ != nullptr; }
    int PrepareResult() const { return rc_; }
    sqlite3_stmt* get() const { return stmt_; }

    void Reset() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    int Step() { return sqlite3_step(stmt_); }
    void Bind(int i, std::int64_t v) { sqlite3_bind_int64(stmt_, i, v); }
    void Bind(int i, double v) { sqlite3_bind_double(stmt_, i, v); }
    void Bind(int i, std::string_view v) {
        sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    void BindStatic(int i, std::string_view v) {
        sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
    }
    std::int64_t Int(int col) const { return sqlite3_column_int64(stmt_, col); }
    double Real(int col) const { return sqlite3_column_double(stmt_, col); }
    std::string_view Text(int col) const {
        auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
        return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col)))
                 : std::string_view();
    }

  private:
    sqlite3_stmt* stmt_ = nullptr;
    int rc_ = SQLITE_OK;
};

// Quotes an identifier for SQL text.
std::string Quoted(std::string_view name);

}  // namespace zem::store
