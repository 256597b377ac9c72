#pragma once
// What the scale benchmarks share: timing, medians, work run in a child process so its peak
// memory is its own, and the table they print (cost at three sizes, growth per x10, peak memory
// and the ratio to the peer measured in the same run).
#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace zem::bench {

using Sizes = std::array<int, 3>;

template <class Work>
double Seconds(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values);

// For a profiler: ZEM_BENCH_SIZE=n measures only the size n (the others print as "-"), and
// ZEM_BENCH_RUNS=r takes r runs at each size instead of the benchmark's own number;
// ZEM_BENCH_NO_PEER set leaves the peers out.
bool Skipped(int size);
int Runs(int runs);
bool PeerSkipped();

// What a child reported: the values work returned, in order, and the child's peak resident
// memory (ru_maxrss) in KiB. An empty list when the child failed.
struct ChildResult {
    std::vector<double> values;
    long peakKiB = 0;
};
// Runs work in a forked child. Call it before the process starts any thread. With
// ZEM_BENCH_NO_FORK set in the environment work runs in this process instead.
ChildResult InChild(const std::function<std::vector<double>()>& work);
// A peer's InChild; with the peers left out, count zeros (which print as "-").
ChildResult PeerInChild(const std::function<std::vector<double>()>& work, std::size_t count);

// One line of the table: the median seconds at each size and the peak memory of the child that
// measured them. peer: the index of the line this one is compared with, -1 for none.
struct Series {
    std::string label;
    std::array<double, 3> seconds{};
    std::array<long, 3> peakKiB{};
    int peer = -1;
};
void Print(const std::string& title, const Sizes& sizes, const std::vector<Series>& lines);

// The median of every index'th value in each size's list (values of one run follow each
// other, phases interleaved): runs of `phases` values each.
double MedianOfPhase(const std::vector<double>& values, std::size_t phase, std::size_t phases);

}  // namespace zem::bench
