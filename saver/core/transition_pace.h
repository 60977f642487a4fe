// The pacing of one transition over a minimum time. Its pacing points are
// its pumps, or, when it pumps less often than the display refreshes during
// that minimum, its Stage operations that cover part of the Stage (its
// visible steps). Point k of P is due at minimum x (k - 1) / (P - 1): the
// first at once, so the transition's first frame follows the end of the
// pause without a wait, the last at the minimum. The sequence of operations
// is untouched; the host only waits before a point that comes early. A
// transition slower than the minimum never waits.
#pragma once

#include <chrono>

#include "effects/effect.h"

namespace lumora {

class TransitionPace {
 public:
  using Duration = std::chrono::nanoseconds;

  // `counts` from the effect's dry run; `minimumMs` the `fxms` setting;
  // `refreshHz` the screen's refresh rate.
  TransitionPace(const EffectCounts& counts, int minimumMs, double refreshHz);

  // Whether the visible Stage operations are the pacing points (else the
  // pumps are).
  bool pacesStageOps() const { return pacesStageOps_; }
  // Whether those steps are no more than the display frames of the minimum,
  // so that each can have a frame of its own: the host presents every one
  // of them, a refresh at least after the one before.
  bool presentsEveryStageOp() const { return presentsEveryStep_; }

  // How long to wait before the next pump (or visible Stage operation) when
  // `elapsed` has passed since the transition started. Each call passes one
  // point; waits shorter than kShortestWait come back as 0. An operation
  // that covers nothing of the Stage is no point: the host does not ask.
  Duration atPump(Duration elapsed) { return pacesStageOps_ ? Duration::zero() : next(elapsed); }
  Duration atStageOp(Duration elapsed) { return pacesStageOps_ ? next(elapsed) : Duration::zero(); }
  // At the end: how long is left of the minimum (a transition with a single
  // point shows it at once and still lasts the minimum).
  Duration untilMinimum(Duration elapsed) const;

  static constexpr Duration kShortestWait = std::chrono::milliseconds(1);

 private:
  Duration next(Duration elapsed);
  Duration waitUntil(Duration due, Duration elapsed) const;

  Duration minimum_;
  long long points_ = 0;
  long long passed_ = 0;
  bool pacesStageOps_ = false;
  bool presentsEveryStep_ = false;
};

}  // namespace lumora
