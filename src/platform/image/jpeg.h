#pragma once
// JPEG decoding with libjpeg. Grayscale, YCbCr, RGB, CMYK and YCCK pictures all come out as RGB.
// Damaged, truncated or oversized input answers nullopt with a reason in *error; nothing here
// aborts, exits or throws.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "platform/image/image.h"

namespace zem::image {

// Pictures larger than this in either dimension, or decoding to more than kMaxDecodedBytes,
// are refused before any pixel is decoded.
inline constexpr int kMaxDimension = 16384;
inline constexpr std::size_t kMaxDecodedBytes = std::size_t{100} * 1024 * 1024;

// On success *error (when given) is cleared.
std::optional<Image> DecodeJpeg(std::span<const std::uint8_t> bytes, std::string* error = nullptr);
std::optional<Image> LoadJpegFile(const std::filesystem::path& file, std::string* error = nullptr);

}  // namespace zem::image
