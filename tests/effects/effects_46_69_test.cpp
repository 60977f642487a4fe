// Transitions 46 to 69: traces worked out by hand on tiny screens, and which
// pixels keep the previous picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "effect_harness.h"

namespace lumora {
namespace {

using testing::EffectRun;
using testing::runEffectOn;
using Lines = std::vector<std::string>;

// Columns x of row y whose Stage pixel still shows the previous picture.
std::vector<int> oldColumns(const EffectRun& r, int y) {
  std::vector<int> out;
  for (int x = 0; x < r.stage.width(); ++x)
    if (r.stageShowsOld(x, y)) out.push_back(x);
  return out;
}
std::vector<int> oldRows(const EffectRun& r, int x) {
  std::vector<int> out;
  for (int y = 0; y < r.stage.height(); ++y)
    if (r.stageShowsOld(x, y)) out.push_back(y);
  return out;
}
bool allNew(const EffectRun& r) { return r.stage == r.frame; }
bool allOld(const EffectRun& r) {
  for (int y = 0; y < r.stage.height(); ++y)
    if (oldColumns(r, y).size() != std::size_t(r.stage.width())) return false;
  return true;
}

TEST(Effects46to69, FinalDrawOnlyWhereTheEffectEndsWithIt) {
  for (int n = 46; n <= 69; ++n) {
    const EffectRun r = runEffectOn(n, 23, 17);
    const bool withFinal = (n >= 46 && n <= 50) || (n >= 56 && n <= 58);
    ASSERT_FALSE(r.trace.empty()) << n;
    EXPECT_EQ(r.trace.back() == "draw frame stage 0 0", withFinal) << n;
    if (withFinal) {
      EXPECT_TRUE(allNew(r)) << n;
    }
  }
}

TEST(Effects46to69, SqueezeStartsWithAnEmptyStripAndEndsAtTheFullWidth) {
  // W = 40: step 2, passes t = 0, 2, ..., 40.
  const EffectRun r = runEffectOn(46, 40, 3);
  EXPECT_EQ(r.pumps, 21);
  const Lines first(r.trace.begin(), r.trace.begin() + 6);
  EXPECT_EQ(first, (Lines{"copy stage 0 0 40 3 work 0 0 40 3", "copy work 0 0 40 3 spare 0 0 40 3",
                          "copy spare 0 0 40 3 stage 0 0 40 3", "copy frame 0 0 0 3 spare 40 0 40 3",
                          "copy spare 40 0 40 3 stage 40 0 40 3", "pump"}));
  const Lines last(r.trace.end() - 6, r.trace.end());
  EXPECT_EQ(last, (Lines{"copy work 0 0 40 3 spare 0 0 0 3", "copy spare 0 0 0 3 stage 0 0 0 3",
                         "copy frame 0 0 40 3 spare 0 0 40 3", "copy spare 0 0 40 3 stage 0 0 40 3", "pump",
                         "draw frame stage 0 0"}));
}

TEST(Effects46to69, TinyScreensStillAdvance) {
  // W div 20 and W div 30 are 0 here; every effect must still come to an end.
  for (int n = 46; n <= 69; ++n)
    for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {3, 2}})
      for (int speed : {-1, 0, 2}) runEffectOn(n, w, h, speed);
  EXPECT_EQ(runEffectOn(50, 10, 1).pumps, 6);  // t = 0..5 in steps of 1
}

