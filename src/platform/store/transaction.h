#pragma once
// A transaction over tables of this thread that rolls back unless it is committed: a scope left
// early, on any path, takes back every change it journalled and releases the tables' locks.
#include <span>

namespace zem::store {

class DataFile;
class Table;

class Transaction {
  public:
    Transaction() = default;
    ~Transaction() { Rollback(); }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Takes the write locks of the tables within timeoutSeconds. Result: store Error.
    [[nodiscard]] int Begin(DataFile& file, double timeoutSeconds, std::span<Table* const> tables);
    // Makes the changes lasting. One that fails leaves the transaction open for the rollback.
    [[nodiscard]] int Commit();
    // Takes the changes back; nothing when none is open.
    void Rollback();
    bool IsOpen() const { return file_ != nullptr; }

  private:
    DataFile* file_ = nullptr;
};

}  // namespace zem::store
