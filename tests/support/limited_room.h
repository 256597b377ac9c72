#pragma once
// A disk that runs out of room exactly where a test wants it to: a database file system over
// the real one that refuses every write needing more room than is left, as a full disk does
// (SQLITE_FULL, nothing written). Room is taken by files growing and given back by truncating
// or deleting them. While it lives it is the default for newly opened connections; connections
// opened before it keep the real file system.
#include <cstdint>
#include <limits>

namespace zem::test {

class LimitedRoom {
  public:
    static constexpr std::int64_t kUnlimited = std::numeric_limits<std::int64_t>::max();

    LimitedRoom();  // unlimited until Limit
    ~LimitedRoom();
    LimitedRoom(const LimitedRoom&) = delete;
    LimitedRoom& operator=(const LimitedRoom&) = delete;

    bool Ok() const { return ok_; }
    // The room left from now on.
    void Limit(std::int64_t bytes);
    void Unlimit() { Limit(kUnlimited); }
    std::int64_t Left() const;
    // Writes refused so far.
    int Refused() const;
    // Syncs of any file (data file or log) asked of the disk so far.
    int Syncs() const;
    // From now on every sync fails with this errno, as fsync does on a full disk (ENOSPC) or
    // a failing one (EIO); 0 lets them through again.
    void RefuseSyncs(int error);

  private:
    bool ok_ = false;
};

}  // namespace zem::test
