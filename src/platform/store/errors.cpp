#include "platform/store/errors.h"

namespace zem::store {
namespace {

struct ThreadError {
    int code = 0;
    int fileCode = 0;
    std::string text;
    std::string fileText;
};

ThreadError& Current() {
    thread_local ThreadError error;
    return error;
}

}  // namespace

int ErrorCode() {
    return Current().code;
}
std::string_view ErrorText() {
    return Current().text;
}
int FileErrorCode() {
    return Current().fileCode;
}
std::string_view FileErrorText() {
    return Current().fileText;
}

std::string_view StandardErrorText(int code) {
    switch (code) {
        case NoError:
            return "No error";
        case FileNotFound:
            return "File Not Found";
        case AccessDenied:
            return "Access Denied";
        case NoMemory:
            return "Insufficient Memory";
        case FileLocked:
            return "File Is Already Locked";
        case RecordNotAvailable:
            return "Record Not Available";
        case RecordNotFound:
            return "Record Not Found";
        case InvalidDataFile:
            return "Invalid Data File";
        case FileNotOpen:
            return "File Not Open";
        case DuplicateKey:
            return "Creates Duplicate Key";
        case InvalidRecordDeclaration:
            return "Invalid Record Declaration";
        case LogoutActive:
            return "Transaction Already Active";
        case ExclusiveAccessRequired:
            return "Exclusive Access Required";
        case InvalidFilter:
            return "Invalid Filter";
        case FileSystemError:
            return "File System Error";
        case NoLogoutActive:
            return "No Transaction Active";
        default:
            return "Unknown Error";
    }
}

int SetError(int code, int fileCode, std::string_view detail) {
    ThreadError& error = Current();
    error.code = code;
    error.fileCode = fileCode;
    error.text = StandardErrorText(code);
    error.fileText = detail;
    return code;
}

void ClearError() {
    ThreadError& error = Current();
    error.code = 0;
    error.fileCode = 0;
    error.text.clear();
    error.fileText.clear();
}

}  // namespace zem::store
