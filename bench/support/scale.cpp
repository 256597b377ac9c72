#include "scale.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zem::bench {

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool Skipped(int size) {
    const char* only = std::getenv("ZEM_BENCH_SIZE");
    return only && std::atoi(only) != size;
}

int Runs(int runs) {
    const char* set = std::getenv("ZEM_BENCH_RUNS");
    return set && std::atoi(set) > 0 ? std::atoi(set) : runs;
}

bool PeerSkipped() {
    return std::getenv("ZEM_BENCH_NO_PEER") != nullptr;
}

double MedianOfPhase(const std::vector<double>& values, std::size_t phase, std::size_t phases) {
    std::vector<double> of;
    for (std::size_t i = phase; i < values.size(); i += phases) of.push_back(values[i]);
    return Median(of);
}

ChildResult InChild(const std::function<std::vector<double>()>& work) {
    // For a debugger or a profiler: everything in this process, the peak being the process's.
    if (std::getenv("ZEM_BENCH_NO_FORK")) {
        ChildResult result{work(), 0};
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        result.peakKiB = usage.ru_maxrss;
        return result;
    }
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) return {};
    if (child == 0) {
        close(pipeFds[0]);
        const std::vector<double> values = work();
        const auto bytes = static_cast<ssize_t>(values.size() * sizeof(double));
        const bool written =
            write(pipeFds[1], values.data(), static_cast<std::size_t>(bytes)) == bytes;
        close(pipeFds[1]);
        std::fflush(nullptr);
        _exit(written ? 0 : 1);
    }
    close(pipeFds[1]);
    ChildResult result;
    double value;
    while (read(pipeFds[0], &value, sizeof value) == static_cast<ssize_t>(sizeof value))
        result.values.push_back(value);
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "a measuring child failed (status %d)\n", status);
        return {};
    }
    result.peakKiB = usage.ru_maxrss;
    return result;
}

ChildResult PeerInChild(const std::function<std::vector<double>()>& work, std::size_t count) {
    if (PeerSkipped()) return {std::vector<double>(count, 0.0), 0};
    return InChild(work);
}

namespace {

std::string Cost(double seconds) {
    char text[32];
    if (seconds <= 0)
        std::snprintf(text, sizeof text, "-");
    else if (seconds < 1e-3)
        std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
    else if (seconds < 1)
        std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    else
        std::snprintf(text, sizeof text, "%.3f s", seconds);
    return text;
}

std::string Growth(double from, double to) {
    char text[16];
    if (from <= 0 || to <= 0) return "-";
    std::snprintf(text, sizeof text, "%.1fx", to / from);
    return text;
}

}  // namespace

void Print(const std::string& title, const Sizes& sizes, const std::vector<Series>& lines) {
    std::printf("\n%s\n", title.c_str());
    std::printf("  %-34s %11d %11d %11d   %-13s %s\n", "median", sizes[0], sizes[1], sizes[2],
                "growth/x10", "peak MiB");
    for (const Series& s : lines) {
        std::printf("  %-34s %11s %11s %11s   %-6s %-6s %5.0f %5.0f %5.0f\n", s.label.c_str(),
                    Cost(s.seconds[0]).c_str(), Cost(s.seconds[1]).c_str(),
                    Cost(s.seconds[2]).c_str(), Growth(s.seconds[0], s.seconds[1]).c_str(),
                    Growth(s.seconds[1], s.seconds[2]).c_str(), s.peakKiB[0] / 1024.0,
                    s.peakKiB[1] / 1024.0, s.peakKiB[2] / 1024.0);
        if (s.peer < 0) continue;
        const Series& p = lines[static_cast<std::size_t>(s.peer)];
        std::array<char[16], 3> ratio{};
        for (std::size_t i = 0; i < 3; ++i)
            if (p.seconds[i] > 0)
                std::snprintf(ratio[i], sizeof ratio[i], "%.2f", s.seconds[i] / p.seconds[i]);
            else
                std::snprintf(ratio[i], sizeof ratio[i], "-");
        std::printf("  %-34s %11s %11s %11s\n", ("  ratio to " + p.label).c_str(), ratio[0],
                    ratio[1], ratio[2]);
    }
    std::fflush(stdout);
}

}  // namespace zem::bench
