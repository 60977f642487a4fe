// Random: the show's one pseudo-random generator, a 32-bit linear
// congruential sequence shared by the slide step, the effects, the caption
// painter and the media playlist.
#pragma once

#include <cstdint>

namespace lumora {

class Random {
 public:
  explicit Random(std::uint32_t seed = 0) : seed_(seed) {}

  // seed = seed * 134775813 + 1 (mod 2^32); the result is the high 32 bits of
  // the 64-bit product of the new seed and n (as unsigned 32-bit), read as a
  // signed 32-bit number. So 0 <= next(n) < n for n > 0 and next(0) == 0.
  int next(int n) {
    seed_ = seed_ * 134775813u + 1u;
    const std::uint64_t product = std::uint64_t(seed_) * std::uint64_t(std::uint32_t(n));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(product >> 32));
  }

  std::uint32_t seed() const { return seed_; }
  void setSeed(std::uint32_t seed) { seed_ = seed; }

 private:
  std::uint32_t seed_;
};

// The seed a show starts with: the UTC time of day in milliseconds.
std::uint32_t seedFromTimeOfDay();

}  // namespace lumora
