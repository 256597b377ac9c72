// Zembrola: the display server on the main thread; framework thread 1 runs start-up and the
// frame in the data directory, and ends the process when the frame closes.
#include <iostream>
#include <string>

#include "addons/main_frame_addons.h"
#include "addons/layout_guard.h"
#include "platform/runtime/threads.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/qt/display_server.h"
#include "research/procedures/research_procedures.h"
#include "shell/data_directory.h"
#include "shell/dictionary_hooks.h"
#include "shell/shell_procedures.h"
#include "shell/start_application.h"
#include "shell/tagging.h"

int main(int argc, char** argv) {
    std::string error;
    if (!zem::shell::EnterDataDirectory(error)) {
        std::cerr << "Zembrola: " << error << "\n";
        return 2;
    }
    zem::ui::ErrorManager::Global().Init();
    zem::shell::TagModuleInit();
    zem::shell::InstallDictionaryHooks();
    zem::shell::RegisterShellProcedures();
    zem::research::RegisterResearchProcedures();
    // Before any window opens: every window and control of the program is guarded from the
    // first, and the frame finds its menu painter and tray icon.
    const zem::addons::LayoutGuard guard;
    zem::addons::InstallFrameAddOns();
    return zem::ui::qt::RunDisplayServer(
        argc, argv, [] { zem::runtime::Start([] { zem::shell::StartApplication(); }); });
}
