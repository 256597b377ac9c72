#pragma once
// Reads a view's filter text into an SQL condition with its parameters.
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/store/schema.h"

namespace zem::store {

struct SqlCondition {
    std::string where;
    std::vector<std::variant<long long, double, std::string>> params;
};

// False when the text can't be read (unknown field, bad syntax).
bool TranslateFilter(std::string_view filter, const TableDef& def, SqlCondition& out,
                     std::string& error);

}  // namespace zem::store
