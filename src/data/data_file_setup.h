#pragma once
// Opening the program's data file: created and seeded when new, upgraded step by step when an
// older version of the program wrote it, refused when a newer one did. The opened file is kept
// process-wide so every thread can build its dictionary over it.
#include <filesystem>
#include <memory>

#include "platform/store/data_file.h"

namespace zem::data {

// The layout of the tables this program reads and writes.
inline constexpr int kSchemaVersion = 1;

// Opens the file at path and makes it the process's data file. On failure answers nullptr,
// status says why (status.code a store Error, status.text for the user) and the process's data
// file stays as it was. An existing file is never replaced.
std::shared_ptr<store::DataFile> OpenZembrolaFile(const std::filesystem::path& path,
                                                  store::OpenStatus& status);

// The process's data file; nullptr before OpenZembrolaFile succeeded or after CloseZembrolaFile.
std::shared_ptr<store::DataFile> ZembrolaFile();
// Drops the process's reference; the file closes when the last dictionary over it is gone.
void CloseZembrolaFile();

}  // namespace zem::data
