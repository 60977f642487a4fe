// Transitions 23 to 45: exact traces on tiny screens worked out by hand from
// the loops, operation counts, and the speed cases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/effect_harness.h"

namespace lumora {
namespace {

using testing::EffectRun;
using testing::runEffectOn;
using Lines = std::vector<std::string>;

// "copy frame R stage R": a FrameBitmap -> Stage copy on one rectangle.
std::string fs(int l, int t, int r, int b) {
  const std::string rect =
      std::to_string(l) + ' ' + std::to_string(t) + ' ' + std::to_string(r) + ' ' + std::to_string(b);
  return "copy frame " + rect + " stage " + rect;
}

TEST(Effects23to45Trace, Effect23ClosesTwoColumnsFromBothEdges) {
  // 4 x 2, speed 0: one repeat of each pair, i = 0 .. 2.
  const Lines want = {fs(0, 0, 2, 2), fs(2, 0, 4, 2), "pump",         fs(1, 0, 3, 2), fs(1, 0, 3, 2),
                      "pump",         fs(2, 0, 4, 2), fs(0, 0, 2, 2), "pump"};
  EXPECT_EQ(runEffectOn(23, 4, 2, 0).trace, want);
}

TEST(Effects23to45Trace, Effect27OnPortraitScreenSkipsItsMiddleStep) {
  // 2 x 4: step 1 for v = 0, 2, 4; no step 2 (v = 4 > W); step 3 for k = -2, 0, 2.
  const Lines segments = {fs(0, 0, 0, 1),                                     // v = 0
                          fs(0, 0, 2, 1),  fs(0, 1, 1, 2),   fs(0, 2, 0, 3),  // v = 2
                          fs(0, 0, 4, 1),  fs(0, 1, 3, 2),   fs(0, 2, 2, 3),   fs(0, 3, 1, 4),
                          fs(0, 4, 0, 5),  fs(-2, 4, -2, 5), fs(-2, 3, -1, 4), fs(-2, 2, 0, 3),
                          fs(-2, 1, 1, 2), fs(-2, 0, 2, 1),                   // k = -2
                          fs(0, 4, 0, 5),  fs(0, 3, 1, 4),   fs(0, 2, 2, 3),  // k = 0
                          fs(2, 4, 2, 5)};                                    // k = 2
  Lines want;
  for (const auto& s : segments) {
    want.push_back(s);
    want.push_back("pump");
  }
  const EffectRun run = runEffectOn(27, 2, 4, 1);
  EXPECT_EQ(run.trace, want);
  // Only a one-pixel segment ever reaches row 3, so its right pixel stays old.
  EXPECT_TRUE(run.stageShowsOld(1, 3));
  EXPECT_TRUE(run.stageShowsNew(0, 3));
  EXPECT_TRUE(run.stageShowsNew(1, 2));
}

TEST(Effects23to45Trace, Effect28OnPortraitScreenStartsWithItsSecondStep) {
  const EffectRun run = runEffectOn(28, 2, 4, 1);
  // Step 2, v = 4, j = 0: the left line's first piece.
  ASSERT_FALSE(run.trace.empty());
  EXPECT_EQ(run.trace[0], fs(0, 4, 2, 5));
  // v = 4, 2, 0 with two lines of v + 1 pieces each.
  EXPECT_EQ(run.pumps, 2 * (5 + 3 + 1));
}

TEST(Effects23to45Trace, Effect29GrowsADiscThenWidensIt) {
  // 8 x 4: cx = 4, cy = 2. sqrt(3) rounds to 2.
  const Lines want = {fs(4, 2, 4, 3), fs(4, 2, 4, 3), "pump",  // disc v = 0
                      fs(2, 2, 6, 3), fs(2, 2, 6, 3), "pump",  // disc v = 2, d = 0
                      fs(2, 1, 6, 2), fs(2, 3, 6, 4), "pump",  // d = 1
                      fs(4, 0, 4, 1), fs(4, 4, 4, 5), "pump",  // d = 2
                      fs(2, 2, 6, 3), fs(2, 2, 6, 3), "pump",  // widening v = 0 only
                      fs(2, 1, 6, 2), fs(2, 3, 6, 4), "pump", fs(4, 0, 4, 1), fs(4, 4, 4, 5), "pump"};
  EXPECT_EQ(runEffectOn(29, 8, 4, 1).trace, want);
}

TEST(Effects23to45Trace, Effects32And34LayThreeArcsPerRow) {
  // 4 x 2: cx = 2, R = 1, v = 2 only; w = 1 (p = 0) then w = 0 (p = 1).
  const Lines want32 = {fs(-4, 0, 0, 2), fs(-4, 2, 0, 4), "pump", fs(-2, 0, 2, 2),  fs(-2, 2, 2, 4),  "pump",
                        fs(0, 0, 4, 2),  fs(0, 2, 4, 4),  "pump", fs(-5, 1, -1, 3), fs(-5, 1, -1, 3), "pump",
                        fs(-3, 1, 1, 3), fs(-3, 1, 1, 3), "pump", fs(-1, 1, 3, 3),  fs(-1, 1, 3, 3),  "pump"};
  EXPECT_EQ(runEffectOn(32, 4, 2, 1).trace, want32);
  const Lines want34 = {fs(0, 0, 4, 2), fs(0, 2, 4, 4), "pump", fs(2, 0, 6, 2), fs(2, 2, 6, 4), "pump",
                        fs(4, 0, 8, 2), fs(4, 2, 8, 4), "pump", fs(1, 1, 5, 3), fs(1, 1, 5, 3), "pump",
                        fs(3, 1, 7, 3), fs(3, 1, 7, 3), "pump", fs(5, 1, 9, 3), fs(5, 1, 9, 3), "pump"};
  EXPECT_EQ(runEffectOn(34, 4, 2, 1).trace, want34);
}

TEST(Effects23to45Trace, MirroredBandWipesPassReversedSourceRectangles) {
  // 40 x 2 (band 2): the first two passes of Effects 35 and 37.
  const EffectRun e35 = runEffectOn(35, 40, 2, 1);
  const Lines first35 = {"copy frame 2 0 0 2 stage 0 0 2 2", fs(-2, 0, 0, 2), "pump",
                         "copy frame 4 0 2 2 stage 2 0 4 2", fs(0, 0, 2, 2),  "pump"};
  EXPECT_EQ(Lines(e35.trace.begin(), e35.trace.begin() + 6), first35);
  EXPECT_EQ(e35.pumps, 21);  // v = 0, 2, ..., 40

  const EffectRun e37 = runEffectOn(37, 40, 2, 1);
  const Lines first37 = {
      "copy frame 22 0 20 2 stage 20 0 22 2", "copy frame 20 0 18 2 stage 18 0 20 2", fs(20, 0, 20, 2), "pump",
      "copy frame 24 0 22 2 stage 22 0 24 2", "copy frame 18 0 16 2 stage 16 0 18 2", fs(18, 0, 22, 2), "pump"};
  EXPECT_EQ(Lines(e37.trace.begin(), e37.trace.begin() + 8), first37);
  EXPECT_EQ(e37.pumps, 11);  // v = 0, 2, ..., 20

  const EffectRun e36 = runEffectOn(36, 2, 40, 1);
  EXPECT_EQ(e36.trace[0], "copy frame 0 2 2 0 stage 0 0 2 2");
  EXPECT_EQ(e36.trace[1], fs(0, -2, 2, 0));
}

TEST(Effects23to45Trace, Effect40PushesTheOldPictureLeft) {
  const Lines want = {"copy stage 0 0 4 2 work 0 0 4 2",
                      "copy work 0 0 4 2 stage 0 0 4 2",
                      fs(4, 0, 6, 2),
                      "pump",
                      "copy work 2 0 4 2 stage 0 0 2 2",
                      fs(2, 0, 4, 2),
                      "pump",
                      "copy work 4 0 4 2 stage 0 0 0 2",
                      fs(0, 0, 2, 2),
                      "pump"};
  EXPECT_EQ(runEffectOn(40, 4, 2, 7).trace, want);  // speed is not used
}

TEST(Effects23to45Trace, Effect44PushesUpInTwoPhases) {
  // 2 x 4: phase 1 for g = 0, 2; phase 2 for g = 4 with l = 2.
  const Lines want = {"copy stage 0 0 2 4 work 0 0 2 4",
                      "copy work 0 0 2 4 stage 0 0 2 4",
                      "copy frame 0 4 2 4 stage 0 4 2 4",
                      "pump",
                      "copy work 0 2 2 4 stage 0 0 2 2",
                      "copy frame 0 0 2 2 stage 0 2 2 4",
                      "pump",
                      "copy frame 0 0 2 4 stage 0 0 2 4",
                      "copy work 0 2 2 2 stage 0 0 2 0",
                      "pump"};
  EXPECT_EQ(runEffectOn(44, 2, 4, 1).trace, want);
}

TEST(Effects23to45Trace, Effect45RepeatsEachCopySpeedTimes) {
  // 4 x 1, speed 2: phase 1 for f = 0, 2; phase 2 for f = 4 with k = 0.
  const std::string w0 = "copy work 0 0 4 1 stage 0 0 4 1";
  const std::string f0 = "copy frame 0 0 0 1 stage 0 0 0 1";
  const std::string w2 = "copy work 0 0 2 1 stage 2 0 4 1";
  const std::string f2 = "copy frame 2 0 4 1 stage 0 0 2 1";
  const std::string f4 = "copy frame 0 0 4 1 stage 0 0 4 1";
  const std::string w4 = "copy work 0 0 0 1 stage 4 0 4 1";
  const Lines want = {
      "copy stage 0 0 4 1 work 0 0 4 1", w0, w0, f0, f0, "pump", w2, w2, f2, f2, "pump", f4, f4, w4, w4, "pump"};
  EXPECT_EQ(runEffectOn(45, 4, 1, 2).trace, want);
}

TEST(Effects23to45Trace, Effect39SquaresFollowTheirRays) {
  // 40 x 30: cx = 20, cy = 15; n = sqrt(2500) / 2 + 0.5 = 25.5, rounded to 26.
  const EffectRun run = runEffectOn(39, 40, 30, 1);
  EXPECT_EQ(run.pumps, 361 * 27);
  // a = 0 points left: square centred on (cx - r, cy).
  EXPECT_EQ(run.trace[0], fs(10, 5, 30, 25));
  EXPECT_EQ(run.trace[2], fs(9, 5, 29, 25));
  // a = 90 points up: the square of r = 3 is centred on (cx, cy - 3).
  EXPECT_EQ(run.trace[2 * (90 * 27 + 3)], fs(10, 2, 30, 22));
  // a = 180 points right.
  EXPECT_EQ(run.trace[2 * (180 * 27 + 5)], fs(15, 5, 35, 25));
}

// --- counts and speeds -----------------------------------------------------

TEST(Effects23to45Counts, SweepRadiiOnA1024By768Screen) {
  // Speed 0 issues no copies, so only the pumps count the squares.
  // Effect 30: sqrt(1024^2 + 384^2) + 0.5 = 1094.13 -> 1094, 181 rays.
  EXPECT_EQ(runEffectOn(30, 1024, 768, 0).pumps, 181 * 1095);
  // Effect 39: sqrt(1024^2 + 768^2) / 2 + 0.5 = 640.5 -> 640 (halves to even), 361 rays.
  EXPECT_EQ(runEffectOn(39, 1024, 768, 0).pumps, 361 * 641);
}

TEST(Effects23to45Counts, Effect31SteepAndFlatRaysOnA1024By768Screen) {
  const EffectRun run = runEffectOn(31, 1024, 768, 1);
  struct Ray {
    bool steep;
    int lastJ;
    bool topAtEdge;
  };
  std::vector<Ray> rays;
  const int cx = 512;
  for (std::size_t i = 0; i + 2 < run.trace.size(); i += 3) {
    ASSERT_EQ(run.trace[i + 2], "pump");
    int l, t, r, b;
    ASSERT_EQ(std::sscanf(run.trace[i].c_str(), "copy frame %d %d %d %d", &l, &t, &r, &b), 4);
    const bool steep = r - l == 8;
    const int j = steep ? l - cx + 4 : r - cx;
    if (j == 0) rays.push_back({steep, 0, steep && t == 0});
    ASSERT_FALSE(rays.empty());
    rays.back().lastJ = j;
    if (steep && t != 0) {
      EXPECT_EQ(b - t, 30);
      rays.back().topAtEdge = false;
    }
  }
  ASSERT_EQ(rays.size(), 89u);  // a = 91 .. 179
  for (std::size_t k = 0; k < rays.size(); ++k) {
    const int a = 91 + int(k);
    EXPECT_EQ(rays[k].steep, a <= 123) << "a = " << a;
    if (rays[k].steep) {
      EXPECT_EQ(rays[k].topAtEdge, a < 100) << "a = " << a;
    } else {
      EXPECT_EQ(rays[k].lastJ, cx + 100) << "a = " << a;
    }
  }
  EXPECT_EQ(rays.front().lastJ, 13);  // reach of a = 91
  EXPECT_EQ(rays[123 - 91].lastJ, 499);
}

TEST(Effects23to45Counts, CurtainsPumpAfterEveryRepeatedPair) {
  // 6 x 2: i = 0 .. 3; each pair is repeated 20 x speed + 1 times.
  EXPECT_EQ(runEffectOn(23, 6, 2, 2).pumps, 4 * 41);
  EXPECT_EQ(runEffectOn(24, 6, 2, 2).copies, 4 * 41 * 2);
  EXPECT_EQ(runEffectOn(25, 2, 6, 0).pumps, 4);
  // A negative speed leaves no repeat at all, so neither copies nor pumps.
  for (int n = 23; n <= 26; ++n) EXPECT_TRUE(runEffectOn(n, 6, 6, -1).trace.empty()) << n;
}

TEST(Effects23to45Counts, Effect38GridAndItsRepeats) {
  // 4 x 40: pitch 2, g = 0 .. 1, i = 0 .. 3, j = 0 .. 21; 2 x speed copies per square.
  const EffectRun run = runEffectOn(38, 4, 40, 3);
  EXPECT_EQ(run.pumps, 2 * 4 * 22);
  EXPECT_EQ(run.copies, 2 * 4 * 22 * 6);
  EXPECT_EQ(run.trace[0], fs(0, 0, 0, 0));
  EXPECT_EQ(run.trace[6 * 4 * 22 + 4 * 22], fs(-1, -1, 1, 1));  // g = 1, i = 0, j = 0
  EXPECT_EQ(run.draws, 0);
  // Under 20 pixels high there is no grid: the picture is drawn whole instead.
  const EffectRun flat = runEffectOn(38, 30, 19, 1);
  EXPECT_EQ(flat.trace, Lines{"draw frame stage 0 0"});
  EXPECT_EQ(flat.stage, flat.frame);
}

TEST(Effects23to45Counts, EffectsWithoutSpeedIgnoreIt) {
  for (int n : {33, 35, 36, 37, 40}) EXPECT_EQ(runEffectOn(n, 12, 10, 0).trace, runEffectOn(n, 12, 10, 5).trace) << n;
}

TEST(Effects23to45Counts, SpeedZeroPumpsWithoutCopying) {
  // Every copy of these effects is repeated speed times (2 x speed for 38).
  for (int n : {27, 28, 29, 30, 31, 32, 34, 38, 39}) {
    const EffectRun zero = runEffectOn(n, 24, 20, 0);
    EXPECT_EQ(zero.copies, 0) << n;
    EXPECT_EQ(zero.pumps, runEffectOn(n, 24, 20, 1).pumps) << n;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 24; ++x) ASSERT_TRUE(zero.stageShowsOld(x, y)) << n;
  }
  // The pushes still keep the old picture in WorkBitmap, then copy nothing.
  for (int n = 41; n <= 45; ++n) {
    const EffectRun zero = runEffectOn(n, 6, 4, 0);
    EXPECT_EQ(zero.lines("copy"), Lines{"copy stage 0 0 6 4 work 0 0 6 4"}) << n;
    EXPECT_EQ(zero.pumps, runEffectOn(n, 6, 4, 1).pumps) << n;
    EXPECT_TRUE(zero.stageShowsOld(5, 3)) << n;
  }
}

TEST(Effects23to45Counts, NoFinalDrawAndEveryTinySizeEnds) {
  for (int n = 23; n <= 45; ++n)
    for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {3, 2}, {5, 4}, {7, 21}})
      for (int speed : {-1, 0, 2}) {
        const EffectRun run = runEffectOn(n, w, h, speed);
        const int draws = (n == 38 && h < 20) ? 1 : 0;
        EXPECT_EQ(run.draws, draws) << n << " at " << w << "x" << h << " speed " << speed;
        EXPECT_EQ(run.randoms, 0) << n;
      }
}

TEST(Effects23to45Counts, EveryEffectBringsTheNewPictureAtSpeedOne) {
  // On a 40 x 30 screen these cover the whole picture.
  for (int n : {23, 24, 25, 26, 30, 31, 32, 33, 34, 35, 36, 37, 39, 40, 41, 42, 43, 44, 45}) {
    const EffectRun run = runEffectOn(n, 40, 30, 1);
    EXPECT_EQ(run.stage, run.frame) << n;
  }
}

}  // namespace
}  // namespace lumora
