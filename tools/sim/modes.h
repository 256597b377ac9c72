#pragma once
// The ways the simulator can misbehave, set on the command line or switched while it runs.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "proxy_request.h"

namespace zem::sim {

// Throttle: 503 with the service's RequestThrottled error reply, as a client that asks too fast
// gets.
enum class Failure { None, Status500, Drop, Throttle };

struct Modes {
    std::string proxyAuth;  // "user:password" demanded as Basic proxy credentials; empty: none
    int delayMs = 0;        // wait before answering
    bool stall = false;     // send headers and part of the body, then nothing until shutdown
    Failure fail = Failure::None;
    std::optional<std::size_t> cut;  // body bytes sent before the connection is closed
    // When set, fail and cut apply to this many more proxied requests and then switch off.
    std::optional<std::size_t> failTimes;
    // The share of service requests (0 to 1) answered with the throttling error when no other
    // failure applies; which ones follows from the seed and the request's number.
    double throttleRate = 0;
};

// "0.1": a rate from 0 to 1.
std::optional<double> ParseRate(std::string_view text);

// Whether the request numbered `n` (from 0, service requests only) falls to the throttle rate.
bool IsThrottled(std::uint64_t seed, std::uint64_t n, double rate);

// Takes one request's share of the modes: answers the modes that apply to it and counts it
// against failTimes.
Modes TakeRequestModes(Modes& modes);

// "500", "drop" or "throttle" (and "none" for the control endpoint).
std::optional<Failure> ParseFailure(std::string_view text);

// Applies the control endpoint's parameters (reset, auth, delay, stall, fail, cut, times,
// throttle-rate) in
// order.
// Answers an error text, or empty when all applied.
std::string ApplyModeParams(Modes& modes, const QueryParams& params);

// The modes in command-line syntax; "normal" when none is set.
std::string DescribeModes(const Modes& modes);

}  // namespace zem::sim
