#include <gtest/gtest.h>

#include "saver/core/compose.h"
#include "saver/core/layout.h"

namespace lumora {
namespace {

using enum FittingThreshold;
using enum Tiling;

TEST(Layout, ThresholdsAreStrict) {
  // 640 x 480.
  EXPECT_FALSE(layoutPicture(639, 479, 1024, 768, Below640x480, Off).stretch);
  EXPECT_TRUE(layoutPicture(640, 479, 1024, 768, Below640x480, Off).stretch);
  EXPECT_TRUE(layoutPicture(639, 480, 1024, 768, Below640x480, Off).stretch);
  // The screen itself.
  EXPECT_FALSE(layoutPicture(1000, 700, 1024, 768, BelowScreen, Off).stretch);
  EXPECT_TRUE(layoutPicture(1024, 700, 1024, 768, BelowScreen, Off).stretch);
}

TEST(Layout, LargePicturesFitKeepingProportions) {
  EXPECT_EQ(layoutPicture(2000, 1000, 1024, 768, Below640x480, Off), (Layout{0, 128, 1024, 512, true, false}));
  EXPECT_EQ(layoutPicture(1000, 1000, 1024, 768, Below640x480, Off), (Layout{128, 0, 768, 768, true, false}));
}

TEST(Layout, TilingFollowsTheLimits) {
  // Up to 600: a 600 x 400 picture is tiled, 601 x 400 centred unscaled.
  const Layout tiled = layoutPicture(600, 400, 1024, 768, Below640x480, UpTo600);
  EXPECT_TRUE(tiled.tiled);
  const Layout centred = layoutPicture(601, 400, 1024, 768, Below640x480, UpTo600);
  EXPECT_FALSE(centred.tiled);
  EXPECT_EQ(centred, (Layout{211, 184, 601, 400, true, false}));
  // Below 1024 x 768, up to 300: 500 x 400 exceeds 300: centred at its own size.
  EXPECT_EQ(layoutPicture(500, 400, 1024, 768, Below1024x768, UpTo300), (Layout{262, 184, 500, 400, true, false}));
  // Off: never tiled. Unlimited: every small picture is tiled.
  EXPECT_FALSE(layoutPicture(100, 100, 1024, 768, Below640x480, Off).tiled);
  EXPECT_TRUE(layoutPicture(100, 100, 1024, 768, Below640x480, Unlimited).tiled);
  // FitAll: every picture fitted, tiling ignored.
  const Layout fitted = layoutPicture(10, 10, 1024, 768, FitAll, UpTo600);
  EXPECT_EQ(fitted, (Layout{128, 0, 768, 768, true, false}));
}

TEST(Compose, TilesFromTheTopLeftCorner) {
  Bitmap picture(300, 200, rgb(1, 2, 3));
  picture.at(0, 0) = rgb(9, 9, 9);
  Bitmap frame(1024, 768);
  composeFrame(picture, layoutPicture(300, 200, 1024, 768, Below640x480, Unlimited), frame);
  // 4 rows of 4 tiles: corners of every tile, the last cut by the border.
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) EXPECT_EQ(frame.at(col * 300, row * 200), rgb(9, 9, 9));
  EXPECT_EQ(frame.at(1023, 767), rgb(1, 2, 3));
}

TEST(Compose, FitsOverBlackWithAnAveragingFilter) {
  // A 4 x 2 checker of black and white squeezed to 2 x 1 averages to grey.
  Bitmap picture(4, 2, kBlack);
  picture.at(0, 0) = picture.at(2, 0) = picture.at(1, 1) = picture.at(3, 1) = kWhite;
  const Bitmap small = resample(picture, 2, 1);
  EXPECT_NEAR(redOf(small.at(0, 0)), 128, 1);
  EXPECT_NEAR(blueOf(small.at(1, 0)), 128, 1);
  // A uniform picture stays uniform when enlarged; the rest of the frame is black.
  Bitmap frame(20, 10);
  composeFrame(Bitmap(2, 2, rgb(50, 60, 70)), Layout{5, 0, 10, 10, true, false}, frame);
  EXPECT_EQ(frame.at(5, 0), rgb(50, 60, 70));
  EXPECT_EQ(frame.at(14, 9), rgb(50, 60, 70));
  EXPECT_EQ(frame.at(4, 5), kBlack);
  EXPECT_EQ(frame.at(15, 5), kBlack);
}

}  // namespace
}  // namespace lumora
