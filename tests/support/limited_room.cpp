#include "support/limited_room.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <string>
#include <system_error>

#include "platform/store/sqlite.h"

namespace zem::test {
namespace {

struct Room {
    std::mutex mutex;
    std::int64_t left = LimitedRoom::kUnlimited;
    int refused = 0;
    int syncs = 0;
    int syncError = 0;  // errno of a refused sync; 0 syncs
    sqlite3_vfs* real = nullptr;
    sqlite3_vfs vfs{};
    sqlite3_io_methods methods{};
};

Room& TheRoom() {
    static Room room;
    return room;
}

// An open file: the real one follows this header in the memory SQLite gives.
struct File {
    sqlite3_file base;
    sqlite3_file* Real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

sqlite3_file* Real(sqlite3_file* f) {
    return reinterpret_cast<File*>(f)->Real();
}

// The size the file has now; other connections' handles of the same file change it too.
sqlite3_int64 SizeOf(sqlite3_file* f) {
    sqlite3_int64 size = 0;
    if (Real(f)->pMethods->xFileSize(Real(f), &size) != SQLITE_OK) return 0;
    return size;
}

int Write(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
    Room& room = TheRoom();
    {
        std::lock_guard lock(room.mutex);
        const sqlite3_int64 growth = std::max<sqlite3_int64>(0, offset + amount - SizeOf(f));
        if (growth > room.left) {
            ++room.refused;
            return SQLITE_FULL;
        }
        if (room.left != LimitedRoom::kUnlimited) room.left -= growth;
    }
    return Real(f)->pMethods->xWrite(Real(f), data, amount, offset);
}

int Truncate(sqlite3_file* f, sqlite3_int64 size) {
    Room& room = TheRoom();
    std::lock_guard lock(room.mutex);
    const sqlite3_int64 before = SizeOf(f);
    const int rc = Real(f)->pMethods->xTruncate(Real(f), size);
    if (rc == SQLITE_OK && size < before && room.left != LimitedRoom::kUnlimited)
        room.left += before - size;
    return rc;
}

int Close(sqlite3_file* f) {
    const int rc = Real(f)->pMethods->xClose(Real(f));
    f->pMethods = nullptr;
    return rc;
}

int Open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    Room& room = TheRoom();
    File* file = reinterpret_cast<File*>(f);
    file->base.pMethods = nullptr;
    const int rc = room.real->xOpen(room.real, name, file->Real(), flags, outFlags);
    if (rc == SQLITE_OK) file->base.pMethods = &room.methods;
    return rc;
}

int Delete(sqlite3_vfs*, const char* name, int syncDir) {
    Room& room = TheRoom();
    std::error_code ec;
    const auto size = std::filesystem::file_size(name, ec);
    const int rc = room.real->xDelete(room.real, name, syncDir);
    std::lock_guard lock(room.mutex);
    if (rc == SQLITE_OK && !ec && room.left != LimitedRoom::kUnlimited)
        room.left += static_cast<std::int64_t>(size);
    return rc;
}

// Every other call goes to the real file or file system as it is.
void Forward(sqlite3_io_methods& m) {
    m.xClose = Close;
    m.xRead = [](sqlite3_file* f, void* p, int n, sqlite3_int64 o) {
        return Real(f)->pMethods->xRead(Real(f), p, n, o);
    };
    m.xWrite = Write;
    m.xTruncate = Truncate;
    m.xSync = [](sqlite3_file* f, int flags) {
        {
            Room& room = TheRoom();
            std::lock_guard lock(room.mutex);
            ++room.syncs;
            if (room.syncError != 0) {
                errno = room.syncError;
                return SQLITE_IOERR_FSYNC;
            }
        }
        return Real(f)->pMethods->xSync(Real(f), flags);
    };
    m.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) {
        return Real(f)->pMethods->xFileSize(Real(f), size);
    };
    m.xLock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xLock(Real(f), l); };
    m.xUnlock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xUnlock(Real(f), l); };
    m.xCheckReservedLock = [](sqlite3_file* f, int* out) {
        return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
    };
    m.xFileControl = [](sqlite3_file* f, int op, void* arg) {
        return Real(f)->pMethods->xFileControl(Real(f), op, arg);
    };
    m.xSectorSize = [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); };
    m.xDeviceCharacteristics = [](sqlite3_file* f) {
        return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
    };
    m.xShmMap = [](sqlite3_file* f, int page, int size, int extend, void volatile** p) {
        return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, p);
    };
    m.xShmLock = [](sqlite3_file* f, int offset, int n, int flags) {
        return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
    };
    m.xShmBarrier = [](sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); };
    m.xShmUnmap = [](sqlite3_file* f, int del) {
        return Real(f)->pMethods->xShmUnmap(Real(f), del);
    };
    // No memory-mapped reads: every page goes through xRead and xWrite.
    m.xFetch = [](sqlite3_file*, sqlite3_int64, int, void** p) {
        *p = nullptr;
        return SQLITE_OK;
    };
    m.xUnfetch = [](sqlite3_file*, sqlite3_int64, void*) { return SQLITE_OK; };
}

