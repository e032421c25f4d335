#pragma once
// A small random generator of our own, so that a seed gives the same demo
// data on every platform.
#include <cstdint>

namespace kp::demo {

class Rng {
  public:
    explicit Rng(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL) {}
    uint64_t Next() {
        uint64_t z = (s_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }

  private:
    uint64_t s_;
};

}  // namespace kp::demo
