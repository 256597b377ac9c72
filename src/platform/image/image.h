#pragma once
// A decoded picture: 8-bit RGB, three bytes per pixel, rows top-down with no padding.
#include <cstdint>
#include <vector>

namespace zem::image {

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3 bytes
};

}  // namespace zem::image
