#pragma once
// The top-level procedures the frame starts by name. Each window's module registers its entry
// when the program starts; the frame disables the menu items and buttons of procedures that are
// not registered, and the splash opens a new query only when that procedure exists.
#include <functional>
#include <string_view>

namespace zem::shell {

using ProcedureEntry = std::function<void()>;

void RegisterProcedure(std::string_view name, ProcedureEntry entry);
void UnregisterProcedure(std::string_view name);
// Empty when the procedure is not registered.
ProcedureEntry FindProcedure(std::string_view name);

// The procedures the frame starts.
inline constexpr std::string_view kConfigureApplication = "ConfigureApplication";
inline constexpr std::string_view kBrowseQueries = "BrowseQueries";
inline constexpr std::string_view kBrowseTree = "BrowseTree";
inline constexpr std::string_view kNewQuery = "NewQuery";

}  // namespace zem::shell
