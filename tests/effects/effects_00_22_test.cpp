// Transitions 0 to 22: exact operation sequences on tiny screens, worked
// out by hand from the loops of each transition.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/effect_harness.h"

namespace lumora {
namespace {

using testing::runEffectOn;
using Lines = std::vector<std::string>;

TEST(Effects0to22Trace, InterlacedRowsOnThreeByFour) {
  // v = 2: w = 2; v = 4: w = 4, 2. Rows H - v + w - 1 -> w - 1 and v - w -> H - w.
  const Lines expected = {"copy frame 0 3 3 4 stage 0 1 3 2",
                          "copy frame 0 0 3 1 stage 0 2 3 3",
                          "pump",
                          "copy frame 0 3 3 4 stage 0 3 3 4",
                          "copy frame 0 0 3 1 stage 0 0 3 1",
                          "pump",
                          "copy frame 0 1 3 2 stage 0 1 3 2",
                          "copy frame 0 2 3 3 stage 0 2 3 3",
                          "pump",
                          "draw frame stage 0 0"};
  EXPECT_EQ(runEffectOn(0, 3, 4).trace, expected);
}

TEST(Effects0to22Trace, InterlacedColumnsOnFourByTwo) {
  // Step 4 div 100 = 0 becomes 1: s = 1..4, w = s, s - 2, ... > 0.
  const Lines expected = {"copy frame 0 0 1 2 stage 3 0 4 2",
                          "copy frame 4 2 3 0 stage 1 2 0 0",
                          "pump",  // s1 w1
                          "copy frame 0 0 1 2 stage 2 0 3 2",
                          "copy frame 4 2 3 0 stage 2 2 1 0",
                          "pump",  // s2 w2
                          "copy frame 0 0 1 2 stage 1 0 2 2",
                          "copy frame 4 2 3 0 stage 3 2 2 0",
                          "pump",  // s3 w3
                          "copy frame 2 0 3 2 stage 3 0 4 2",
                          "copy frame 2 2 1 0 stage 1 2 0 0",
                          "pump",  // s3 w1
                          "copy frame 0 0 1 2 stage 0 0 1 2",
                          "copy frame 4 2 3 0 stage 4 2 3 0",
                          "pump",  // s4 w4
                          "copy frame 2 0 3 2 stage 2 0 3 2",
                          "copy frame 2 2 1 0 stage 2 2 1 0",
                          "pump",  // s4 w2
                          "draw frame stage 0 0"};
  EXPECT_EQ(runEffectOn(12, 4, 2).trace, expected);
}

TEST(Effects0to22Trace, PixelByPixelRepeatsHalfTheSpeedPlusOne) {
  // speed 3: 3 div 2 + 1 = 2 copies per pixel; x = 0..2, y = 0..1.
  Lines expected;
  for (int y = 0; y <= 1; ++y) {
    for (int x = 0; x <= 2; ++x) {
      const std::string r =
          std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(x + 1) + " " + std::to_string(y + 1);
      expected.push_back("copy frame " + r + " stage " + r);
      expected.push_back("copy frame " + r + " stage " + r);
    }
    expected.push_back("pump");
  }
  EXPECT_EQ(runEffectOn(3, 2, 1, 3).trace, expected);
}

TEST(Effects0to22Trace, GrowingRectangleRoundsHalvesToEven) {
  // 5 x 4: gw = g * 5 / 4 for g = 0, 2, 4, 6, 8 (stops once g > 8):
  // 0, 2.5 -> 2, 5, 7.5 -> 8, 10.
  const Lines expected = {"copy frame 0 0 0 0 stage 0 0 0 0",   "pump", "copy frame 0 0 2 2 stage 0 0 2 2", "pump",
                          "copy frame 0 0 5 4 stage 0 0 5 4",   "pump", "copy frame 0 0 8 6 stage 0 0 8 6", "pump",
                          "copy frame 0 0 10 8 stage 0 0 10 8", "pump"};
  EXPECT_EQ(runEffectOn(14, 5, 4).trace, expected);
}

TEST(Effects0to22Trace, ZoomHeightsFollowTheScreenRatioRoundedToEven) {
  // 40 x 30, step 2: h = round(0.75 * w) for the next pass.
  const auto run = runEffectOn(13, 40, 30);
  const auto toWork = [&] {
    Lines out;
    for (const auto& l : run.lines("copy frame"))
      if (l.find(" work ") != std::string::npos) out.push_back(l.substr(l.find(" work ") + 6));
    return out;
  }();
  const Lines firstSeven = {"0 0 0 0", "0 0 2 2", "0 0 4 3", "0 0 6 4", "0 0 8 6", "0 0 10 8", "0 0 12 9"};
  ASSERT_EQ(toWork.size(), 20u);  // w = 0, 2, ..., 38
  EXPECT_EQ(Lines(toWork.begin(), toWork.begin() + 7), firstSeven);
  EXPECT_EQ(toWork.back(), "0 0 38 28");  // 28.5 -> 28
  EXPECT_EQ(run.trace.back(), "draw frame stage 0 0");
}

TEST(Effects0to22Trace, RowBandsEvenForwardThenOddBackwardOnce) {
  // 1 x 4: m = 2 (even), so the backward pass starts at band 3.
  const Lines expected = {"copy frame 0 0 1 2 stage 0 0 1 2",
                          "copy frame 0 0 1 2 stage 0 0 1 2",
                          "copy frame 1 0 2 2 stage 1 0 2 2",
                          "copy frame 1 0 2 2 stage 1 0 2 2",
                          "pump",
                          "copy frame 0 4 1 6 stage 0 4 1 6",
                          "copy frame 0 4 1 6 stage 0 4 1 6",
                          "copy frame 1 4 2 6 stage 1 4 2 6",
                          "copy frame 1 4 2 6 stage 1 4 2 6",
                          "pump",
                          "copy frame 0 6 1 8 stage 0 6 1 8",
                          "copy frame 1 6 2 8 stage 1 6 2 8",
                          "pump",
                          "copy frame 0 2 1 4 stage 0 2 1 4",
                          "copy frame 1 2 2 4 stage 1 2 2 4",
                          "pump"};
  const auto run = runEffectOn(20, 1, 4);
  EXPECT_EQ(run.trace, expected);
  for (int y = 0; y < 4; ++y) EXPECT_TRUE(run.stageShowsNew(0, y)) << y;
}

TEST(Effects0to22Trace, ColumnBands) {
  // 3 x 1: m = 1 (odd). Effect 22 at speed 0 repeats speed + 1 = 1 times and
  // runs the odd bands forward; Effect 21 runs band 1 backward, once.
  const Lines band0 = {"copy frame 0 0 2 1 stage 0 0 2 1", "copy frame 0 1 2 2 stage 0 1 2 2"};
  const Lines band1 = {"copy frame 2 0 4 1 stage 2 0 4 1", "copy frame 2 1 4 2 stage 2 1 4 2"};
  Lines e22 = band0;
  e22.push_back("pump");
  e22.insert(e22.end(), band1.begin(), band1.end());
  e22.push_back("pump");
  EXPECT_EQ(runEffectOn(22, 3, 1, 0).trace, e22);

  Lines e21 = {band0[0], band0[0], band0[1], band0[1], "pump"};  // speed 1: twice
  e21.insert(e21.end(), band1.begin(), band1.end());
  e21.push_back("pump");
  EXPECT_EQ(runEffectOn(21, 3, 1, 1).trace, e21);
}

TEST(Effects0to22Trace, RandomSquaresDrawColumnThenRowPerSquare) {
  const int w = 9, h = 8;  // 36 + 1 squares on a 2 x 2 grid of 4 pixels
  const auto run = runEffectOn(1, w, h, 1, 77);
  Random random(77);
  Lines expected;
  for (int i = 0; i < w * h / 2 + 1; ++i) {
    const int vx = random.next(w / 4), vy = random.next(h / 4);
    const int x = vx * 4, y = vy * 4;
    const std::string r =
        std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(x + 8) + " " + std::to_string(y + 8);
    expected.push_back("random 2 " + std::to_string(vx));
    expected.push_back("random 2 " + std::to_string(vy));
    expected.push_back("copy frame " + r + " stage " + r);
    expected.push_back("pump");
  }
  EXPECT_EQ(run.trace, expected);
}

TEST(Effects0to22Trace, MiddleBandStartsEmptyOrAsOneMirroredRow) {
  // Odd height 5: v = 2 gives rows 3 to 2, i.e. row 3 walked backward.
  const auto odd = runEffectOn(10, 2, 5);
  ASSERT_GE(odd.trace.size(), 3u);
  EXPECT_EQ(odd.trace[0], "copy frame 0 0 2 5 work 0 3 2 2");
  EXPECT_EQ(odd.trace[1], "copy work 0 3 2 2 stage 0 3 2 2");
  EXPECT_EQ(odd.trace[2], "pump");
  // Even height 4: v = 2 gives the empty band rows 2 to 2.
  const auto even = runEffectOn(10, 2, 4);
  EXPECT_EQ(even.trace[0], "copy frame 0 0 2 4 work 0 2 2 2");
}

}  // namespace
}  // namespace lumora
