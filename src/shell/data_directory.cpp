#include "shell/data_directory.h"

#include <cstdlib>
#include <system_error>

namespace zem::shell {
namespace {

std::filesystem::path FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? std::filesystem::path(value) : std::filesystem::path();
}

}  // namespace

std::filesystem::path DataDirectory() {
    if (auto home = FromEnvironment("ZEMBROLA_HOME"); !home.empty()) return home;
    if (auto xdg = FromEnvironment("XDG_DATA_HOME"); !xdg.empty()) return xdg / "zembrola";
    if (auto home = FromEnvironment("HOME"); !home.empty())
        return home / ".local" / "share" / "zembrola";
    return std::filesystem::current_path() / "zembrola";
}

bool EnterDataDirectory(std::string& error) {
    const auto dir = DataDirectory();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!ec) std::filesystem::current_path(dir, ec);
    if (ec) {
        std::error_code ignored;
        const auto full = std::filesystem::absolute(dir, ignored);
        error = "The data directory " + (full.empty() ? dir : full).string() +
                " can't be used: " + ec.message();
        return false;
    }
    return true;
}

}  // namespace zem::shell
