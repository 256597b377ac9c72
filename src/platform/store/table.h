#pragma once
// One view of a table through one record buffer, on the thread that created it: fetch by key,
// walk a key or the file in either direction, add, change, delete. Every call sets the thread's
// store error (errors.h) and returns it; no exception leaves this interface.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/store/schema.h"

namespace zem::store {

class DataFile;
struct Cursor;
class Connection;
struct TableInfo;

// A record's place in its table: stable for the row's life, increasing with insertion order.
using Position = std::int64_t;

class Table {
  public:
    // buffer must hold def.recordSize bytes and outlive the Table.
    Table(DataFile& file, const TableDef& def, void* buffer);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const TableDef& Def() const { return def_; }
    DataFile& File() { return file_; }
    std::span<std::byte> Buffer() { return {static_cast<std::byte*>(buffer_), def_.recordSize}; }

    // Opens the table, creating it (with its keys) when it is missing. Opening an open table
    // is harmless.
    [[nodiscard]] int Open();
    void Close();
    bool IsOpen() const { return open_; }

    // Clears the record buffer: 0 blanks texts and zeroes numbers; -1 sets every field to its
    // lowest value, 1 to its highest (for positioning on partial keys).
    void ClearBuffer(int how = 0);
    void ClearField(std::size_t field, int how = 0);

    // Reads the first row whose key components equal those in the buffer. A miss leaves the
    // buffer cleared and reports RecordNotFound.
    [[nodiscard]] int Fetch(std::size_t key);
    // Re-reads the row at a position.
    [[nodiscard]] int Reget(Position position);
    // Position of the current record (the one last read or added), 0 when there is none.
    Position CurrentPosition() const { return current_; }

    // Sequential access. Set positions before the first row of the key (Next) or after its last
    // (Previous). SetAt positions at the buffer's key values: Next reads the first row at or
    // after them, Previous the last row at or before them. SetAfter positions strictly after
    // the row (buffer key values, position), whether or not that row still exists. Their
    // results need not be tested: after a failed one, the next Next or Previous fails as well.
    int Set(std::size_t key);
    int SetAt(std::size_t key);
    int SetAfter(std::size_t key, Position position);
    // File order (by position).
    int SetFile();
    int SetFileAt(Position position);
    [[nodiscard]] int Next();
    [[nodiscard]] int Previous();

    // Add: a new row from the buffer; an auto-numbered key of 0 gets the next number.
    [[nodiscard]] int Add();
    [[nodiscard]] int Put();     // the current record := the buffer
    [[nodiscard]] int Delete();  // the current record
    [[nodiscard]] int Empty();   // every row
    std::int64_t Records();

    // Auto-numbering: reserve the next number of the table's auto-numbered key and put it in
    // the buffer; the reservation holds until Add uses it or CancelReservation releases it.
    // Releasing always succeeds, so its result need not be tested.
    [[nodiscard]] int ReserveAutoNumber();
    int CancelReservation();
    std::int64_t ReservedNumber() const { return reserved_; }

    // Table write lock, shared with other threads and processes. Writes of others wait for it.
    // Unlock fails only on a closed table, which holds no lock, so its result need not be tested.
    [[nodiscard]] int Lock(double timeoutSeconds);
    int Unlock();
    bool Locked() const { return lockedByCaller_; }

    // Batch mode: writes are grouped into few commits until Flush.
    [[nodiscard]] int Stream();
    [[nodiscard]] int Flush();

    // Driver options: "Recover=N" bounds the retry on a busy file, and the wait of a write for
    // another's lock, to N seconds.
    [[nodiscard]] int Send(std::string_view option);
    void SetWriteWait(double seconds) { writeWait_ = seconds; }

  private:
    friend class View;
    friend class Connection;
    TableInfo* Ready();  // the open table's info on this connection, or nullptr
    int Walk(bool forward);
    int Fill(Cursor& cursor);
    int Anchor(std::size_t key, store::Position position, bool after);
    // Runs one write: table lock, unit, the change, journal. change answers a store Error.
    // takesItselfBack: a journalled change undoes its own first statement when its second
    // fails, so its unit needs no savepoint.
    template <typename Change>
    int Write(bool takesItselfBack, Change&& change);
    static constexpr bool kTakesItselfBack = true;
    std::int64_t NextAutoNumber(TableInfo& info, const FieldDef& field);
    int AutoField() const;  // field of the auto-numbered key, -1 when none

    Connection* conn_ = nullptr;
    TableInfo* info_ = nullptr;  // owned by the connection, which outlives the open table

    DataFile& file_;
    const TableDef& def_;
    void* buffer_;
    bool open_ = false;
    bool lockedByCaller_ = false;
    bool streaming_ = false;
    Position current_ = 0;
    std::int64_t reserved_ = 0;
    double writeWait_ = 10.0;
    std::unique_ptr<Cursor> cursor_;
};

}  // namespace zem::store
