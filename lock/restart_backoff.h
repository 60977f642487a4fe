// When to start the show again after it died. The first death is answered
// at once; each further death within a short life doubles the wait, up to
// kLongestMs, so a show that dies at its start does not spin the processor.
// A show that lived kSteadyMs counts as healthy again. The lock never gives
// up: there is always a next start.
#pragma once

#include <cstdint>

namespace lumora {

class RestartBackoff {
 public:
  static constexpr std::int64_t kFirstMs = 250;
  static constexpr std::int64_t kLongestMs = 8000;
  static constexpr std::int64_t kSteadyMs = 30000;

  // The show died after living `livedMs`: how long to wait before the next start.
  std::int64_t died(std::int64_t livedMs);
  int quickDeaths() const { return quickDeaths_; }

 private:
  int quickDeaths_ = 0;
};

}  // namespace lumora
