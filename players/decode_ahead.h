// How the decoding thread of the audio player keeps ahead of what is heard:
// it decodes until more than kFullMs is written but not yet played, then
// sleeps until only kRefillMs is left, so a song wakes it a few times a
// second instead of at every packet.
#pragma once

#include <chrono>
#include <cstdint>

namespace lumora {

struct DecodeAhead {
  static constexpr std::int64_t kFullMs = 400;
  static constexpr std::int64_t kRefillMs = 200;

  // How long to sleep before decoding more when `aheadMs` is written but
  // not yet played; zero means decode now.
  static constexpr std::chrono::milliseconds waitFor(std::int64_t aheadMs) {
    return std::chrono::milliseconds(aheadMs > kFullMs ? aheadMs - kRefillMs : 0);
  }
};

}  // namespace lumora
