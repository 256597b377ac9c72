#pragma once
// Describes a table to the store: its fields with their place in the record buffer, and its keys.
// Record buffers are packed structs; the store reads and writes them through these descriptions.
#include <cstdint>
#include <span>
#include <string_view>

namespace zem::store {

enum class FieldType : std::uint8_t { Byte, Short, Long, Real, Date, Time, String, CString };

struct FieldDef {
    std::string_view name;  // without the prefix: "ID", "NAME"
    FieldType type;
    std::uint32_t offset;   // byte offset in the record buffer
    std::uint32_t size;     // bytes of one element
    std::uint32_t dim = 1;  // elements of a DIM field
};

struct KeyDef {
    std::string_view name;                  // "KeyId"
    std::span<const std::uint16_t> fields;  // indexes into TableDef::fields, in key order
    bool unique = false;
    bool primary = false;
    bool autoNumber = false;  // a single LONG component that the store may number
    std::string_view description;
};

struct TableDef {
    std::string_view name;     // the table's label ("aSites")
    std::string_view sqlName;  // the physical table ("Sites"); aliases share their table's
    std::string_view prefix;   // "ASI"
    std::span<const FieldDef> fields;
    std::span<const KeyDef> keys;
    std::uint32_t recordSize;
};

}  // namespace zem::store
