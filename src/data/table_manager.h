#pragma once
// One thread's manager of one table or alias: opens it (counted), sets its keys up at first use,
// fetches, walks, primes, inserts and updates through the thread's record buffer, and reports
// failures through the global error manager. Results are error-manager levels: Benign when the
// call did what was asked, Notify for a miss, a duplicate or an invalid field, Fatal otherwise.
#include <cstddef>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "platform/store/data_file.h"
#include "platform/store/schema.h"
#include "platform/store/table.h"
#include "platform/ui/errors/error_manager.h"

namespace zem::data {

class TableManager {
  public:
    // buffer holds def.recordSize bytes and outlives the manager.
    TableManager(store::DataFile& file, const store::TableDef& def, void* buffer);
    virtual ~TableManager();
    TableManager(const TableManager&) = delete;
    TableManager& operator=(const TableManager&) = delete;

    // Binds an alias to its real table's manager of the same thread; nullptr for a real table.
    // Keys are not set up here: that waits for the first use.
    void Init(TableManager* aliasedFile);

    std::string_view Label() const { return def_.name; }  // FILENAMEVALUE
    const store::TableDef& Def() const { return def_; }
    TableManager* AliasedFile() const { return aliasedFile_; }
    std::span<std::byte> Buffer() { return {static_cast<std::byte*>(buffer_), def_.recordSize}; }
    bool KeysSetUp() const { return table_ != nullptr; }

    static constexpr bool kCreate = true;    // a missing table is created at open
    static constexpr int kLockRecover = 10;  // seconds given to the driver after AccessDenied

    // Counted: the table is opened by the first Open and closed by the matching last Close.
    // Open reports its failure, after which every call on the table fails and the matching
    // Close finds nothing counted, so its result need not be tested.
    ui::Level Open();
    // Open without reporting a failure: for callers that answer a default when the table can't
    // be used.
    [[nodiscard]] ui::Level TryOpen();
    ui::Level Close();  // always Benign, so its result need not be tested
    int OpenCount() const { return opened_; }

    // Sets the keys up and makes sure the table is open (a table opened only through use stays
    // open until the manager goes). Its result need not be tested, as Open's.
    ui::Level UseFile();

    // Reads the row whose key components equal the buffer's. Fetch reports a miss.
    [[nodiscard]] ui::Level Fetch(std::size_t key);
    [[nodiscard]] ui::Level TryFetch(std::size_t key);

    // Sequential reads after File().Set...; Notify at the end of the walk, which is never
    // reported. The non-Try forms report read failures.
    [[nodiscard]] ui::Level Next();
    [[nodiscard]] ui::Level TryNext();
    [[nodiscard]] ui::Level Previous();

    // Clears the buffer, applies the table's defaults and, for an auto-numbered table, reserves
    // the next number into the buffer. The number stays reserved until Insert or CancelAutoInc.
    [[nodiscard]] ui::Level PrimeRecord();
    ui::Level CancelAutoInc();  // always Benign: giving a number back can't fail

    [[nodiscard]] ui::Level Insert();
    [[nodiscard]] ui::Level Update();  // the current record := the buffer
    // As Insert and Update, without telling the user: Notify for a duplicate key, Fatal for
    // any other failure.
    [[nodiscard]] ui::Level TryInsert();
    [[nodiscard]] ui::Level TryUpdate();
    // Commits what the table's batch wrote, durably; a commit that fails (a full disk) is
    // reported as a change that was not made. Nothing to do outside a batch.
    ui::Level Flush();

    // Checks one field of the buffer (numbered from 1 in record order). Benign when valid;
    // Notify when not, with the message shown when report is set. The buffer is never changed.
    virtual ui::Level ValidateField(int fieldNo, bool report);

    // The store table, keys set up, for Set, SetAt, Lock, Stream, Flush, Empty, positions.
    // Open it first (Open or UseFile).
    store::Table& File();

  protected:
    // Defaults of a new record, applied to the cleared buffer before auto-numbering.
    virtual void PrimeDefaults() {}

  private:
    // Creates the store table over the buffer with the table's keys; runs once, at first use,
    // so a thread that never touches the table never builds its keys.
    void SetUpKeys();
    enum class Report : bool { No, Yes };
    ui::Level OpenTable(Report report);
    ui::Level Read(int rc, Report report);
    ui::Level Write(bool add, Report report);
    // The description of the unique key that the buffer duplicates; empty when none is found.
    std::string_view DuplicatedKey(bool excludeCurrent);
    ui::Level ReportStoreError(int messageId);

    store::DataFile& file_;
    const store::TableDef& def_;
    void* buffer_;
    TableManager* aliasedFile_ = nullptr;
    std::unique_ptr<store::Table> table_;
    int opened_ = 0;
    // A second view of the table, made when a duplicate must be named; it never disturbs the
    // main view's current record.
    std::vector<std::byte> probeBuffer_;
    std::unique_ptr<store::Table> probe_;
};

}  // namespace zem::data
