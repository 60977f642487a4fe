// The wait after a wrong password: 1 s after the first, then twice as long
// after each further one, at most 30 s. The prompt cannot be answered until
// the wait is over, which makes guessing slow; the right password still ends
// the show once it is. Time is passed in, so it can be driven by hand.
#pragma once

#include <cstdint>

namespace lumora {

class GuessDelay {
 public:
  static constexpr std::int64_t kFirstMs = 1000;
  static constexpr std::int64_t kLongestMs = 30000;

  // A wrong password was given at `nowMs`: the next wait starts.
  void wrongGuess(std::int64_t nowMs);
  // Whether a password may be given at `nowMs`.
  bool mayAnswer(std::int64_t nowMs) const { return nowMs >= until_; }
  // Milliseconds left to wait at `nowMs` (0 when none).
  std::int64_t msLeft(std::int64_t nowMs) const { return mayAnswer(nowMs) ? 0 : until_ - nowMs; }
  // Whole seconds left to wait at `nowMs`, rounded up (0 when none).
  int secondsLeft(std::int64_t nowMs) const;
  int wrongGuesses() const { return wrong_; }

 private:
  int wrong_ = 0;
  std::int64_t until_ = 0;
};

}  // namespace lumora
