#include "idle/idle_transitions.h"

namespace lumora {

void IdleTransitions::restart(std::int64_t thresholdMs) {
  thresholdMs_ = thresholdMs;
  idle_ = false;
  seen_.clear();
}

void IdleTransitions::idled(Clock::time_point now) {
  if (idle_) return;
  idle_ = true;
  idleSince_ = now;
  seen_.push_back(thresholdMs_);
}

void IdleTransitions::resumed() {
  if (!idle_) return;
  idle_ = false;
  seen_.push_back(0);
}

std::int64_t IdleTransitions::current(Clock::time_point now) const {
  if (!idle_) return 0;
  return thresholdMs_ + std::chrono::duration_cast<std::chrono::milliseconds>(now - idleSince_).count();
}

std::vector<std::int64_t> IdleTransitions::take(Clock::time_point now) {
  std::vector<std::int64_t> out;
  out.swap(seen_);
  out.push_back(current(now));
  return out;
}

}  // namespace lumora
