#include "region/region_data.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
         (std::uint32_t(b[at + 3]) << 24);
}

TEST(MaskRegion, NoBlackPixelGivesNoRectangleAndAnEmptyMaskNothing) {
  Bitmap mask(5, 4, kWhite);
  mask.at(2, 1) = rgb(0, 0, 1);  // nearly black is not black
  const auto data = regionFromMask(mask);
  ASSERT_TRUE(data);
  EXPECT_TRUE(data->rects.empty());
  EXPECT_EQ(data->bounds, (Rect{0, 0, 5, 4}));
  EXPECT_FALSE(regionFromMask(Bitmap()));
}

TEST(MaskRegion, AllBlackGivesOneFullWidthRectanglePerRow) {
  const auto data = regionFromMask(Bitmap(7, 3, kBlack));
  ASSERT_TRUE(data);
  const std::vector<Rect> want{{0, 0, 7, 1}, {0, 1, 7, 2}, {0, 2, 7, 3}};
  EXPECT_EQ(data->rects, want);
}

TEST(MaskRegion, RunsPerRowIgnoreAlpha) {
  // Row 0: . X X . X   Row 1: X . . . X   Row 2: none
  Bitmap mask(5, 3, kWhite);
  for (auto [x, y] : {std::pair{1, 0}, {2, 0}, {4, 0}, {0, 1}, {4, 1}}) mask.at(x, y) = 0x00000000u;
  const std::vector<Rect> want{{1, 0, 3, 1}, {4, 0, 5, 1}, {0, 1, 1, 2}, {4, 1, 5, 2}};
  EXPECT_EQ(regionFromMask(mask)->rects, want);
}

TEST(MaskRegion, SmallMaskBytesExactly) {
  Bitmap mask(3, 2, kWhite);
  mask.at(0, 0) = kBlack;
  mask.at(1, 0) = kBlack;
  mask.at(2, 1) = kBlack;
  const std::vector<std::uint8_t> bytes = regionFromMask(mask)->bytes();
  ASSERT_EQ(bytes.size(), 32u + 2 * 16);
  const std::uint32_t want[] = {32, 1, 2, 0, 0, 0, 3, 2,  // header: size, type, count, region size, bounds
                                0,  0, 2, 1,              // (0, 0, 2, 1)
                                2,  1, 3, 2};             // (2, 1, 3, 2)
  for (std::size_t i = 0; i < std::size(want); ++i) EXPECT_EQ(le32(bytes, 4 * i), want[i]) << "field " << i;
  EXPECT_EQ(bytes[0], 32);  // little-endian
  EXPECT_EQ(bytes[3], 0);
}

TEST(MaskRegion, GatheringStopsAtTenThousandRectangles) {
  // Every other pixel black: 50 runs per row, 300 rows = 15000 runs.
  Bitmap mask(100, 300, kWhite);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 100; x += 2) mask.at(x, y) = kBlack;
  const auto data = regionFromMask(mask);
  ASSERT_EQ(data->rects.size(), kMaxRegionRects);
  EXPECT_EQ(data->rects.back(), (Rect{98, 199, 99, 200}));  // the 10000th: last run of row 199
  EXPECT_EQ(data->bytes().size(), 32u + 16u * kMaxRegionRects);
  EXPECT_EQ(blackRuns(mask, 3).size(), 3u);
}

TEST(RegionProperty, RoundTripsAndEmptyMeansNoRegion) {
  const std::vector<std::uint8_t> none = writeRegionProperty(std::nullopt);
  EXPECT_EQ(none, (std::vector<std::uint8_t>{0, 0, 0, 0}));
  std::size_t used = 99;
  EXPECT_FALSE(readRegionProperty(none, &used));
  EXPECT_EQ(used, 4u);

  RegionData data;
  data.bounds = {0, 0, 300, 200};
  data.rects = {{0, 0, 300, 1}, {-5, 7, 12, 9}, {100, 150, 200, 151}};
  std::vector<std::uint8_t> stream = writeRegionProperty(data);
  ASSERT_EQ(stream.size(), 4u + 32 + 3 * 16);
  EXPECT_EQ(le32(stream, 0), 32u + 3 * 16);
  stream.push_back(0xAB);  // whatever follows in the form data is not taken
  const auto back = readRegionProperty(stream, &used);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, data);
  EXPECT_EQ(used, stream.size() - 1);
  stream.pop_back();
  EXPECT_EQ(writeRegionProperty(back), stream);
}

TEST(RegionProperty, MalformedStreamsAreRefused) {
  RegionData data;
  data.bounds = {0, 0, 4, 4};
  data.rects = {{0, 0, 4, 1}, {0, 1, 4, 2}};
  const std::vector<std::uint8_t> good = writeRegionProperty(data);

  std::vector<std::uint8_t> cut(good.begin(), good.end() - 1);  // the count promises one more byte
  EXPECT_THROW(readRegionProperty(cut), RegionDataError);
  EXPECT_THROW(readRegionProperty(std::vector<std::uint8_t>{1, 0}), RegionDataError);

  std::vector<std::uint8_t> tooMany = good;
  tooMany[4 + 8] = 3;  // three rectangles claimed, two stored
  EXPECT_THROW(readRegionProperty(tooMany), RegionDataError);

  std::vector<std::uint8_t> hugeCount = good;
  hugeCount[4 + 11] = 0xFF;
  EXPECT_THROW(readRegionProperty(hugeCount), RegionDataError);

  std::vector<std::uint8_t> wrongType = good;
  wrongType[4 + 4] = 2;
  EXPECT_THROW(readRegionProperty(wrongType), RegionDataError);

  std::vector<std::uint8_t> shortData{8, 0, 0, 0, 32, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_THROW(readRegionProperty(shortData), RegionDataError);
}

}  // namespace
}  // namespace lumora
