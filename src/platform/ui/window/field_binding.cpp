#include "platform/ui/window/field_binding.h"

#include <algorithm>
#include <cstdint>

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
                       return true;
                   }};
}

Binding CStringField(char* field, std::size_t size) {
    return Binding{[field, size] { return std::string(field, strnlen(field, size)); },
                   [field, size](std::string_view text) {
                       if (size == 0) return true;
                       const std::size_t n = std::min(size - 1, text.size());
                       std::memcpy(field, text.data(), n);
                       std::memset(field + n, '\0', size - n);
                       return true;
                   }};
}

Binding SwitchField(void* field, std::size_t size) {
    if (size != 1 && size != 2 && size != 4) size = 1;
    return Binding{[field, size] {
                       unsigned char bytes[4] = {};
                       std::memcpy(bytes, field, size);
                       const bool on =
                           std::any_of(bytes, bytes + size, [](unsigned char b) { return b != 0; });
                       return std::string(on ? "1" : "0");
                   },
                   [field, size](std::string_view text) {
                       const std::uint32_t value = (!text.empty() && text != "0") ? 1 : 0;
                       // Little-endian integers: the low byte carries the switch.
                       unsigned char bytes[4] = {static_cast<unsigned char>(value), 0, 0, 0};
                       std::memcpy(field, bytes, size);
                       return true;
                   }};
}

Binding VariableField(std::string* variable) {
    return Binding{[variable] { return *variable; },
                   [variable](std::string_view text) {
                       variable->assign(text);
                       return true;
                   }};
}

}  // namespace zem::ui
