#pragma once
// The data file on disk with the files the database and its locks keep beside it: whether this
// process may write them all, and how a new file moves into place whole.
#include <filesystem>
#include <string>

namespace zem::store {

// Where a new data file is built before it moves into place: "<path>-new".
std::filesystem::path BuildingName(const std::filesystem::path& path);

// Removes a file with its companions ("-wal", "-shm", "-journal", "-lock").
void RemoveWithCompanions(const std::filesystem::path& path);
// Whether the file or any of its companions exists.
bool AnyWithCompanions(const std::filesystem::path& path);

// Whether the file, each companion that exists and (when one is missing) the folder can be
// written by this process. Creates nothing. When not, why says what can't and why.
bool CanWrite(const std::filesystem::path& path, std::string& why);

// Makes from durable and moves it to to, never over an existing file (taken is then true and
// from stays), then makes the move durable. False with why on failure.
bool MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to, bool& taken,
                   std::string& why);

}  // namespace zem::store
