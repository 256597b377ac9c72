#include "platform/ui/qt/display_server.h"

#include <QApplication>
#include <memory>

#include "platform/ui/window/display.h"
#include "platform/ui/help/help.h"
#include "platform/ui/qt/clipboard_backend.h"
#include "platform/ui/qt/help_viewer.h"
#include "platform/ui/qt/owner_draw_style.h"
#include "platform/ui/qt/qt_display.h"
#include "platform/ui/qt/session_end.h"
#include "platform/ui/qt/tray_backend.h"
#include "platform/ui/window/window.h"

namespace zem::ui::qt {

int RunDisplayServer(int argc, char** argv, std::function<void()> start) {
    QApplication application(argc, argv);
    // Windows come and go with their procedures; only thread 1 ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    // Menus drawn by the program's painter once it sets one; until then the style draws them.
    InstallOwnerDrawStyle();

    const auto display = std::make_shared<QtDisplay>();
    const auto help = std::make_shared<QtHelpViewer>();
    ClipboardBridge clipboard;
    SetDisplay(display);
    RouteMessagesToDisplay();
    InstallWindowBusyHooks();
    SetHelpViewer(help);
    clipboard.Install();
    const auto tray = std::make_shared<QtTrayBackend>();
    win::SetTrayBackend(tray);
    const auto session = WatchSessionEnd(*display);

    if (start) start();
    const int code = QApplication::exec();

    // Should the loop end while threads still run, their calls find everything closed.
    win::SetTrayBackend(nullptr);
    tray->Close();
    clipboard.Uninstall();
    SetHelpViewer(nullptr);
    help->Close();
    display->Shutdown();
    return code;
}

}  // namespace zem::ui::qt
