// Windows bitmap reader: headers, pixel formats, RLE, row order, bad files.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "imaging/loader.h"
#include "reader_test_util.h"
#include "imaging/readers/readers.h"

namespace lumora {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, unsigned v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

struct BmpLayout {
  std::int32_t width = 0, height = 0;
  unsigned bits = 24;
  std::uint32_t compression = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::vector<std::uint32_t> masks;    // after a 40-byte header
  Bytes pixels;
  bool fileHeader = true;
};

Bytes makeBmp(const BmpLayout& s) {
  Bytes info;
  put32(info, 40);
  put32(info, std::uint32_t(s.width));
  put32(info, std::uint32_t(s.height));
  put16(info, 1);
  put16(info, s.bits);
  put32(info, s.compression);
  put32(info, std::uint32_t(s.pixels.size()));
  put32(info, 2835);
  put32(info, 2835);
  put32(info, std::uint32_t(s.palette.size()));
  put32(info, 0);
  for (auto m : s.masks) put32(info, m);
  for (auto c : s.palette) put32(info, c);
  Bytes out;
  if (s.fileHeader) {
    out = {'B', 'M'};
    put32(out, std::uint32_t(14 + info.size() + s.pixels.size()));
    put32(out, 0);
    put32(out, std::uint32_t(14 + info.size()));
  }
  out.insert(out.end(), info.begin(), info.end());
  out.insert(out.end(), s.pixels.begin(), s.pixels.end());
  return out;
}

Picture read(const Bytes& b) { return readBmp(ReaderInput{b, {}}); }

TEST(BmpReader, TwentyFourBitRowsRunBottomUpUnlessHeightIsNegative) {
  BmpLayout s;
  s.width = 2;
  s.height = 2;
  // Rows of 6 bytes padded to 8: first stored row red, green; second blue, white.
  s.pixels = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
  const Picture up = read(makeBmp(s));
  EXPECT_EQ(up.bits(), 24);
  EXPECT_EQ(up.pixel(0, 1), rgb(255, 0, 0));
  EXPECT_EQ(up.pixel(1, 1), rgb(0, 255, 0));
  EXPECT_EQ(up.pixel(0, 0), rgb(0, 0, 255));
  EXPECT_EQ(up.pixel(1, 0), kWhite);

  s.height = -2;
  const Picture down = read(makeBmp(s));
  EXPECT_EQ(down.pixel(0, 0), rgb(255, 0, 0));
  EXPECT_EQ(down.pixel(1, 1), kWhite);
}

TEST(BmpReader, PaletteFormatsAndHeaderlessDib) {
  BmpLayout s;
  s.width = 9;
  s.height = 1;
  s.bits = 1;
  s.palette = {0x000000, 0xFF8000};
  s.pixels = {0b10000000, 0b10000000, 0, 0};  // pixels 0 and 8 set
  Picture p = read(makeBmp(s));
  EXPECT_EQ(p.bits(), 1);
  EXPECT_EQ(p.pixel(0, 0), rgb(255, 128, 0));
  EXPECT_EQ(p.pixel(1, 0), kBlack);
  EXPECT_EQ(p.pixel(8, 0), rgb(255, 128, 0));

  // A clipboard .dib starts at the info header.
  s.fileHeader = false;
  s.bits = 4;
  s.width = 3;
  s.palette = {0x0000FF, 0x00FF00, 0xFF0000};
  s.pixels = {0x21, 0x00, 0, 0};
  p = read(makeBmp(s));
  EXPECT_EQ(p.bits(), 4);
  EXPECT_EQ(p.pixel(0, 0), rgb(255, 0, 0));
  EXPECT_EQ(p.pixel(1, 0), rgb(0, 255, 0));
  EXPECT_EQ(p.pixel(2, 0), rgb(0, 0, 255));
}

TEST(BmpReader, CoreHeaderWithThreeBytePaletteEntries) {
  Bytes b = {'B', 'M'};
  put32(b, 0);
  put32(b, 0);
  put32(b, 14 + 12 + 4 * 3);
  put32(b, 12);
  put16(b, 2);
  put16(b, 1);
  put16(b, 1);
  put16(b, 2);  // 2 bits: widened to 4
  for (int i = 0; i < 4; ++i) {
    b.push_back(std::uint8_t(10 * i));  // blue
    b.push_back(0);
    b.push_back(std::uint8_t(50 * i));  // red
  }
  b.insert(b.end(), {0b11010000, 0, 0, 0});
  const Picture p = read(b);
  EXPECT_EQ(p.bits(), 4);
  EXPECT_EQ(p.pixel(0, 0), rgb(150, 0, 30));
  EXPECT_EQ(p.pixel(1, 0), rgb(50, 0, 10));
}

TEST(BmpReader, SixteenBitFormats) {
  BmpLayout s;
  s.width = 1;
  s.height = 1;
  s.bits = 16;
  s.pixels = {0x1F, 0x7C, 0, 0};  // 0x7C1F: red 31, green 0, blue 31
  Picture p = read(makeBmp(s));
  EXPECT_EQ(p.bits(), 15);
  EXPECT_EQ(p.pixel(0, 0), rgb(255, 0, 255));

  s.compression = 3;
  s.masks = {0xF800, 0x07E0, 0x001F};
  s.pixels = {0xE0, 0x07, 0, 0};  // 5-6-5 green 63
  p = read(makeBmp(s));
  EXPECT_EQ(p.bits(), 24);
  EXPECT_EQ(p.pixel(0, 0), rgb(0, 255, 0));
  s.pixels = {0x00, 0x84, 0, 0};  // red 16 of 31, green 32 of 63
  p = read(makeBmp(s));
  EXPECT_EQ(p.pixel(0, 0), rgb(132, 130, 0));
}

TEST(BmpReader, ThirtyTwoBitWithAndWithoutBitFields) {
  BmpLayout s;
  s.width = 1;
  s.height = 1;
  s.bits = 32;
  s.pixels = {1, 2, 3, 4};
  Picture p = read(makeBmp(s));
  EXPECT_EQ(p.bits(), 32);
  EXPECT_EQ(p.pixel(0, 0), rgb(3, 2, 1));

  s.compression = 3;
  s.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};  // red in the lowest byte
  p = read(makeBmp(s));
  EXPECT_EQ(p.pixel(0, 0), rgb(1, 2, 3));
}