TEST(Effects46to69, Effect53RepeatsItsFourCopiesAsAGroup) {
  const EffectRun r = runEffectOn(53, 5, 1, 2);
  const Lines group0{"copy work 0 0 2 1 stage 0 0 2 1", "copy work 2 0 4 1 stage 2 0 4 1",
                     "copy frame 2 0 4 1 stage 2 0 4 1", "copy frame 0 0 2 1 stage 0 0 2 1"};
  const Lines group2{"copy work 2 0 2 1 stage 0 0 0 1", "copy work 2 0 2 1 stage 4 0 4 1",
                     "copy frame 4 0 6 1 stage 4 0 6 1", "copy frame -2 0 0 1 stage -2 0 0 1"};
  Lines expected{"copy stage 0 0 5 1 work 0 0 5 1"};
  for (const Lines* g : {&group0, &group0}) expected.insert(expected.end(), g->begin(), g->end());
  expected.push_back("pump");
  for (const Lines* g : {&group2, &group2}) expected.insert(expected.end(), g->begin(), g->end());
  expected.push_back("pump");
  EXPECT_EQ(r.trace, expected);
  EXPECT_TRUE(allNew(r));
}

TEST(Effects46to69, Effect69DrawsEachDiamondOutlineInTwoByTwoBlocks) {
  const EffectRun r = runEffectOn(69, 2, 2);
  auto blocks = [](Rect a, Rect b, Rect c, Rect d) {
    Lines out;
    for (Rect q : {a, b, c, d}) {
      const std::string s = std::to_string(q.left) + ' ' + std::to_string(q.top) + ' ' + std::to_string(q.right) + ' ' +
                            std::to_string(q.bottom);
      out.push_back("copy frame " + s + " stage " + s);
    }
    out.push_back("pump");
    return out;
  };
  Lines expected;
  for (const Lines& l : {blocks({1, -1, 3, 1}, {1, -1, 3, 1}, {1, 3, 3, 5}, {1, 3, 3, 5}),  // v 2, j 0
                         blocks({0, 0, 2, 2}, {2, 0, 4, 2}, {0, 2, 2, 4}, {2, 2, 4, 4}),    // v 2, j 1
                         blocks({-1, 1, 1, 3}, {3, 1, 5, 3}, {-1, 1, 1, 3}, {3, 1, 5, 3}),  // v 2, j 2
                         blocks({1, 0, 3, 2}, {1, 0, 3, 2}, {1, 2, 3, 4}, {1, 2, 3, 4}),    // v 1, j 0
                         blocks({0, 1, 2, 3}, {2, 1, 4, 3}, {0, 1, 2, 3}, {2, 1, 4, 3}),    // v 1, j 1
                         blocks({1, 1, 3, 3}, {1, 1, 3, 3}, {1, 1, 3, 3}, {1, 1, 3, 3})})   // v 0
    expected.insert(expected.end(), l.begin(), l.end());
  EXPECT_EQ(r.trace, expected);
}

TEST(Effects46to69, Effect59UncoversBandsColumnByColumnAlternating) {
  // W 2, H 20: bands one row high; each column copy 20 times, each with a pump.
  const EffectRun r = runEffectOn(59, 2, 20);
  EXPECT_EQ(r.copies, 21 * 3 * 20);
  EXPECT_EQ(r.pumps, r.copies);
  EXPECT_EQ(r.trace[0], "copy frame 0 0 -1 1 stage 0 0 -1 1");
  EXPECT_EQ(r.trace[1], "pump");
  EXPECT_EQ(r.trace[40], "copy frame 1 0 0 1 stage 1 0 0 1");
  EXPECT_EQ(r.trace[120], "copy frame 2 1 1 2 stage 2 1 1 2");  // band 1 runs right to left
  EXPECT_EQ(r.trace[200], "copy frame 0 1 -1 2 stage 0 1 -1 2");
  EXPECT_TRUE(allNew(r));
}

