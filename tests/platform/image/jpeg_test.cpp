#include "platform/image/jpeg.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "support/temp_dir.h"

namespace zem::image {
namespace {

using Bytes = std::vector<std::uint8_t>;

// What the test encoder writes: the samples given to libjpeg and how it stores them.
struct Encoding {
    J_COLOR_SPACE input = JCS_RGB;  // the samples handed to the compressor
    int components = 3;
    J_COLOR_SPACE stored = JCS_YCbCr;  // the colour space inside the file
    bool adobeMarker = true;           // only looked at for four-component files
    bool progressive = false;
};

// Fills one pixel's samples (components bytes) at x, y.
using PixelFn = void (*)(int x, int y, std::uint8_t* samples);

Bytes Encode(int width, int height, const Encoding& how, PixelFn pixel) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = how.components;
    info.in_color_space = how.input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, how.stored);
    if (how.components == 4) info.write_Adobe_marker = how.adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&info, 95, TRUE);
    if (how.progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * how.components);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixel(x, y, row.data() + x * how.components);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// Left half red, right half blue.
void RedBlue(int x, int, std::uint8_t* s) {
    const bool left = x < 32;
    s[0] = left ? 255 : 0;
    s[1] = 0;
    s[2] = left ? 0 : 255;
}

// Top half light grey, bottom half dark.
void TwoGreys(int, int y, std::uint8_t* s) {
    s[0] = y < 8 ? 200 : 40;
}

// Cyan ink everywhere, stored as Adobe writes it (255 - ink).
void InvertedCyan(int, int, std::uint8_t* s) {
    s[0] = 0;
    s[1] = 255;
    s[2] = 255;
    s[3] = 255;
}

// Magenta ink with some black, stored as plain ink amounts.
void PlainMagentaHalfBlack(int, int, std::uint8_t* s) {
    s[0] = 0;
    s[1] = 255;
    s[2] = 0;
    s[3] = 128;
}

Bytes ColourPicture() {
    return Encode(64, 48, Encoding{}, RedBlue);
}

struct Probe {
    int x, y;
    int r, g, b;
};

struct DecodeCase {
    const char* name;
    int width, height;
    Encoding how;
    PixelFn pixel;
    std::vector<Probe> probes;
    friend void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.name; }
};

class DecodeJpegTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeJpegTest, DecodesToRgbOfTheRightSize) {
    const DecodeCase& c = GetParam();
    const Bytes file = Encode(c.width, c.height, c.how, c.pixel);
    std::string error = "stale";
    const std::optional<Image> image = DecodeJpeg(file, &error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(error, "");
    EXPECT_EQ(image->width, c.width);
    EXPECT_EQ(image->height, c.height);
    ASSERT_EQ(image->rgb.size(), static_cast<std::size_t>(c.width) * c.height * 3);
    for (const Probe& p : c.probes) {
        const std::uint8_t* px = &image->rgb[(static_cast<std::size_t>(p.y) * c.width + p.x) * 3];
        SCOPED_TRACE("pixel " + std::to_string(p.x) + "," + std::to_string(p.y));
        EXPECT_NEAR(px[0], p.r, 12);
        EXPECT_NEAR(px[1], p.g, 12);
        EXPECT_NEAR(px[2], p.b, 12);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecodeJpegTest,
    ::testing::Values(
        DecodeCase{"colour", 64, 48, Encoding{}, RedBlue, {{8, 8, 255, 0, 0}, {56, 40, 0, 0, 255}}},
        DecodeCase{"progressive colour",
                   64,
                   48,
                   Encoding{.progressive = true},
                   RedBlue,
                   {{8, 40, 255, 0, 0}, {56, 8, 0, 0, 255}}},
        DecodeCase{"grey, odd size",
                   33,
                   17,
                   Encoding{JCS_GRAYSCALE, 1, JCS_GRAYSCALE},
                   TwoGreys,
                   {{3, 2, 200, 200, 200}, {30, 15, 40, 40, 40}}},
        DecodeCase{"Adobe inverted CMYK",
                   16,
                   16,
                   Encoding{JCS_CMYK, 4, JCS_CMYK, true},
                   InvertedCyan,
                   {{8, 8, 0, 255, 255}}},
        DecodeCase{"Adobe inverted YCCK",
                   16,
                   16,
                   Encoding{JCS_CMYK, 4, JCS_YCCK, true},
                   InvertedCyan,
                   {{8, 8, 0, 255, 255}}},
        DecodeCase{"plain CMYK without Adobe marker",
                   16,
                   16,
                   Encoding{JCS_CMYK, 4, JCS_CMYK, false},
                   PlainMagentaHalfBlack,
                   {{8, 8, 127, 0, 127}}}),
    [](const auto& test) {
        std::string name = test.param.name;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        }
        return name;
    });

// Where a segment with the given marker starts (its 0xFF), or npos.
std::size_t FindMarker(const Bytes& file, std::uint8_t marker) {
    for (std::size_t i = 2; i + 1 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == marker) return i;
    }
    return std::string::npos;
}

