// Transitions 0 to 22: what they leave on the Stage, the speed and tiny
// screen cases, the final draw, and the Stage as it stands at a pump.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "effects/effect_harness.h"

namespace lumora {
namespace {

using testing::newPixel;
using testing::oldPixel;
using testing::runEffectOn;

// Runs an effect with a host that shows the Stage to `atPump` at each pump
// (counted from 0).
class PumpWatcher : public EffectHost {
 public:
  PumpWatcher(const Bitmap& stage, std::function<void(int, const Bitmap&)> atPump)
      : stage_(stage), atPump_(std::move(atPump)) {}
  void stageChanged() override {}
  void pump() override { atPump_(pumps_++, stage_); }

 private:
  const Bitmap& stage_;
  std::function<void(int, const Bitmap&)> atPump_;
  int pumps_ = 0;
};

void watchPumps(int n, int w, int h, int speed, std::function<void(int, const Bitmap&)> atPump) {
  Bitmap frame(w, h), work(w, h, kWhite), spare(w, h, kWhite), stage(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      frame.at(x, y) = newPixel(x, y);
      stage.at(x, y) = oldPixel(x, y);
    }
  PumpWatcher host(stage, std::move(atPump));
  Random random(1);
  EffectContext ctx({frame, work, spare, stage}, w, h, speed, random, &host);
  runEffect(n, ctx);
}

bool withFinalDraw(int n) {
  static const std::set<int> drawn = {0, 2, 6, 7, 9, 10, 12, 13};
  return drawn.count(n) != 0;
}

TEST(Effects0to22, FinalDrawOnlyWhereTheEffectEndsWithIt) {
  for (int n = 0; n <= 22; ++n) {
    const auto run = runEffectOn(n, 7, 5, 0);
    if (withFinalDraw(n)) {
      EXPECT_EQ(run.draws, 1) << n;
      EXPECT_EQ(run.trace.back(), "draw frame stage 0 0") << n;
      EXPECT_EQ(run.stage, run.frame) << n;
    } else {
      EXPECT_EQ(run.draws, 0) << n;
    }
  }
}

TEST(Effects0to22, EndOnTinyScreensAtAnySpeed) {
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {3, 2}, {1, 21}, {21, 1}};
  for (const auto& [w, h] : sizes)
    for (int speed : {-2, 0})
      for (int n = 0; n <= 22; ++n) {
        const auto run = runEffectOn(n, w, h, speed);
        if (withFinalDraw(n)) {
          EXPECT_EQ(run.stage, run.frame) << n << ' ' << w << 'x' << h;
        }
      }
}

TEST(Effects0to22, SpeedZeroIssuesNoSpeedCopies) {
  // Every copy of these goes by `speed` or 20 x speed repeats: the Stage
  // keeps the old picture and the pumps still happen.
  for (int n : {8, 14, 16, 17, 18}) {
    const auto run = runEffectOn(n, 9, 7, 0);
    EXPECT_EQ(run.copies, 0) << n;
    EXPECT_GT(run.pumps, 0) << n;
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 9; ++x) ASSERT_TRUE(run.stageShowsOld(x, y)) << n;
  }
  // 9 and 13 still squeeze into WorkBitmap, but only the final draw shows it.
  for (int n : {9, 13}) {
    const auto run = runEffectOn(n, 9, 7, 0);
    for (const auto& l : run.lines("copy")) EXPECT_EQ(l.find(" stage "), std::string::npos) << n;
    EXPECT_EQ(run.stage, run.frame) << n;
  }
}

TEST(Effects0to22, SpeedPlusOneRepeatsVanishAtMinusOne) {
  // Effect 5 repeats speed + 1 times; Effect 20 repeats speed + 1 on its even
  // bands only, so at speed -1 the odd bands (rows 2, 3, 6, 7) alone arrive.
  EXPECT_EQ(runEffectOn(5, 4, 3, -1).copies, 0);
  const auto run = runEffectOn(20, 3, 8, -1);
  for (int y = 0; y < 8; ++y) {
    const bool odd = (y / 2) % 2 == 1;
    EXPECT_EQ(run.stageShowsNew(1, y), odd) << y;
    EXPECT_EQ(run.stageShowsOld(1, y), !odd) << y;
  }
}

TEST(Effects0to22, SeventeenBandsPumpOnceAfterAllCopies) {
  // Height 20: band 1, rows k + b - 1 for k = 0..1, b = 0..16 reach row 16.
  for (const auto& [n, perCopy] : {std::pair{4, 21}, std::pair{11, 41}}) {
    const auto run = runEffectOn(n, 3, 20, 2);
    EXPECT_EQ(run.pumps, 1) << n;
    EXPECT_EQ(run.trace.back(), "pump") << n;
    EXPECT_EQ(run.copies, 2 * 17 * perCopy) << n;
    for (int y = 0; y < 20; ++y) EXPECT_EQ(run.stageShowsNew(2, y), y <= 16) << n << ' ' << y;
  }
  // Height 32: band 2 reaches every row.
  const auto full = runEffectOn(4, 3, 32, 1);
  EXPECT_EQ(full.stage, full.frame);
}

