// Zembrola: the display server on the main thread; framework thread 1 runs start-up and the
// frame in the data directory, and ends the process when the frame closes.
#include <iostream>
#include <string>

#include "app/wiring.h"
#include "platform/runtime/threads.h"
#include "platform/ui/qt/display_server.h"
#include "shell/data_directory.h"
#include "shell/start_application.h"

int main(int argc, char** argv) {
    std::string error;
    if (!zem::shell::EnterDataDirectory(error)) {
        std::cerr << "Zembrola: " << error << "\n";
        return 2;
    }
    const auto guard = zem::app::WireProgram();
    return zem::ui::qt::RunDisplayServer(
        argc, argv, [] { zem::runtime::Start([] { zem::shell::StartApplication(); }); });
}
