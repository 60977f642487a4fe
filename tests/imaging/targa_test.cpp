#include <gtest/gtest.h>

#include "reader_test_util.h"

namespace lumora {
namespace {

using test::Bytes;
using test::FileBuilder;

FileBuilder targaHeader(int type, int width, int height, int depth, int descriptor = 0, int mapType = 0,
                        int mapLength = 0, int mapEntry = 0, int idLength = 0) {
  FileBuilder f;
  f.u8(idLength).u8(mapType).u8(type).le16(0).le16(mapLength).u8(mapEntry).le32(0);
  f.le16(width).le16(height).u8(depth).u8(descriptor);
  return f;
}

TEST(Targa, TrueColourBottomUpAndTopDown) {
  // Two rows of two pixels; the file's first row is the bottom one unless
  // bit 5 of the descriptor is set. An identification text is passed over.
  for (int descriptor : {0x00, 0x20}) {
    auto f = targaHeader(2, 2, 2, 24, descriptor, 0, 0, 0, 3);
    f.text("abc").raw({1, 2, 3, 4, 5, 6}).raw({7, 8, 9, 10, 11, 12});
    const Picture p = test::decode(f.bytes, "tga");
    ASSERT_EQ(p.bits(), 24);
    const int first = descriptor ? 0 : 1;
    EXPECT_EQ(test::row(p, first, 2), test::fromBgr({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(test::row(p, 1 - first, 2), test::fromBgr({7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(p.pixel(0, first), rgb(3, 2, 1));  // stored blue, green, red
  }
}

TEST(Targa, ColourMapEntrySizes) {
  // 24-bit, 32-bit (fourth byte skipped) and 16-bit (5 bits each, shifted up
  // by 3) entries.
  auto f24 = targaHeader(1, 2, 1, 8, 0x20, 1, 2, 24).raw({10, 20, 30, 40, 50, 60}).raw({1, 0});
  Picture p = test::decode(f24.bytes, "vst");
  EXPECT_EQ(p.bits(), 8);
  EXPECT_EQ(p.pixel(0, 0), rgb(60, 50, 40));
  EXPECT_EQ(p.pixel(1, 0), rgb(30, 20, 10));
  auto f32 = targaHeader(1, 1, 1, 8, 0, 1, 2, 32).raw({1, 2, 3, 99, 10, 20, 30, 99}).raw({1});
  EXPECT_EQ(test::decode(f32.bytes, "tga").pixel(0, 0), rgb(30, 20, 10));
  const unsigned v = (3u << 10) | (7u << 5) | 31u;  // red 3, green 7, blue 31
  auto f16 = targaHeader(1, 1, 1, 8, 0, 1, 1, 16).le16(v).raw({0});
  EXPECT_EQ(test::decode(f16.bytes, "tga").pixel(0, 0), rgb(24, 56, 248));
}

TEST(Targa, GreyGetsTheGreyRampEvenWithoutOrDespiteAColourMap) {
  auto plain = targaHeader(3, 2, 1, 8).raw({0, 200});
  Picture p = test::decode(plain.bytes, "tga");
  EXPECT_EQ(p.pixel(0, 0), kBlack);
  EXPECT_EQ(p.pixel(1, 0), rgb(200, 200, 200));
  // A colour map before grey pixels is skipped, not read as pixels.
  auto mapped = targaHeader(3, 2, 1, 8, 0, 1, 2, 24).raw({9, 9, 9, 9, 9, 9}).raw({5, 77});
  p = test::decode(mapped.bytes, "tga");
  EXPECT_EQ(p.pixel(0, 0), rgb(5, 5, 5));
  EXPECT_EQ(p.pixel(1, 0), rgb(77, 77, 77));
}

TEST(Targa, Depth15And16TakeTwoBytesPerPixel) {
  for (int depth : {15, 16}) {
    const unsigned a = 0x8000u | (31u << 10), b = 31u;  // red (attribute bit set), blue
    auto f = targaHeader(2, 3, 1, depth).le16(a).le16(b).le16(0);
    const Picture p = test::decode(f.bytes, "tga");
    EXPECT_EQ(p.bits(), 15);
    EXPECT_EQ(p.pixel(0, 0), rgb(255, 0, 0)) << depth;
    EXPECT_EQ(p.pixel(1, 0), rgb(0, 0, 255)) << depth;
  }
}

TEST(Targa, RunLengthTypesAndPacketsAcrossRows) {
  // 32 bits, 3 x 2, bottom-up: a run of 4 pixels crosses from the first row
  // into the second; then two raw pixels.
  auto f = targaHeader(10, 3, 2, 32).u8(0x83).raw({1, 2, 3, 4}).u8(0x01).raw({5, 6, 7, 8, 9, 10, 11, 12});
  const Picture p = test::decode(f.bytes, "tga");
  // (The fourth byte, alpha, is not shown.)
  EXPECT_EQ(test::row(p, 1, 3), test::fromBgr({1, 2, 3, 1, 2, 3, 1, 2, 3}));
  EXPECT_EQ(test::row(p, 0, 3), test::fromBgr({1, 2, 3, 5, 6, 7, 9, 10, 11}));
  // Type 9 (colour-mapped) and 11 (grey) with one-byte pixels.
  auto grey = targaHeader(11, 4, 1, 8, 0x20).u8(0x81).u8(7).u8(0x01).raw({8, 9});
  EXPECT_EQ(test::row(test::decode(grey.bytes, "tga"), 0, 4), test::greys({7, 7, 8, 9}));
  auto mapped = targaHeader(9, 2, 1, 8, 0x20, 1, 2, 24).raw({0, 0, 0, 1, 2, 3}).u8(0x81).u8(1);
  EXPECT_EQ(test::decode(mapped.bytes, "icb").pixel(1, 0), rgb(3, 2, 1));
}

TEST(Targa, FailuresAndUnknownTypes) {
  EXPECT_EQ(test::errorOf(targaHeader(2, 2, 2, 24).raw({1, 2, 3, 4, 5, 6}).bytes, "tga"), "Targa: invalid image");
  EXPECT_EQ(test::errorOf(Bytes{0, 0, 2}, "tga"), "Targa: invalid image");
  // A header asking for a huge run-length picture from a few bytes.
  EXPECT_EQ(test::errorOf(targaHeader(10, 40000, 20000, 32).u8(0xFF).raw({1, 2, 3, 4}).bytes, "tga"),
            "Targa: invalid image");
  // A truncated run-length picture fails.
  auto cut = targaHeader(10, 2, 2, 24, 0x20).u8(0x81).raw({1, 2, 3});
  EXPECT_EQ(test::errorOf(cut.bytes, "tga"), "Targa: invalid image");
  // Another image type keeps its size, with nothing filled in.
  const Picture empty = test::decode(targaHeader(32, 5, 4, 24).bytes, "tga");
  EXPECT_EQ(empty.width(), 5);
  EXPECT_EQ(empty.height(), 4);
}

TEST(Targa, FilesCutShortFail) {
  const std::string message = "Targa: invalid image";
  // Colour-mapped run-length: header, identification, colour map, packets.
  auto mapped = targaHeader(9, 5, 3, 8, 0, 1, 4, 24, 2).text("id").fill(12, 9);
  mapped.raw({0x84, 1, 0x02, 2, 3, 0}).raw({0x81, 3}).raw({0x04, 3, 2, 1, 0, 3});
  test::expectCutsFail(mapped.bytes, "tga", 0, mapped.size(), message);
  // True colour, plain rows.
  auto plain = targaHeader(2, 2, 3, 32, 0x20).fill(24, 7);
  test::expectCutsFail(plain.bytes, "tga", 0, plain.size(), message);
  // A row's packets may reach into the next row; the file may end right
  // behind the last packet, whatever the 2 x R bytes a row reads.
  auto across = targaHeader(10, 2, 2, 16).raw({0x82, 1, 2, 0x00, 3, 4});
  const Picture p = test::decode(across.bytes, "tga");
  // Words 0x0201 (green 16, blue 1) and 0x0403 (red 1, blue 3).
  EXPECT_EQ(test::row(p, 1, 2), (test::Pixels{rgb(0, 132, 8), rgb(0, 132, 8)}));
  EXPECT_EQ(test::row(p, 0, 2), (test::Pixels{rgb(0, 132, 8), rgb(8, 0, 24)}));
}

TEST(Targa, SampleFiles) {
  const auto extensions = {"tga", "vst", "vda", "icb", "win"};
  EXPECT_EQ(std::size_t(test::loadAllSamples(extensions)), test::samples(extensions).size());
  // The same picture stored raw and run-length coded, top-down and
  // bottom-up, must come out the same.
  for (const std::string kind : {"rgb", "rgba", "palette", "grey"}) {
    const std::string stem = "targa/" + kind;
    const Picture ref = test::loadSample(stem + "_top_down.tga");
    EXPECT_EQ(ref.width(), 13);
    EXPECT_EQ(ref.height(), 7);
    for (const char* variant : {"_bottom_up.tga", "_top_down_rle.tga", "_bottom_up_rle.tga"}) {
      const Picture other = test::loadSample(stem + variant);
      EXPECT_TRUE(other.bitmap() == ref.bitmap()) << stem << variant;
    }
  }
  EXPECT_TRUE(test::loadSample("targa/bits15_top_down_rle.tga").bitmap() ==
              test::loadSample("targa/bits15_bottom_up.tga").bitmap());
}

}  // namespace
}  // namespace lumora
