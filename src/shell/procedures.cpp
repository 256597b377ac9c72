#include "shell/procedures.h"

#include <map>
#include <mutex>
#include <string>

namespace zem::shell {
namespace {

std::mutex g_mutex;
std::map<std::string, ProcedureEntry, std::less<>> g_procedures;

}  // namespace

void RegisterProcedure(std::string_view name, ProcedureEntry entry) {
    std::lock_guard lock(g_mutex);
    g_procedures[std::string(name)] = std::move(entry);
}

void UnregisterProcedure(std::string_view name) {
    std::lock_guard lock(g_mutex);
    if (const auto it = g_procedures.find(name); it != g_procedures.end()) g_procedures.erase(it);
}

ProcedureEntry FindProcedure(std::string_view name) {
    std::lock_guard lock(g_mutex);
    const auto it = g_procedures.find(name);
    return it == g_procedures.end() ? ProcedureEntry{} : it->second;
}

}  // namespace zem::shell
