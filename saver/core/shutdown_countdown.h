// The shutdown countdown's decision: the show powers the machine off once
// the set number of whole clock minutes has passed since it started. Clock
// minutes, seconds ignored: from 10:00:59 to 10:01:00 is one minute.
#pragma once

#include <cstdint>

namespace lumora {

// A wall-clock time to the minute: minutes since day 0 of the Julian day
// count, so that differences run across midnight and month ends.
std::int64_t clockMinute(std::int64_t julianDay, int hour, int minute);

class ShutdownCountdown {
 public:
  ShutdownCountdown() = default;
  // `minutes` after the clock minute `start`; 0 or less never.
  ShutdownCountdown(std::int64_t start, int minutes) : start_(start), minutes_(minutes) {}

  bool on() const { return minutes_ > 0; }
  // The whole clock minutes from the start to `now`.
  std::int64_t minutesSince(std::int64_t now) const { return now - start_; }
  // The machine is to be powered off now.
  bool due(std::int64_t now) const { return on() && minutesSince(now) >= minutes_; }

 private:
  std::int64_t start_ = 0;
  int minutes_ = 0;
};

}  // namespace lumora
