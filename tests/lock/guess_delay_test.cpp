// The wait after wrong passwords: doubling from 1 s, capped at 30 s, counted
// from each wrong guess.
#include <gtest/gtest.h>

#include "lock/guess_delay.h"

namespace lumora {
namespace {

TEST(GuessDelay, DoublesFromOneSecondToAtMostThirty) {
  GuessDelay delay;
  EXPECT_TRUE(delay.mayAnswer(0));
  EXPECT_EQ(delay.secondsLeft(0), 0);
  const std::int64_t expected[] = {1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000};
  std::int64_t now = 5000;
  for (std::int64_t wait : expected) {
    SCOPED_TRACE(wait);
    delay.wrongGuess(now);
    EXPECT_FALSE(delay.mayAnswer(now + wait - 1));
    EXPECT_EQ(delay.secondsLeft(now + 1), int((wait - 1 + 999) / 1000));
    EXPECT_TRUE(delay.mayAnswer(now + wait));
    EXPECT_EQ(delay.secondsLeft(now + wait), 0);
    now += wait + 123;
  }
  EXPECT_EQ(delay.wrongGuesses(), 8);
}

TEST(GuessDelay, ManyWrongGuessesNeverOverflow) {
  GuessDelay delay;
  for (int i = 0; i < 1000; ++i) delay.wrongGuess(0);
  EXPECT_FALSE(delay.mayAnswer(GuessDelay::kLongestMs - 1));
  EXPECT_TRUE(delay.mayAnswer(GuessDelay::kLongestMs));
}

}  // namespace
}  // namespace lumora
