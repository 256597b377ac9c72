#pragma once
// Makes the data file refuse one kind of write to a table, as a full disk or a damaged page
// would: a trigger in the file aborts the statement while a condition holds. Installed through
// this thread's connection; every connection sees it at once. Removed at the end of the scope.
#include <string>
#include <string_view>

#include "data/data_file_setup.h"
#include "platform/store/connection.h"
#include "platform/store/errors.h"

namespace zem::test {

class FailingWrite {
  public:
    // operation: "INSERT", "UPDATE" or "DELETE"; when: an SQL condition over the file's tables.
    FailingWrite(std::string_view table, std::string_view operation, std::string_view when = "1")
        : name_("zem_failing_" + std::string(operation) + "_" + std::string(table)) {
        const std::string sql = "CREATE TRIGGER \"" + name_ + "\" BEFORE " +
                                std::string(operation) + " ON \"" + std::string(table) +
                                "\" WHEN " + std::string(when) +
                                " BEGIN SELECT RAISE(ABORT, 'the disk refused the write'); END";
        store::Connection* conn = data::ZembrolaFile()->ThreadConnection();
        ok_ = conn && conn->Exec(sql.c_str()) == store::NoError;
    }
    ~FailingWrite() { Remove(); }
    FailingWrite(const FailingWrite&) = delete;
    FailingWrite& operator=(const FailingWrite&) = delete;

    bool Ok() const { return ok_; }
    void Remove() {
        if (!ok_) return;
        ok_ = false;
        if (store::Connection* conn = data::ZembrolaFile()->ThreadConnection())
            conn->Exec(("DROP TRIGGER IF EXISTS \"" + name_ + "\"").c_str());
    }

  private:
    std::string name_;
    bool ok_ = false;
};

}  // namespace zem::test
