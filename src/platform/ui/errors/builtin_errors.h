#pragma once
// The messages the error manager knows from the start.
#include <span>

#include "platform/ui/errors/error_manager.h"

namespace zem::ui {

std::span<const ErrorEntry> BuiltinErrors();

}  // namespace zem::ui
