#include "platform/ui/errors/builtin_errors.h"

#include <array>

namespace zem::ui {
namespace {

constexpr std::array kBuiltinErrors{
    ErrorEntry{msg::OpenFailed, Notify, "File Open Error",
               "An error (%ErrorText) was experienced when opening the %File file."},
    ErrorEntry{msg::AddFailed, Notify, "Record Was Not Added",
               "An error (%ErrorText) was experienced when adding a record to the %File file."},
    ErrorEntry{msg::DuplicateKey, Notify, "Duplicate Key Error",
               "Adding this record creates a duplicate entry for the key: %Message"},
    ErrorEntry{msg::FetchFailed, Notify, "Record Retrieval Error",
               "An error (%ErrorText) was experienced when retrieving a record from the %File "
               "file."},
    ErrorEntry{msg::PutFailed, Notify, "Record Was Not Changed",
               "An error (%ErrorText) was experienced when changing a record in the %File file."},
    ErrorEntry{msg::RecordNotFound, Notify, "Record Not Found",
               "The record was not found in the %File file (%Message)."},
    ErrorEntry{msg::LockFailed, Notify, "Lock Error",
               "An error (%ErrorText) was experienced when locking the %File file."},
    ErrorEntry{msg::PrimeFailed, Notify, "Record Was Not Primed",
               "An error (%ErrorText) was experienced when preparing a new record for the %File "
               "file."},
    ErrorEntry{msg::DeleteFailed, Notify, "Record was not deleted",
               "An error (%ErrorText) was experienced when deleting a record from the %File "
               "file."},
    ErrorEntry{msg::FieldNotInList, Notify, "Value Error",
               "The value of %Field must be in the list : %Message."},
    ErrorEntry{msg::FieldOutOfRange, Notify, "Range Error",
               "The value of %Field must be in range %Message."},
    ErrorEntry{msg::EntryNotReadable, Notify, "Invalid Entry",
               "\"%Message\" is not a valid value for this field. The previous value is kept."},
};

}  // namespace

std::span<const ErrorEntry> BuiltinErrors() {
    return kBuiltinErrors;
}

}  // namespace zem::ui
