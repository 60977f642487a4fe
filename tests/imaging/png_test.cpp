// PNG reader: every colour type and bit depth, interlaced files, palettes
// and grey with transparency, each compared pixel by pixel with the samples
// libpng wrote; damaged files fail with a message naming PNG.
#include <gtest/gtest.h>

#include <algorithm>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "imaging/reader_test_util.h"
#include "imaging/readers/readers.h"
#include "imaging/test_encoders.h"

namespace lumora {
namespace {

using test::PngLayout;
using test::Samples;

int channelsOf(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
      return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    default:
      return 4;
  }
}

std::size_t rowBytesOf(const PngLayout& s) {
  return (std::size_t(s.width) * channelsOf(s.colourType) * s.depth + 7) / 8;
}

// Sample k of row y, as stored (1 to 16 bits, most significant first).
unsigned sampleAt(const PngLayout& s, const Samples& rows, int y, std::size_t k) {
  const std::uint8_t* row = &rows[std::size_t(y) * rowBytesOf(s)];
  if (s.depth == 16) return (unsigned(row[2 * k]) << 8) | row[2 * k + 1];
  if (s.depth == 8) return row[k];
  const std::size_t bit = k * std::size_t(s.depth);
  return (row[bit / 8] >> (8 - s.depth - bit % 8)) & ((1u << s.depth) - 1);
}

// A sample as 8 bits: 16-bit samples keep their high byte, low depths are
// scaled to the full range.
unsigned to8(unsigned v, int depth) {
  if (depth == 16) return v >> 8;
  return v * 255 / ((1u << depth) - 1);
}

unsigned over(unsigned c, unsigned a) { return (c * a + 127) / 255; }

// The colour a viewer shows for pixel (x, y): alpha composed over black.
Pixel expected(const PngLayout& s, const Samples& rows, int x, int y) {
  const int n = channelsOf(s.colourType);
  auto at = [&](int c) { return sampleAt(s, rows, y, std::size_t(x) * n + c); };
  switch (s.colourType) {
    case PNG_COLOR_TYPE_PALETTE: {
      const unsigned i = at(0);
      const png_color c = s.palette[i];
      const unsigned a = i < s.paletteAlpha.size() ? s.paletteAlpha[i] : 255;
      return rgb(int(over(c.red, a)), int(over(c.green, a)), int(over(c.blue, a)));
    }
    case PNG_COLOR_TYPE_GRAY: {
      const int g = int(to8(at(0), s.depth));
      return rgb(g, g, g);
    }
    case PNG_COLOR_TYPE_GRAY_ALPHA: {
      const int g = int(over(to8(at(0), s.depth), to8(at(1), s.depth)));
      return rgb(g, g, g);
    }
    case PNG_COLOR_TYPE_RGB:
      return rgb(int(to8(at(0), s.depth)), int(to8(at(1), s.depth)), int(to8(at(2), s.depth)));
    default: {
      const unsigned a = to8(at(3), s.depth);
      return rgb(int(over(to8(at(0), s.depth), a)), int(over(to8(at(1), s.depth), a)),
                 int(over(to8(at(2), s.depth), a)));
    }
  }
}

Samples randomRows(const PngLayout& s, unsigned seed) {
  std::mt19937 random(seed);
  Samples rows(rowBytesOf(s) * std::size_t(s.height));
  for (auto& b : rows) b = std::uint8_t(random());
  if (s.colourType == PNG_COLOR_TYPE_PALETTE && s.depth == 8)
    for (auto& b : rows) b = std::uint8_t(b % s.palette.size());  // only indices the palette has
  return rows;
}

Picture readBytes(const std::vector<std::uint8_t>& b) { return readPng(ReaderInput{b, {}}); }

void expectDecodes(const PngLayout& s, unsigned seed) {
  const Samples rows = randomRows(s, seed);
  const Picture p = readBytes(test::encodePng(s, rows));
  const std::string what = "type " + std::to_string(s.colourType) + " depth " + std::to_string(s.depth) +
                           (s.interlaced ? " interlaced" : "");
  ASSERT_EQ(p.width(), s.width) << what;
  ASSERT_EQ(p.height(), s.height) << what;
  EXPECT_EQ(p.bits(), 24);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      ASSERT_EQ(p.pixel(x, y), expected(s, rows, x, y)) << what << " at " << x << "," << y;
}

std::vector<png_color> palette(int n) {
  std::vector<png_color> p(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) p[std::size_t(i)] = {png_byte(i * 7 + 3), png_byte(255 - i), png_byte(i * 13)};
  return p;
}

TEST(PngReader, EveryColourTypeAndDepthInterlacedOrNot) {
  struct Kind {
    int colourType;
    std::vector<int> depths;
  } kinds[] = {{PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}},
               {PNG_COLOR_TYPE_RGB, {8, 16}},
               {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
               {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}},
               {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}}};
  unsigned seed = 1;
  for (const Kind& k : kinds)
    for (int depth : k.depths)
      for (bool interlaced : {false, true}) {
        PngLayout s;
        s.width = 301;  // not a multiple of 8; wider than the widest red/blue exchange step
        s.height = 13;
        s.colourType = k.colourType;
        s.depth = depth;
        s.interlaced = interlaced;
        if (k.colourType == PNG_COLOR_TYPE_PALETTE) s.palette = palette(1 << std::min(depth, 6));
        if (k.colourType == PNG_COLOR_TYPE_PALETTE && depth == 8) s.palette = palette(200);
        expectDecodes(s, seed++);
      }
}

