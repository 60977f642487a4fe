#include <gtest/gtest.h>

#include "reader_test_util.h"

namespace lumora {
namespace {

using test::Bytes;
using test::FileBuilder;

struct Colour {
  int r = 0, g = 0, b = 0;
};

struct PcxLayout {
  int maker = 10, version = 5, encoding = 1, bits = 8, planes = 1;
  int width = 1, height = 1, bytesPerLine = 1, paletteInfo = 1;
  std::vector<Colour> palette16 = {};
};

FileBuilder pcxHeader(const PcxLayout& s) {
  FileBuilder f;
  f.u8(s.maker).u8(s.version).u8(s.encoding).u8(s.bits);
  f.le16(0).le16(0).le16(s.width - 1).le16(s.height - 1).le32(0);
  for (int i = 0; i < 16; ++i) {
    const Colour e = i < int(s.palette16.size()) ? s.palette16[std::size_t(i)] : Colour{};
    f.u8(e.r).u8(e.g).u8(e.b);
  }
  f.u8(0).u8(s.planes).le16(s.bytesPerLine).le16(s.paletteInfo);
  f.fill(128 - f.size(), 0);
  return f;
}

TEST(Pcx, EightBitsWithThePaletteAtTheEnd) {
  // 3 x 2, run-length coded: a run of 3, then two literals and a byte >= 192
  // written as a run of one.
  auto f = pcxHeader({.width = 3, .height = 2, .bytesPerLine = 3}).raw({0xC3, 1, 2, 3, 0xC1, 200});
  f.u8(12);
  for (int i = 0; i < 256; ++i) f.u8(i).u8(255 - i).u8(7);
  const Picture p = test::decode(f.bytes, "pcx");
  ASSERT_EQ(p.bits(), 8);
  auto colour = [](int i) { return rgb(i, 255 - i, 7); };
  EXPECT_EQ(test::row(p, 0, 3), test::through({1, 1, 1}, colour));
  EXPECT_EQ(test::row(p, 1, 3), test::through({2, 3, 200}, colour));
  EXPECT_EQ(p.pixel(2, 1), rgb(200, 55, 7));
}

TEST(Pcx, EightBitsWithoutPaletteMarker) {
  // Grey when the palette information is 2, black otherwise.
  for (int info : {2, 1}) {
    auto f = pcxHeader({.encoding = 0, .paletteInfo = info}).u8(90).fill(769, 0);
    const Picture p = test::decode(f.bytes, "pcx");
    EXPECT_EQ(p.pixel(0, 0), info == 2 ? rgb(90, 90, 90) : rgb(0, 0, 0));
  }
}

TEST(Pcx, FourBitPalettes) {
  const std::vector<Colour> header(16, Colour{1, 2, 3});
  // Version 3 takes the system palette, others the header's or a grey ramp.
  auto planes = [](int version, int info, const std::vector<Colour>& pal) {
    // 9 pixels wide, 2 bytes per plane; pixel 0 = 0b1111, pixel 8 = 0b0101.
    return pcxHeader({.version = version,
                      .encoding = 0,
                      .bits = 1,
                      .planes = 4,
                      .width = 9,
                      .bytesPerLine = 2,
                      .paletteInfo = info,
                      .palette16 = pal})
        .raw({0x80, 0x80, 0x80, 0x00, 0x80, 0x80, 0x80, 0x00});
  };
  Picture p = test::decode(planes(3, 1, header).bytes, "pcx");
  ASSERT_EQ(p.bits(), 4);
  // Entry 15 (white), seven times entry 0 (black), entry 5 (purple).
  test::Pixels want(9, kBlack);
  want[0] = rgb(255, 255, 255);
  want[8] = rgb(128, 0, 128);
  EXPECT_EQ(test::row(p, 0, 9), want);
  EXPECT_EQ(test::decode(planes(5, 1, header).bytes, "pcx").pixel(0, 0), rgb(1, 2, 3));
  EXPECT_EQ(test::decode(planes(5, 2, header).bytes, "pcx").pixel(8, 0), rgb(80, 80, 80));
}

TEST(Pcx, OneBitCopiesEveryColumn) {
  // Width 10: the second byte of each row holds columns 8 and 9.
  auto f = pcxHeader({.encoding = 0, .bits = 1, .width = 10, .height = 1, .bytesPerLine = 2}).raw({0x81, 0xC0});
  const Picture p = test::decode(f.bytes, "pcc");
  ASSERT_EQ(p.bits(), 1);
  EXPECT_EQ(p.pixel(0, 0), kWhite);
  EXPECT_EQ(p.pixel(1, 0), kBlack);
  EXPECT_EQ(p.pixel(9, 0), kWhite);
}

TEST(Pcx, TwentyFourBitsFromThreePlanes) {
  auto f = pcxHeader({.encoding = 0, .planes = 3, .width = 2, .bytesPerLine = 2}).raw({10, 11, 20, 21, 30, 31});
  f.fill(769, 0);  // 24-bit files keep no palette; this is just padding
  const Picture p = test::decode(f.bytes, "pcx");
  ASSERT_EQ(p.bits(), 24);
  EXPECT_EQ(test::row(p, 0, 2), test::fromBgr({30, 20, 10, 31, 21, 11}));
}

TEST(Pcx, ScreenCaptureMakerAndMessages) {
  auto scr = pcxHeader({.maker = 205, .encoding = 0, .paletteInfo = 2}).u8(4).fill(769, 0);
  EXPECT_EQ(test::decode(scr.bytes, "scr").pixel(0, 0), rgb(4, 4, 4));
  EXPECT_EQ(test::errorOf(pcxHeader({.maker = 11}).fill(800, 0).bytes, "pcx"), "Not a PCX or SCR file.");
  EXPECT_EQ(test::errorOf(pcxHeader({.bits = 4}).fill(800, 0).bytes, "pcx"), "PCX: wrong pixel format");
  EXPECT_EQ(test::errorOf(pcxHeader({.bits = 8, .planes = 4}).fill(800, 0).bytes, "pcx"), "PCX: wrong pixel format");
  EXPECT_EQ(test::errorOf(Bytes(100, 10), "pcx"), "Stream read error");
}

TEST(Pcx, HostileSizes) {
  // 65536 x 65536 from a few bytes.
  auto huge = pcxHeader({.width = 65536, .height = 65536, .bytesPerLine = 65535}).fill(800, 0);
  EXPECT_EQ(test::errorOf(huge.bytes, "pcx"), "Stream read error");
  // Narrow lines claiming a wide picture.
  auto wide = pcxHeader({.width = 60000, .height = 20000, .bytesPerLine = 1}).fill(2000, 0xC1);
  EXPECT_EQ(test::errorOf(wide.bytes, "pcx"), "Stream read error");
  // Packed data that end before the rows do: the stream's read error.
  auto cut = pcxHeader({.width = 4, .height = 3, .bytesPerLine = 4, .paletteInfo = 2}).raw({0xC6, 9}).fill(769, 0);
  EXPECT_EQ(test::errorOf(cut.bytes, "pcx"), "Stream read error");
}

TEST(Pcx, FilesCutShortFail) {
  const std::string message = "Stream read error";
  // 8 bits, run-length: header, packed lines, the palette's place behind them.
  auto eight =
      pcxHeader({.width = 5, .height = 3, .bytesPerLine = 6}).raw({0xC6, 1, 2, 3, 4, 5, 6, 7, 0xC5, 9, 0xC1, 200});
  eight.u8(12).fill(768, 5);
  test::expectCutsFail(eight.bytes, "pcx", 0, eight.size(), message);
  // 24 bits and 1 bit: packed or stored lines end early.
  auto rgb = pcxHeader({.bits = 8, .planes = 3, .width = 2, .height = 2, .bytesPerLine = 2}).raw({0xCC, 4});
  test::expectCutsFail(rgb.bytes, "pcx", 0, rgb.size(), message);
  auto mono = pcxHeader({.encoding = 0, .bits = 1, .width = 12, .height = 3, .bytesPerLine = 2}).fill(6, 0xF0);
  test::expectCutsFail(mono.bytes, "pcx", 0, mono.size(), message);
  // An 8-bit file shorter than the palette's place.
  auto tiny = pcxHeader({.width = 1, .height = 1, .bytesPerLine = 1}).u8(3).u8(12).fill(100, 0);
  EXPECT_EQ(test::errorOf(tiny.bytes, "pcx"), message);
}

TEST(Pcx, SampleFiles) {
  EXPECT_EQ(std::size_t(test::loadAllSamples({"pcx", "pcc", "scr"})), test::samples({"pcx", "pcc", "scr"}).size());
  const Picture p = test::loadSample("pcx/rgb24.pcx");
  EXPECT_EQ(p.width(), 13);
  EXPECT_EQ(p.height(), 7);
  // A row of 13 one-bit pixels is 2 bytes; the odd width keeps its last column.
  EXPECT_EQ(test::loadSample("pcx/bits1.pcx").width(), 13);
  EXPECT_TRUE(test::loadSample("pcx/palette8.scr").bitmap() == test::loadSample("pcx/palette8.pcx").bitmap());
}

}  // namespace
}  // namespace lumora
