// Feeds arbitrary bytes to the JPEG decoder. Whatever the input, the decoder answers either a
// picture within the size limits whose pixel buffer matches its size, or nothing with a reason;
// it never crashes, aborts or leaks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

#include "platform/image/jpeg.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    std::string error = "unset";
    const std::optional<zem::image::Image> image =
        zem::image::DecodeJpeg(std::span<const std::uint8_t>(bytes, size), &error);
    if (!image) {
        Require(!error.empty() && error != "unset");
        return 0;
    }
    Require(error.empty());
    Require(image->width > 0 && image->width <= zem::image::kMaxDimension);
    Require(image->height > 0 && image->height <= zem::image::kMaxDimension);
    Require(image->rgb.size() == static_cast<std::size_t>(image->width) * image->height * 3);
    Require(image->rgb.size() <= zem::image::kMaxDecodedBytes);
    return 0;
}
