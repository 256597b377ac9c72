#pragma once
// How a control's screen value reaches its field and back. Record fields are members of packed
// structs, so bindings copy through addresses and never form references to them.
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace zem::ui {

struct Binding {
    std::function<std::string()> get;  // the field as screen text
    // Screen text into the field; false when the text can't be read, which leaves the field.
    std::function<bool(std::string_view)> set;
};

// A blank-padded STRING field of size bytes.
Binding StringField(char* field, std::size_t size);
// A NUL-terminated CSTRING field of size bytes (at most size - 1 characters).
Binding CStringField(char* field, std::size_t size);
// A switch of size bytes (1, 2 or 4; an unsigned or signed integer) shown by a check box as
// "1"/"0"; storing writes exactly 0 or 1.
Binding SwitchField(void* field, std::size_t size = 1);

// A numeric field of type T shown and read back through a number picture ("n3", "n-14").
template <typename T>
Binding NumberField(void* field, std::string picture);

// A plain std::string variable (form-local values such as an option's).
Binding VariableField(std::string* variable);

}  // namespace zem::ui

#include "platform/ui/window/field_binding_impl.h"
