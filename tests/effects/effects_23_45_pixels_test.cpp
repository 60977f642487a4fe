// Transitions 23 to 45 seen on the Stage in the middle of a run: what the
// pushes carry away, which pixels the bands take from where, and what keeps
// the old picture.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "effects/effect_harness.h"

namespace lumora {
namespace {

using testing::newPixel;
using testing::oldPixel;

// Keeps a copy of the Stage at the pumps it is asked for (counted from 1).
class PumpSnapshots final : public EffectHost {
 public:
  explicit PumpSnapshots(const Bitmap& stage) : stage_(stage) {}
  void stageChanged() override {}
  void pump() override { shots[++count] = stage_; }

  int count = 0;
  std::map<int, Bitmap> shots;

 private:
  const Bitmap& stage_;
};

// Runs effect n with the old picture on the Stage (touched up by `paint`)
// and returns the Stage as it stood at every pump.
std::map<int, Bitmap> stageAtPumps(int n, int w, int h, int speed, const std::function<void(Bitmap&)>& paint = {}) {
  Bitmap frame(w, h), work(w, h, kWhite), spare(w, h, kWhite), stage(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      frame.at(x, y) = newPixel(x, y);
      stage.at(x, y) = oldPixel(x, y);
    }
  if (paint) paint(stage);
  PumpSnapshots host(stage);
  Random random(1);
  EffectContext ctx({frame, work, spare, stage}, w, h, speed, random, &host);
  runEffect(n, ctx);
  return host.shots;
}

TEST(Effects23to45Pixels, Effect43CarriesTheOldPictureRight) {
  // 8 x 4 after the pass v = 2: the old picture moved 2 to the right, the
  // new one fills columns 0 to 3.
  const Bitmap s = stageAtPumps(43, 8, 4, 1).at(2);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(s.at(x, y), newPixel(x, y)) << x << "," << y;
    for (int x = 4; x < 8; ++x) EXPECT_EQ(s.at(x, y), oldPixel(x - 2, y)) << x << "," << y;
  }
}

TEST(Effects23to45Pixels, Effect40And42CarryTheOldPictureLeftAndUp) {
  const Bitmap left = stageAtPumps(40, 8, 2, 1).at(2);  // g = 2
  for (int x = 0; x < 6; ++x) EXPECT_EQ(left.at(x, 1), oldPixel(x + 2, 1)) << x;
  for (int x = 6; x < 8; ++x) EXPECT_EQ(left.at(x, 1), newPixel(x, 1)) << x;

  const Bitmap up = stageAtPumps(42, 2, 8, 1).at(2);  // v = 2, e = 6
  for (int y = 0; y < 6; ++y) EXPECT_EQ(up.at(1, y), oldPixel(1, y + 2)) << y;
  for (int y = 6; y < 8; ++y) EXPECT_EQ(up.at(1, y), newPixel(1, y)) << y;
}

TEST(Effects23to45Pixels, Effect41PushesACaptionDownWithTheOldPicture) {
  // A caption painted over the old picture travels with it.
  const Pixel caption = rgb(250, 0, 250);
  const auto shots = stageAtPumps(41, 6, 10, 1, [&](Bitmap& st) {
    for (int x = 1; x < 5; ++x) st.at(x, 5) = caption;
  });
  const Bitmap& s = shots.at(2);  // v = 2: old rows 2..7 now on rows 4..9
  for (int x = 1; x < 5; ++x) EXPECT_EQ(s.at(x, 7), caption) << x;
  EXPECT_EQ(s.at(0, 7), oldPixel(0, 5));
  EXPECT_EQ(s.at(0, 4), oldPixel(0, 2));
  for (int y = 0; y < 4; ++y) EXPECT_EQ(s.at(3, y), newPixel(3, y)) << y;
  // At the end the caption is gone with the rest of the old picture.
  const Bitmap& last = shots.rbegin()->second;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(last.at(x, y), newPixel(x, y)) << x << "," << y;
}

TEST(Effects23to45Pixels, Effect44TakesTheFirstBandsFromTheMiddleOfThePicture) {
  // 2 x 8 after the pass g = 2: the old rows 2..7 at the top, the new rows
  // 4..5 at the bottom.
  const auto shots = stageAtPumps(44, 2, 8, 1);
  const Bitmap& s = shots.at(2);
  for (int y = 0; y < 6; ++y) EXPECT_EQ(s.at(0, y), oldPixel(0, y + 2)) << y;
  EXPECT_EQ(s.at(0, 6), newPixel(0, 4));
  EXPECT_EQ(s.at(0, 7), newPixel(0, 5));
  // Phase 2 starts at g = 6 with l = 4: new rows 0..5 below old rows 4..5.
  const Bitmap& p2 = shots.at(4);
  EXPECT_EQ(p2.at(1, 0), oldPixel(1, 4));
  EXPECT_EQ(p2.at(1, 1), oldPixel(1, 5));
  for (int y = 2; y < 8; ++y) EXPECT_EQ(p2.at(1, y), newPixel(1, y - 2)) << y;
}

TEST(Effects23to45Pixels, Effect45SecondPhaseMovesAWindowThroughTheOldPicture) {
  // 8 x 1: phase 1 is f = 0, 2, 4; pass 2 is f = 2, pass 4 is f = 6 with k = 0.
  const auto shots = stageAtPumps(45, 8, 1, 1);
  const Bitmap& s = shots.at(2);
  EXPECT_EQ(s.at(0, 0), newPixel(2, 0));
  EXPECT_EQ(s.at(1, 0), newPixel(3, 0));
  for (int x = 2; x < 8; ++x) EXPECT_EQ(s.at(x, 0), oldPixel(x - 2, 0)) << x;
  const Bitmap& p2 = shots.at(4);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(p2.at(x, 0), newPixel(x + 2, 0)) << x;
  EXPECT_EQ(p2.at(6, 0), oldPixel(0, 0));
  EXPECT_EQ(p2.at(7, 0), oldPixel(1, 0));
}

TEST(Effects23to45Pixels, Effect25FirstBottomStripCoversOnlyTheLastRow) {
  const Bitmap s = stageAtPumps(25, 2, 6, 0).at(1);
  EXPECT_EQ(s.at(0, 0), newPixel(0, 0));
  EXPECT_EQ(s.at(0, 1), newPixel(0, 1));
  EXPECT_EQ(s.at(0, 4), oldPixel(0, 4));
  EXPECT_EQ(s.at(1, 5), newPixel(1, 5));  // reversed alike: not mirrored
}

TEST(Effects23to45Pixels, MirroredBandsShowThePictureReversed) {
  // Effect 35 on 40 x 2 (band 2): the band at v = 0 shows columns 2, 1.
  const auto e35 = stageAtPumps(35, 40, 2, 1);
  EXPECT_EQ(e35.at(1).at(0, 0), newPixel(2, 0));
  EXPECT_EQ(e35.at(1).at(1, 0), newPixel(1, 0));
  EXPECT_EQ(e35.at(1).at(2, 0), oldPixel(2, 0));
  // At v = 2 the true picture replaces it behind the next band.
  EXPECT_EQ(e35.at(2).at(0, 1), newPixel(0, 1));
  EXPECT_EQ(e35.at(2).at(2, 1), newPixel(4, 1));

  // Effect 37 at v = 2: mirrored bands on either side of the true opening.
  const Bitmap e37 = stageAtPumps(37, 40, 2, 1).at(2);
  EXPECT_EQ(e37.at(16, 0), newPixel(18, 0));
  EXPECT_EQ(e37.at(17, 0), newPixel(17, 0));
  for (int x = 18; x < 22; ++x) EXPECT_EQ(e37.at(x, 0), newPixel(x, 0)) << x;
  EXPECT_EQ(e37.at(22, 0), newPixel(24, 0));
  EXPECT_EQ(e37.at(23, 0), newPixel(23, 0));
  EXPECT_EQ(e37.at(15, 0), oldPixel(15, 0));

  // Effect 36 on 2 x 40: the band at v = 0 shows rows 2, 1.
  const Bitmap e36 = stageAtPumps(36, 2, 40, 1).at(1);
  EXPECT_EQ(e36.at(0, 0), newPixel(0, 2));
  EXPECT_EQ(e36.at(0, 1), newPixel(0, 1));
}

TEST(Effects23to45Pixels, Effect38OddPitchLeavesOldGridLines) {
  // 9 x 60: pitch 3 gives squares of side 2 at columns and rows 3i - 1, 3i.
  const Bitmap s = stageAtPumps(38, 9, 60, 1).rbegin()->second;
  for (int x = 0; x < 9; ++x) {
    const bool line = x % 3 == 1;
    EXPECT_EQ(s.at(x, 0), line ? oldPixel(x, 0) : newPixel(x, 0)) << x;
    EXPECT_EQ(s.at(x, 4), oldPixel(x, 4)) << x;  // row 4 is a grid line too
  }
}

TEST(Effects23to45Pixels, Effect29LeavesTheCornersOld) {
  // 16 x 8: cx = 8, cy = 4; the widening runs v = 0, 2, 4. Row 0 (p = 0)
  // reaches columns 4..11; rows 1, 2, 6, 7 (p = 3) columns 1..14; rows 3 to
  // 5 (p = 4) all. 'o' keeps the old picture.
  const char* const map[8] = {"oooo........oooo", "o..............o", "o..............o", "................",
                              "................", "................", "o..............o", "o..............o"};
  const Bitmap s = stageAtPumps(29, 16, 8, 1).rbegin()->second;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x)
      EXPECT_EQ(s.at(x, y), map[y][x] == 'o' ? oldPixel(x, y) : newPixel(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace lumora
