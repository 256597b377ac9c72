#pragma once
// Timing of the user's round trip through a window: input sent to the procedure's thread, its
// handler changing a control, the change shown. Reports medians and 99th percentiles.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace zem::bench {

struct Percentiles {
    double median = 0;  // microseconds
    double p99 = 0;
};

inline Percentiles Measure(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    if (samples.empty()) return {};
    return {samples[samples.size() / 2],
            samples[std::min(samples.size() - 1, samples.size() * 99 / 100)]};
}

template <typename RoundTrip>
Percentiles Time(int rounds, RoundTrip roundTrip) {
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(rounds));
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        roundTrip(i);
        const auto end = std::chrono::steady_clock::now();
        samples.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    return Measure(std::move(samples));
}

inline void Report(const char* name, Percentiles p, Percentiles peer) {
    std::printf("%-34s median %9.1f us  p99 %9.1f us  (x%.1f / x%.1f of the peer)\n", name,
                p.median, p.p99, peer.median > 0 ? p.median / peer.median : 0,
                peer.p99 > 0 ? p.p99 / peer.p99 : 0);
}

}  // namespace zem::bench
