#pragma once
// How a record buffer maps onto a table's columns: one column per field (a DIM field one per
// element), then one folded column per text field that a key uses. Texts are stored without
// their padding (STRING trailing blanks, CSTRING from the NUL on) and padded again on reading.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/store/schema.h"
#include "platform/store/sqlite.h"

namespace zem::store {

std::vector<std::string> DataColumns(const TableDef& def);
// Fields that have a folded column, in column order.
std::vector<int> FoldedFields(const TableDef& def);
std::string FoldedColumn(std::string_view field);
// The indexed columns of a key, in key order.
std::vector<std::string> KeyColumns(const TableDef& def, std::size_t key);

// Binds every data column and then every folded column, from parameter first on.
void BindRecord(Statement& st, int first, const TableDef& def, const std::vector<int>& folded,
                const std::byte* record);
// Reads every data column from column first on into the record.
void ReadRecord(const Statement& st, int first, const TableDef& def, std::byte* record);

// Read-ahead keeps rows compact: numbers as 8 bytes, texts as a length and their bytes. A row is
// expanded into a record buffer only when it is handed out.
void AppendCompact(const Statement& st, int first, const TableDef& def,
                   std::vector<std::byte>& arena);
void ExpandCompact(const std::byte* compact, const TableDef& def, std::byte* record);

// The text of a text field as stored (padding removed).
std::string_view StoredText(const FieldDef& field, const std::byte* element);

// A key's values in the buffer, as the index compares them.
using KeyValue = std::variant<std::int64_t, double, std::string>;
using KeyTuple = std::vector<KeyValue>;
KeyTuple MakeTuple(const TableDef& def, std::size_t key, const std::byte* record);
int BindTuple(Statement& st, int first, const KeyTuple& tuple);  // next parameter index

// Field values, in the buffer.
std::int64_t IntegerOf(const FieldDef& field, const std::byte* element);
void StoreInteger(const FieldDef& field, std::byte* element, std::int64_t value);
bool IsText(const FieldDef& field);
// Clears one field: 0 blank/zero, -1 lowest, 1 highest.
void ClearFieldBytes(const FieldDef& field, std::byte* record, int how);

}  // namespace zem::store
