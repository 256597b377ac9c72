#include "modes.h"

#include <charconv>
#include <limits>

#include "number_text.h"
#include "rng.h"

namespace zem::sim {

std::optional<Failure> ParseFailure(std::string_view text) {
    if (text == "500") return Failure::Status500;
    if (text == "drop") return Failure::Drop;
    if (text == "throttle") return Failure::Throttle;
    if (text == "none") return Failure::None;
    return std::nullopt;
}

namespace {

// "none" clears the count, a number sets it; false for anything else.
bool SetCount(std::optional<std::size_t>& count, std::string_view value,
              std::optional<std::int64_t> number) {
    if (value == "none") {
        count.reset();
    } else if (number) {
        count = static_cast<std::size_t>(*number);
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::optional<double> ParseRate(std::string_view text) {
    double rate = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rate);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || !(rate >= 0) ||
        rate > 1)
        return std::nullopt;
    return rate;
}

bool IsThrottled(std::uint64_t seed, std::uint64_t n, double rate) {
    constexpr std::uint64_t kScale = 1'000'000;
    const auto threshold = static_cast<std::uint64_t>(rate * kScale + 0.5);
    return Rng(Hasher().Add(seed).Add("throttle").Add(n).Value()).Below(kScale) < threshold;
}

std::string ApplyModeParams(Modes& modes, const QueryParams& params) {
    Modes next = modes;
    for (const auto& [key, value] : params) {
        const std::optional<std::int64_t> number = ParseCount(value);
        if (key == "reset") {
            next = Modes{};
        } else if (key == "auth") {
            if (!value.empty() && value.find(':') == std::string::npos)
                return "auth takes user:password (empty to switch it off)";
            next.proxyAuth = value;
        } else if (key == "delay") {
            if (!number || *number > std::numeric_limits<int>::max())
                return "delay takes milliseconds";
            next.delayMs = static_cast<int>(*number);
        } else if (key == "stall") {
            if (value != "0" && value != "1") return "stall takes 0 or 1";
            next.stall = value == "1";
        } else if (key == "fail") {
            const std::optional<Failure> failure = ParseFailure(value);
            if (!failure) return "fail takes 500, drop, throttle or none";
            next.fail = *failure;
        } else if (key == "cut") {
            if (!SetCount(next.cut, value, number)) return "cut takes a byte count or none";
        } else if (key == "times") {
            if (!SetCount(next.failTimes, value, number))
                return "times takes a request count or none";
        } else if (key == "throttle-rate") {
            const std::optional<double> rate = ParseRate(value);
            if (!rate) return "throttle-rate takes a rate from 0 to 1";
            next.throttleRate = *rate;
        } else {
            return "unknown mode " + key;
        }
    }
    modes = next;
    return {};
}

Modes TakeRequestModes(Modes& modes) {
    Modes applied = modes;
    if (!modes.failTimes) return applied;
    if (*modes.failTimes == 0) {
        applied.fail = Failure::None;
        applied.cut.reset();
    }
    if (*modes.failTimes <= 1) {
        modes.fail = Failure::None;
        modes.cut.reset();
        modes.failTimes.reset();
    } else {
        --*modes.failTimes;
    }
    return applied;
}

std::string DescribeModes(const Modes& modes) {
    std::string text;
    const auto add = [&](std::string part) {
        if (!text.empty()) text += ' ';
        text += part;
    };
    if (!modes.proxyAuth.empty()) add("--require-proxy-auth " + modes.proxyAuth);
    if (modes.delayMs > 0) add("--delay-ms " + std::to_string(modes.delayMs));
    if (modes.stall) add("--stall");
    if (modes.fail == Failure::Status500) add("--fail 500");
    if (modes.fail == Failure::Drop) add("--fail drop");
    if (modes.fail == Failure::Throttle) add("--fail throttle");
    if (modes.cut) add("--cut " + std::to_string(*modes.cut));
    if (modes.failTimes) add("--fail-times " + std::to_string(*modes.failTimes));
    if (modes.throttleRate > 0) {
        char rate[32];
        const auto end = std::to_chars(rate, rate + sizeof rate, modes.throttleRate).ptr;
        add("--throttle-rate " + std::string(rate, end));
    }
    return text.empty() ? "normal" : text;
}

}  // namespace zem::sim