void Refused(const Bytes& input, const std::string& expectedText = {}) {
    std::string error;
    EXPECT_FALSE(DecodeJpeg(input, &error));
    EXPECT_FALSE(error.empty());
    if (!expectedText.empty()) {
        EXPECT_NE(error.find(expectedText), std::string::npos) << error;
    }
}

TEST(DecodeJpegFailureTest, TruncatedFileIsRefused) {
    const Bytes file = ColourPicture();
    const std::size_t scan = FindMarker(file, 0xDA);
    ASSERT_NE(scan, std::string::npos);
    // Only the start marker; inside the tables; just after the scan header; half the scan;
    // everything but the end marker.
    for (std::size_t length :
         {std::size_t{2}, scan / 2, scan + 20, (scan + file.size()) / 2, file.size() - 2}) {
        SCOPED_TRACE("first " + std::to_string(length) + " bytes");
        Refused(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
    }
}

TEST(DecodeJpegFailureTest, GarbageIsRefused) {
    std::mt19937 random(7);
    Bytes noise(4096);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    Bytes afterStart = noise;
    afterStart[0] = 0xFF;
    afterStart[1] = 0xD8;
    const std::string text = "<html>not a picture</html>";
    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};

    Refused({}, "Empty");
    Refused(noise, "Not a JPEG file");
    Refused(afterStart);
    Refused(Bytes(text.begin(), text.end()), "Not a JPEG file");
    Refused(png, "Not a JPEG file");
    EXPECT_FALSE(DecodeJpeg(noise));  // no error text wanted
}

TEST(DecodeJpegFailureTest, DamagedScanDataNeverCrashes) {
    const Bytes file = ColourPicture();
    const std::size_t scan = FindMarker(file, 0xDA);
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        Bytes damaged = file;
        for (int hits = 0; hits < 4; ++hits) {
            const std::size_t at = scan + random() % (damaged.size() - scan);
            damaged[at] = static_cast<std::uint8_t>(random());
        }
        std::string error;
        const std::optional<Image> image = DecodeJpeg(damaged, &error);
        // Damage the decoder can't see still yields a whole picture of the declared size.
        if (image) {
            EXPECT_EQ(image->rgb.size(), std::size_t{64} * 48 * 3);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(DecodeJpegFailureTest, OversizedPicturesAreRefusedBeforeDecoding) {
    struct Size {
        int width, height;
    };
    // Too wide; too tall; each side allowed but the whole too large to hold.
    for (const Size size : {Size{20000, 48}, Size{64, 16385}, Size{8000, 8000}}) {
        Bytes file = ColourPicture();
        const std::size_t frame = FindMarker(file, 0xC0);
        ASSERT_NE(frame, std::string::npos);
        // Marker, length, precision, then height and width, big-endian.
        file[frame + 5] = static_cast<std::uint8_t>(size.height >> 8);
        file[frame + 6] = static_cast<std::uint8_t>(size.height);
        file[frame + 7] = static_cast<std::uint8_t>(size.width >> 8);
        file[frame + 8] = static_cast<std::uint8_t>(size.width);
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        Refused(file, "too large");
    }
}

TEST(DecodeJpegWarningTest, HarmlessWarningsAreSilent) {
    // Stray bytes before a marker make libjpeg warn; the picture itself is whole.
    Bytes file = ColourPicture();
    const std::size_t tables = FindMarker(file, 0xDB);
    ASSERT_NE(tables, std::string::npos);
    file.insert(file.begin() + static_cast<std::ptrdiff_t>(tables), {0x12, 0x34, 0x56});

    ::testing::internal::CaptureStderr();
    std::string error;
    const std::optional<Image> image = DecodeJpeg(file, &error);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->width, 64);
    EXPECT_EQ(printed, "");
}

TEST(LoadJpegFileTest, LoadsAFileAndNamesTheFileOnFailure) {
    test::TempDir dir;
    const Bytes file = ColourPicture();
    {
        std::ofstream out(dir / "wall.jpg", std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()),
                  static_cast<std::streamsize>(file.size()));
        std::ofstream cut(dir / "cut.jpg", std::ios::binary);
        cut.write(reinterpret_cast<const char*>(file.data()), 100);
    }
    std::string error;
    const std::optional<Image> image = LoadJpegFile(dir / "wall.jpg", &error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->width, 64);
    EXPECT_EQ(image->height, 48);

    for (const char* name : {"missing.jpg", "cut.jpg", ""}) {
        SCOPED_TRACE(name);
        const std::filesystem::path path = dir / name;  // "" names the directory itself
        EXPECT_FALSE(LoadJpegFile(path, &error));
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace zem::image
