#include "platform/store/transaction.h"

#include "platform/store/data_file.h"
#include "platform/store/errors.h"

namespace zem::store {

int Transaction::Begin(DataFile& file, double timeoutSeconds, std::span<Table* const> tables) {
    const int rc = file.Logout(timeoutSeconds, tables);
    if (rc == NoError) file_ = &file;
    return rc;
}

int Transaction::Commit() {
    if (!file_) return SetError(NoLogoutActive);
    const int rc = file_->Commit();
    if (rc == NoError) file_ = nullptr;
    return rc;
}

void Transaction::Rollback() {
    if (!file_) return;
    // A rollback that fails leaves the journal in the file: the thread's end takes it back
    // again, and failing that the next open of the file does, so there is nothing to report.
    (void)file_->Rollback();
    file_ = nullptr;
}

}  // namespace zem::store
