// When the idle watcher starts the show: the session has been idle for the
// threshold, nothing holds the start off (a focused full-screen window, an
// idle inhibitor of the session), and no show runs. After a show it waits
// for the session to be used again (idle time below the threshold) before
// the next idle period counts, so a show that ends without input is not
// started again at once. A session already idle when the watcher starts is
// idle from then on: the threshold counts from the watcher's first look.
#pragma once

#include <cstdint>
#include <optional>

namespace lumora {

struct IdleSample {
  std::int64_t idleMs = 0;   // time since the last input
  bool heldOff = false;      // a full-screen window or an inhibitor holds it off
  bool showRunning = false;  // the watcher's show is still running
};

class IdlePolicy {
 public:
  explicit IdlePolicy(std::int64_t thresholdMs) : thresholdMs_(thresholdMs) {}

  void setThreshold(std::int64_t thresholdMs) { thresholdMs_ = thresholdMs; }
  std::int64_t threshold() const { return thresholdMs_; }

  // True when the show is to be started now.
  bool shouldStart(const IdleSample& sample);

 private:
  std::int64_t thresholdMs_;
  bool armed_ = false;                           // the session was used since the last show
  bool looked_ = false;                          // a sample came
  std::optional<std::int64_t> idleAtFirstLook_;  // while the idle period at the start lasts
};

}  // namespace lumora
