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

TransitionPace::Duration TransitionPace::atPump(Duration elapsed) {
  if (pacesStageOps_) return Duration::zero();
  if (!shown_) {
    // Nothing is on the screen yet: no reason to wait.
    passed_ = std::min(passed_ + 1, points_);
    return Duration::zero();
  }
  return next(elapsed);
}

TransitionPace::Duration TransitionPace::atStageOp(Duration elapsed) {
  if (!shown_) {
    shown_ = true;
    shownAt_ = elapsed;
    passedBefore_ = passed_;
  }
  return pacesStageOps_ ? next(elapsed) : Duration::zero();
}

TransitionPace::Duration TransitionPace::next(Duration elapsed) {
  if (points_ <= 0 || minimum_ <= Duration::zero()) return Duration::zero();
  passed_ = std::min(passed_ + 1, points_);
  const long long k = passed_ - passedBefore_, p = points_ - passedBefore_;
  if (p <= 1) return Duration::zero();
  // In long double: P may be large.
  const long double share = static_cast<long double>(k - 1) / static_cast<long double>(p - 1);
  const auto offset = Duration(static_cast<Duration::rep>(static_cast<long double>(minimum_.count()) * share));
  return waitUntil(shownAt_ + offset, elapsed);
}

TransitionPace::Duration TransitionPace::untilMinimum(Duration elapsed) const {
  return shown_ && points_ > 0 ? waitUntil(shownAt_ + minimum_, elapsed) : Duration::zero();
}

}  // namespace lumora
