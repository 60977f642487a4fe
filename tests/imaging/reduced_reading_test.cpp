// Pictures to be shown much larger than the screen, reduced while they are
// read: the factor, the block averages, and the PNG and WebP readers
// holding the reduced picture only (its full size kept for the layout).
#include <gtest/gtest.h>

#include <webp/encode.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/reader_test_util.h"
#include "imaging/row_reducer.h"
#include "imaging/test_encoders.h"

namespace lumora {
namespace {

using Bytes = std::vector<std::uint8_t>;

Picture decodeToFit(const Bytes& file, const std::string& ext, int fitWidth, int fitHeight) {
  LoadOptions options;
  options.fitWidth = fitWidth;
  options.fitHeight = fitHeight;
  return decodePicture(file, ext, {}, options);
}

TEST(ReducedReading, FactorKeepsTheScreenCoveredAndTheReducedPictureSmall) {
  struct Case {
    std::int64_t width, height;
    int fitWidth, fitHeight, factor;
  } cases[] = {
      {16384, 16383, 1920, 1080, 8},  // the largest factor still covering the screen both ways
      {3839, 5000, 1920, 1080, 1},    // less than twice the screen's width
      {100000, 2000, 1920, 1080, 2},  // 200 M pixels: reduced to at most 64 M
      {16384, 16383, 0, 0, 1},        // no screen: full size
      {640, 480, 1920, 1080, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(reductionFactor(c.width, c.height, c.fitWidth, c.fitHeight), c.factor) << c.width << "x" << c.height;
}

TEST(ReducedReading, BlocksAreAveragedWithTheLastPartialOnes) {
  // 5 x 3 by 2: blocks of 2 x 2, 1 x 2, 2 x 1 and 1 x 1 pixels.
  const std::vector<Pixel> rows[] = {
      {rgb(0, 0, 0), rgb(10, 20, 30), rgb(100, 0, 0), rgb(101, 0, 0), rgb(7, 7, 7)},
      {rgb(20, 40, 60), rgb(30, 60, 90), rgb(102, 0, 0), rgb(104, 0, 0), rgb(9, 9, 9)},
      {rgb(1, 2, 3), rgb(3, 4, 5), rgb(0, 0, 0), rgb(255, 255, 255), rgb(50, 60, 70)},
  };
  Picture out;
  RowReducer reducer(out, 5, 3, 2, 24);
  for (const auto& row : rows) reducer.add(row.data());
  ASSERT_EQ(std::pair(out.width(), out.height()), std::pair(3, 2));
  EXPECT_EQ(std::pair(out.fullWidth(), out.fullHeight()), std::pair(5, 3));
  const Pixel want[2][3] = {{rgb(15, 30, 45), rgb(102, 0, 0), rgb(8, 8, 8)},
                            {rgb(2, 3, 4), rgb(128, 128, 128), rgb(50, 60, 70)}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(out.pixel(x, y), want[y][x]) << x << "," << y;
}

TEST(ReducedReading, PngIsReducedWhileReadInterlacedOrNot) {
  // 64 x 48, each pair of rows alike (the interlaced reading takes the odd
  // row of a pair for both), reduced by 4 for a 16 x 12 screen.
  constexpr int kW = 64, kH = 48;
  test::Samples samples = test::quarters(kW, kH);
  for (int y = 0; y < kH; y += 2)
    for (int x = 0; x < kW; ++x) {
      std::uint8_t* p = &samples[(std::size_t(y) * kW + x) * 3];
      p[0] = std::uint8_t(x * 4), p[1] = std::uint8_t(y * 5);
      std::copy(p, p + 3, p + kW * 3);
    }
  for (bool interlaced : {false, true}) {
    test::PngLayout layout;
    layout.width = kW, layout.height = kH, layout.interlaced = interlaced;
    const Bytes file = test::encodePng(layout, samples);
    const Picture full = test::decode(file, "png");
    const Picture reduced = decodeToFit(file, "png", 16, 12);
    ASSERT_EQ(std::pair(reduced.width(), reduced.height()), std::pair(16, 12));
    EXPECT_EQ(std::pair(reduced.fullWidth(), reduced.fullHeight()), std::pair(kW, kH));
    Picture expected;
    RowReducer reducer(expected, kW, kH, 4, 24);
    for (int y = 0; y < kH; ++y) reducer.add(full.row(y));
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x)
        ASSERT_EQ(reduced.pixel(x, y), expected.pixel(x, y)) << interlaced << " at " << x << "," << y;
  }
}

// A RIFF chunk, padded to an even length.
void chunk(test::FileBuilder& f, const char* kind, const Bytes& body) {
  f.text(kind).le32(std::uint32_t(body.size())).raw(body);
  if (body.size() % 2) f.u8(0);
}

// An animation of one frame (the VP8L data `frame`, w x h at x, y) on a
// canvas of side x side.
Bytes animation(int side, const Bytes& frame, int x, int y, int w, int h) {
  auto u24 = [](test::FileBuilder& f, unsigned v) { f.u8(v & 0xFF).u8((v >> 8) & 0xFF).u8(v >> 16); };
  test::FileBuilder vp8x, anim, anmf, body;
  vp8x.raw({0x02, 0, 0, 0});
  u24(vp8x, side - 1), u24(vp8x, side - 1);
  anim.le32(0xFF000000).le16(0);
  u24(anmf, x / 2), u24(anmf, y / 2), u24(anmf, w - 1), u24(anmf, h - 1), u24(anmf, 100);
  anmf.u8(0);
  chunk(anmf, "VP8L", frame);
  body.text("WEBP");
  chunk(body, "VP8X", vp8x.bytes);
  chunk(body, "ANIM", anim.bytes);
  chunk(body, "ANMF", anmf.bytes);
  test::FileBuilder file;
  file.text("RIFF").le32(std::uint32_t(body.size())).raw(body.bytes);
  return file.bytes;
}

// The VP8L data of a w x h lossless picture of one colour.
Bytes losslessData(int w, int h, const std::uint8_t (&rgba)[4]) {
  Bytes pixels(std::size_t(w) * h * 4);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = rgba[i % 4];
  std::uint8_t* out = nullptr;
  const std::size_t size = WebPEncodeLosslessRGBA(pixels.data(), w, h, w * 4, &out);
  Bytes file(out, out + size);
  WebPFree(out);
  return Bytes(file.begin() + 20, file.end());  // RIFF header and the chunk's own header
}

TEST(ReducedReading, WebpAnimationOnAHugeCanvasIsReducedAroundItsFirstFrame) {
  // 11500 x 11500 canvas (a full-size decoder holds two of 529 MB), a
  // 200 x 100 frame at (1000, 2000), for a 1920 x 1080 screen: factor 5.
  const Bytes file = animation(11500, losslessData(200, 100, {200, 30, 60, 255}), 1000, 2000, 200, 100);
  const Picture p = decodeToFit(file, "webp", 1920, 1080);
  ASSERT_EQ(std::pair(p.width(), p.height()), std::pair(2300, 2300));
  EXPECT_EQ(std::pair(p.fullWidth(), p.fullHeight()), std::pair(11500, 11500));
  EXPECT_EQ(p.pixel(200, 400), rgb(200, 30, 60));
  EXPECT_EQ(p.pixel(239, 419), rgb(200, 30, 60));
  EXPECT_EQ(p.pixel(199, 400), kBlack);
  EXPECT_EQ(p.pixel(240, 420), kBlack);
  EXPECT_EQ(p.pixel(2299, 2299), kBlack);
}

TEST(ReducedReading, WebpStillIsScaledAndALosslessOneTooLargeToHoldIsRefused) {
  constexpr int kW = 200, kH = 100;
  Bytes rgba(std::size_t(kW) * kH * 4);
  for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = std::uint8_t(i % 4 == 3 ? 255 : (i % 4) * 100);
  std::uint8_t* out = nullptr;
  const std::size_t size = WebPEncodeRGBA(rgba.data(), kW, kH, kW * 4, 90, &out);
  const Bytes lossy(out, out + size);
  WebPFree(out);
  const Picture p = decodeToFit(lossy, "webp", 50, 25);
  ASSERT_EQ(std::pair(p.width(), p.height()), std::pair(50, 25));
  EXPECT_EQ(std::pair(p.fullWidth(), p.fullHeight()), std::pair(kW, kH));
  EXPECT_NEAR(greenOf(p.pixel(25, 12)), 100, 4);
  EXPECT_NEAR(blueOf(p.pixel(25, 12)), 200, 4);

  // A lossless header of 16000 x 16000: libwebp would hold 1 GB decoding it.
  test::FileBuilder vp8l;
  const std::uint32_t sides = (16000 - 1) | ((16000 - 1) << 14);
  vp8l.u8(0x2F).le32(sides);
  test::FileBuilder file;
  file.text("RIFF").le32(4 + 8 + 5 + 1).text("WEBP");
  chunk(file, "VP8L", vp8l.bytes);
  EXPECT_EQ(test::messageOf([&] { decodeToFit(file.bytes, "webp", 1920, 1080); }), "Picture too large.");
}

}  // namespace
}  // namespace lumora
