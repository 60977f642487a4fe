#include "idle/idle_policy.h"

namespace lumora {

bool IdlePolicy::shouldStart(const IdleSample& sample) {
  if (sample.showRunning || thresholdMs_ <= 0) {
    armed_ = false;
    return false;
  }
  if (sample.idleMs < thresholdMs_) {
    armed_ = true;
    return false;
  }
  if (!armed_ || sample.heldOff) return false;
  armed_ = false;
  return true;
}

}  // namespace lumora