TEST(BmpReader, Rle8RunsAbsoluteDeltaAndOverflowingRows) {
  BmpLayout s;
  s.width = 4;
  s.height = 3;
  s.bits = 8;
  s.compression = 1;
  s.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  s.pixels = {
      3, 1,              // bottom row: three of index 1
      0, 0,              // end of line
      0, 3, 2, 3, 2, 0,  // absolute run of 3, padded to even
      0, 0,              // end of line
      6, 3,              // run longer than the row: cut at the row's end
      0, 2, 1, 0,        // delta: one right, no row change (past the end: nothing)
      0, 1,              // end of bitmap
  };
  const Picture p = read(makeBmp(s));
  EXPECT_EQ(p.bits(), 8);
  EXPECT_EQ(p.pixel(0, 2), rgb(255, 0, 0));
  EXPECT_EQ(p.pixel(2, 2), rgb(255, 0, 0));
  EXPECT_EQ(p.pixel(3, 2), kBlack);  // untouched
  EXPECT_EQ(p.pixel(0, 1), rgb(0, 255, 0));
  EXPECT_EQ(p.pixel(1, 1), rgb(0, 0, 255));
  EXPECT_EQ(p.pixel(2, 1), rgb(0, 255, 0));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(p.pixel(x, 0), rgb(0, 0, 255)) << x;
}

TEST(BmpReader, Rle4AlternatesNibbles) {
  BmpLayout s;
  s.width = 5;
  s.height = 2;
  s.bits = 4;
  s.compression = 2;
  s.palette = {0x000000, 0xFF0000, 0x00FF00};
  s.pixels = {
      5, 0x12,                    // 1 2 1 2 1
      0, 0,    0,    2,    2, 0,  // delta two right
      0, 3,    0x21, 0x20,        // absolute 2 1 2 (two bytes, already even)
      0, 1,
  };
  const Picture p = read(makeBmp(s));
  EXPECT_EQ(p.bits(), 4);
  EXPECT_EQ(p.pixel(0, 1), rgb(255, 0, 0));
  EXPECT_EQ(p.pixel(1, 1), rgb(0, 255, 0));
  EXPECT_EQ(p.pixel(4, 1), rgb(255, 0, 0));
  EXPECT_EQ(p.pixel(0, 0), kBlack);
  EXPECT_EQ(p.pixel(2, 0), rgb(0, 255, 0));
  EXPECT_EQ(p.pixel(3, 0), rgb(255, 0, 0));
  EXPECT_EQ(p.pixel(4, 0), rgb(0, 255, 0));
}

