// The pacing of one transition: its pacing points (pumps, and the Stage
// operations too when the pumps are fewer than the display frames of the
// minimum time) are spread evenly over that minimum. The sequence of
// operations is untouched; the host only waits before a point that comes
// early. A transition slower than the minimum never waits.
#pragma once

#include <chrono>

#include "effects/effect.h"

namespace lumora {

class TransitionPace {
 public:
  using Duration = std::chrono::nanoseconds;

  // `counts` from the effect's dry run; `minimumMs` the shortest-transition setting;
  // `refreshHz` the screen's refresh rate.
  TransitionPace(const EffectCounts& counts, int minimumMs, double refreshHz);

  // Whether Stage operations are pacing points as well as pumps.
  bool pacesStageOps() const { return pacesStageOps_; }

  // How long to wait before the next pump (or Stage operation) when
  // `elapsed` has passed since the transition started. Each call passes one
  // point; waits shorter than kShortestWait come back as 0.
  Duration atPump(Duration elapsed) { return next(elapsed); }
  Duration atStageOp(Duration elapsed) { return pacesStageOps_ ? next(elapsed) : Duration::zero(); }

  static constexpr Duration kShortestWait = std::chrono::milliseconds(1);

 private:
  Duration next(Duration elapsed);

  Duration minimum_;
  long long points_ = 0;
  long long passed_ = 0;
  bool pacesStageOps_ = false;
};

}  // namespace lumora
