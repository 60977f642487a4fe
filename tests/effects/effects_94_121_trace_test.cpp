// Transitions 94 to 121 on tiny screens: traces worked out by hand from the
// loops, with the random bits chosen through the seed (the generator's first
// Random(2) values: seed 2 gives 0 1 1 0, seed 17 gives 1 0 1 0, seed 21
// gives 1 0 0 1, seed 1 gives 0 1, seed 0 gives 0).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/effect_harness.h"

namespace lumora {
namespace {

using testing::EffectRun;
using testing::runEffectOn;
using Lines = std::vector<std::string>;

// One copy of FrameBitmap's rectangle onto the same rectangle of the Stage.
std::string copyLine(int l, int t, int r, int b) {
  const std::string rect =
      std::to_string(l) + ' ' + std::to_string(t) + ' ' + std::to_string(r) + ' ' + std::to_string(b);
  return "copy frame " + rect + " stage " + rect;
}

Lines slice(const Lines& all, std::size_t from, std::size_t count) {
  return Lines(all.begin() + long(from), all.begin() + long(from + count));
}

TEST(Effects94to121Trace, WavyVerticalEdgesFirstAndLastPass) {
  // 50x4: A = 10, HW = 25, p runs 25 .. -10; rows v = 0, 2, 4 at 2, 4, 6
  // degrees: x = Round(10 sin) = 0 (0.35), 1 (0.70), 1 (1.05).
  const EffectRun run = runEffectOn(94, 50, 4);
  ASSERT_EQ(run.trace.size(), 36u * 10u);
  const std::string pump = "pump";
  const Lines first{copyLine(23, -1, 25, 2),
                    copyLine(23, -1, 25, 2),
                    pump,
                    copyLine(24, 1, 26, 4),
                    copyLine(24, 1, 26, 4),
                    pump,
                    copyLine(24, 3, 26, 6),
                    copyLine(24, 3, 26, 6),
                    pump,
                    pump};
  EXPECT_EQ(slice(run.trace, 0, 10), first);
  const Lines last{copyLine(-12, -1, -10, 2),
                   copyLine(58, -1, 60, 2),
                   pump,
                   copyLine(-11, 1, -9, 4),
                   copyLine(59, 1, 61, 4),
                   pump,
                   copyLine(-11, 3, -9, 6),
                   copyLine(59, 3, 61, 6),
                   pump,
                   pump};
  EXPECT_EQ(slice(run.trace, run.trace.size() - 10, 10), last);
}

TEST(Effects94to121Trace, WavyHorizontalEdgesStartAt91Degrees) {
  // 90x2: A = 30, HH = 1; first pass p = 1. Column v has the angle 91 + v:
  // v = 0: Round(30 sin 91) = 30; v = 29: Round(30 sin 120) = 26;
  // v = 89: sin 180 is about 0; v = 90: Round(30 sin 181) = Round(-0.52) = -1.
  const Lines copies = runEffectOn(96, 90, 2).lines("copy");
  ASSERT_EQ(copies.size(), std::size_t(2 * (1 + 30 + 1) * 91));
  EXPECT_EQ(copies[0], copyLine(-1, 31, 1, 33));
  EXPECT_EQ(copies[1], copyLine(-1, 31, 1, 33));  // H - p + y = 2 - 1 + 30
  EXPECT_EQ(copies[2 * 29], copyLine(28, 27, 30, 29));
  EXPECT_EQ(copies[2 * 89], copyLine(88, 1, 90, 3));
  EXPECT_EQ(copies[2 * 90], copyLine(89, 0, 91, 2));
  EXPECT_EQ(copies[2 * 90 + 1], copyLine(89, 0, 91, 2));
  // Last pass p = -30, column 90: [89, -31, 91, -29] and [89, 31, 91, 33].
  EXPECT_EQ(copies[copies.size() - 2], copyLine(89, -31, 91, -29));
  EXPECT_EQ(copies.back(), copyLine(89, 31, 91, 33));
}

// Blocks (x, y) of one quarter, relative to its origin, for each step i of a
// 4x4 screen (HW = HH = 2), worked out from the line table.
using Steps = std::vector<std::vector<std::pair<int, int>>>;
const Steps kBit0Pass1{{{0, 2}}, {{0, 1}, {1, 2}}, {{0, 0}, {1, 1}, {2, 2}}};
const Steps kBit0Pass2{{{0, 0}, {1, 1}, {2, 2}}, {{1, 0}, {2, 1}}, {{2, 0}}};
const Steps kBit1Pass1{{{2, 0}}, {{1, 0}, {2, 1}}, {{0, 0}, {1, 1}, {2, 2}}};
const Steps kBit1Pass2{{{0, 0}, {1, 1}, {2, 2}}, {{0, 1}, {1, 2}}, {{0, 2}}};

TEST(Effects94to121Trace, SlantedLinesOnAFourByFourScreen) {
  // Seed 2: top-left 0, top-right 1, bottom-left 1, bottom-right 0.
  const EffectRun run = runEffectOn(98, 4, 4, 1, 2);
  Lines want{"random 2 0", "random 2 1", "random 2 1", "random 2 0"};
  struct Q {
    int ox, oy, b;
  };
  const Q quarters[] = {{0, 0, 0}, {2, 0, 1}, {0, 2, 1}, {2, 2, 0}};
  for (int pass = 1; pass <= 2; ++pass)
    for (int i = 0; i <= 2; ++i)
      for (const Q& q : quarters) {
        const Steps& steps = q.b == 0 ? (pass == 1 ? kBit0Pass1 : kBit0Pass2) : (pass == 1 ? kBit1Pass1 : kBit1Pass2);
        for (auto [x, y] : steps[std::size_t(i)]) {
          want.push_back(copyLine(q.ox + x, q.oy + y, q.ox + x + 2, q.oy + y + 2));
          want.push_back("pump");
        }
      }
  EXPECT_EQ(run.trace, want);
}

TEST(Effects94to121Trace, SlantedLinesRoundHalvesToEven) {
  // 12x8, seed 2 (top-left bit 0): HW = 6, HH = 4. Pass 1 step i = 6 starts
  // after 4 * (1 + ... + 6) = 84 blocks; its top-left line starts at row
  // HH - Round(4.5) = 0 and has y = Round(0.75 j): 0 1 2 2 3 4 4.
  const Lines copies = runEffectOn(98, 12, 8, 1, 2).lines("copy");
  const int ys[] = {0, 1, 2, 2, 3, 4, 4};
  for (int j = 0; j <= 6; ++j) EXPECT_EQ(copies[std::size_t(84 + j)], copyLine(j, ys[j], j + 2, ys[j] + 2)) << j;
}

TEST(Effects94to121Trace, ColumnWipesOnAFourByThreeScreen) {
  // Seed 21: d = 1 0 0 1. HW = 2, HH = 1; order top-left, bottom-left,
  // bottom-right, top-right; each group 51 times, then a pump.
  const EffectRun run = runEffectOn(103, 4, 3, 1, 21);
  const Lines groups[] = {{copyLine(2, 0, 3, 1), copyLine(0, 1, 1, 2), copyLine(2, 1, 3, 2), copyLine(4, 0, 5, 1)},
                          {copyLine(1, 0, 2, 1), copyLine(1, 1, 2, 2), copyLine(3, 1, 4, 2), copyLine(3, 0, 4, 1)},
                          {copyLine(0, 0, 1, 1), copyLine(2, 1, 3, 2), copyLine(4, 1, 5, 2), copyLine(2, 0, 3, 1)}};
  Lines want{"random 2 1", "random 2 0", "random 2 0", "random 2 1"};
  for (const Lines& g : groups)
    for (int k = 0; k < 51; ++k) {
      want.insert(want.end(), g.begin(), g.end());
      want.push_back("pump");
    }
  EXPECT_EQ(run.trace, want);
}

TEST(Effects94to121Trace, RowWipesOnAThreeByFourScreen) {
  // Seed 17: d = 1 0 1 0. HW = 1, HH = 2; order top-left, top-right,
  // bottom-right, bottom-left; each group 101 times, then a pump.
  const EffectRun run = runEffectOn(108, 3, 4, 1, 17);
  const Lines groups[] = {{copyLine(0, 2, 1, 3), copyLine(1, 0, 2, 1), copyLine(1, 4, 2, 5), copyLine(0, 2, 1, 3)},
                          {copyLine(0, 1, 1, 2), copyLine(1, 1, 2, 2), copyLine(1, 3, 2, 4), copyLine(0, 3, 1, 4)},
                          {copyLine(0, 0, 1, 1), copyLine(1, 2, 2, 3), copyLine(1, 2, 2, 3), copyLine(0, 4, 1, 5)}};
  Lines want{"random 2 1", "random 2 0", "random 2 1", "random 2 0"};
  for (const Lines& g : groups)
    for (int k = 0; k < 101; ++k) {
      want.insert(want.end(), g.begin(), g.end());
      want.push_back("pump");
    }
  EXPECT_EQ(run.trace, want);
}

// Ring k of a 3x2 screen: top, left (reversed), right, bottom (reversed).
const Lines kRing0{copyLine(-1, 0, 4, 1), copyLine(0, 3, 1, -1), copyLine(3, -1, 4, 3), copyLine(4, 2, -1, 3)};
const Lines kRing1{copyLine(0, 1, 3, 2), copyLine(1, 2, 2, 0), copyLine(2, 0, 3, 2), copyLine(3, 1, 0, 2)};

Lines ringStep(const Lines& ring, int speed) {
  Lines out;
  for (int k = 0; k < 15; ++k) {
    for (int s = 0; s < speed; ++s) out.insert(out.end(), ring.begin(), ring.end());
    out.push_back("pump");
  }
  return out;
}

Lines joined(std::initializer_list<Lines> parts) {
  Lines out;
  for (const Lines& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(Effects94to121Trace, RingsOutwardAndInwardWithTheEdgesRepeatedAsAGroup) {
  EXPECT_EQ(runEffectOn(115, 3, 2, 2).trace, joined({ringStep(kRing1, 2), ringStep(kRing0, 2)}));
  EXPECT_EQ(runEffectOn(116, 3, 2, 1).trace, joined({ringStep(kRing0, 1), ringStep(kRing1, 1)}));
}

TEST(Effects94to121Trace, InterleavedRingsPumpAfterEachRing) {
  // 3x2, HW = 1: each sweep has one ring. Seed 17: b = 1 gives k = HW - 0 = 1
  // in the first sweep, then b = 0 gives k = v = 1 in the second.
  const Lines pump{"pump"};
  EXPECT_EQ(runEffectOn(113, 3, 2, 1, 17).trace,
            joined({{"random 2 1"}, ringStep(kRing1, 1), pump, {"random 2 0"}, ringStep(kRing1, 1), pump}));
  // Seed 0: b = 0 then b = 0: rings 0 and 1.
  EXPECT_EQ(runEffectOn(114, 3, 2, 1, 0).trace,
            joined({{"random 2 0"}, ringStep(kRing0, 1), pump, {"random 2 0"}, ringStep(kRing1, 1), pump}));
}

TEST(Effects94to121Trace, InterleavedRingsWithAnOddHalfWidthCanDrawOneParityTwice) {
  // 6x4, HW = 3, seed 1: b = 0 gives rings 0, 2; b = 1 gives HW - 1 = 2,
  // HW - 3 = 0. Rings 1 and 3 are never drawn. A ring step is 15 * 5 lines
  // and one more pump; its first copy is its top edge [k - 1, R, W - k + 1, R + 1].
  const EffectRun run = runEffectOn(113, 6, 4, 1, 1);
  ASSERT_EQ(run.trace.size(), 2u + 4u * 76u);
  const std::size_t starts[] = {1, 1 + 76, 2 + 2 * 76, 2 + 3 * 76};
  const std::string outer = copyLine(-1, 0, 7, 1), inner = copyLine(1, 2, 5, 3);  // R(2) = 2
  EXPECT_EQ(run.trace[starts[0]], outer);
  EXPECT_EQ(run.trace[starts[1]], inner);
  EXPECT_EQ(run.trace[starts[2]], inner);
  EXPECT_EQ(run.trace[starts[3]], outer);
}

TEST(Effects94to121Trace, RandomLinesUseOneValueForRowAndColumn) {
  // 2x2, S = 1: 11 values of Random(4), each a row and a column 3 times over
  // with a pump after each pair, then the final draw.
  const EffectRun run = runEffectOn(117, 2, 2, 1, 9);
  ASSERT_EQ(run.trace.size(), 11u * 10u + 1u);
  for (std::size_t g = 0; g < 11; ++g) {
    const std::string& r = run.trace[10 * g];
    ASSERT_EQ(r.rfind("random 4 ", 0), 0u) << r;
    const int y = std::stoi(r.substr(9));
    ASSERT_TRUE(y >= 0 && y < 4) << r;
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_EQ(run.trace[10 * g + 3 * k + 1], copyLine(0, y, 2, y + 1));
      EXPECT_EQ(run.trace[10 * g + 3 * k + 2], copyLine(y, 0, y + 1, 2));
      EXPECT_EQ(run.trace[10 * g + 3 * k + 3], "pump");
    }
  }
  // S = 2: 6 times over per value.
  const EffectRun slow = runEffectOn(117, 2, 2, 2, 9);
  ASSERT_EQ(slow.trace.size(), 11u * 19u + 1u);
  EXPECT_EQ(slice(slow.trace, 1, 3), slice(slow.trace, 16, 3));
}

TEST(Effects94to121Trace, LeftFanFirstAndLastSquares) {
  // 6x16: cx = 0, cy = 8, Rmax = 10; each radius: S copies above, S below, pump.
  const EffectRun closing = runEffectOn(118, 6, 16, 2, 0);  // b = 0: 90 .. 180 degrees
  EXPECT_EQ(slice(closing.trace, 0, 12),
            (Lines{"random 2 0", copyLine(-10, -2, 10, 18), copyLine(-10, -2, 10, 18), copyLine(-10, -2, 10, 18),
                   copyLine(-10, -2, 10, 18), "pump",
                   // r = 1 straight up and down the left edge
                   copyLine(-10, -3, 10, 17), copyLine(-10, -3, 10, 17), copyLine(-10, -1, 10, 19),
                   copyLine(-10, -1, 10, 19), "pump", copyLine(-10, -4, 10, 16)}));
  // Last: 180 degrees, r = 10 along the centre row.
  EXPECT_EQ(slice(closing.trace, closing.trace.size() - 5, 5),
            (Lines{copyLine(0, -2, 20, 18), copyLine(0, -2, 20, 18), copyLine(0, -2, 20, 18), copyLine(0, -2, 20, 18),
                   "pump"}));

  const EffectRun opening = runEffectOn(118, 6, 16, 1, 17);  // b = 1: 180 .. 270 degrees
  EXPECT_EQ(slice(opening.trace, 0, 7), (Lines{"random 2 1", copyLine(-10, -2, 10, 18), copyLine(-10, -2, 10, 18),
                                               "pump", copyLine(-9, -2, 11, 18), copyLine(-9, -2, 11, 18), "pump"}));
  // Last: 270 degrees, r = 10: the "upper" ray points down.
  EXPECT_EQ(slice(opening.trace, opening.trace.size() - 3, 3),
            (Lines{copyLine(-10, 8, 10, 28), copyLine(-10, -12, 10, 8), "pump"}));
}

TEST(Effects94to121Trace, RightFanFirstAndLastSquares) {
  // 6x16: cx = 6, cy = 8, Rmax = 10.
  const EffectRun opening = runEffectOn(120, 6, 16, 1, 0);  // b = 0: 0 .. 90 degrees
  EXPECT_EQ(slice(opening.trace, 0, 7), (Lines{"random 2 0", copyLine(-4, -2, 16, 18), copyLine(-4, -2, 16, 18), "pump",
                                               copyLine(-5, -2, 15, 18), copyLine(-5, -2, 15, 18), "pump"}));
  EXPECT_EQ(slice(opening.trace, opening.trace.size() - 3, 3),
            (Lines{copyLine(-4, -12, 16, 8), copyLine(-4, 8, 16, 28), "pump"}));

  const EffectRun closing = runEffectOn(121, 6, 16, 1, 17);  // b = 1: 90 down to 0 degrees
  EXPECT_EQ(slice(closing.trace, 4, 3), (Lines{copyLine(-4, -3, 16, 17), copyLine(-4, -1, 16, 19), "pump"}));
  EXPECT_EQ(slice(closing.trace, closing.trace.size() - 3, 3),
            (Lines{copyLine(-14, -2, 6, 18), copyLine(-14, -2, 6, 18), "pump"}));
}

}  // namespace
}  // namespace lumora
