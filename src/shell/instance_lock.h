#pragma once
// One running program per data directory. Two programs on one directory would each hold their
// windows' transactions, and the second would only learn of the first through lock errors on
// tables it had never opened; so a second start is refused and told that one is running. The
// lock is the kernel's (flock on the directory itself): it goes with its holder, even a killed
// one, and leaves no file behind.
#include <filesystem>

namespace zem::shell {

class InstanceLock {
  public:
    explicit InstanceLock(const std::filesystem::path& directory);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Another running program holds the directory. A directory that can't be locked at all (a
    // file system without locks) is not refused.
    bool HeldElsewhere() const { return elsewhere_; }

  private:
    int fd_ = -1;
    bool elsewhere_ = false;
};

}  // namespace zem::shell
