// The idle times of a source that is only told "idle now" (the watched time
// has passed without input) and "in use again": 0 while in use, the watched
// time plus what has passed since the idle news while idle. Every change is
// kept until it is taken, so a use between two idle periods is seen even when
// both fall between two looks.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace lumora {

class IdleTransitions {
 public:
  using Clock = std::chrono::steady_clock;

  // A new watched time: in use, counting from now; earlier news is dropped.
  void restart(std::int64_t thresholdMs);
  void idled(Clock::time_point now);
  void resumed();

  bool idle() const { return idle_; }

  // The idle times since the last take, then the current one.
  std::vector<std::int64_t> take(Clock::time_point now);

 private:
  std::int64_t current(Clock::time_point now) const;

  std::int64_t thresholdMs_ = 0;
  bool idle_ = false;
  Clock::time_point idleSince_{};
  std::vector<std::int64_t> seen_;
};

}  // namespace lumora
