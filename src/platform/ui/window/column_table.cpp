#include "platform/ui/window/column_table.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "platform/runtime/letter_case.h"

namespace zem::ui {

namespace {

// Every byte's capital, looked up: a sort folds each text of its column.
constexpr std::array<char, 256> kCapitals = [] {
    std::array<char, 256> capitals{};
    for (std::size_t c = 0; c < capitals.size(); ++c)
        capitals[c] = static_cast<char>(runtime::UpperCp1252(static_cast<unsigned char>(c)));
    return capitals;
}();

}  // namespace

// Texts are mostly ASCII: eight such bytes at a time have their small letters raised together,
// each byte's flag bit telling whether it lies in 'a'..'z' (no byte carries into the next).
// A group with an upper-half byte is looked up byte by byte.
void FoldCase(std::string_view text, char* out) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighBits = 0x80 * kOnes;
    const char* in = text.data();
    std::size_t left = text.size();
    for (; left >= 8; left -= 8, in += 8, out += 8) {
        std::uint64_t group;
        std::memcpy(&group, in, 8);
        if ((group & kHighBits) == 0) {
            const std::uint64_t fromA = group + (0x80 - 'a') * kOnes;
            const std::uint64_t pastZ = group + (0x80 - 'z' - 1) * kOnes;
            group -= ((fromA & ~pastZ) & kHighBits) >> 2;  // 0x80 >> 2 is the case bit 0x20
            std::memcpy(out, &group, 8);
        } else {
            for (int i = 0; i < 8; ++i) out[i] = kCapitals[static_cast<unsigned char>(in[i])];
        }
    }
    for (; left > 0; --left) *out++ = kCapitals[static_cast<unsigned char>(*in++)];
}

}  // namespace zem::ui
