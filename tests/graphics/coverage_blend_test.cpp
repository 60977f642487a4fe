// The coverage blend: Qt's rounding byte for byte, lanes that never bleed
// into one another, coverage read only where it is one value per pixel and
// the ink is whole, predictions that notice a single wrong pixel, and blends
// clipped to the Stage.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "graphics/coverage_blend.h"
#include "graphics/random.h"

namespace lumora {
namespace {

// One byte times a / 255, rounded as the raster engine rounds.
unsigned scaledByte(unsigned x, unsigned a) {
  const unsigned t = x * a;
  return (t + (t >> 8) + 0x80) >> 8;
}

unsigned byteOf(Pixel p, int i) { return (p >> (8 * i)) & 0xFF; }

TEST(CoverageBlend, ScalesEveryByteOnItsOwnForEveryValueAndFactor) {
  for (unsigned a = 0; a < 256; ++a)
    for (unsigned x = 0; x < 256; ++x) {
      // Four different bytes, so a carry or a lost bit between lanes shows.
      const unsigned bytes[4] = {x, 255 - x, (x * 7 + 13) & 0xFF, x ^ 0xA5};
      const Pixel p = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | Pixel(bytes[3]) << 24;
      const Pixel got = scaleBytes(p, a);
      for (int i = 0; i < 4; ++i)
        ASSERT_EQ(byteOf(got, i), scaledByte(bytes[i], a)) << "byte " << i << " of " << x << " times " << a;
    }
}

Pixel grey(int c) { return rgb(c, c, c); }

// A 10 x 8 ink bitmap, black but for the given pixels.
Bitmap inkWith(std::vector<std::pair<std::pair<int, int>, Pixel>> pixels) {
  Bitmap ink(10, 8, kBlack);
  for (const auto& [at, p] : pixels) ink.at(at.first, at.second) = p;
  return ink;
}

TEST(CoverageBlend, ReadsCoverageOnlyFromGreyInkInsideTheBox) {
  struct Case {
    const char* what;
    Bitmap ink;
    Rect box;
    bool readable;
    std::size_t inked;
  };
  const Rect box{2, 1, 8, 6};
  const Case cases[] = {
      {"no ink", inkWith({}), box, true, 0},
      {"grey ink inside", inkWith({{{3, 2}, grey(1)}, {{4, 2}, grey(255)}, {{6, 4}, grey(90)}}), box, true, 3},
      {"ink outside the box is not read", inkWith({{{0, 0}, grey(50)}, {{9, 7}, rgb(1, 2, 3)}, {{4, 3}, grey(9)}}), box,
       true, 1},
      {"coloured ink", inkWith({{{4, 3}, rgb(90, 90, 91)}}), box, false, 0},
      {"red differs", inkWith({{{4, 3}, rgb(91, 90, 90)}}), box, false, 0},
      {"ink on the box's left edge", inkWith({{{2, 3}, grey(3)}}), box, false, 0},
      {"ink on the box's right edge", inkWith({{{7, 3}, grey(3)}}), box, false, 0},
      {"ink on the box's top edge", inkWith({{{4, 1}, grey(3)}}), box, false, 0},
      {"ink on the box's bottom edge", inkWith({{{4, 5}, grey(3)}}), box, false, 0},
      {"a box past the bitmap's corner: its edges lie outside",
       inkWith({{{0, 0}, grey(200)}, {{1, 1}, grey(7)}}),
       {-3, -2, 3, 3},
       true,
       2},
      {"a box past the bitmap's corner: ink on its inner edge",
       inkWith({{{2, 0}, grey(200)}}),
       {-3, -2, 3, 3},
       false,
       0},
  };
  for (const Case& c : cases) {
    const std::optional<InkCoverage> coverage = InkCoverage::read(c.ink, c.box);
    ASSERT_EQ(coverage.has_value(), c.readable) << c.what;
    if (!coverage) continue;
    EXPECT_EQ(coverage->inkedPixels(), c.inked) << c.what;
    EXPECT_EQ(coverage->box(), c.box) << c.what;
  }
}

// Photo-like ground: a gradient with noise.
Bitmap noisyGround(int w, int h, std::uint32_t seed) {
  Bitmap b(w, h);
  Random random(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.at(x, y) = rgb(x * 255 / w + random.next(20), y * 255 / h, (x + y) * 3 + random.next(40));
  return b;
}

// A w x h ink bitmap with ink of random coverage (some full, some empty)
// inside `box` but its outer ring.
Bitmap randomInk(int w, int h, const Rect& box, std::uint32_t seed) {
  Bitmap ink(w, h, kBlack);
  Random random(seed);
  for (int y = box.top + 1; y < box.bottom - 1; ++y)
    for (int x = box.left + 1; x < box.right - 1; ++x) {
      const int kind = random.next(4);
      if (ink.contains(x, y)) ink.at(x, y) = grey(kind == 0 ? 0 : kind == 1 ? 255 : random.next(256));
    }
  return ink;
}

TEST(CoverageBlend, BlendsPixelByPixelAndOnlyOnTheStage) {
  struct Case {
    const char* what;
    Rect box;
  };
  const Case cases[] = {
      {"inside", {10, 12, 30, 28}},
      {"past the left and top edges", {-9, -7, 11, 9}},
      {"past the right and bottom edges", {35, 25, 55, 41}},
      {"wholly outside", {60, 0, 80, 16}},
  };
  for (const Case& c : cases) {
    const Bitmap ink = randomInk(48, 32, c.box, 99);
    const std::optional<InkCoverage> coverage = InkCoverage::read(ink, c.box);
    ASSERT_TRUE(coverage) << c.what;
    const Pixel colour = rgb(240, 30, 77);
    Bitmap stage = noisyGround(48, 32, 5);
    Bitmap want = stage;
    for (int repeat = 0; repeat < 3; ++repeat) {
      coverage->blendOnto(stage, colour);
      for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
          want.at(x, y) = blendByCoverage(want.at(x, y), colour, blueOf(ink.at(x, y)));
      ASSERT_TRUE(stage == want) << c.what << ", blend " << repeat + 1;
    }
  }
}

TEST(CoverageBlend, PredictionHoldsForTheBlendAndFailsOnAnyOtherPixel) {
  const Pixel colour = rgb(0, 80, 255);
  for (const Rect box : {Rect{3, 2, 15, 12}, Rect{-4, 2, 8, 12}}) {
    const Bitmap ink = randomInk(30, 20, box, 4);
    const std::optional<InkCoverage> coverage = InkCoverage::read(ink, box);
    ASSERT_TRUE(coverage);
    const Bitmap ground = noisyGround(30, 20, 8);
    const Bitmap before = coverage->saveBox(ground);
    Bitmap after = ground;
    coverage->blendOnto(after, colour);
    EXPECT_TRUE(coverage->predicts(before, after, colour)) << box.left;
    EXPECT_FALSE(coverage->predicts(before, after, rgb(0, 81, 255))) << box.left << ": another colour";
    // One byte off anywhere in the box on the Stage, covered or not.
    for (int y = box.top; y < box.bottom; ++y)
      for (int x = std::max(box.left, 0); x < box.right; ++x) {
        Bitmap wrong = after;
        wrong.at(x, y) ^= 1;
        ASSERT_FALSE(coverage->predicts(before, wrong, colour)) << "pixel " << x << "," << y;
      }
  }
}

}  // namespace
}  // namespace lumora
