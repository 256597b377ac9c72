#include "platform/image/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string_view>
#include <system_error>
#include <utility>

// jpeglib.h needs FILE and size_t declared before it, and jerror.h needs jpeglib.h.
#include <jpeglib.h>

#include <jerror.h>

namespace zem::image {
namespace {

// A progressive file can hold thousands of tiny scans that each cost a pass over the picture.
constexpr int kMaxScans = 500;
// libjpeg's own working memory; pictures within the limits above need far less.
constexpr long kMaxLibraryMemory = 512L * 1024 * 1024;
// No JPEG within the decoded limit comes near this; a larger file is not read at all.
constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{256} * 1024 * 1024;

// libjpeg's error manager with the jump back into Guarded and the text of the fatal error.
struct ErrorTrap {
    jpeg_error_mgr manager;  // first member: libjpeg hands callbacks a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

ErrorTrap& TrapOf(j_common_ptr info) {
    return *reinterpret_cast<ErrorTrap*>(info->err);
}

[[noreturn]] void Fail(j_common_ptr info, const char* text) {
    ErrorTrap& trap = TrapOf(info);
    std::snprintf(trap.message, sizeof trap.message, "%s", text);
    std::longjmp(trap.jump, 1);
}

// Replaces libjpeg's default, which prints the message and exits the process.
[[noreturn]] void ExitWithError(j_common_ptr info) {
    ErrorTrap& trap = TrapOf(info);
    (*info->err->format_message)(info, trap.message);
    std::longjmp(trap.jump, 1);
}

// Warnings that mean the pixels are damaged or missing are made fatal; libjpeg would otherwise
// pad the picture with grey and report success. The others (stray bytes before a marker, an
// unknown JFIF revision) leave the picture intact and are ignored, as is every trace message.
void EmitMessage(j_common_ptr info, int level) {
    if (level >= 0) return;
    switch (info->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
        case JWRN_MUST_RESYNC:
        case JWRN_NOT_SEQUENTIAL:
        case JWRN_BOGUS_PROGRESSION:
            (*info->err->error_exit)(info);
            break;
        default:
            break;
    }
}

void OutputNothing(j_common_ptr) {}

void LimitScans(j_common_ptr info) {
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxScans) Fail(info, "Too many scans in the JPEG file");
}

// Owns the decompressor. The struct is zeroed and its error manager installed before libjpeg
// sees it, so destroying it is safe whether or not creation got through.
struct Decoder {
    jpeg_decompress_struct info{};
    ErrorTrap trap{};
    jpeg_progress_mgr progress{};
    std::span<const std::uint8_t> input;
    std::uint8_t* pixels = nullptr;   // width * height * 3 bytes, owned by the caller
    std::uint8_t* cmykRow = nullptr;  // width * 4 bytes when decoding CMYK, owned by the caller
    bool invertedCmyk = false;

    Decoder() {
        info.err = jpeg_std_error(&trap.manager);
        trap.manager.error_exit = ExitWithError;
        trap.manager.emit_message = EmitMessage;
        trap.manager.output_message = OutputNothing;
        progress.progress_monitor = LimitScans;
    }
    ~Decoder() { jpeg_destroy_decompress(&info); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
};

// The steps below run under Guarded. A fatal error longjmps out of them, so they hold no
// object with a destructor; everything they fill was allocated by the caller.
using Step = void (*)(Decoder&);

bool Guarded(Decoder& decoder, Step step) {
    if (setjmp(decoder.trap.jump) != 0) return false;
    step(decoder);
    return true;
}

void ReadHeader(Decoder& d) {
    jpeg_create_decompress(&d.info);
    d.info.mem->max_memory_to_use = kMaxLibraryMemory;
    d.info.progress = &d.progress;
    jpeg_mem_src(&d.info, d.input.data(), static_cast<unsigned long>(d.input.size()));
    jpeg_read_header(&d.info, TRUE);
}

void CmykRowToRgb(const std::uint8_t* cmyk, std::uint8_t* rgb, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        // Inverted (Adobe) files store 255 - ink, so a stored value is already the light let
        // through; plain CMYK stores the ink.
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned light = inverted ? cmyk[c] : 255u - cmyk[c];
            rgb[c] = static_cast<std::uint8_t>((light * k + 127) / 255);
        }
    }
}

void DecodeRows(Decoder& d) {
    jpeg_start_decompress(&d.info);
    const int expected = d.cmykRow ? 4 : 3;
    if (d.info.output_components != expected) {
        Fail(reinterpret_cast<j_common_ptr>(&d.info), "Unexpected JPEG layout");
    }
    const JDIMENSION width = d.info.output_width;
    const std::size_t stride = std::size_t{width} * 3;
    while (d.info.output_scanline < d.info.output_height) {
        std::uint8_t* target = d.pixels + stride * d.info.output_scanline;
        JSAMPROW row = d.cmykRow ? d.cmykRow : target;
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1) {
            Fail(reinterpret_cast<j_common_ptr>(&d.info), "JPEG data stopped short");
        }
        if (d.cmykRow) CmykRowToRgb(d.cmykRow, target, width, d.invertedCmyk);
    }
    jpeg_finish_decompress(&d.info);
}

