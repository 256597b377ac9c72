#pragma once
// Another thread, with a connection of its own to the data file, holding a table's write lock
// until Release or the end of the scope: the way a second user keeps a table busy.
#include <cstddef>
#include <future>
#include <thread>
#include <vector>

#include "data/data_file_setup.h"
#include "data/tables.h"
#include "platform/store/errors.h"
#include "platform/store/table.h"

namespace zem::test {

class TableLockHolder {
  public:
    explicit TableLockHolder(data::TableId id) {
        auto locked = locked_.get_future();
        thread_ = std::thread([this, id] {
            {
                std::vector<std::byte> buffer(data::Def(id).recordSize);
                store::Table table(*data::ZembrolaFile(), data::Def(id), buffer.data());
                locked_.set_value(table.Open() == store::NoError &&
                                  table.Lock(0) == store::NoError);
                release_.get_future().wait();
            }
            // The table closes first: the connection goes only once nothing uses it.
            data::ZembrolaFile()->ReleaseThreadConnection();
        });
        ok_ = locked.get();
    }
    ~TableLockHolder() { Release(); }
    TableLockHolder(const TableLockHolder&) = delete;
    TableLockHolder& operator=(const TableLockHolder&) = delete;

    // Whether the lock was taken; a test that needs it asserts this first.
    bool Ok() const { return ok_; }
    // Lets go of the lock and waits for the thread; later calls do nothing.
    void Release() {
        if (!thread_.joinable()) return;
        release_.set_value();
        thread_.join();
    }

  private:
    std::promise<bool> locked_;
    std::promise<void> release_;
    std::thread thread_;
    bool ok_ = false;
};

}  // namespace zem::test
