#include "graphics/random.h"

#include <chrono>

namespace lumora {

std::uint32_t seedFromTimeOfDay() {
  using namespace std::chrono;
  const auto now = system_clock::now().time_since_epoch();
  const auto msOfDay = duration_cast<milliseconds>(now).count() % (24LL * 60 * 60 * 1000);
  return static_cast<std::uint32_t>(msOfDay);
}

}  // namespace lumora
