#include "saver/core/shutdown_countdown.h"

namespace lumora {

std::int64_t clockMinute(std::int64_t julianDay, int hour, int minute) {
  return julianDay * 1440 + std::int64_t(hour) * 60 + minute;
}

}  // namespace lumora
