#include "saver/core/transition_pace.h"

#include <algorithm>

namespace lumora {

TransitionPace::TransitionPace(const EffectCounts& counts, int minimumMs, double refreshHz)
    : minimum_(std::chrono::milliseconds(std::max(minimumMs, 0))) {
  const double frames = double(std::max(minimumMs, 0)) * std::max(refreshHz, 1.0) / 1000.0;
  pacesStageOps_ = double(counts.pumps) < frames;
  points_ = counts.pumps + (pacesStageOps_ ? counts.stageOps : 0);
}

TransitionPace::Duration TransitionPace::next(Duration elapsed) {
  if (points_ <= 0 || minimum_ <= Duration::zero()) return Duration::zero();
  passed_ = std::min(passed_ + 1, points_);
  // Point k of P is due at minimum * k / P (in long double: P may be large).
  const auto due = Duration(static_cast<Duration::rep>(static_cast<long double>(minimum_.count()) * passed_ / points_));
  const Duration wait = due - elapsed;
  return wait >= kShortestWait ? wait : Duration::zero();
}

}  // namespace lumora
