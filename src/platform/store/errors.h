#pragma once
// Per-thread result of the last store call. Every store operation sets it; callers test it right
// after the call, the way the system's code tests file errors.
#include <string>
#include <string_view>

namespace zem::store {

enum Error : int {
    NoError = 0,
    FileNotFound = 2,
    AccessDenied = 5,
    NoMemory = 8,
    FileLocked = 32,          // a lock, or a write that waited for another's lock, timed out
    RecordNotAvailable = 33,  // read past the end, or no current record
    RecordNotFound = 35,
    InvalidDataFile = 36,  // not a data file, damaged, or the password does not open it
    FileNotOpen = 37,
    DuplicateKey = 40,
    InvalidRecordDeclaration = 47,
    LogoutActive = 56,
    ExclusiveAccessRequired = 63,
    InvalidFilter = 76,
    FileSystemError = 90,  // the database reported an error; FileErrorCode() has its code
    NoLogoutActive = 91,
};

int ErrorCode();
std::string_view ErrorText();
// The underlying database's result code and message for the last failure (0 / empty otherwise).
int FileErrorCode();
std::string_view FileErrorText();

// The standard text of an error code.
std::string_view StandardErrorText(int code);

// Sets this thread's error. detail (when given) becomes FileErrorText.
int SetError(int code, int fileCode = 0, std::string_view detail = {});
void ClearError();

}  // namespace zem::store
