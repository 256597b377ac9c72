#pragma once
// Character references in text runs and attribute values: named ones through a fixed table of
// 101 names (the markup characters and the Latin-1 letters and signs), numeric ones by their
// value, each standing for one character.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zem::HTML {

class EntityTable {
  public:
    static constexpr std::size_t kMaxReference = 80;  // characters between "&" and ";"
    static constexpr std::size_t kMaxName = 6;        // the longest name in the table

    // The character of a name spelt exactly as in the table: its Latin-1 code point, which is
    // also its code page 1252 byte.
    static std::optional<std::uint8_t> Find(std::string_view name);

    // text starts at "&". Stores the reference's character and answers its length through the
    // ";", or answers 0 when the text starts no recognised reference. A numeric value that is
    // no character (0, a surrogate, beyond U+10FFFF, a bad hexadecimal digit) gives U+FFFD;
    // 128 to 159 give the characters code page 1252 has there, as browsers read them.
    static std::size_t Decode(std::string_view text, char32_t& character);
};

}  // namespace zem::HTML
