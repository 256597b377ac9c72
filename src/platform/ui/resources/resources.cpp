#include "platform/ui/resources/resources.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <system_error>

#include <nlohmann/json.hpp>

#if !defined(ZEM_RESOURCE_DIR) || !defined(ZEM_INSTALLED_RESOURCES)
#error \
    "ZEM_RESOURCE_DIR must name the source tree's resources, ZEM_INSTALLED_RESOURCES the installed ones"
#endif

namespace zem::ui {
namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

// Each layout file is named after its window and names the resource it holds in its "resource"
// member; the folder is read once per resource directory (tests point it elsewhere).
std::map<std::string, std::filesystem::path, std::less<>> ReadLayoutIndex(
    const std::filesystem::path& dir) {
    std::map<std::string, std::filesystem::path, std::less<>> index;
    std::error_code failure;
    for (const auto& entry : std::filesystem::directory_iterator(dir, failure)) {
        if (entry.path().extension() != ".json") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const auto document = nlohmann::json::parse(in, nullptr, false);
        if (document.is_discarded() || !document.is_object()) continue;
        const auto resource = document.find("resource");
        if (resource == document.end() || !resource->is_string()) continue;
        index.emplace(resource->get<std::string>(), entry.path());
    }
    return index;
}

}  // namespace

std::filesystem::path ResourceDir() {
    const char* set = std::getenv("ZEMBROLA_RESOURCES");
    if (set != nullptr && *set != '\0') return set;
    // An installed program keeps its resources beside its own folder: <prefix>/bin/zembrola
    // and <prefix>/share/zembrola.
    static const std::filesystem::path installed = [] {
        std::error_code error;
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error) return std::filesystem::path();
        const std::filesystem::path dir =
            self.parent_path().parent_path() / ZEM_INSTALLED_RESOURCES;
        return std::filesystem::is_directory(dir / "layout", error) ? dir : std::filesystem::path();
    }();
    if (!installed.empty()) return installed;
    return ZEM_RESOURCE_DIR;
}

std::filesystem::path LayoutPath(std::string_view resourceName) {
    static std::mutex mutex;
    static std::map<std::filesystem::path,
                    std::map<std::string, std::filesystem::path, std::less<>>>
        indexes;
    const std::filesystem::path dir = ResourceDir() / "layout";
    {
        const std::lock_guard lock(mutex);
        auto index = indexes.find(dir);
        if (index == indexes.end()) index = indexes.emplace(dir, ReadLayoutIndex(dir)).first;
        if (const auto found = index->second.find(resourceName); found != index->second.end()) {
            return found->second;
        }
    }
    // A resource no file declares is looked for under its own name.
    return dir / (std::string(resourceName) + ".json");
}

std::optional<std::filesystem::path> IconPath(std::string_view iconName) {
    if (iconName.starts_with('~')) iconName.remove_prefix(1);  // the "linked in" marker
    if (const std::size_t dot = iconName.rfind('.'); dot != std::string_view::npos) {
        iconName = iconName.substr(0, dot);
    }
    if (iconName.empty()) return std::nullopt;
    std::string file;
    for (const char c : iconName) file.push_back(LowerAscii(c));
    file += ".png";
    return FindFileIgnoringCase(ResourceDir() / "icons", file);
}

std::optional<std::filesystem::path> PicturePath(std::string_view name) {
    return FindFileIgnoringCase(ResourceDir() / "pictures", name);
}

std::filesystem::path HelpDir() {
    return ResourceDir() / "help";
}

std::optional<std::filesystem::path> FindFileIgnoringCase(const std::filesystem::path& dir,
                                                          std::string_view name) {
    if (!IsPlainFileName(name)) return std::nullopt;
    std::error_code failure;
    const std::filesystem::path exact = dir / std::string(name);
    if (std::filesystem::is_regular_file(exact, failure)) return exact;

    // Of several names that differ only in case, the first in byte order wins, whatever order
    // the directory lists them in.
    std::optional<std::filesystem::path> best;
    std::filesystem::directory_iterator entry(dir, failure);
    for (; !failure && entry != std::filesystem::directory_iterator(); entry.increment(failure)) {
        const std::filesystem::path& found = entry->path();
        std::error_code notFile;
        if (!EqualIgnoringCase(found.filename().string(), name)) continue;
        if (!entry->is_regular_file(notFile)) continue;
        if (!best || found.filename() < best->filename()) best = found;
    }
    return best;
}

std::optional<std::filesystem::path> IconResourcePath(std::string_view resource) {
    std::string file(resource);
    if (file.size() > 4) {
        if (EqualIgnoringCase(file.substr(file.size() - 4), "_ICO")) file[file.size() - 4] = '.';
    }
    return IconPath(file);
}

}  // namespace zem::ui
