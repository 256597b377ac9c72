#include "app/wiring.h"

#include "addons/main_frame_addons.h"
#include "platform/ui/errors/error_manager.h"
#include "research/procedures/research_procedures.h"
#include "shell/dictionary_hooks.h"
#include "shell/shell_procedures.h"
#include "shell/tagging.h"

namespace zem::app {

std::unique_ptr<addons::LayoutGuard> WireProgram() {
    ui::ErrorManager::Global().Init();
    shell::TagModuleInit();
    shell::InstallDictionaryHooks();
    shell::RegisterShellProcedures();
    research::RegisterResearchProcedures();
    // Before any window opens: every window and control of the program is guarded from the
    // first, and the frame finds its menu painter and tray icon.
    auto guard = std::make_unique<addons::LayoutGuard>();
    addons::InstallFrameAddOns();
    return guard;
}

}  // namespace zem::app
