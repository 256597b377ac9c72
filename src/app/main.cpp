// Zembrola: starts framework thread 1 in the data directory and waits for it.
#include <atomic>
#include <iostream>
#include <string>

#include "platform/runtime/threads.h"
#include "platform/ui/error_manager.h"
#include "shell/console_start.h"
#include "shell/data_directory.h"
#include "shell/dictionary_hooks.h"
#include "shell/tagging.h"

int main() {
    std::string error;
    if (!zem::shell::EnterDataDirectory(error)) {
        std::cerr << "Zembrola: " << error << "\n";
        return 2;
    }
    zem::ui::ErrorManager::Global().Init();
    zem::shell::TagModuleInit();
    zem::shell::InstallDictionaryHooks();

    std::atomic<int> exitCode{0};
    const auto first =
        zem::runtime::Start([&] { exitCode = zem::shell::ConsoleStart(std::cout, std::cerr); });
    zem::runtime::Join(first);
    zem::shell::TagModuleKill();
    return exitCode;
}
