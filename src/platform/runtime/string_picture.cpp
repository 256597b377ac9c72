#include "platform/runtime/string_picture.h"

#include <charconv>
#include <optional>
#include <system_error>

namespace zem::runtime {
namespace {

constexpr std::size_t kMaxWidth = 65'535;

std::optional<std::size_t> Width(std::string_view picture) {
    if (picture.starts_with('@')) picture.remove_prefix(1);
    if (picture.empty() || (picture.front() != 's' && picture.front() != 'S')) return std::nullopt;
    picture.remove_prefix(1);
    std::size_t width = 0;
    const auto [end, error] =
        std::from_chars(picture.data(), picture.data() + picture.size(), width);
    if (error != std::errc() || end != picture.data() + picture.size()) return std::nullopt;
    if (width < 1 || width > kMaxWidth) return std::nullopt;
    return width;
}

}  // namespace

std::string FormatString(std::string_view text, std::string_view picture) {
    const std::optional<std::size_t> width = Width(picture);
    if (!width) return std::string(text);
    std::string shown(text.substr(0, *width));
    shown.resize(*width, ' ');
    return shown;
}

std::string DeformatString(std::string_view text, std::string_view picture) {
    const std::optional<std::size_t> width = Width(picture);
    if (!width) return std::string(text);
    return std::string(text.substr(0, *width));
}

}  // namespace zem::runtime
