// Transitions 70 to 93: what all of them share (in-place copies, the final
// draw, speed), and hand-worked traces of the block fronts, strips, diamonds,
// arcs and the fan on tiny screens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/effect_harness.h"

namespace lumora {
namespace {

using testing::EffectRun;
using testing::runEffectOn;

std::string copyLine(int l, int t, int r, int b) {
  const std::string rect =
      std::to_string(l) + ' ' + std::to_string(t) + ' ' + std::to_string(r) + ' ' + std::to_string(b);
  return "copy frame " + rect + " stage " + rect;
}
std::string blockLine(int x, int y, int n = 2) { return copyLine(x, y, x + n, y + n); }

bool stageAllOld(const EffectRun& r) {
  for (int y = 0; y < r.stage.height(); ++y)
    for (int x = 0; x < r.stage.width(); ++x)
      if (!r.stageShowsOld(x, y)) return false;
  return true;
}

TEST(Effects70to93, EveryCopyIsFrameOntoTheSameStageRectangle) {
  for (int n = 70; n <= 93; ++n) {
    const EffectRun r = runEffectOn(n, 23, 17, 1);
    ASSERT_GT(r.copies, 0) << n;
    for (const std::string& l : r.lines("copy")) {
      const std::size_t stage = l.find(" stage ");
      ASSERT_EQ(l.rfind("copy frame ", 0), 0u) << n << ": " << l;
      ASSERT_NE(stage, std::string::npos) << n << ": " << l;
      EXPECT_EQ(l.substr(11, stage - 11), l.substr(stage + 7)) << n << ": " << l;
    }
  }
}

TEST(Effects70to93, OnlyTheRandomLinesEndWithTheFinalDraw) {
  for (int speed : {0, 1}) {
    for (int n = 70; n <= 93; ++n) {
      const EffectRun r = runEffectOn(n, 12, 9, speed);
      const bool finalDraw = n == 90 || n == 91;
      EXPECT_EQ(r.draws, finalDraw ? 1 : 0) << n;
      if (finalDraw) {
        EXPECT_EQ(r.trace.back(), "draw frame stage 0 0") << n;
      }
    }
  }
}

// At a landscape size where no column or corner is left over, every effect
// leaves exactly the new picture.
TEST(Effects70to93, LandscapeScreenEndsShowingTheNewPicture) {
  for (int n = 70; n <= 93; ++n) {
    const EffectRun r = runEffectOn(n, 80, 60, 1);
    EXPECT_EQ(r.stage, r.frame) << n;
  }
}

TEST(Effects70to93, SpeedZeroOrLessDrawsNothingButStillPumps) {
  for (int n : {70, 71, 73, 74, 80, 81, 92, 93}) {
    const EffectRun one = runEffectOn(n, 13, 10, 1);
    for (int speed : {0, -2}) {
      const EffectRun r = runEffectOn(n, 13, 10, speed);
      EXPECT_EQ(r.copies, 0) << n;
      EXPECT_EQ(r.pumps, one.pumps) << n;
      EXPECT_EQ(r.randoms, one.randoms) << n;
      EXPECT_TRUE(stageAllOld(r)) << n;
    }
  }
  // The random lines skip their copies, then show the new picture at once.
  for (int n : {90, 91}) {
    const EffectRun r = runEffectOn(n, 13, 10, 0);
    EXPECT_EQ(r.copies, 0) << n;
    EXPECT_EQ(r.pumps, 5 * (n == 90 ? 10 : 13) + 1) << n;
    EXPECT_EQ(r.stage, r.frame) << n;
  }
}

TEST(Effects70to93, EffectsWithoutSpeedDoTheSameAtEverySpeed) {
  for (int n : {75, 76, 77, 78, 79, 82, 83, 84, 85, 86, 87, 88, 89}) {
    const EffectRun slow = runEffectOn(n, 25, 14, 3);
    EXPECT_EQ(runEffectOn(n, 25, 14, 0).trace, slow.trace) << n;
    EXPECT_EQ(runEffectOn(n, 25, 14, -1).trace, slow.trace) << n;
  }
}

TEST(Effects70to93, TinyScreensOfEverySizeAndSpeedEnd) {
  for (int n = 70; n <= 93; ++n)
    for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {3, 2}, {1, 5}})
      for (int speed : {-1, 0, 2}) runEffectOn(n, w, h, speed);
}

// --- 70, 71, 73 -------------------------------------------------------------

// The 2 x 2 screen: D = 2, fronts w = 0, 1, 2 of w + 1 steps each.
const std::vector<std::vector<std::string>> kFronts70 = {
    {blockLine(2, 0), blockLine(0, 2), "pump"},
    {blockLine(1, 0), blockLine(1, 2), "pump", blockLine(2, 1), blockLine(0, 1), "pump"},
    {blockLine(0, 0), blockLine(2, 2), "pump", blockLine(1, 1), blockLine(1, 1), "pump", blockLine(2, 2),
     blockLine(0, 0), "pump"},
};

