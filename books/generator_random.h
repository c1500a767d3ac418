// The generator's own random numbers (SplitMix64): the same sequence for the same seed on
// every platform and standard library, which the standard distributions do not promise.
#pragma once

#include <cstdint>

namespace vintor::books {

class GeneratorRandom {
 public:
  explicit GeneratorRandom(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // A number in [0, n); n must be positive. The modulo bias is far below anything a
  // benchmark notices.
  std::uint64_t Below(std::uint64_t n) { return Next() % n; }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

  // True with the given chance in percent.
  bool Chance(int percent) { return Below(100) < percent; }

 private:
  std::uint64_t state_;
};

}  // namespace vintor::books
