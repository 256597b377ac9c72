#pragma once
// Character references in text runs and attribute values. Pages are single-byte text, so every
// reference stands for exactly one byte: named ones through a fixed table of 101 names, numeric
// ones by the low eight bits of their value.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zem::HTML {

class EntityTable {
  public:
    static constexpr std::size_t kMaxReference = 80;  // characters between "&" and ";"
    static constexpr std::size_t kMaxName = 6;        // the longest name in the table

    // The byte of a name spelt exactly as in the table.
    static std::optional<std::uint8_t> Find(std::string_view name);

    // text starts at "&". Stores the reference's byte and answers its length through the ";",
    // or answers 0 when the text starts no recognised reference.
    static std::size_t Decode(std::string_view text, std::uint8_t& byte);
};

}  // namespace zem::HTML
