#include "idle/idle_policy.h"

namespace lumora {

bool IdlePolicy::shouldStart(const IdleSample& sample) {
  if (!looked_) {
    looked_ = true;
    if (!sample.showRunning) idleAtFirstLook_ = sample.idleMs;
  }
  std::int64_t idleMs = sample.idleMs;
  if (idleAtFirstLook_) {
    if (idleMs < *idleAtFirstLook_)
      idleAtFirstLook_.reset();  // used since: idle times count as they come
    else
      idleMs -= *idleAtFirstLook_;
  }
  if (sample.showRunning || thresholdMs_ <= 0) {
    armed_ = false;
    idleAtFirstLook_.reset();
    return false;
  }
  if (idleMs < thresholdMs_) {
    armed_ = true;
    return false;
  }
  if (!armed_ || sample.heldOff) return false;
  armed_ = false;
  idleAtFirstLook_.reset();
  return true;
}

}  // namespace lumora
