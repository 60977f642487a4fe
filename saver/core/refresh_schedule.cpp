#include "saver/core/refresh_schedule.h"

#include <algorithm>

namespace lumora {

RefreshSchedule::Duration RefreshSchedule::untilPresentAllowed(Duration now) const {
  const Duration since = now - lastPresent_;
  const Duration interval = std::max(frame_, 2 * lastCost_);
  return since >= interval ? Duration::zero() : interval - since;
}

bool RefreshSchedule::takeEventTurn(Duration now) {
  if (now - lastEvents_ < kEventInterval) return false;
  lastEvents_ = now;
  return true;
}

}  // namespace lumora