TEST(BmpReader, RejectsBadFilesWithAMessage) {
  auto message = [](const Bytes& b) { return test::messageOf([&] { read(b); }); };
  EXPECT_EQ(message({'B', 'M', 0, 0}), "Bitmap image is not valid.");
  BmpLayout s;
  s.width = 0;
  s.height = 1;
  s.pixels = {0, 0, 0, 0};
  EXPECT_EQ(message(makeBmp(s)), "Bitmap image is not valid.");
  s.width = 1;
  s.bits = 7;
  EXPECT_EQ(message(makeBmp(s)), "Bitmap image is not valid.");
  s.bits = 24;
  s.compression = 4;  // embedded JPEG
  EXPECT_EQ(message(makeBmp(s)), "Bitmap image format is not supported.");
  s.compression = 0;
  s.width = 60000;
  s.height = 60000;
  EXPECT_EQ(message(makeBmp(s)), "Bitmap: pixel data past the end of the file");
}

TEST(BmpReader, FilesCutShortFail) {
  const std::string cut = "Bitmap: pixel data past the end of the file";
  // 3 x 2 at 8 bits: rows of 4 bytes; the last row may lack its padding.
  BmpLayout s;
  s.width = 3;
  s.height = 2;
  s.bits = 8;
  s.palette = {0x000000, 0xFFFFFF};
  s.pixels = {0, 1, 0, 0, 1, 0, 1, 0};
  const Bytes plain = makeBmp(s);
  const std::size_t pixelsAt = plain.size() - 8;
  test::expectCutsFail(plain, "bmp", pixelsAt, plain.size() - 1, cut);
  EXPECT_EQ(test::errorOf(Bytes(plain.begin(), plain.end() - 1), "bmp"), "");
  // A pixel data offset past the end of the file.
  Bytes far = plain;
  far[10] = 200;
  EXPECT_EQ(test::errorOf(far, "bmp"), cut);
  // RLE8: the data end before the end-of-bitmap code or inside a packet.
  s.compression = 1;
  s.pixels = {2, 1, 0, 0, 0, 3, 1, 0, 1, 0, 0, 1};
  const Bytes rle = makeBmp(s);
  test::expectCutsFail(rle, "bmp", rle.size() - 12, rle.size(), cut);
}

TEST(BmpReader, SampleSuiteDecodesAlike) {
  const Bitmap reference = test::loadSample("bmp/bits8.bmp").bitmap();
  EXPECT_EQ(reference.width(), 13);
  EXPECT_EQ(reference.height(), 7);
  for (const char* name : {"rle8.bmp", "rle8.rle", "core_header.bmp"})
    EXPECT_TRUE(test::loadSample(std::string("bmp/") + name).bitmap() == reference) << name;
  const Bitmap rgb24 = test::loadSample("bmp/bits24.bmp").bitmap();
  for (const char* name : {"top_down.bmp", "no_file_header.dib", "bits32.bmp"})
    EXPECT_TRUE(test::loadSample(std::string("bmp/") + name).bitmap() == rgb24) << name;
}

TEST(BmpReader, DamagedSamplesFailCleanlyOrLoad) {
  // Every sample loads whole; its first half (header and palette whole,
  // pixels cut) is refused with the reader's message.
  const auto all = test::samples({"bmp", "dib", "rle"});
  EXPECT_GE(all.size(), 11u);
  for (const auto& path : all) {
    const Picture p = loadPicture(path.string());
    EXPECT_GT(p.width(), 0) << path;
    const Bytes whole = test::fileBytes(path);
    const Bytes half(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() / 2));
    EXPECT_NE(test::errorOf(half, path.extension().string().substr(1)), "") << path;
  }
}

}  // namespace
}  // namespace lumora