TEST(Effects70to93, DiagonalFrontsOn2x2) {
  std::vector<std::string> e70, e73;
  for (const auto& front : kFronts70) e70.insert(e70.end(), front.begin(), front.end());
  for (auto it = kFronts70.rbegin(); it != kFronts70.rend(); ++it) e73.insert(e73.end(), it->begin(), it->end());
  EXPECT_EQ(runEffectOn(70, 2, 2).trace, e70);
  EXPECT_EQ(runEffectOn(73, 2, 2).trace, e73);

  const std::vector<std::string> e71 = {blockLine(0, 0), blockLine(2, 2), "pump",  // w = 0
                                        blockLine(1, 0), blockLine(1, 2), "pump",          blockLine(0, 1),
                                        blockLine(2, 1), "pump",          blockLine(2, 0), blockLine(0, 2),
                                        "pump",          blockLine(1, 1), blockLine(1, 1), "pump",
                                        blockLine(0, 2), blockLine(2, 0), "pump"};
  EXPECT_EQ(runEffectOn(71, 2, 2).trace, e71);

  // Speed 2 repeats each block before the next one.
  const EffectRun slow = runEffectOn(70, 2, 2, 2);
  ASSERT_GE(slow.trace.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(slow.trace.begin(), slow.trace.begin() + 5),
            (std::vector<std::string>{blockLine(2, 0), blockLine(2, 0), blockLine(0, 2), blockLine(0, 2), "pump"}));
}

TEST(Effects70to93, DiagonalFrontsPumpOncePerStep) {
  // 30 x 20: D = 25, sum of w + 1 over w = 0..25.
  for (int n : {70, 71, 73}) {
    const EffectRun r = runEffectOn(n, 30, 20, 3);
    EXPECT_EQ(r.pumps, 26 * 27 / 2) << n;
    EXPECT_EQ(r.copies, 2 * 3 * 26 * 27 / 2) << n;
  }
}

// --- 72 ---------------------------------------------------------------------

TEST(Effects70to93, StripsOn40ColumnsRepeatEachCopyWithItsPump) {
  // b = 2: g = 0, 1; k = 0..20; 2S + 1 = 3 copies, each with a pump.
  const EffectRun r = runEffectOn(72, 40, 3, 1);
  EXPECT_EQ(r.copies, 2 * 21 * 3);
  EXPECT_EQ(r.pumps, r.copies);
  ASSERT_GE(r.trace.size(), 8u);
  EXPECT_EQ(r.trace[0], copyLine(0, 0, 0, 3));
  EXPECT_EQ(r.trace[1], "pump");
  EXPECT_EQ(r.trace[6], copyLine(2, 0, 2, 3));
  EXPECT_EQ(r.trace[2 * 21 * 3], copyLine(-1, 0, 1, 3));
  EXPECT_EQ(r.trace.back(), "pump");
  EXPECT_EQ(r.trace[r.trace.size() - 2], copyLine(39, 0, 41, 3));
  EXPECT_EQ(r.stage, r.frame);

  EXPECT_EQ(runEffectOn(72, 40, 3, 0).copies, 2 * 21);
  const EffectRun none = runEffectOn(72, 40, 3, -1);
  EXPECT_EQ(none.copies + none.pumps, 0);
  EXPECT_TRUE(stageAllOld(none));
}

TEST(Effects70to93, StripsLeaveOneOldColumnBetweenThemWhenTheStepIsOdd) {
  // 1024 wide: b = 51, the strips end 50 wide and column 51k + 25 stays old.
  const EffectRun r = runEffectOn(72, 1024, 2, 0);
  for (int x = 0; x < 1024; ++x) {
    const bool gap = x % 51 == 25 && x < 1020;
    EXPECT_EQ(r.stageShowsOld(x, 1), gap) << x;
    EXPECT_EQ(r.stageShowsNew(x, 0), !gap) << x;
  }
  for (int w : {800, 1280}) {
    const EffectRun closed = runEffectOn(72, w, 2, 0);
    EXPECT_EQ(closed.stage, closed.frame) << w;
  }
}

// --- 74, 76, 77 -------------------------------------------------------------

