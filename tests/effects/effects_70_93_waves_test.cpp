// Transitions 70 to 93: the combs and travelling wavy lines worked out by hand
// on tiny screens, and the order of the random draws of the random lines,
// the ragged edge and the specks.
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
std::string randomLine(int n, int v) { return "random " + std::to_string(n) + ' ' + std::to_string(v); }
void repeat(std::vector<std::string>& out, long n, const std::string& line) {
  for (long i = 0; i < n; ++i) out.push_back(line);
}

// --- 80, 81 -----------------------------------------------------------------

TEST(Effects70to93Waves, CombOfVerticalLines) {
  // 400 x 1: a = 20, t = 0..20, one step y = 0 (angle 4: off = round(1.395) = 1).
  const EffectRun r = runEffectOn(80, 400, 1, 2);
  EXPECT_EQ(r.copies, 2 * 21 * 23);
  EXPECT_EQ(r.pumps, 21 * (23 + 1 + 1));
  ASSERT_GE(r.trace.size(), 6u);
  EXPECT_EQ(r.trace[0], copyLine(-21, -1, -19, 4));  // s = -1: x = -20 + 0 + 1
  EXPECT_EQ(r.trace[1], copyLine(-21, -1, -19, 4));
  EXPECT_EQ(r.trace[2], "pump");
  EXPECT_EQ(r.trace[3], copyLine(-1, -1, 1, 4));  // s = 0: x = 1
  // End of a pass: the line pump, the step pump and the pass pump.
  EXPECT_EQ(r.trace[3 * 23], "pump");
  EXPECT_EQ(r.trace[3 * 23 + 1], "pump");
  EXPECT_EQ(r.trace[3 * 23 + 2], copyLine(-20, -1, -18, 4));  // t = 1
}

TEST(Effects70to93Waves, CombOfHorizontalLines) {
  // 1 x 400: a = 20, one step x = 0 (angle 94: off = round(19.95) = 20).
  const EffectRun r = runEffectOn(81, 1, 400, 1);
  EXPECT_EQ(r.copies, 21 * 23);
  EXPECT_EQ(r.pumps, 21 * 25);
  ASSERT_GE(r.trace.size(), 4u);
  EXPECT_EQ(r.trace[0], copyLine(-1, 0, 4, 2));  // s = -1: y = 20 + 0 - 20
  EXPECT_EQ(r.trace[2], copyLine(-1, 20, 4, 22));
}

// --- 82 to 89 ---------------------------------------------------------------

TEST(Effects70to93Waves, TwoHorizontalLinesFromTheMiddle) {
  // 40 x 2: a = 2, k = 2, e = -2..4, x = 0..40; angle 91 at x = 0: off = 2.
  const EffectRun r = runEffectOn(82, 40, 2);
  EXPECT_EQ(r.copies, 7 * 41 * 2);
  EXPECT_EQ(r.pumps, 7 * 42);
  ASSERT_GE(r.trace.size(), 4u);
  EXPECT_EQ(r.trace[0], copyLine(-1, 2, 1, 4));
  EXPECT_EQ(r.trace[1], copyLine(-1, 2, 1, 0));  // reversed: rows 1 and 2
  EXPECT_EQ(r.trace[2], "pump");
  // Last step of the last pass: e = 4, angle 131, off = round(1.509) = 2.
  const std::size_t n = r.trace.size();
  EXPECT_EQ(r.trace[n - 4], copyLine(39, 8, 41, 10));
  EXPECT_EQ(r.trace[n - 3], copyLine(39, -4, 41, -6));
  EXPECT_EQ(r.trace[n - 2], "pump");
  EXPECT_EQ(r.trace[n - 1], "pump");
  // Every pass starts the wave anew: pass 2 is pass 1 moved one row.
  EXPECT_EQ(r.trace[41 * 3 + 1], copyLine(-1, 3, 1, 5));
  EXPECT_EQ(r.trace[41 * 3 + 2], copyLine(-1, 1, 1, -1));

  const EffectRun meet = runEffectOn(83, 40, 2);
  ASSERT_GE(meet.trace.size(), 2u);
  EXPECT_EQ(meet.trace[0], copyLine(-1, 0, 1, 2));
  EXPECT_EQ(meet.trace[1], copyLine(-1, 4, 1, 2));
}

