#include "lock/restart_backoff.h"

#include <algorithm>

namespace lumora {

std::int64_t RestartBackoff::died(std::int64_t livedMs) {
  if (livedMs >= kSteadyMs) quickDeaths_ = 0;
  ++quickDeaths_;
  if (quickDeaths_ == 1) return 0;
  std::int64_t wait = kFirstMs;
  for (int i = 2; i < quickDeaths_ && wait < kLongestMs; ++i) wait *= 2;
  return std::min(wait, kLongestMs);
}

}  // namespace lumora
