#pragma once
// A real file system that fills up: a tmpfs of a chosen size, mounted for one child process in
// a user and mount namespace of its own, so no privilege is needed where the system allows
// such namespaces. The test's body runs in the child and answers what it saw as named values;
// the parent process checks them.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace zem::test {

using Seen = std::map<std::string, std::string>;

struct SmallDiskRun {
    std::string skipped;         // why no such file system could be made here; empty when it ran
    bool finished = false;       // the body returned in the child
    std::filesystem::path root;  // where the file system was (gone again)
    Seen seen;
};

// Runs body in a child process whose folder root is an empty tmpfs of the given size.
SmallDiskRun OnSmallDisk(std::uint64_t bytes,
                         const std::function<void(const std::filesystem::path& root, Seen&)>& body);

// Runs body in a child process with an empty folder root of the real file system.
SmallDiskRun InChild(const std::function<void(const std::filesystem::path& root, Seen&)>& body);
// In such a child: files may grow to at most bytes, and a write past that fails with EFBIG
// (the signal the system would send instead is ignored).
bool LimitFileSize(std::uint64_t bytes);

// Takes all but leave bytes of the free room of the file system that holds folder, with a
// file named ballast there; false when that fails.
bool FillUp(const std::filesystem::path& folder, std::uint64_t leave);
// Frees bytes of the ballast.
bool FreeRoom(const std::filesystem::path& folder, std::uint64_t bytes);
// The free room of the file system that holds folder.
std::uint64_t FreeBytes(const std::filesystem::path& folder);

}  // namespace zem::test
