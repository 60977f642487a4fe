#include <gtest/gtest.h>

#include <cmath>

#include "graphics/bitmap.h"
#include "graphics/random.h"
#include "graphics/rounding.h"

namespace lumora {
namespace {

// A w x h bitmap whose pixel (x, y) is rgb(x, y, 7).
Bitmap numbered(int w, int h) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.at(x, y) = rgb(x, y, 7);
  return b;
}

TEST(RectCopy, SameSizeCopiesOneToOne) {
  const Bitmap src = numbered(8, 8);
  Bitmap dst(8, 8, kBlack);
  copyRect(src, {1, 2, 4, 5}, dst, {3, 3, 6, 6});
  EXPECT_EQ(dst.at(3, 3), rgb(1, 2, 7));
  EXPECT_EQ(dst.at(5, 5), rgb(3, 4, 7));
  EXPECT_EQ(dst.at(6, 6), kBlack);
  EXPECT_EQ(dst.at(2, 3), kBlack);
}

TEST(RectCopy, WholeRowsMoveAsOneBlockAndClipAtTheBottom) {
  const Bitmap src = numbered(5, 4);
  Bitmap dst(5, 4, kBlack);
  // Rows 2..5 of the source onto rows 0..3: rows 4 and 5 lie outside it.
  copyRect(src, {0, 2, 5, 6}, dst, {0, 0, 5, 4});
  EXPECT_EQ(dst.at(4, 0), rgb(4, 2, 7));
  EXPECT_EQ(dst.at(0, 1), rgb(0, 3, 7));
  EXPECT_EQ(dst.at(0, 2), kBlack);
  EXPECT_EQ(dst.at(4, 3), kBlack);
  // And onto rows starting above the bitmap.
  Bitmap d2(5, 4, kBlack);
  copyRect(src, {0, 0, 5, 4}, d2, {0, -2, 5, 2});
  EXPECT_EQ(d2.at(2, 0), rgb(2, 2, 7));
  EXPECT_EQ(d2.at(2, 1), rgb(2, 3, 7));
  EXPECT_EQ(d2.at(2, 2), kBlack);
}

TEST(RectCopy, ReversedAxisMirrorsAndBothReversedCancel) {
  const Bitmap src = numbered(4, 4);
  Bitmap dst(4, 4, kBlack);
  // Source x reversed: (3, ., -1, .) covers 0..3 walked from 3 down.
  copyRect(src, {3, 0, -1, 1}, dst, {0, 0, 4, 1});
  EXPECT_EQ(dst.at(0, 0), rgb(3, 0, 7));
  EXPECT_EQ(dst.at(3, 0), rgb(0, 0, 7));
  // Source and destination reversed alike on y: no mirroring.
  Bitmap d2(4, 4, kBlack);
  copyRect(src, {0, 3, 4, -1}, d2, {0, 3, 4, -1});
  EXPECT_EQ(d2, src);
  // Destination y reversed alone mirrors vertically.
  Bitmap d3(4, 4, kBlack);
  copyRect(src, {0, 0, 4, 4}, d3, {0, 3, 4, -1});
  EXPECT_EQ(d3.at(1, 0), rgb(1, 3, 7));
  EXPECT_EQ(d3.at(1, 3), rgb(1, 0, 7));
  // Both axes reversed on the destination: a half turn.
  Bitmap d4(4, 4, kBlack);
  copyRect(src, {0, 0, 4, 4}, d4, {3, 3, -1, -1});
  EXPECT_EQ(d4.at(0, 0), rgb(3, 3, 7));
  EXPECT_EQ(d4.at(3, 1), rgb(0, 2, 7));
}

TEST(RectCopy, StretchesWithNearestNeighbour) {
  const Bitmap src = numbered(4, 2);
  Bitmap dst(8, 1, kBlack);
  copyRect(src, {0, 0, 4, 1}, dst, {0, 0, 8, 1});
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.at(x, 0), rgb(x / 2, 0, 7)) << x;
  // Squeeze 8 -> 3: k takes floor((2k+1)*8/6) = 1, 4, 6.
  const Bitmap wide = numbered(8, 1);
  Bitmap small(3, 1, kBlack);
  copyRect(wide, {0, 0, 8, 1}, small, {0, 0, 3, 1});
  EXPECT_EQ(small.at(0, 0), rgb(1, 0, 7));
  EXPECT_EQ(small.at(1, 0), rgb(4, 0, 7));
  EXPECT_EQ(small.at(2, 0), rgb(6, 0, 7));
}

TEST(RectCopy, ClipsEachPixelAgainstBothBitmaps) {
  const Bitmap src = numbered(4, 4);
  Bitmap dst(4, 4, kBlack);
  // Destination hangs over the left and top edges.
  copyRect(src, {0, 0, 3, 3}, dst, {-1, -1, 2, 2});
  EXPECT_EQ(dst.at(0, 0), rgb(1, 1, 7));
  EXPECT_EQ(dst.at(1, 1), rgb(2, 2, 7));
  EXPECT_EQ(dst.at(2, 2), kBlack);
  // Source hangs over the right and bottom edges: those pixels are kept.
  Bitmap d2(4, 4, kBlack);
  copyRect(src, {2, 2, 6, 6}, d2, {0, 0, 4, 4});
  EXPECT_EQ(d2.at(1, 1), rgb(3, 3, 7));
  EXPECT_EQ(d2.at(2, 0), kBlack);
  EXPECT_EQ(d2.at(0, 2), kBlack);
  // Stretched with the source partly outside.
  Bitmap d3(4, 1, kBlack);
  copyRect(src, {2, 0, 6, 1}, d3, {0, 0, 4, 1});
  EXPECT_EQ(d3.at(1, 0), rgb(3, 0, 7));
  EXPECT_EQ(d3.at(2, 0), kBlack);
  // Wholly outside: nothing.
  Bitmap d4(4, 4, kBlack);
  copyRect(src, {0, 0, 4, 4}, d4, {4, 0, 8, 4});
  copyRect(src, {0, 0, 4, 4}, d4, {0, -4, 4, 0});
  EXPECT_EQ(d4, Bitmap(4, 4, kBlack));
}

