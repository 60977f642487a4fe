#include <gtest/gtest.h>

#include "reader_test_util.h"

namespace lumora {
namespace {

using test::Bytes;
using test::FileBuilder;

struct IconLayout {
  int width, height, bits;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  Bytes colourRows;                    // bottom-up, padded to 4 bytes
  Bytes maskRows;                      // bottom-up, padded to 4 bytes
};

Bytes imageData(const IconLayout& s) {
  FileBuilder f;
  f.le32(40).le32(std::uint32_t(s.width)).le32(std::uint32_t(s.height * 2)).le16(1).le16(s.bits);
  f.le32(0).le32(0).le32(0).le32(0).le32(std::uint32_t(s.palette.size())).le32(0);
  for (std::uint32_t c : s.palette) f.u8(c & 0xFF).u8((c >> 8) & 0xFF).u8(c >> 16).u8(0);
  f.raw(s.colourRows).raw(s.maskRows);
  return f.bytes;
}

Bytes iconFile(const std::vector<Bytes>& images) {
  FileBuilder f;
  f.le16(0).le16(1).le16(unsigned(images.size()));
  std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
  for (const Bytes& img : images) {
    f.raw({0, 0, 0, 0}).le16(1).le16(0).le32(std::uint32_t(img.size())).le32(offset);
    offset += std::uint32_t(img.size());
  }
  for (const Bytes& img : images) f.raw(img);
  return f.bytes;
}

TEST(Icon, OneBitWithMaskedPixelsTransparentBlack) {
  // 2 x 2; bottom row: colours 1, 0; top row: 0, 1. Top-left is masked.
  const Bytes data =
      imageData({2, 2, 1, {0xFF0000, 0x00FF00}, {0x80, 0, 0, 0, 0x40, 0, 0, 0}, {0x00, 0, 0, 0, 0x80, 0, 0, 0}});
  const Picture p = test::decode(iconFile({data}), "ico");
  ASSERT_EQ(p.bits(), 32);
  EXPECT_EQ(test::row(p, 0, 2), (test::Pixels{kBlack, rgb(0, 255, 0)}));
  EXPECT_EQ(test::row(p, 1, 2), (test::Pixels{rgb(0, 255, 0), rgb(255, 0, 0)}));
}

TEST(Icon, LargestImageAndEveryDepth) {
  const Bytes small4 = imageData({2, 1, 4, {0x010203, 0x0A0B0C}, {0x10, 0, 0, 0}, {0, 0, 0, 0}});
  const Bytes big8 = imageData({3, 2, 8, {0x112233, 0x445566}, {1, 0, 1, 0, 0, 1, 0, 0}, {0, 0, 0, 0, 0x20, 0, 0, 0}});
  Picture p = test::decode(iconFile({small4, big8}), "ico");
  ASSERT_EQ(p.width(), 3);
  EXPECT_EQ(p.pixel(0, 0), rgb(0x11, 0x22, 0x33));
  EXPECT_EQ(p.pixel(1, 0), rgb(0x44, 0x55, 0x66));
  EXPECT_EQ(p.pixel(2, 0), kBlack);  // masked
  p = test::decode(iconFile({small4}), "ico");
  EXPECT_EQ(p.pixel(0, 0), rgb(0x0A, 0x0B, 0x0C));  // high nibble first
  EXPECT_EQ(p.pixel(1, 0), rgb(1, 2, 3));
  // 24 bits, and 32 bits with an alpha channel: alpha 0 is masked.
  p = test::decode(iconFile({imageData({1, 1, 24, {}, {1, 2, 3, 0}, {0, 0, 0, 0}})}), "ico");
  EXPECT_EQ(p.pixel(0, 0), rgb(3, 2, 1));
  p = test::decode(iconFile({imageData({2, 1, 32, {}, {1, 2, 3, 128, 4, 5, 6, 0}, {0, 0, 0, 0}})}), "ico");
  EXPECT_EQ(test::row(p, 0, 2), (test::Pixels{rgb(3, 2, 1), kBlack}));
}

TEST(Icon, BadFiles) {
  EXPECT_EQ(test::errorOf(Bytes{0, 0, 1, 0, 0, 0}, "ico"), "Invalid icon image");
  EXPECT_EQ(test::errorOf(Bytes{1, 0, 1, 0, 1, 0}, "ico"), "Invalid icon image");
  EXPECT_EQ(test::errorOf(Bytes{0, 0, 1, 0, 200, 0, 1}, "ico"), "Invalid icon image");
  // A PNG image alone is not read.
  EXPECT_EQ(test::errorOf(iconFile({Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10}}), "ico"), "Invalid icon image");
  // A header promising 65535 x 65535 pixels from 16 bytes of rows.
  Bytes bomb = imageData({1, 1, 1, {0, 0xFFFFFF}, {0, 0, 0, 0}, {0, 0, 0, 0}});
  bomb[4] = bomb[5] = bomb[8] = bomb[9] = 0xFF;
  EXPECT_EQ(test::errorOf(iconFile({bomb}), "ico"), "Invalid icon image");
  // Without its mask the image is opaque.
  const Picture p = test::decode(iconFile({imageData({1, 1, 24, {}, {1, 2, 3, 0}, {}})}), "ico");
  EXPECT_EQ(p.pixel(0, 0), rgb(3, 2, 1));
}

TEST(Icon, SampleFiles) {
  EXPECT_EQ(std::size_t(test::loadAllSamples({"ico"})), test::samples({"ico"}).size());
  EXPECT_EQ(test::loadSample("ico/bits32_alpha.ico").width(), 16);
  EXPECT_EQ(test::loadSample("ico/bits8_mask.ico").width(), 13);
  EXPECT_EQ(test::loadSample("ico/bits4_mask.ico").height(), 7);
}

}  // namespace
}  // namespace lumora
