#pragma once
// The ways the simulator can misbehave, set on the command line or switched while it runs.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "proxy_request.h"

namespace zem::sim {

enum class Failure { None, Status500, Drop };

struct Modes {
    std::string proxyAuth;  // "user:password" demanded as Basic proxy credentials; empty: none
    int delayMs = 0;        // wait before answering
    bool stall = false;     // send headers and part of the body, then nothing until shutdown
    Failure fail = Failure::None;
    std::optional<std::size_t> cut;  // body bytes sent before the connection is closed
};

// "500" or "drop" (and "none" for the control endpoint).
std::optional<Failure> ParseFailure(std::string_view text);

// Applies the control endpoint's parameters (reset, auth, delay, stall, fail, cut) in order.
// Answers an error text, or empty when all applied.
std::string ApplyModeParams(Modes& modes, const QueryParams& params);

// The modes in command-line syntax; "normal" when none is set.
std::string DescribeModes(const Modes& modes);

}  // namespace zem::sim
