#include "platform/ui/qt/session_end.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <csignal>

#include "platform/ui/qt/qt_display.h"

#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

namespace zem::ui::qt {
namespace {

// The signal handler may only write to a descriptor; the GUI thread reads it.
int g_signalPipe[2] = {-1, -1};

void OnTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

class Watch final : public SessionWatch {
  public:
    explicit Watch(QtDisplay& display) {
        auto* app = qGuiApp;
#ifndef QT_NO_SESSIONMANAGER
        // Not cancelling the request is the answer that the session may end.
        QObject::connect(app, &QGuiApplication::commitDataRequest, &context_,
                         [&display](QSessionManager&) { display.EndSession(); });
#endif
        QObject::connect(app, &QGuiApplication::applicationStateChanged, &context_,
                         [&display](Qt::ApplicationState state) {
                             display.ApplicationActivation(state == Qt::ApplicationActive);
                         });
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) return;
        notifier_ = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_, [&display] {
            char byte = 0;
            [[maybe_unused]] const auto got = ::read(g_signalPipe[0], &byte, 1);
            display.EndSession();
        });
        struct sigaction action {};
        action.sa_handler = &OnTerminate;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, &previous_);
        installed_ = true;
    }
    ~Watch() override {
        if (installed_) ::sigaction(SIGTERM, &previous_, nullptr);
        notifier_.reset();
        for (int& fd : g_signalPipe)
            if (fd >= 0) {
                ::close(fd);
                fd = -1;
            }
    }

  private:
    QObject context_;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previous_ {};
    bool installed_ = false;
};

}  // namespace

std::unique_ptr<SessionWatch> WatchSessionEnd(QtDisplay& display) {
    return std::make_unique<Watch>(display);
}

}  // namespace zem::ui::qt
