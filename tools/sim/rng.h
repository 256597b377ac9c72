#pragma once
// Hashing and pseudo-random numbers of our own: the standard library's engines are fixed, but
// its distributions and std::hash differ between implementations, and every generated reply
// must come out byte for byte the same wherever the simulator runs.
#include <cstdint>
#include <string_view>

namespace zem::sim {

// SplitMix64: small, fast, and every 64-bit seed gives a full-period sequence.
class Rng {
  public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A value in [0, n); 0 when n is 0.
    std::uint64_t Below(std::uint64_t n) { return n == 0 ? 0 : Next() % n; }
    // A value in [low, high].
    std::int64_t Between(std::int64_t low, std::int64_t high) {
        return low + static_cast<std::int64_t>(Below(static_cast<std::uint64_t>(high - low) + 1));
    }
    // True in `num` of `den` cases.
    bool Chance(std::uint64_t num, std::uint64_t den) { return Below(den) < num; }

  private:
    std::uint64_t state_;
};

// FNV-1a over the parts, each closed by a separator so ("ab", "c") and ("a", "bc") differ.
class Hasher {
  public:
    Hasher& Add(std::string_view text) {
        for (unsigned char c : text) Mix(c);
        Mix(0xFF);
        return *this;
    }
    Hasher& Add(std::uint64_t value) {
        for (int i = 0; i < 8; ++i) Mix(static_cast<unsigned char>(value >> (8 * i)));
        Mix(0xFE);
        return *this;
    }
    // The FNV state run through one SplitMix step, so nearby inputs give unrelated seeds.
    std::uint64_t Value() const { return Rng(hash_).Next(); }

  private:
    void Mix(unsigned char c) {
        hash_ ^= c;
        hash_ *= 0x100000001B3ull;
    }
    std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

}  // namespace zem::sim