TEST(Effects0to22, StretchedStripsStopShortOnA768HighScreen) {
  // 768 div 20 = 38: s runs to 760 down, and to 8 up; the final draw ends.
  const auto last = [](const testing::EffectRun& r) {
    std::string out;
    for (const auto& l : r.lines("copy frame")) out = l;
    return out;
  };
  EXPECT_EQ(last(runEffectOn(6, 2, 768)), "copy frame 0 0 2 760 work 0 0 2 768");
  EXPECT_EQ(last(runEffectOn(7, 2, 768)), "copy frame 0 8 2 768 work 0 0 2 768");
  const auto nine = runEffectOn(9, 2, 768);
  EXPECT_EQ(last(nine), "copy frame 0 0 2 768 work 0 0 2 760");
  EXPECT_EQ(nine.stage, nine.frame);
}

TEST(Effects0to22, StretchedStripsBeginWithAWhiteScreen) {
  for (int n : {6, 7}) {
    int whiteAtFirst = -1;
    watchPumps(n, 6, 40, 1, [&](int pump, const Bitmap& stage) {
      if (pump == 0) whiteAtFirst = stage == Bitmap(6, 40, kWhite);
    });
    EXPECT_EQ(whiteAtFirst, 1) << n;
  }
}

TEST(Effects0to22, MirroredMiddleRowOnAnOddHeight) {
  // Height 5: the first band squeezes the picture into row 3, walked
  // backward, so row 3 takes the middle row 2 and nothing else changes.
  watchPumps(10, 2, 5, 1, [&](int pump, const Bitmap& stage) {
    if (pump != 0) return;
    for (int y = 0; y < 5; ++y) EXPECT_EQ(stage.at(1, y), y == 3 ? newPixel(1, 2) : oldPixel(1, y)) << y;
  });
}

TEST(Effects0to22, DiscLeavesOnlyTheTopCornersOld) {
  // 40 x 30: cx 20, cy 15; widening v = 0..16. Row 0 (d = 15, p = 0) spans
  // columns 4..35; row 1 (p = round(sqrt 29) = 5) already spans them all.
  const auto run = runEffectOn(16, 40, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool corner = y == 0 && (x < 4 || x >= 36);
      ASSERT_EQ(run.stageShowsOld(x, y), corner) << x << ',' << y;
      if (!corner) {
        ASSERT_TRUE(run.stageShowsNew(x, y)) << x << ',' << y;
      }
    }
}

struct CheckerCase {
  int effect;
  bool outerIsRow, secondBackward;
  int speed, repeats;
};

TEST(Effects0to22, CheckerboardsVisitOddCellsThenEvenOnesInTheirOrder) {
  // 40 x 40 screens make the cells single pixels: cell (i, j) is pixel (i, j).
  for (const CheckerCase& c : {CheckerCase{15, true, false, 0, 1}, CheckerCase{17, false, true, 1, 20},
                               CheckerCase{18, false, false, 2, 40}}) {
    const auto run = runEffectOn(c.effect, 40, 40, c.speed);
    ASSERT_EQ(run.copies, 41 * 41 * c.repeats) << c.effect;
    ASSERT_EQ(run.pumps, 41 * 41) << c.effect;
    std::set<std::pair<int, int>> seen;
    int index = 0, prevOuter = -1, prevInner = -1;
    const auto copies = run.lines("copy");
    for (std::size_t k = 0; k < copies.size(); k += std::size_t(c.repeats), ++index) {
      std::istringstream in(copies[k].substr(11));  // after "copy frame "
      int i = 0, j = 0;
      in >> i >> j;
      const bool firstPass = index < 840;
      EXPECT_EQ((i + j) % 2 == 1, firstPass) << c.effect << ' ' << index;
      const int outer = c.outerIsRow ? j : i, inner = c.outerIsRow ? i : j;
      if (index == 840) prevOuter = (c.secondBackward ? 41 : -1), prevInner = -1;
      const bool backward = !firstPass && c.secondBackward;
      const bool sameOuter = outer == prevOuter;
      EXPECT_TRUE(sameOuter ? inner == prevInner + 2 : (backward ? outer < prevOuter : outer > prevOuter))
          << c.effect << ' ' << index;
      prevOuter = outer;
      prevInner = inner;
      seen.insert({i, j});
    }
    EXPECT_EQ(seen.size(), 41u * 41u) << c.effect;
  }
}

TEST(Effects0to22, CheckerboardLeavesTheUncoveredStripOld) {
  // Width 1279: 41 cells of 31 columns reach column 1270.
  const auto run = runEffectOn(18, 1279, 40, 1);
  for (int x : {0, 1000, 1270}) EXPECT_TRUE(run.stageShowsNew(x, 39)) << x;
  for (int x : {1271, 1278}) EXPECT_TRUE(run.stageShowsOld(x, 0)) << x;
}

TEST(Effects0to22, WholePictureArrivesWithoutFinalDraw) {
  // Wipes and pixel-wise effects reach every pixel on their own.
  for (int n : {3, 5, 8, 14, 19, 20, 21, 22}) {
    const auto run = runEffectOn(n, 7, 6, 1);
    EXPECT_EQ(run.stage, run.frame) << n;
  }
}

}  // namespace
}  // namespace lumora
