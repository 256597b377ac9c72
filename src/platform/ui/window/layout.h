#pragma once
// Window layouts are data: one JSON file per resource name under resources/layout, holding its
// windows by name with their controls. Controls nest (menus in the menu bar, tabs in a sheet,
// radios in an option) and are numbered in the order they are written, depth first, unless a
// control names its own number (the framework's navigation buttons do).
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/clock.h"
#include "platform/ui/window/control.h"
#include "platform/ui/window/display.h"

namespace zem::ui {

struct WindowLayout {
    WindowProps props;
    runtime::Ticks timer = 0;  // hundredths of a second; 0: none
    std::vector<Control> controls;
};

std::optional<WindowLayout> ParseLayout(std::string_view json, std::string_view windowName,
                                        std::string* error = nullptr);
std::optional<WindowLayout> LoadLayoutFile(const std::filesystem::path& file,
                                           std::string_view windowName,
                                           std::string* error = nullptr);
// The window of the resource, from the resource directory.
std::optional<WindowLayout> LoadLayout(std::string_view resource, std::string_view windowName,
                                       std::string* error = nullptr);

}  // namespace zem::ui