TEST(PngReader, PaletteTransparencyComposedOverBlack) {
  PngLayout s;
  s.width = 16;
  s.height = 4;
  s.colourType = PNG_COLOR_TYPE_PALETTE;
  s.depth = 4;
  s.palette = palette(16);
  s.paletteAlpha = {0, 128, 255, 64};  // entries past the list are opaque
  for (bool interlaced : {false, true}) {
    s.interlaced = interlaced;
    expectDecodes(s, 7);
  }
  // A fully transparent entry is black, whatever its colour.
  Samples rows(8 * 4, 0x00);
  const Picture p = readBytes(test::encodePng(s, rows));
  EXPECT_EQ(p.pixel(3, 2), kBlack);
}

TEST(PngReader, GreyWithATransparentValue) {
  // A tRNS chunk naming one grey value: that value is transparent.
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<std::uint8_t> out;
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* o = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
        o->insert(o->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, 3, 1, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_color_16 transparent{};
  transparent.gray = 200;
  png_set_tRNS(png, info, nullptr, 0, &transparent);
  png_write_info(png, info);
  png_byte row[3] = {10, 200, 250};
  png_write_row(png, row);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  const Picture p = readBytes(out);
  EXPECT_EQ(p.pixel(0, 0), rgb(10, 10, 10));
  EXPECT_EQ(p.pixel(1, 0), kBlack);
  EXPECT_EQ(p.pixel(2, 0), rgb(250, 250, 250));
}

TEST(PngReader, DamagedFilesFailWithAMessageNamingPng) {
  PngLayout s;
  s.width = 40;
  s.height = 30;
  const std::vector<std::uint8_t> good = test::encodePng(s, randomRows(s, 3));
  EXPECT_EQ(test::errorOf({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}, "png"), "Not a valid PNG file.");
  EXPECT_EQ(test::errorOf({}, "png"), "Not a valid PNG file.");
  // Cut inside the header and inside the data (a file that lacks only its
  // end chunk has every pixel, and loads).
  for (std::size_t cut : {std::size_t(12), std::size_t(30), good.size() / 2, good.size() - 30}) {
    const std::string message = test::errorOf(test::Bytes(good.begin(), good.begin() + std::ptrdiff_t(cut)), "png");
    EXPECT_EQ(message.rfind("PNG: ", 0), 0u) << "cut at " << cut << ": " << message;
  }
  // A damaged chunk (its checksum no longer matches).
  test::Bytes flipped = good;
  flipped[20] ^= 0x40;
  EXPECT_EQ(test::errorOf(flipped, "png").rfind("PNG: ", 0), 0u);
  // Only the picture data's checksum wrong (the data whole): the picture
  // loads, as in other viewers; the header's checksum is still checked.
  test::Bytes badSum = good;
  const auto idat = std::search(badSum.begin(), badSum.end(), std::begin("IDAT"), std::end("IDAT") - 1);
  ASSERT_NE(idat, badSum.end());
  const std::size_t length = (std::size_t(idat[-4]) << 24) | (std::size_t(idat[-3]) << 16) |
                             (std::size_t(idat[-2]) << 8) | std::size_t(idat[-1]);
  idat[std::ptrdiff_t(4 + length)] ^= 0x01;
  ASSERT_EQ(test::errorOf(badSum, "png"), "");
  const Picture loaded = test::decode(badSum, "png"), whole = test::decode(good, "png");
  EXPECT_TRUE(loaded.bitmap() == whole.bitmap());
  // Garbage after the signature, of every length up to a header's.
  test::Bytes noise(good.begin(), good.begin() + 8);
  for (int i = 0; i < 40; ++i) {
    noise.push_back(std::uint8_t(i * 31));
    EXPECT_FALSE(test::errorOf(noise, "png").empty());
  }
}

TEST(PngReader, AHeaderAskingForTooMuchMemoryIsRefusedBeforeAllocating) {
  test::FileBuilder f;
  f.raw({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
  f.be32(13);
  const std::size_t chunk = f.size();
  f.text("IHDR").be32(60000).be32(60000).raw({8, 2, 0, 0, 0});
  f.be32(std::uint32_t(crc32(0, f.bytes.data() + chunk, 17)));
  f.be32(0).text("IDAT").be32(std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>("IDAT"), 4)));
  EXPECT_EQ(test::errorOf(f.bytes, "png"), "Picture too large.");
}

TEST(PngReader, LoaderTakesTheExtensionInAnyCase) {
  PngLayout s;
  s.width = 5;
  s.height = 3;
  const Samples rows = randomRows(s, 9);
  const auto bytes = test::encodePng(s, rows);
  for (const char* ext : {"png", "PNG", "Png"})
    EXPECT_EQ(test::decode(bytes, ext).pixel(4, 2), expected(s, rows, 4, 2));
}

}  // namespace
}  // namespace lumora