TEST(RectCopy, EmptyRectanglesDrawNothing) {
  const Bitmap src = numbered(4, 4);
  Bitmap dst(4, 4, kBlack);
  copyRect(src, {0, 0, 0, 4}, dst, {0, 0, 4, 4});
  copyRect(src, {0, 0, 4, 4}, dst, {0, 2, 4, 2});
  copyRect(src, {1, 1, 1, 1}, dst, {0, 0, 0, 0});
  EXPECT_EQ(dst, Bitmap(4, 4, kBlack));
}

TEST(RectCopy, OverlappingCopyWithinOneBitmapReadsTheSourceFirst) {
  Bitmap b = numbered(6, 1);
  copyRect(b, {0, 0, 5, 1}, b, {1, 0, 6, 1});
  for (int x = 1; x < 6; ++x) EXPECT_EQ(b.at(x, 0), rgb(x - 1, 0, 7));
  Bitmap m = numbered(4, 1);
  copyRect(m, {0, 0, 4, 1}, m, {3, 0, -1, 1});
  for (int x = 0; x < 4; ++x) EXPECT_EQ(m.at(x, 0), rgb(3 - x, 0, 7));
}

TEST(RectCopy, DrawBitmapPlacesWholeBitmap) {
  const Bitmap src = numbered(2, 2);
  Bitmap dst(4, 4, kBlack);
  drawBitmap(src, dst, 3, 3);
  EXPECT_EQ(dst.at(3, 3), rgb(0, 0, 7));
  EXPECT_EQ(dst.at(2, 3), kBlack);
}

TEST(Random, FollowsTheLinearCongruentialSequence) {
  Random r(0);
  // seed 1: high bits of 1 * 100 are 0; seed 134775814: floor(134775814 * 100 / 2^32) = 3.
  EXPECT_EQ(r.next(100), 0);
  EXPECT_EQ(r.seed(), 1u);
  EXPECT_EQ(r.next(100), 3);
  EXPECT_EQ(r.seed(), 134775814u);
  EXPECT_EQ(r.next(0), 0);
  Random a(12345), b(12345);
  for (int i = 0; i < 1000; ++i) {
    const int v = a.next(122);
    EXPECT_GE(v, 0);
    EXPECT_LT(v, 122);
    EXPECT_EQ(v, b.next(122));
  }
}

TEST(Rounding, HalvesGoToEven) {
  EXPECT_EQ(roundHalfEven(0.5L), 0);
  EXPECT_EQ(roundHalfEven(1.5L), 2);
  EXPECT_EQ(roundHalfEven(2.5L), 2);
  EXPECT_EQ(roundHalfEven(-2.5L), -2);
  EXPECT_EQ(roundHalfEven(38.8L), 39);
}

TEST(Rounding, AgreesWithNearbyintOnTheValuesTheEffectsRound) {
  // Quarters and eighths around screen coordinates, both signs; extended
  // values just off a half (a double would lose them); products of sines
  // and radii as the circles and fans form them.
  for (int k = -40000; k <= 40000; ++k) {
    const long double quarter = static_cast<long double>(k) / 4, eighth = static_cast<long double>(k) / 8;
    for (const long double v : {quarter, eighth, quarter + 0x1p-60L, quarter - 0x1p-60L,
                                std::sin(static_cast<long double>(k) * kPi / 180) * (k % 1200)})
      ASSERT_EQ(roundHalfEven(v), static_cast<int>(std::nearbyintl(v))) << static_cast<double>(v);
  }
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

// A copy within one bitmap gives what a copy from a snapshot of it gives,
// however the rectangles overlap, walk or stick out: moved rows, mirrored
// and stretched ones alike.
TEST(RectCopy, WithinOneBitmapAsIfTheSourceWereReadFirst) {
  Random random(99);
  auto coord = [&](int size) { return random.next(size + 8) - 4; };
  for (int i = 0; i < 4000; ++i) {
    const int w = 1 + random.next(13), h = 1 + random.next(11);
    const int x0 = coord(w), y0 = coord(h), len = random.next(w + 2), rows = random.next(h + 2);
    const int dx = random.next(7) - 3, dy = random.next(7) - 3;
    const bool flipX = random.next(5) == 0, flipY = random.next(5) == 0, stretch = random.next(5) == 0;
    const Rect s{x0, y0, x0 + len, y0 + rows};
    Rect d{x0 + dx, y0 + dy, x0 + dx + len + (stretch ? 1 : 0), y0 + dy + rows};
    if (flipX) std::swap(d.left, d.right);
    if (flipY) std::swap(d.top, d.bottom);
    Bitmap b = numbered(w, h);
    const Bitmap snapshot = b;
    Bitmap expected = b;
    copyRect(snapshot, s, expected, d);
    copyRect(b, s, b, d);
    ASSERT_EQ(b, expected) << "case " << i;
  }
}

}  // namespace
}  // namespace lumora
