#include "lock/guess_delay.h"

#include <algorithm>

namespace lumora {

void GuessDelay::wrongGuess(std::int64_t nowMs) {
  std::int64_t wait = kFirstMs;
  for (int i = 0; i < wrong_ && wait < kLongestMs; ++i) wait *= 2;
  ++wrong_;
  until_ = nowMs + std::min(wait, kLongestMs);
}

int GuessDelay::secondsLeft(std::int64_t nowMs) const {
  if (mayAnswer(nowMs)) return 0;
  return int((until_ - nowMs + 999) / 1000);
}

}  // namespace lumora
