// The pacing of one transition over a minimum time. Its pacing points are
// its pumps, or, when it pumps less often than the display refreshes during
// that minimum, its Stage operations that cover part of the Stage (its
// visible steps). The minimum is counted from the first visible step: what
// comes before it (a band drawn off the screen, a wipe's strip of width 0)
// shows nothing and runs without waiting. Of the P points from there, point
// k is due at minimum x (k - 1) / (P - 1): the first at once, so the
// transition's first frame follows the end of the pause without a wait, the
// last at the minimum. The sequence of operations is untouched; the host only
// waits before a point that comes early. A transition slower than the
// minimum never waits.
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

  // Whether the visible Stage operations are the pacing points (else the
  // pumps are).
  bool pacesStageOps() const { return pacesStageOps_; }
  // Whether those steps are no more than the display frames of the minimum,
  // so that each can have a frame of its own: the host presents every one
  // of them, a refresh at least after the one before.
  bool presentsEveryStageOp() const { return presentsEveryStep_; }

  // How long to wait before the next pump, or before showing the next
  // visible Stage operation, when `elapsed` has passed since the transition
  // started. Each call passes one point; waits shorter than kShortestWait
  // come back as 0. An operation that covers nothing of the Stage is no
  // point: the host does not ask.
  Duration atPump(Duration elapsed);
  Duration atStageOp(Duration elapsed);
  // At the end: how long is left of the minimum since the first visible
  // step (a transition with a single point shows it at once and still lasts
  // the minimum).
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
  // Set at the first visible step: when it came, and the points passed
  // before it.
  bool shown_ = false;
  Duration shownAt_{};
  long long passedBefore_ = 0;
};

}  // namespace lumora
