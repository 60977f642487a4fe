// Transitions 94 to 121: operation counts, which pixels keep the old
// picture, speeds of 0 and below, and the numbers that share one body.
#include <gtest/gtest.h>

#include <string>

#include "effects/effect_harness.h"

namespace lumora {
namespace {

using testing::EffectRun;
using testing::runEffectOn;

struct Counts {
  long long pumps, copies, randoms, draws;
};

// The expected counts, worked out from the loop bounds of each transition
// (rmax is the fan's longest radius for this size, computed by hand).
Counts expectedCounts(int n, int W, int H, int S, int rmax) {
  const long long HW = W / 2, HH = H / 2, s = S > 0 ? S : 0;
  if (n <= 95) {
    const long long passes = HW + W / 5 + 1, rows = H / 2 + 1;
    return {passes * (rows + 1), 2 * passes * rows, 0, 0};
  }
  if (n <= 97) {
    const long long passes = HH + W / 3 + 1, cols = W + 1;
    return {passes * (cols + 1), 2 * passes * cols, 0, 0};
  }
  if (n <= 102) return {4 * (HW + 1) * (HW + 2), 4 * (HW + 1) * (HW + 2), 4, 0};
  if (n <= 107) return {51 * (HW + 1), 4 * 51 * (HW + 1), 4, 0};
  if (n <= 112) return {101 * (HH + 1), 4 * 101 * (HH + 1), 4, 0};
  if (n <= 114) return {16 * (HW + 1), 4 * s * 15 * (HW + 1), 2, 0};
  if (n <= 116) return {15 * (HW + 1), 4 * s * 15 * (HW + 1), 0, 0};
  if (n == 117) return {(5LL * W + 1) * 3 * s, 2 * (5LL * W + 1) * 3 * s, 5LL * W + 1, 1};
  return {91LL * (rmax + 1), 2 * s * 91 * (rmax + 1), 1, 0};
}

struct SizeCase {
  int w, h, rmax;
};

// Rmax = Round(sqrt(W*W + (H/2)*H/2) + 0.5), halves to even:
// 1x1: sqrt(1.25) + .5 = 1.62 -> 2; 2x3: sqrt(6.25) + .5 = 3.0 -> 3;
// 7x5: sqrt(55.25) + .5 = 7.93 -> 8; 8x6: sqrt(73) + .5 = 9.04 -> 9;
// 6x16: sqrt(100) + .5 = 10.5 -> 10; 4x6: sqrt(25) + .5 = 5.5 -> 6.
const SizeCase kSizes[] = {{1, 1, 2}, {2, 3, 3}, {7, 5, 8}, {8, 6, 9}, {6, 16, 10}, {4, 6, 6}};

TEST(Effects94to121, CountsFollowTheLoopsForEverySizeAndSpeed) {
  for (const SizeCase& size : kSizes)
    for (int speed : {-1, 0, 1, 2})
      for (int n = 94; n <= 121; ++n) {
        SCOPED_TRACE("effect " + std::to_string(n) + " at " + std::to_string(size.w) + "x" + std::to_string(size.h) +
                     " speed " + std::to_string(speed));
        const EffectRun run = runEffectOn(n, size.w, size.h, speed);
        const Counts want = expectedCounts(n, size.w, size.h, speed, size.rmax);
        EXPECT_EQ(run.pumps, want.pumps);
        EXPECT_EQ(run.copies, want.copies);
        EXPECT_EQ(run.randoms, want.randoms);
        EXPECT_EQ(run.draws, want.draws);
      }
}

TEST(Effects94to121, OnlyTheRandomLinesEndWithTheFinalDraw) {
  for (int n = 94; n <= 121; ++n) {
    const EffectRun run = runEffectOn(n, 5, 4);
    ASSERT_FALSE(run.trace.empty()) << n;
    if (n == 117)
      EXPECT_EQ(run.trace.back(), "draw frame stage 0 0");
    else
      EXPECT_TRUE(run.lines("draw").empty()) << n;
  }
}

TEST(Effects94to121, NumbersOfOneTransitionBehaveAlike) {
  const int groups[][2] = {{94, 95}, {96, 97}, {98, 102}, {103, 107}, {108, 112}, {113, 114}, {118, 119}, {120, 121}};
  for (const auto& g : groups) {
    const EffectRun first = runEffectOn(g[0], 9, 7, 1, 11);
    for (int n = g[0] + 1; n <= g[1]; ++n) EXPECT_EQ(runEffectOn(n, 9, 7, 1, 11).trace, first.trace) << n;
  }
  // And the distinct ones differ from their neighbours.
  EXPECT_NE(runEffectOn(115, 9, 7).trace, runEffectOn(116, 9, 7).trace);
  EXPECT_NE(runEffectOn(118, 9, 7).trace, runEffectOn(120, 9, 7).trace);
}

// Every pixel is new except those listed by `keepsOld`.
template <typename Keeps>
void expectOnlyKept(const EffectRun& run, Keeps keepsOld) {
  for (int y = 0; y < run.stage.height(); ++y)
    for (int x = 0; x < run.stage.width(); ++x) {
      if (keepsOld(x, y))
        EXPECT_TRUE(run.stageShowsOld(x, y)) << x << "," << y;
      else
        EXPECT_TRUE(run.stageShowsNew(x, y)) << x << "," << y;
    }
}

TEST(Effects94to121, ColumnWipesKeepTheLastRowOfAnOddHeight) {
  for (int n = 103; n <= 107; ++n)
    for (std::uint32_t seed : {5u, 17u, 20u, 21u}) {
      SCOPED_TRACE(n);
      expectOnlyKept(runEffectOn(n, 8, 7, 1, seed), [](int, int y) { return y == 6; });
      expectOnlyKept(runEffectOn(n, 7, 6, 1, seed), [](int, int) { return false; });
    }
}

TEST(Effects94to121, RowWipesKeepTheLastColumnOfAnOddWidth) {
  for (int n = 108; n <= 112; ++n)
    for (std::uint32_t seed : {5u, 17u, 20u, 21u}) {
      SCOPED_TRACE(n);
      expectOnlyKept(runEffectOn(n, 7, 8, 1, seed), [](int x, int) { return x == 6; });
      expectOnlyKept(runEffectOn(n, 6, 7, 1, seed), [](int, int) { return false; });
    }
}

TEST(Effects94to121, EdgesFansAndSingleRingSweepsUncoverTheWholePicture) {
  for (int n : {94, 96, 115, 116, 117, 118, 120})
    for (auto [w, h] : {std::pair{9, 7}, std::pair{7, 9}, std::pair{16, 12}, std::pair{1, 1}}) {
      SCOPED_TRACE(std::to_string(n) + " at " + std::to_string(w) + "x" + std::to_string(h));
      expectOnlyKept(runEffectOn(n, w, h), [](int, int) { return false; });
    }
}

TEST(Effects94to121, SlantedLinesLeaveABandOnTallScreensOnly) {
  // 16x12 is 4:3: HH = 6 = Round(3 * 8 / 4), the passes meet.
  expectOnlyKept(runEffectOn(98, 16, 12), [](int, int) { return false; });
  // 12x16: HH = 8 > Round(3 * 6 / 4) = 4, a band between the passes stays.
  const EffectRun tall = runEffectOn(98, 12, 16);
  int old = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 12; ++x) old += tall.stageShowsOld(x, y);
  EXPECT_GT(old, 0);
}

TEST(Effects94to121, SpeedZeroDrawsNothingButTheFinalDrawOfTheRandomLines) {
  for (int n = 113; n <= 121; ++n) {
    const EffectRun run = runEffectOn(n, 6, 5, 0);
    EXPECT_EQ(run.copies, 0) << n;
    if (n == 117) {
      expectOnlyKept(run, [](int, int) { return false; });
    } else {
      EXPECT_GT(run.pumps, 0) << n;  // the pacing pumps remain
      expectOnlyKept(run, [](int, int) { return true; });
    }
  }
  // The random lines still draw their 5 * W + 1 values, and pump nothing.
  const EffectRun lines = runEffectOn(117, 6, 5, 0);
  EXPECT_EQ(lines.randoms, 31);
  EXPECT_EQ(lines.pumps, 0);
  for (const std::string& l : lines.lines("random")) EXPECT_EQ(l.rfind("random 8 ", 0), 0u) << l;
}

TEST(Effects94to121, TheFanRadiusIsTakenHalfUpThenRoundedToEven) {
  // 6x16: sqrt(36 + 8 * 16 / 2) = 10, + 0.5 = 10.5, rounded to 10: 11 radius steps.
  EXPECT_EQ(runEffectOn(118, 6, 16).pumps, 91 * 11);
  // 4x6: sqrt(16 + 3 * 6 / 2) = 5, + 0.5 = 5.5, rounded to 6: 7 radius steps.
  EXPECT_EQ(runEffectOn(120, 4, 6).pumps, 91 * 7);
  // 2x7: H / 2 is 3.5, not 3: sqrt(4 + 3.5 * 7 / 2) = 4.03, + 0.5 -> 5 (with an
  // integer half, sqrt(4 + 10) + 0.5 = 4.24 -> 4).
  EXPECT_EQ(runEffectOn(118, 2, 7).pumps, 91 * 6);
}

}  // namespace
}  // namespace lumora