TEST(Effects46to69, SpeedZeroOrLess) {
  // Everything marked xS draws nothing; the pumps of 53 to 55, 60 and 69 stay.
  for (int n : {53, 54, 55, 60, 69}) {
    const EffectRun r = runEffectOn(n, 9, 7, 0);
    EXPECT_TRUE(allOld(r)) << n;
    EXPECT_EQ(r.copies, n == 53 || n == 55 ? 1 : 0) << n;  // the snapshot
    EXPECT_GT(r.pumps, 0) << n;
  }
  // 59 and 61 to 63 pump only after a copy.
  for (int n : {59, 61, 62, 63}) EXPECT_EQ(runEffectOn(n, 9, 7, 0).trace.size(), 0u) << n;
  // 64 and 65: once each at S = 0, not at all below, one pump per line still.
  const EffectRun once = runEffectOn(64, 90, 3, 0), never = runEffectOn(64, 90, 3, -1);
  EXPECT_EQ(once.copies, 4 * 41 * 2);
  EXPECT_EQ(never.copies, 0);
  EXPECT_EQ(never.pumps, 4);
  EXPECT_EQ(runEffectOn(65, 3, 60, -1).pumps, 4);
  // 66 draws only its lower comb: rows 0, 3, 4 and 7 of an 8-row screen.
  const EffectRun lower = runEffectOn(66, 3, 8, 0);
  EXPECT_EQ(oldRows(lower, 1), (std::vector<int>{1, 2, 5, 6}));
}

TEST(Effects46to69, CombsLeaveEveryFourthLineWhenTheSizeIsAMultipleOfFour) {
  const EffectRun cols = runEffectOn(60, 8, 3, 2);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(oldColumns(cols, y), (std::vector<int>{2, 6}));
  EXPECT_TRUE(allNew(runEffectOn(60, 7, 3)));  // W mod 4 = 3: the combs meet
  const EffectRun rows = runEffectOn(66, 3, 8);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(oldRows(rows, x), (std::vector<int>{2, 6}));
  EXPECT_TRUE(allNew(runEffectOn(66, 3, 11)));
}

TEST(Effects46to69, AlternateColumnsAndRowsLeaveTheFarEdge) {
  std::vector<int> edge;
  for (int x = 972; x < 1024; ++x) edge.push_back(x);
  EXPECT_EQ(oldColumns(runEffectOn(64, 1024, 2), 1), edge);
  EXPECT_TRUE(allNew(runEffectOn(64, 800, 2)));
  edge.clear();
  for (int y = 732; y < 768; ++y) edge.push_back(y);
  EXPECT_EQ(oldRows(runEffectOn(65, 2, 768), 0), edge);
  EXPECT_TRUE(allNew(runEffectOn(65, 2, 600)));
}

TEST(Effects46to69, SlidesAndSweepsEndOnTheNewPicture) {
  EXPECT_EQ(oldColumns(runEffectOn(54, 9, 2), 0), (std::vector<int>{8}));  // odd W
  EXPECT_TRUE(allNew(runEffectOn(54, 10, 2)));
  for (int n : {52, 53, 55, 61, 62})
    for (auto [w, h] : {std::pair{40, 7}, {41, 8}}) EXPECT_TRUE(allNew(runEffectOn(n, w, h))) << n;
  EXPECT_TRUE(allNew(runEffectOn(51, 40, 7)));
  // With an odd W the band passing x = W - 3 leaves old column W - 3, mirrored,
  // in the last column, and no strip reaches it.
  const EffectRun odd = runEffectOn(51, 41, 3);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(odd.stage.at(40, y), testing::oldPixel(38, y));
    for (int x = 0; x < 40; ++x) EXPECT_TRUE(odd.stageShowsNew(x, y)) << x;
  }
  // Band 20 of 59 ends at row 21 * (H div 20); rows below keep the old picture.
  EXPECT_EQ(oldRows(runEffectOn(59, 3, 23), 0), (std::vector<int>{21, 22}));
  // 67: strips 3 wide end at column 31 * 3 = 93 of a 95-wide screen.
  EXPECT_EQ(oldColumns(runEffectOn(67, 95, 4), 2), (std::vector<int>{93, 94}));
}

