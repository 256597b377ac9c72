#pragma once
// The links between the tables and what a change or a delete of a parent row does to its
// children. Each relation is seen from both ends: the parent's relation object applies the
// rules, the child's knows its parent only as a lookup.
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "data/tables.h"

namespace zem::data {

// None leaves the children alone, Clear zeroes their link fields, Cascade changes them along
// (update) or deletes them along (delete).
enum class Rule : unsigned char { None, Clear, Cascade };

struct LinkDef {
    std::string_view parentField;
    std::string_view childField;
};

struct RelationDef {
    TableId parent;
    TableId child;
    std::size_t childKey;  // a key of the child that starts with the child's link fields
    std::array<LinkDef, 2> links;
    std::size_t linkCount;
    Rule onUpdate;
    Rule onDelete;
};

// The relations a table takes part in (as parent or as child), in the order it declares them.
std::span<const RelationDef* const> RelationsOf(TableId id);

}  // namespace zem::data
