// Photographs turned upright: the Exif orientation of JPEG files (all eight
// values, both byte orders, damaged blocks), the reduced JPEG decoding of a
// photograph stored on its side, and TIFF's orientation tag on every pixel
// format.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

#include "imaging/exif.h"
#include "imaging/loader.h"
#include "imaging/readers/readers.h"
#include "imaging/reader_test_util.h"
#include "imaging/orientation_util.h"
#include "imaging/small_tiff.h"
#include "imaging/test_encoders.h"

namespace lumora {
namespace {

using test::Samples;
using test::storedFrom;
using test::Upright;
using test::uprightOf;

// The picture and the same file's picture as stored agree pixel for pixel
// under orientation o.
void expectTurned(const Picture& turned, const Picture& stored, int o) {
  const bool swap = o >= 5;
  ASSERT_EQ(turned.width(), swap ? stored.height() : stored.width()) << "orientation " << o;
  ASSERT_EQ(turned.height(), swap ? stored.width() : stored.height()) << "orientation " << o;
  for (int r = 0; r < stored.height(); ++r)
    for (int c = 0; c < stored.width(); ++c) {
      const Upright u = uprightOf(o, c, r, turned.width(), turned.height());
      ASSERT_EQ(turned.pixel(u.x, u.y), stored.pixel(c, r)) << "orientation " << o << " at " << c << "," << r;
    }
}

Picture jpeg(const std::vector<std::uint8_t>& bytes) { return readJpeg(ReaderInput{bytes, {}}); }

TEST(JpegOrientation, EveryValueInBothByteOrdersComesOutUpright) {
  constexpr int kW = 48, kH = 32;
  const Samples upright = test::quarters(kW, kH);
  for (int o = 1; o <= 8; ++o)
    for (bool big : {true, false}) {
      int sw = 0, sh = 0;
      const Samples stored = storedFrom(upright, kW, kH, o, sw, sh);
      const Picture plain = jpeg(test::encodeJpeg(stored, sw, sh));
      const Picture turned = jpeg(test::encodeJpeg(stored, sw, sh, 3, test::exifBlock(unsigned(o), big)));
      expectTurned(turned, plain, o);
      // The corners are where the upright picture has them.
      ASSERT_EQ(turned.width(), kW);
      const Pixel corners[4] = {turned.pixel(4, 4), turned.pixel(kW - 5, 4), turned.pixel(4, kH - 5),
                                turned.pixel(kW - 5, kH - 5)};
      const int expected[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
      for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(redOf(corners[k]), expected[k][0], 12) << "orientation " << o << " corner " << k;
        EXPECT_NEAR(greenOf(corners[k]), expected[k][1], 12) << "orientation " << o << " corner " << k;
        EXPECT_NEAR(blueOf(corners[k]), expected[k][2], 12) << "orientation " << o << " corner " << k;
      }
    }
}

TEST(JpegOrientation, GreyPicturesTurnWithTheirPalette) {
  Samples grey(20 * 10);
  for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = std::uint8_t(i % 20 * 12);
  const Picture plain = jpeg(test::encodeJpeg(grey, 20, 10, 1));
  const Picture turned = jpeg(test::encodeJpeg(grey, 20, 10, 1, test::exifBlock(8)));
  EXPECT_EQ(turned.bits(), 8);
  expectTurned(turned, plain, 8);
}

TEST(JpegOrientation, DamagedOrForeignBlocksLeaveThePictureAsStored) {
  auto withOrientation6 = [] { return test::exifBlock(6); };
  std::vector<std::vector<std::uint8_t>> blocks;
  blocks.push_back(withOrientation6());
  blocks.back().resize(20);  // cut inside the directory
  blocks.push_back(withOrientation6());
  blocks.back()[6] = 'X';  // neither "II" nor "MM"
  blocks.push_back(withOrientation6());
  blocks.back()[9] = 43;  // not 42
  blocks.push_back(withOrientation6());
  blocks.back()[13] = 0xF0;  // directory offset far past the end
  blocks.push_back(withOrientation6());
  blocks.back()[15] = 200;  // more entries than the block holds, none of them the tag
  blocks.back().resize(22);
  blocks.push_back(test::exifBlock(9));  // a value outside 1 to 8
  blocks.push_back(test::exifBlock(0));
  blocks.push_back(withOrientation6());
  blocks.back()[29] = 4;  // the tag as a LONG
  blocks.push_back(withOrientation6());
  blocks.back()[0] = 'e';  // not an Exif block (an XMP block is APP1 too)
  blocks.push_back({'E', 'x', 'i', 'f', 0, 0});
  for (std::size_t i = 0; i < blocks.size(); ++i) EXPECT_EQ(exifOrientation(blocks[i]), 1) << "block " << i;
  EXPECT_EQ(exifOrientation(withOrientation6()), 6);
  EXPECT_EQ(exifOrientation(test::exifBlock(7, false)), 7);

  // In a file: loads as stored.
  const Samples stored = test::quarters(32, 16);
  const Picture plain = jpeg(test::encodeJpeg(stored, 32, 16));
  const Picture damaged = jpeg(test::encodeJpeg(stored, 32, 16, 3, blocks[0]));
  expectTurned(damaged, plain, 1);
}

TEST(JpegOrientation, ReducedDecodingMeasuresTheUprightPicture) {
  // A panorama stored upright-on-its-side: 800 x 3200 stored, 3200 x 800
  // upright, for a 1600 x 400 screen. Upright it is twice the screen, so it
  // is decoded at half size, then turned.
  Samples stored(std::size_t(800) * 3200 * 3, 128);
  const auto bytes = test::encodeJpeg(stored, 800, 3200, 3, test::exifBlock(6));
  const Picture reduced = readJpegToFit(ReaderInput{bytes, {}}, 1600, 400);
  EXPECT_EQ(reduced.width(), 1600);
  EXPECT_EQ(reduced.height(), 400);
  EXPECT_EQ(reduced.fullWidth(), 3200);  // the upright size in the file
  EXPECT_EQ(reduced.fullHeight(), 800);
  const Picture full = readJpeg(ReaderInput{bytes, {}});
  EXPECT_EQ(full.width(), 3200);
  EXPECT_EQ(full.height(), 800);
}

TEST(JpegOrientation, SamplePhotographsMatchTheUprightOriginal) {
  const Picture original = test::loadSample("jpeg/upright.jpg");
  for (int o : {3, 6, 8}) {
    const Picture p = test::loadSample("jpeg/orientation_" + std::to_string(o) + ".jpg");
    ASSERT_EQ(p.width(), original.width());
    ASSERT_EQ(p.height(), original.height());
    long long difference = 0;
    for (int y = 0; y < p.height(); ++y)
      for (int x = 0; x < p.width(); ++x) {
        const Pixel a = p.pixel(x, y), b = original.pixel(x, y);
        difference +=
            std::abs(redOf(a) - redOf(b)) + std::abs(greenOf(a) - greenOf(b)) + std::abs(blueOf(a) - blueOf(b));
      }
    // Each file was saved again with its own losses; a wrong turn differs by
    // ten times more.
    EXPECT_LT(difference / (3LL * p.width() * p.height()), 10) << "orientation " << o;
  }
}

// A TIFF of the given samples, photometric interpretation and orientation.
std::vector<std::uint8_t> orientedTiff(int width, int height, int bps, int spp, int photometric, int orientation,
                                       const std::vector<std::uint8_t>& strip) {
  return test::smallTiff({{256, std::uint32_t(width)},
                          {257, std::uint32_t(height)},
                          {258, std::uint32_t(bps)},
                          {259, 1},
                          {262, std::uint32_t(photometric)},
                          {274, std::uint32_t(orientation)},
                          {277, std::uint32_t(spp)},
                          {278, std::uint32_t(height)}},
                         strip);
}

TEST(TiffOrientation, Tag274TurnsEveryPixelFormat) {
  struct Format {
    int bps, spp, photometric, bits;
  } formats[] = {{1, 1, 1, 1}, {4, 1, 1, 4}, {8, 1, 1, 8}, {8, 3, 2, 24}, {8, 4, 2, 32}};
  constexpr int kW = 11, kH = 5;
  for (const Format& f : formats) {
    const std::size_t rowBytes = (std::size_t(kW) * f.bps * f.spp + 7) / 8;
    std::vector<std::uint8_t> strip(rowBytes * kH);
    for (std::size_t i = 0; i < strip.size(); ++i) strip[i] = std::uint8_t(i * 37 + 11);
    const Picture stored = readTiff(ReaderInput{orientedTiff(kW, kH, f.bps, f.spp, f.photometric, 1, strip), {}});
    ASSERT_EQ(stored.bits(), f.bits);
    for (int o = 2; o <= 8; ++o) {
      const Picture turned = readTiff(ReaderInput{orientedTiff(kW, kH, f.bps, f.spp, f.photometric, o, strip), {}});
      EXPECT_EQ(turned.bits(), f.bits);
      expectTurned(turned, stored, o);
    }
    // Values outside 1 to 8 leave the picture as stored.
    expectTurned(readTiff(ReaderInput{orientedTiff(kW, kH, f.bps, f.spp, f.photometric, 9, strip), {}}), stored, 1);
  }
}

}  // namespace
}  // namespace lumora
