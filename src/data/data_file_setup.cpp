#include "data/data_file_setup.h"

#include <functional>
#include <mutex>
#include <string>
#include <utility>

#include "data/seed.h"
#include "platform/store/errors.h"

namespace zem::data {
namespace {

// The owner password of every table; two blanks after "lantis".
constexpr std::string_view kOwnerPassword = "qorv lantis  u mepr";
static_assert(kOwnerPassword.size() == 19);

std::mutex g_fileMutex;
std::shared_ptr<store::DataFile> g_file;

// One step from version to version + 1, inside the unit that also records version + 1. Each
// new layout adds its step here.
int UpgradeFrom(int version, store::DataFile&) {
    switch (version) {
        default:
            return store::SetError(store::InvalidDataFile, 0,
                                   "no upgrade from data version " + std::to_string(version));
    }
}

std::shared_ptr<store::DataFile> Refuse(store::OpenStatus& status, int code, std::string text) {
    status.code = code;
    status.text = std::move(text);
    store::SetError(code, 0, status.text);
    return nullptr;
}

std::string Why() {
    const std::string_view detail = store::FileErrorText();
    return std::string(detail.empty() ? store::ErrorText() : detail);
}

// Runs step as one unit with the version it leads to. A failing step's own error is what the
// user is told, not the rollback's.
int InOneUnit(store::DataFile& file, int toVersion, const std::function<int()>& step,
              std::string& why) {
    int stepError = store::NoError;
    const int rc = file.Atomically([&] {
        stepError = step();
        if (stepError == store::NoError) stepError = file.SetSchemaVersion(toVersion);
        if (stepError != store::NoError) why = Why();
        return stepError == store::NoError;
    });
    if (rc != store::NoError && stepError == store::NoError) why = Why();
    return stepError != store::NoError ? stepError : rc;
}

}  // namespace

std::shared_ptr<store::DataFile> OpenZembrolaFile(const std::filesystem::path& path,
                                                  store::OpenStatus& status) {
    // Tables, first rows and version together, before the file takes its name: a file is
    // either fully set up or not there.
    const auto seed = [](store::DataFile& file) {
        std::string why;
        const int rc = InOneUnit(
            file, kSchemaVersion, [&] { return SeedNewFile(file); }, why);
        if (rc != store::NoError) store::SetError(rc, 0, why);
        return rc;
    };
    std::shared_ptr<store::DataFile> file =
        store::DataFile::Open(path, std::string(kOwnerPassword), status, seed);
    if (!file) return nullptr;

    const int version = file->SchemaVersion();
    if (store::ErrorCode() != store::NoError) {
        return Refuse(status, store::ErrorCode(),
                      "The data file " + path.string() + " can't be read: " + Why() + ".");
    }
    if (version > kSchemaVersion || version < 0) {
        return Refuse(status, store::InvalidDataFile,
                      "The data file " + path.string() +
                          " was written by a newer version of "
                          "Zembrola (data version " +
                          std::to_string(version) + "; this version reads up to " +
                          std::to_string(kSchemaVersion) + "). It has been left unchanged.");
    }
    std::string why;
    if (version == 0) {
        // A file that holds the store's own tables and nothing more yet.
        const int rc = InOneUnit(
            *file, kSchemaVersion, [&] { return SeedNewFile(*file); }, why);
        if (rc != store::NoError) {
            return Refuse(status, rc,
                          "The data file " + path.string() + " can't be set up: " + why + ".");
        }
    }
    for (int from = version == 0 ? kSchemaVersion : version; from < kSchemaVersion; ++from) {
        const int rc = InOneUnit(
            *file, from + 1, [&] { return UpgradeFrom(from, *file); }, why);
        if (rc != store::NoError) {
            return Refuse(status, rc,
                          "The data file " + path.string() + " can't be upgraded from version " +
                              std::to_string(from) + ": " + why + ".");
        }
    }

    std::lock_guard lock(g_fileMutex);
    g_file = file;
    return file;
}

std::shared_ptr<store::DataFile> ZembrolaFile() {
    std::lock_guard lock(g_fileMutex);
    return g_file;
}

void CloseZembrolaFile() {
    std::shared_ptr<store::DataFile> file;
    {
        std::lock_guard lock(g_fileMutex);
        file = std::move(g_file);
    }
}

}  // namespace zem::data
