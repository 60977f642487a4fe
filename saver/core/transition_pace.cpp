#include "saver/core/transition_pace.h"

#include <algorithm>

namespace lumora {

TransitionPace::TransitionPace(const EffectCounts& counts, int minimumMs, double refreshHz)
    : minimum_(std::chrono::milliseconds(std::max(minimumMs, 0))) {
  const double frames = double(std::max(minimumMs, 0)) * std::max(refreshHz, 1.0) / 1000.0;
  pacesStageOps_ = double(counts.pumps) < frames && counts.visibleStageOps > 0;
  points_ = pacesStageOps_ ? counts.visibleStageOps : counts.pumps;
  presentsEveryStep_ = pacesStageOps_ && double(counts.visibleStageOps) <= frames;
}

TransitionPace::Duration TransitionPace::waitUntil(Duration due, Duration elapsed) const {
  const Duration wait = due - elapsed;
  return wait >= kShortestWait ? wait : Duration::zero();
}

TransitionPace::Duration TransitionPace::next(Duration elapsed) {
  if (points_ <= 0 || minimum_ <= Duration::zero()) return Duration::zero();
  passed_ = std::min(passed_ + 1, points_);
  if (points_ == 1) return Duration::zero();
  // In long double: P may be large.
  const long double share = static_cast<long double>(passed_ - 1) / static_cast<long double>(points_ - 1);
  return waitUntil(Duration(static_cast<Duration::rep>(static_cast<long double>(minimum_.count()) * share)), elapsed);
}

TransitionPace::Duration TransitionPace::untilMinimum(Duration elapsed) const {
  return points_ > 0 ? waitUntil(minimum_, elapsed) : Duration::zero();
}

}  // namespace lumora
