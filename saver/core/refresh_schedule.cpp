#include "saver/core/refresh_schedule.h"

namespace lumora {

RefreshSchedule::Duration RefreshSchedule::untilPresentAllowed(Duration now) const {
  const Duration since = now - lastPresent_;
  return since >= frame_ ? Duration::zero() : frame_ - since;
}

bool RefreshSchedule::takeEventTurn(Duration now) {
  if (now - lastEvents_ < kEventInterval) return false;
  lastEvents_ = now;
  return true;
}

}  // namespace lumora
