#pragma once
// Template part of field_binding.h.
#include <cstring>
#include <limits>

#include "platform/runtime/pictures.h"

namespace zem::ui {

template <typename T>
Binding NumberField(void* field, std::string picture) {
    return Binding{
        [field, picture] {
            T value;
            std::memcpy(&value, field, sizeof value);
            return runtime::Trimmed(runtime::FormatNumber(static_cast<double>(value), picture));
        },
        [field, picture](std::string_view text) {
            // Text that is no number, or a number the field can't hold, leaves it as it was.
            const auto number = runtime::DeformatNumber(text, picture);
            if (!number || !(*number >= static_cast<double>(std::numeric_limits<T>::lowest()) &&
                             *number <= static_cast<double>(std::numeric_limits<T>::max())))
                return false;
            const T value = static_cast<T>(*number);
            std::memcpy(field, &value, sizeof value);
            return true;
        }};
}

}  // namespace zem::ui
