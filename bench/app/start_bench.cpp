// Program start to the frame shown, on the Qt display (offscreen), with a new data file and with
// one holding a crawled tree of 100,000 nodes. Every run is a process of its own, started with
// exec as a user starts the program; the time runs from the fork to the moment the frame's
// window is exposed, which the child reports through a pipe. The child starts the way the
// program's main does. Peer: a bare Qt program that opens the same SQLCipher file with the same
// key, reads its schema (which derives the key) and shows a QMainWindow.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMainWindow>
#include <QWindow>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/wiring.h"
#include "catalog/crawl.h"
#include "platform/runtime/threads.h"
#include "platform/store/sqlite.h"
#include "platform/ui/qt/display_server.h"
#include "platform/ui/qt/qt_display.h"
#include "platform/ui/qt/window_view.h"
#include "platform/ui/window/display.h"
#include "scale.h"
#include "shell/data_directory.h"
#include "shell/start_application.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
constexpr const char* kPassword = "qorv lantis  u mepr";
constexpr int kRuns = 7;
constexpr int kTreeNodes = 100000;

// The child tells the parent through this descriptor that the frame is shown.
int ReportFd() {
    const char* fd = std::getenv("ZEM_BENCH_REPORT_FD");
    return fd ? std::atoi(fd) : -1;
}

void ReportShownAndEnd() {
    const char shown = 1;
    if (write(ReportFd(), &shown, 1) != 1) _exit(3);
    // The measure is taken: the parent ends this process.
    for (;;) pause();
}

bool Exposed(QWidget* widget) {
    return widget && widget->isVisible() && widget->windowHandle() &&
           widget->windowHandle()->isExposed();
}

// The program, started as its main starts it, with a watcher that waits for the frame.
int RunProgram(int argc, char** argv) {
    // ZEM_BENCH_STEPS set: the start-up's steps, in milliseconds from main, on standard output.
    if (std::getenv("ZEM_BENCH_STEPS")) {
        zem::shell::SetStartupObserver([start = std::chrono::steady_clock::now()](
                                           std::string_view step) {
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            std::printf("%8.1f ms  %.*s\n", ms, static_cast<int>(step.size()), step.data());
            std::fflush(stdout);
        });
    }
    std::string error;
    if (!zem::shell::EnterDataDirectory(error)) return 2;
    const auto guard = zem::app::WireProgram();
    std::thread watcher;
    return zem::ui::qt::RunDisplayServer(argc, argv, [&] {
        zem::runtime::Start([] { zem::shell::StartApplication(); });
        watcher = std::thread([] {
            auto* display = dynamic_cast<zem::ui::qt::QtDisplay*>(zem::ui::CurrentDisplay().get());
            if (!display) _exit(4);
            const std::optional<zem::ui::WindowId> frame = display->WaitForWindow("Main", 60s);
            if (!frame) _exit(5);
            for (;;) {
                bool shown = false;
                display->Inspect(*frame, [&](zem::ui::qt::WindowView* view) {
                    shown = view && view->top && Exposed(view->top->window());
                });
                if (shown) ReportShownAndEnd();
                std::this_thread::sleep_for(1ms);
            }
        });
        watcher.detach();
    });
}

// The peer: the data file opened with the same key, and a main window shown.
int RunBare(int argc, char** argv) {
    std::string error;
    if (!zem::shell::EnterDataDirectory(error)) return 2;
    QApplication app(argc, argv);
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(zem::shell::kDataFileName, &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        return 6;
    zem::store::DbHandle db(raw);
    sqlite3_key(raw, kPassword, static_cast<int>(std::strlen(kPassword)));
    if (sqlite3_exec(raw, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        return 7;
    QMainWindow window;
    window.resize(800, 600);
    window.setWindowTitle("Zembrola");
    window.show();
    while (!Exposed(&window)) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    ReportShownAndEnd();
    return 0;
}

struct Run {
    double seconds = 0;
    long peakKiB = 0;
};

// One start of this binary as mode, in home; nullopt when the child failed.
std::optional<Run> StartOnce(const char* self, const char* mode,
                             const std::filesystem::path& home) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return std::nullopt;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        close(pipeFds[0]);
        // Qt's notes about the offscreen platform would drown the table.
        if (const int quiet = open("/dev/null", O_WRONLY); quiet >= 0) dup2(quiet, 2);
        ::setenv("ZEMBROLA_HOME", home.c_str(), 1);
        ::setenv("ZEM_BENCH_REPORT_FD", std::to_string(pipeFds[1]).c_str(), 1);
        execl(self, self, mode, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    char shown = 0;
    const bool reported = read(pipeFds[0], &shown, 1) == 1;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(pipeFds[0]);
    kill(child, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!reported) {
        std::fprintf(stderr, "%s did not show its window (status %d)\n", mode, status);
        return std::nullopt;
    }
    return Run{seconds, usage.ru_maxrss};
}

// The median of kRuns starts; with a new data file each start gets an empty home.
std::optional<Run> Median(const char* self, const char* mode, const std::filesystem::path& tree) {
    std::vector<double> seconds;
    long peak = 0;
    for (int i = 0; i < kRuns; ++i) {
        zem::test::TempDir home;
        if (!tree.empty()) std::filesystem::copy_file(tree, home / zem::shell::kDataFileName);
        const std::optional<Run> run = StartOnce(self, mode, home.Path());
        if (!run) return std::nullopt;
        seconds.push_back(run->seconds);
        peak = std::max(peak, run->peakKiB);
    }
    return Run{zem::bench::Median(seconds), peak};
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc > 1 && std::string_view(argv[1]) == "program") return RunProgram(1, argv);
    if (argc > 1 && std::string_view(argv[1]) == "bare") return RunBare(1, argv);
    // The 100,000-node data file alone, to start the program on it by hand.
    if (argc > 2 && std::string_view(argv[1]) == "seed")
        return zem::bench::SeedFile(argv[2], kTreeNodes) ? 0 : 1;

    zem::test::TempDir seeded;
    const std::filesystem::path tree = seeded / "tree.cfg";
    if (!zem::bench::SeedFile(tree, kTreeNodes)) return 1;
    std::printf("Program start to the frame shown, Qt display (offscreen), median of %d starts\n",
                kRuns);
    std::printf("  %-34s %12s %12s %8s %10s\n", "data file", "program", "bare", "ratio",
                "peak MiB");
    for (const auto& [label, file] :
         {std::pair<const char*, std::filesystem::path>{"new", {}}, {"100,000 nodes", tree}}) {
        const auto ours = Median(argv[0], "program", file);
        const auto peer = Median(argv[0], "bare", file);
        if (!ours || !peer) return 1;
        std::printf("  %-34s %10.1f ms %10.1f ms %8.2f %5ld %4ld\n", label, ours->seconds * 1e3,
                    peer->seconds * 1e3, ours->seconds / peer->seconds, ours->peakKiB / 1024,
                    peer->peakKiB / 1024);
    }
    return 0;
}