void Forward(sqlite3_vfs& v, sqlite3_vfs* real) {
    v = *real;
    v.zName = "zem-limited-room";
    v.pNext = nullptr;
    v.szOsFile = static_cast<int>(sizeof(File)) + real->szOsFile;
    v.pAppData = nullptr;
    v.xOpen = Open;
    v.xDelete = Delete;
    v.xAccess = [](sqlite3_vfs*, const char* name, int flags, int* out) {
        return TheRoom().real->xAccess(TheRoom().real, name, flags, out);
    };
    v.xFullPathname = [](sqlite3_vfs*, const char* name, int n, char* out) {
        return TheRoom().real->xFullPathname(TheRoom().real, name, n, out);
    };
    v.xDlOpen = [](sqlite3_vfs*, const char* name) {
        return TheRoom().real->xDlOpen(TheRoom().real, name);
    };
    v.xDlError = [](sqlite3_vfs*, int n, char* out) {
        TheRoom().real->xDlError(TheRoom().real, n, out);
    };
    v.xDlSym = [](sqlite3_vfs*, void* h, const char* sym) {
        return TheRoom().real->xDlSym(TheRoom().real, h, sym);
    };
    v.xDlClose = [](sqlite3_vfs*, void* h) { TheRoom().real->xDlClose(TheRoom().real, h); };
    v.xRandomness = [](sqlite3_vfs*, int n, char* out) {
        return TheRoom().real->xRandomness(TheRoom().real, n, out);
    };
    v.xSleep = [](sqlite3_vfs*, int us) { return TheRoom().real->xSleep(TheRoom().real, us); };
    v.xCurrentTime = [](sqlite3_vfs*, double* t) {
        return TheRoom().real->xCurrentTime(TheRoom().real, t);
    };
    v.xGetLastError = [](sqlite3_vfs*, int n, char* out) {
        return TheRoom().real->xGetLastError(TheRoom().real, n, out);
    };
    v.xCurrentTimeInt64 = [](sqlite3_vfs*, sqlite3_int64* t) {
        return TheRoom().real->xCurrentTimeInt64(TheRoom().real, t);
    };
    v.xSetSystemCall = [](sqlite3_vfs*, const char* name, sqlite3_syscall_ptr p) {
        return TheRoom().real->xSetSystemCall(TheRoom().real, name, p);
    };
    v.xGetSystemCall = [](sqlite3_vfs*, const char* name) {
        return TheRoom().real->xGetSystemCall(TheRoom().real, name);
    };
    v.xNextSystemCall = [](sqlite3_vfs*, const char* name) {
        return TheRoom().real->xNextSystemCall(TheRoom().real, name);
    };
}

}  // namespace

LimitedRoom::LimitedRoom() {
    Room& room = TheRoom();
    sqlite3_initialize();
    room.real = sqlite3_vfs_find(nullptr);
    if (!room.real || room.real->iVersion < 3) return;
    Forward(room.vfs, room.real);
    room.methods = {};
    room.methods.iVersion = 3;
    Forward(room.methods);
    Limit(kUnlimited);
    {
        // Counts and refusals left by a room of an earlier test start over.
        std::lock_guard lock(room.mutex);
        room.refused = 0;
        room.syncs = 0;
        room.syncError = 0;
    }
    ok_ = sqlite3_vfs_register(&room.vfs, 1) == SQLITE_OK;
}

LimitedRoom::~LimitedRoom() {
    if (!ok_) return;
    Room& room = TheRoom();
    // The real file system is the default again; connections still open on this one keep
    // working through it, unlimited.
    sqlite3_vfs_register(room.real, 1);
    sqlite3_vfs_unregister(&room.vfs);
    Limit(kUnlimited);
}

void LimitedRoom::Limit(std::int64_t bytes) {
    Room& room = TheRoom();
    std::lock_guard lock(room.mutex);
    room.left = bytes;
}

std::int64_t LimitedRoom::Left() const {
    Room& room = TheRoom();
    std::lock_guard lock(room.mutex);
    return room.left;
}

int LimitedRoom::Syncs() const {
    Room& room = TheRoom();
    std::lock_guard lock(room.mutex);
    return room.syncs;
}

void LimitedRoom::RefuseSyncs(int error) {
    Room& room = TheRoom();
    std::lock_guard lock(room.mutex);
    room.syncError = error;
}

int LimitedRoom::Refused() const {
    Room& room = TheRoom();
    std::lock_guard lock(room.mutex);
    return room.refused;
}

}  // namespace zem::test
