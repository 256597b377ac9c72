#include "platform/ui/field_binding.h"

#include <algorithm>

namespace zem::ui {

Binding StringField(char* field, std::size_t size) {
    return Binding{[field, size] {
                       std::string_view text(field, size);
                       while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
                           text.remove_suffix(1);
                       return std::string(text);
                   },
                   [field, size](std::string_view text) {
                       const std::size_t n = std::min(size, text.size());
                       std::memcpy(field, text.data(), n);
                       std::memset(field + n, ' ', size - n);
                   }};
}

Binding CStringField(char* field, std::size_t size) {
    return Binding{[field, size] { return std::string(field, strnlen(field, size)); },
                   [field, size](std::string_view text) {
                       if (size == 0) return;
                       const std::size_t n = std::min(size - 1, text.size());
                       std::memcpy(field, text.data(), n);
                       std::memset(field + n, '\0', size - n);
                   }};
}

Binding SwitchField(void* field) {
    return Binding{[field] {
                       unsigned char b;
                       std::memcpy(&b, field, 1);
                       return std::string(b ? "1" : "0");
                   },
                   [field](std::string_view text) {
                       const unsigned char b = (!text.empty() && text != "0") ? 1 : 0;
                       std::memcpy(field, &b, 1);
                   }};
}

Binding VariableField(std::string* variable) {
    return Binding{[variable] { return *variable; },
                   [variable](std::string_view text) { variable->assign(text); }};
}

}  // namespace zem::ui