TEST(Effects46to69, Effect51DrawsTheBandMirroredOneColumnRight) {
  // W 20: the band is one column, so x = 2 draws work column 2 at stage column 3.
  const EffectRun r = runEffectOn(51, 20, 1);
  EXPECT_EQ(r.trace[4], "copy work 2 0 3 1 stage 3 0 2 1");
  EXPECT_EQ(r.trace[5], "copy frame 0 0 2 1 stage 0 0 2 1");
  const EffectRun l = runEffectOn(52, 20, 1);
  EXPECT_EQ(l.trace[1], "copy work 19 0 20 1 stage 20 0 19 1");
  EXPECT_EQ(l.trace[2], "copy frame 18 0 22 1 stage 18 0 22 1");
}

TEST(Effect58, DiscsGrowRingByRingUntilTheRandomLimit) {
  // W 20: the limit draws Random(1) = 0, so every disc grows to radius 10 and
  // stops at the test before radius 12: 61 discs of 2 + 7 draws, 36 pumps.
  const testing::EffectRun r = testing::runEffectOn(58, 20, 20);
  EXPECT_EQ(r.randoms, 61 * 9);
  EXPECT_EQ(r.pumps, 61 * 36);
  EXPECT_EQ(r.copies, 61 * 72);
  int cx = 0, cy = 0;
  ASSERT_EQ(std::sscanf(r.trace[0].c_str(), "random 20 %d", &cx), 1);
  ASSERT_EQ(std::sscanf(r.trace[1].c_str(), "random 20 %d", &cy), 1);
  auto span = [&](int l, int t, int rr, int b) {
    const std::string s = std::to_string(cx + l) + ' ' + std::to_string(cy + t) + ' ' + std::to_string(cx + rr) + ' ' +
                          std::to_string(cy + b);
    return "copy frame " + s + " stage " + s;
  };
  const std::vector<std::string> firstRings{"random 1 0",
                                            span(0, 0, 0, 1),
                                            span(0, 0, 0, 1),
                                            "pump",  // r 0
                                            "random 1 0",
                                            span(-2, 0, 2, 1),
                                            span(-2, 0, 2, 1),
                                            "pump",  // r 2, d 0
                                            span(-2, -1, 2, 0),
                                            span(-2, 1, 2, 2),
                                            "pump",  // d 1: round(1.73)
                                            span(0, -2, 0, -1),
                                            span(0, 2, 0, 3),
                                            "pump",  // d 2
                                            "random 1 0"};
  EXPECT_EQ(std::vector<std::string>(r.trace.begin() + 2, r.trace.begin() + 17), firstRings);
  // The ring of radius 10: half-widths 10 10 10 10 9 9 8 7 6 4 0 for d = 0..10.
  const int widths[] = {10, 10, 10, 10, 9, 9, 8, 7, 6, 4, 0};
  auto ring = r.trace.begin() + 2 + 3 * 25 + 5;  // after the rings r = 0..8
  ASSERT_EQ(*ring++, "random 1 0");
  for (int d = 0; d <= 10; ++d, ring += 3) EXPECT_EQ(*ring, span(-widths[d], -d, widths[d], -d + 1));
  EXPECT_EQ(*ring, "random 1 0");
  EXPECT_EQ(r.trace[r.trace.size() - 2], "random 1 0");
}

TEST(Effect58, NoDiscGrowsPastTheLimit) {
  // W 100: limits 10 to 14, so rings of radius 0..10 always and at most 14.
  const testing::EffectRun r = testing::runEffectOn(58, 100, 10);
  int pumps = -1, rings = 0;
  for (const auto& line : r.trace) {
    if (line.rfind("random 100", 0) == 0) {
      if (pumps >= 0) {
        EXPECT_GE(rings, 6);
      }
      rings = 0;
    } else if (line.rfind("random 5", 0) == 0) {
      pumps = 0;
    } else if (line == "pump" && ++pumps == 1) {
      ++rings;
    }
    EXPECT_LE(pumps, 15);
  }
}

}  // namespace
}  // namespace lumora