TEST(Effects70to93Waves, TwoVerticalLines) {
  // 40 x 4: k = 21, a = 1, e = -1..22, y = 0, 2, 4; angle 2 at y = 0: off = 0.
  const EffectRun out = runEffectOn(84, 40, 4);
  EXPECT_EQ(out.copies, 24 * 3 * 2);
  EXPECT_EQ(out.pumps, 24 * 4);
  ASSERT_GE(out.trace.size(), 2u);
  EXPECT_EQ(out.trace[0], copyLine(18, -1, 20, 2));
  EXPECT_EQ(out.trace[1], copyLine(24, -1, 22, 2));  // reversed: columns 23 and 24

  const EffectRun in = runEffectOn(85, 40, 4);
  ASSERT_GE(in.trace.size(), 2u);
  EXPECT_EQ(in.trace[0], copyLine(45, -1, 43, 2));
  EXPECT_EQ(in.trace[1], copyLine(-3, -1, -1, 2));
}

TEST(Effects70to93Waves, OneLineTravellingEachWay) {
  // 20 x 3: a = 1. Rows: x = 0..20 at angle 91 first (off = 1).
  const EffectRun up = runEffectOn(86, 20, 3), down = runEffectOn(87, 20, 3);
  EXPECT_EQ(up.copies, 6 * 21);
  EXPECT_EQ(up.pumps, 6 * 22);
  EXPECT_EQ(down.pumps, up.pumps);
  EXPECT_EQ(up.trace.front(), copyLine(-1, 5, 1, 7));    // e = H + a = 4
  EXPECT_EQ(down.trace.front(), copyLine(-1, 0, 1, 2));  // e = -1
  // Columns: y = 0, 2 at angle 2 first (off = 0).
  const EffectRun left = runEffectOn(88, 20, 3), right = runEffectOn(89, 20, 3);
  EXPECT_EQ(left.copies, 23 * 2);
  EXPECT_EQ(left.pumps, 23 * 3);
  EXPECT_EQ(left.trace.front(), copyLine(19, -1, 21, 2));   // e = W + a = 21
  EXPECT_EQ(right.trace.front(), copyLine(-3, -1, -1, 2));  // e = -1
  for (const EffectRun* r : {&up, &down, &left, &right}) EXPECT_EQ(r->stage, r->frame);
}

// --- 90 to 93: the draws in their order, from the show's generator ---------

TEST(Effects70to93Waves, RandomRowsAndColumnsThenTheWholePicture) {
  const int w = 7, h = 4;
  Random rows(5), cols(5);
  std::vector<std::string> e90, e91;
  for (int i = 0; i < 5 * h + 1; ++i) {
    const int y = rows.next(h + 2);
    e90.push_back(randomLine(h + 2, y));
    repeat(e90, 20 * 2, copyLine(0, y, w, y + 1));
    e90.push_back("pump");
  }
  for (int i = 0; i < 5 * w + 1; ++i) {
    const int x = cols.next(w + 2);
    e91.push_back(randomLine(w + 2, x));
    repeat(e91, 3 * 2, copyLine(x, 0, x + 1, h));
    e91.push_back("pump");
  }
  e90.push_back("draw frame stage 0 0");
  e91.push_back("draw frame stage 0 0");
  EXPECT_EQ(runEffectOn(90, w, h, 2, 5).trace, e90);
  EXPECT_EQ(runEffectOn(91, w, h, 2, 5).trace, e91);
}

TEST(Effects70to93Waves, RaggedEdge) {
  for (int w : {16, 7}) {  // 7 wide: Random(0) gives 0, only [u - 2, u) is drawn
    const int h = 7;
    Random random(9);
    std::vector<std::string> expected;
    for (int u = 0; u <= w; ++u)
      for (int y = 0; y <= h; y += 6) {
        const int n = random.next(w / 8);
        expected.push_back(randomLine(w / 8, n));
        repeat(expected, 2, copyLine(u - 2, y, u + n, y + 6));
        expected.push_back("pump");
      }
    const EffectRun r = runEffectOn(92, w, h, 1, 9);
    EXPECT_EQ(r.trace, expected) << w;
    EXPECT_EQ(r.stage, r.frame) << w;
  }
}

TEST(Effects70to93Waves, StripWithSpecks) {
  const int w = 30, h = 16;
  Random random(3);
  std::vector<std::string> expected;
  for (int u = 0; u <= w; ++u) {
    repeat(expected, 4, copyLine(u - 2, 0, u + 2, h));
    for (int i = 0; i < h / 8 + 1; ++i) {
      const int dx = random.next(w / 10);
      const int y = random.next(h);
      expected.push_back(randomLine(w / 10, dx));
      expected.push_back(randomLine(h, y));
      repeat(expected, 4, copyLine(u + dx, y, u + dx + 4, y + 4));
      expected.push_back("pump");
    }
  }
  EXPECT_EQ(runEffectOn(93, w, h, 2, 3).trace, expected);
}

}  // namespace
}  // namespace lumora