TEST(Effects70to93, GrowingDiamondRepeatsItsFourBlocksAsAGroup) {
  // 2 x 2, speed 2: hw = hh = 1; v = 0..2.
  const EffectRun r = runEffectOn(74, 2, 2, 2);
  EXPECT_EQ(r.pumps, 1 + 2 + 3);
  // v = 1, j = 1: (0, 1), (2, 1), (0, 1), (2, 1), twice over.
  const std::size_t at = 9 + 9;  // after v = 0 and v = 1, j = 0
  ASSERT_GT(r.trace.size(), at + 8);
  for (int i = 0; i < 8; i += 2) {
    EXPECT_EQ(r.trace[at + i], blockLine(0, 1)) << i;
    EXPECT_EQ(r.trace[at + i + 1], blockLine(2, 1)) << i;
  }
  EXPECT_EQ(r.trace[at + 8], "pump");
}

TEST(Effects70to93, ThreeDiamondsShrinkOrGrow) {
  // 4 x 2: q = 1, hh = 1, V over {2, 0} (76) or {0, 2} (77).
  const EffectRun shrink = runEffectOn(76, 4, 2);
  const EffectRun grow = runEffectOn(77, 4, 2);
  EXPECT_EQ(shrink.pumps, 3 * 3 + 3);
  EXPECT_EQ(grow.pumps, shrink.pumps);
  ASSERT_GE(shrink.trace.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(shrink.trace.begin(), shrink.trace.begin() + 5),
            (std::vector<std::string>{blockLine(1, -1), blockLine(1, -1), blockLine(1, 3), blockLine(1, 3), "pump"}));
  ASSERT_GE(grow.trace.size(), 15u);
  for (int p = 1; p <= 3; ++p) {
    for (int i = 0; i < 4; ++i) EXPECT_EQ(grow.trace[5 * (p - 1) + i], blockLine(p, 1));
    EXPECT_EQ(grow.trace[5 * (p - 1) + 4], "pump");
  }
}

// --- 75 ---------------------------------------------------------------------

TEST(Effects70to93, ArcsOn4x2) {
  // hw = 2, hh = 1: m = 0 only; V = 1 (w = 0), then V = 0 (w = 1).
  const std::vector<std::string> expected = {
      copyLine(-2, 0, 2, 2), copyLine(-2, 2, 2, 4), "pump", copyLine(0, 0, 4, 2),  copyLine(0, 2, 4, 4),  "pump",
      copyLine(2, 0, 6, 2),  copyLine(2, 2, 6, 4),  "pump", copyLine(-3, 1, 1, 3), copyLine(-3, 1, 1, 3), "pump",
      copyLine(-1, 1, 3, 3), copyLine(-1, 1, 3, 3), "pump", copyLine(1, 1, 5, 3),  copyLine(1, 1, 5, 3),  "pump"};
  EXPECT_EQ(runEffectOn(75, 4, 2).trace, expected);
  // A screen one column wide has hw = 0: nothing at all.
  EXPECT_TRUE(runEffectOn(75, 1, 40).trace.empty());
}

// --- 78, 79 -----------------------------------------------------------------

TEST(Effects70to93, FanRadiusIsHalfTheDiagonalRoundedHalfToEven) {
  // 16 x 12: diagonal 20, 10.5 -> R = 10; 120 x 90: 75.5 -> R = 76.
  EXPECT_EQ(runEffectOn(78, 16, 12).pumps, 181 * 11);
  EXPECT_EQ(runEffectOn(79, 16, 12).pumps, 181 * 11);
  EXPECT_EQ(runEffectOn(78, 120, 90).pumps, 181 * 77);
}

TEST(Effects70to93, FanAndDiameterBlocks) {
  // 16 x 12: hw = 8, hh = 6, R = 10.
  const EffectRun fan = runEffectOn(78, 16, 12);
  const EffectRun turn = runEffectOn(79, 16, 12);
  const auto lineAt = [](const EffectRun& r, int V, int rad, int which) {
    return r.trace[std::size_t(3 * (V * 11 + rad) + which)];
  };
  // V = 0, r = 10: the block 10 left of the centre, both copies.
  EXPECT_EQ(lineAt(fan, 0, 10, 0), copyLine(-12, -4, 8, 16));
  EXPECT_EQ(lineAt(fan, 0, 10, 1), copyLine(-12, -4, 8, 16));
  // V = 90, r = 10: straight up, and mirrored straight down.
  EXPECT_EQ(lineAt(fan, 90, 10, 0), copyLine(-2, -14, 18, 6));
  EXPECT_EQ(lineAt(fan, 90, 10, 1), copyLine(-2, 6, 18, 26));
  EXPECT_EQ(lineAt(fan, 90, 10, 2), "pump");
  // The diameter: its second half points the other way.
  EXPECT_EQ(lineAt(turn, 0, 10, 0), copyLine(-12, -4, 8, 16));
  EXPECT_EQ(lineAt(turn, 0, 10, 1), copyLine(8, -4, 28, 16));
  EXPECT_EQ(lineAt(turn, 90, 10, 1), copyLine(-2, 6, 18, 26));
}

}  // namespace
}  // namespace lumora
