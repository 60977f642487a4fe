// The decoding thread's sleep: none while less than the full lead is
// queued, and otherwise until only the refill mark is left, so it wakes a
// few times a second yet never lets the queue run dry.
#include <gtest/gtest.h>

#include "players/decode_ahead.h"

namespace lumora {
namespace {

TEST(DecodeAhead, SleepsUntilTheRefillMarkOnlyOnceTheLeadIsFull) {
  struct Case {
    std::int64_t aheadMs;
    std::int64_t waitMs;
  };
  for (const Case c : {Case{-5, 0}, Case{0, 0}, Case{199, 0}, Case{DecodeAhead::kFullMs, 0},
                       Case{DecodeAhead::kFullMs + 1, DecodeAhead::kFullMs + 1 - DecodeAhead::kRefillMs},
                       Case{1000, 1000 - DecodeAhead::kRefillMs}})
    EXPECT_EQ(DecodeAhead::waitFor(c.aheadMs).count(), c.waitMs) << "ahead " << c.aheadMs;
}

TEST(DecodeAhead, WakesWithSoundStillQueuedAndDecodesAtLeastAFifthOfASecondAWake) {
  // Woken at the refill mark, the thread decodes up to the full lead again.
  EXPECT_GT(DecodeAhead::kRefillMs, 50);
  EXPECT_GE(DecodeAhead::kFullMs - DecodeAhead::kRefillMs, 200);
  EXPECT_EQ(DecodeAhead::waitFor(DecodeAhead::kRefillMs).count(), 0);
}

}  // namespace
}  // namespace lumora
