#include "platform/ui/settings/ini_manager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <iterator>
#include <mutex>
#include <system_error>
#include <utility>

#include "platform/ui/settings/ini_document.h"

namespace zem::ui {
namespace {

constexpr std::string_view kSortOrder = "SortOrder";
constexpr std::string_view kX = "X", kY = "Y", kWidth = "Width", kHeight = "Height",
                           kMaximized = "Maximized";

std::optional<int> ToInt(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    int value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, failure] = std::from_chars(text->data(), end, value);
    if (failure != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::optional<std::string> ReadWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Writes text to a new file beside target and renames it over target: readers see the old
// file or the new one, never a mix. The new file keeps the old one's permissions.
bool ReplaceFile(const std::filesystem::path& target, std::string_view text) {
    const std::filesystem::path dir =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string temp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    struct stat old {};
    bool ok = WriteAll(fd, text);
    if (ok && ::stat(target.c_str(), &old) == 0) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk with the directory.
    if (const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace

struct IniManager::Impl {
    mutable std::mutex mutex;
    std::filesystem::path file;
    bool unreadable = false;  // the file exists but was not loaded: never overwrite it
    IniDocument document;
    std::mutex saving;  // one Save at a time, so the last rename carries the latest settings
};

IniManager::IniManager() : impl_(std::make_unique<Impl>()) {}

IniManager::~IniManager() = default;

// Never destroyed: window threads may still read settings while the process ends.
IniManager& IniManager::Global() {
    static IniManager* const manager = std::make_unique<IniManager>().release();
    return *manager;
}

void IniManager::Init(std::filesystem::path file) {
    IniDocument document;
    bool unreadable = false;
    std::error_code failure;
    const std::filesystem::file_type type = std::filesystem::status(file, failure).type();
    if (type == std::filesystem::file_type::none) {
        unreadable = true;  // can't tell whether it is there
    } else if (type != std::filesystem::file_type::not_found) {
        const std::optional<std::string> text =
            type == std::filesystem::file_type::regular ? ReadWhole(file) : std::nullopt;
        if (text) {
            document = IniDocument::Parse(*text);
        } else {
            unreadable = true;
        }
    }
    std::lock_guard lock(impl_->mutex);
    impl_->file = std::move(file);
    impl_->unreadable = unreadable;
    impl_->document = std::move(document);
}

std::optional<std::string> IniManager::Fetch(std::string_view section, std::string_view key) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->document.Fetch(section, key);
}

void IniManager::Update(std::string_view section, std::string_view key, std::string_view value) {
    std::lock_guard lock(impl_->mutex);
    impl_->document.Update(section, key, value);
}

std::optional<IniManager::Placement> IniManager::FetchWindow(std::string_view procedure) const {
    std::lock_guard lock(impl_->mutex);
    const IniDocument& document = impl_->document;
    const auto x = ToInt(document.Fetch(procedure, kX));
    const auto y = ToInt(document.Fetch(procedure, kY));
    const auto width = ToInt(document.Fetch(procedure, kWidth));
    const auto height = ToInt(document.Fetch(procedure, kHeight));
    if (!x || !y || !width || !height || *width <= 0 || *height <= 0) return std::nullopt;
    const bool maximized = ToInt(document.Fetch(procedure, kMaximized)).value_or(0) != 0;
    return Placement{*x, *y, *width, *height, maximized};
}

std::optional<IniManager::SortOrder> IniManager::FetchSortOrder(std::string_view procedure,
                                                                int columns) const {
    const auto saved = ToInt(Fetch(procedure, kSortOrder));
    if (!saved || *saved == 0 || *saved < -columns || *saved > columns) return std::nullopt;
    return SortOrder{*saved < 0 ? -*saved : *saved, *saved < 0};
}

void IniManager::SaveSortOrder(std::string_view procedure, SortOrder order) {
    Update(procedure, kSortOrder, std::to_string(order.descending ? -order.column : order.column));
}

void IniManager::SaveWindow(std::string_view procedure, const Placement& placement) {
    // Under one lock, so no thread reads half of a new placement.
    std::lock_guard lock(impl_->mutex);
    IniDocument& document = impl_->document;
    document.Update(procedure, kX, std::to_string(placement.x));
    document.Update(procedure, kY, std::to_string(placement.y));
    document.Update(procedure, kWidth, std::to_string(placement.width));
    document.Update(procedure, kHeight, std::to_string(placement.height));
    document.Update(procedure, kMaximized, placement.maximized ? "1" : "0");
}

bool IniManager::Save() {
    std::lock_guard saving(impl_->saving);
    std::filesystem::path file;
    std::string text;
    {
        std::lock_guard lock(impl_->mutex);
        if (impl_->file.empty() || impl_->unreadable) return false;
        file = impl_->file;
        text = impl_->document.Format();
    }
    // Written without the settings' lock: other threads go on reading and changing meanwhile.
    return ReplaceFile(file, text);
}

void IniManager::Kill() {
    std::lock_guard lock(impl_->mutex);
    impl_->file.clear();
    impl_->unreadable = false;
    impl_->document = IniDocument();
}

std::filesystem::path IniManager::File() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->file;
}

}  // namespace zem::ui
