#include <gtest/gtest.h>

#include "imaging/lzw_test_encoder.h"
#include "reader_test_util.h"

namespace lumora {
namespace {

using test::Bytes;
using test::FileBuilder;

struct GifLayout {
  int screenWidth = 0, screenHeight = 0;
  int width = 0, height = 0;
  bool interlaced = false;
  bool localTable = false;
  std::string extensions = {};  // raw bytes before the image
  int codeSize = 4;
  std::size_t clearAt = SIZE_MAX;
};

// A GIF whose global table has 16 entries (i, 2i, 3i) and whose pixels are
// `pixels`, LZW-coded in sub-blocks of up to 255 bytes.
Bytes gifFile(const GifLayout& s, const Bytes& pixels) {
  FileBuilder f;
  f.text("GIF89a").le16(s.screenWidth).le16(s.screenHeight).u8(0x80 | 3).u8(0).u8(0);
  for (int i = 0; i < 16; ++i) f.u8(i).u8(2 * i).u8(3 * i);
  f.text(s.extensions);
  f.text(",").le16(0).le16(0).le16(s.width).le16(s.height);
  f.u8((s.interlaced ? 0x40 : 0) | (s.localTable ? 0x80 : 0));
  if (s.localTable) f.raw({100, 101, 102, 103, 104, 105});
  f.u8(s.codeSize);
  const Bytes packed = test::lzwEncode(pixels, {.literalBits = s.codeSize, .clearAt = s.clearAt});
  for (std::size_t i = 0; i < packed.size(); i += 255) {
    const std::size_t n = std::min<std::size_t>(255, packed.size() - i);
    f.u8(unsigned(n)).raw(Bytes(packed.begin() + std::ptrdiff_t(i), packed.begin() + std::ptrdiff_t(i + n)));
  }
  f.u8(0).text(";");
  return f.bytes;
}

Bytes pattern(int width, int height) {
  Bytes b;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) b.push_back(std::uint8_t((x * 3 + y * 5 + (x * y) / 7) & 15));
  return b;
}

TEST(Gif, RowsInOrderWithAClearCodeMidway) {
  const Bytes pixels = pattern(40, 30);
  const Picture p = test::decode(gifFile({.width = 40, .height = 30, .clearAt = 517}, pixels), "gif");
  ASSERT_EQ(p.bits(), 8);
  ASSERT_EQ(p.width(), 40);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const int i = pixels[std::size_t(40 * y + x)];
      ASSERT_EQ(p.pixel(x, y), rgb(i, 2 * i, 3 * i)) << x << "," << y;
    }
  EXPECT_EQ(p.pixel(1, 0), rgb(3, 6, 9));  // global table
}

TEST(Gif, InterlacedRowsInFourPasses) {
  // Each stored row is filled with its place in the file; height 10 visits
  // rows 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
  const int order[10] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
  Bytes pixels;
  for (int i = 0; i < 10; ++i) pixels.insert(pixels.end(), 3, std::uint8_t(i));
  const Picture p = test::decode(gifFile({.width = 3, .height = 10, .interlaced = true}, pixels), "gif");
  for (int i = 0; i < 10; ++i) EXPECT_EQ(p.pixel(0, order[i]), rgb(i, 2 * i, 3 * i)) << "row " << order[i];
}

TEST(Gif, ScreenSizeLocalTableAndExtensions) {
  // Width and height 0 take the screen's; the local table replaces the
  // global one whole (index 2, past its two entries, is black); an
  // extension (with a 0 inside its data) is passed over.
  const Bytes pixels{1, 0, 2, 0};
  const Bytes file = gifFile({.screenWidth = 2,
                              .screenHeight = 2,
                              .localTable = true,
                              .extensions = std::string("!\xF9\x04\x01\x00\x00\x00\x00", 8),
                              .codeSize = 2},
                             pixels);
  const Picture p = test::decode(file, "gif");
  EXPECT_EQ(p.width(), 2);
  EXPECT_EQ(p.height(), 2);
  EXPECT_EQ(p.pixel(0, 0), rgb(103, 104, 105));
  EXPECT_EQ(p.pixel(1, 0), rgb(100, 101, 102));
  EXPECT_EQ(p.pixel(0, 1), kBlack);
}

TEST(Gif, TrailerFirstGivesAnEmptyPicture) {
  const Bytes file = FileBuilder().text("gif87a").le16(5).le16(5).u8(0).u8(0).u8(0).text(";").bytes;
  const Picture p = test::decode(file, "gif");
  EXPECT_EQ(p.width(), 0);
  EXPECT_EQ(p.height(), 0);
}

TEST(Gif, ShortDataLeavesTheRestAtColourZero) {
  Bytes file = gifFile({.width = 4, .height = 4}, Bytes(8, 7));
  const Picture p = test::decode(file, "gif");
  EXPECT_EQ(test::row(p, 1, 4), test::Pixels(4, rgb(7, 14, 21)));
  EXPECT_EQ(test::row(p, 2, 4), test::Pixels(4, rgb(0, 0, 0)));  // colour 0 of the table
  // A file that ends in the middle of its sub-blocks.
  file.resize(file.size() - 4);
  EXPECT_NO_THROW(test::decode(file, "gif"));
}

TEST(Gif, Failures) {
  EXPECT_EQ(test::errorOf(test::Bytes{'G', 'I', 'X', '8', '9', 'a'}, "gif"), "Not a valid GIF file.");
  EXPECT_EQ(test::errorOf(test::Bytes{'G', 'I'}, "gif"), "Not a valid GIF file.");
  // No image and no trailer.
  EXPECT_EQ(test::errorOf(FileBuilder().text("GIF89a").fill(7, 0).text("!abc").bytes, "gif"), "Not a valid GIF file.");
  // Clear, literal 1, then code 30 with the next free code 6.
  test::LzwBitWriter w(false);
  w.put(4, 3), w.put(1, 3), w.put(7, 3), w.put(30, 5);
  const Bytes packed = w.take();
  FileBuilder f;
  f.text("GIF89a").le16(4).le16(4).u8(0).u8(0).u8(0).text(",").le16(0).le16(0).le16(4).le16(4).u8(0).u8(2);
  f.u8(unsigned(packed.size())).raw(packed).u8(0).text(";");
  EXPECT_EQ(test::errorOf(f.bytes, "gif"), "GIF LZW: invalid opcode.");
  // 65535 x 65535 from a few bytes of data.
  auto bomb = FileBuilder().text("GIF89a").le16(0).le16(0).u8(0).u8(0).u8(0).text(",").le16(0).le16(0);
  bomb.le16(65535).le16(65535).u8(0).u8(2).u8(2).raw({0x4C, 0x01}).u8(0).text(";");
  EXPECT_FALSE(test::errorOf(bomb.bytes, "gif").empty());
}

TEST(Gif, SampleFiles) {
  EXPECT_EQ(std::size_t(test::loadAllSamples({"gif"})), test::samples({"gif"}).size());
  const Picture p = test::loadSample("gif/interlaced.gif");
  EXPECT_EQ(p.width(), 13);
  EXPECT_EQ(p.height(), 21);
  EXPECT_EQ(test::loadSample("gif/two_colours.gif").width(), 13);
}

}  // namespace
}  // namespace lumora