std::optional<Image> Refuse(std::string* error, std::string_view text) {
    if (error) *error = text;
    return std::nullopt;
}

}  // namespace

std::optional<Image> DecodeJpeg(std::span<const std::uint8_t> bytes, std::string* error) {
    if (bytes.empty()) return Refuse(error, "Empty input: no JPEG data");
    Decoder decoder;
    decoder.input = bytes;
    if (!Guarded(decoder, ReadHeader)) return Refuse(error, decoder.trap.message);

    jpeg_decompress_struct& info = decoder.info;
    const JDIMENSION width = info.image_width;
    const JDIMENSION height = info.image_height;
    constexpr auto kLimit = static_cast<JDIMENSION>(kMaxDimension);
    if (width == 0 || height == 0 || width > kLimit || height > kLimit) {
        return Refuse(error, "Picture too large: " + std::to_string(width) + " x " +
                                 std::to_string(height) + " pixels (at most " +
                                 std::to_string(kMaxDimension) + " a side)");
    }
    const std::size_t decodedBytes = std::size_t{width} * height * 3;
    if (decodedBytes > kMaxDecodedBytes) {
        return Refuse(error, "Picture too large: " + std::to_string(decodedBytes) +
                                 " bytes decoded (at most " + std::to_string(kMaxDecodedBytes) +
                                 ")");
    }

    std::vector<std::uint8_t> cmykRow;
    switch (info.jpeg_color_space) {
        case JCS_GRAYSCALE:
        case JCS_YCbCr:
        case JCS_RGB:
            info.out_color_space = JCS_RGB;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            // libjpeg turns YCCK into CMYK but not CMYK into RGB; that step is ours.
            info.out_color_space = JCS_CMYK;
            cmykRow.resize(std::size_t{width} * 4);
            decoder.cmykRow = cmykRow.data();
            decoder.invertedCmyk = info.saw_Adobe_marker;
            break;
        default:
            return Refuse(error, "Unsupported JPEG colour space");
    }

    Image image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.rgb.resize(decodedBytes);
    decoder.pixels = image.rgb.data();
    if (!Guarded(decoder, DecodeRows)) return Refuse(error, decoder.trap.message);
    if (error) error->clear();
    return image;
}

std::optional<Image> LoadJpegFile(const std::filesystem::path& file, std::string* error) {
    const std::string name = file.string();
    std::error_code failure;
    const std::uintmax_t size = std::filesystem::file_size(file, failure);
    if (failure) return Refuse(error, name + ": " + failure.message());
    if (size > kMaxFileBytes) return Refuse(error, name + ": file too large for a picture");

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    std::ifstream in(file, std::ios::binary);
    if (!in) return Refuse(error, name + ": cannot be opened");
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::uintmax_t>(in.gcount()) != size) {
        return Refuse(error, name + ": cannot be read");
    }

    std::string reason;
    std::optional<Image> image = DecodeJpeg(bytes, &reason);
    if (!image) return Refuse(error, name + ": " + reason);
    if (error) error->clear();
    return image;
}

}  // namespace zem::image
