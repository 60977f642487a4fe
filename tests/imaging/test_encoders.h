// Pictures for the reader tests, written by the libraries' own encoders:
// JPEG through libjpeg (with an APP1 block of the test's choosing) and PNG
// through libpng, from rows of 8-bit samples.
#pragma once

#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "imaging/jpeg_writer.h"

namespace lumora::test {

using Samples = std::vector<std::uint8_t>;

// A width x height picture of red, green, blue samples whose four quarters
// differ: red top left, green top right, blue bottom left, white bottom
// right.
inline Samples quarters(int width, int height) {
  Samples rgb(std::size_t(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2, bottom = y >= height / 2;
      static constexpr std::uint8_t kColours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
      const std::uint8_t* c = kColours[(bottom ? 2 : 0) + (right ? 1 : 0)];
      std::copy(c, c + 3, &rgb[(std::size_t(y) * width + x) * 3]);
    }
  return rgb;
}

// A JPEG of `components` samples per pixel (1 grey, 3 RGB); `app1`, when
// not empty, is written as an APP1 block right after the start of the file.
inline std::vector<std::uint8_t> encodeJpeg(const Samples& samples, int width, int height, int components = 3,
                                            const std::vector<std::uint8_t>& app1 = {}) {
  const JpegSettings settings{components, components == 1 ? JCS_GRAYSCALE : JCS_RGB, 95, false, app1};
  const std::size_t rowSize = std::size_t(width) * std::size_t(components);
  return writeJpeg(width, height, settings,
                   [&](int y, std::uint8_t* row) { std::copy_n(&samples[std::size_t(y) * rowSize], rowSize, row); });
}

// An Exif APP1 payload whose first directory holds the orientation tag,
// in either byte order.
inline std::vector<std::uint8_t> exifBlock(unsigned orientation, bool bigEndian = true) {
  std::vector<std::uint8_t> b = {'E', 'x', 'i', 'f', 0, 0};
  auto u16 = [&](unsigned v) {
    if (bigEndian)
      b.insert(b.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
    else
      b.insert(b.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
  };
  auto u32 = [&](std::uint32_t v) {
    if (bigEndian)
      u16(v >> 16), u16(v & 0xFFFF);
    else
      u16(v & 0xFFFF), u16(v >> 16);
  };
  b.push_back(bigEndian ? 'M' : 'I');
  b.push_back(bigEndian ? 'M' : 'I');
  u16(42);
  u32(8);
  u16(2);  // two entries: a resolution unit, then the orientation
  u16(0x0128), u16(3), u32(1), u16(2), u16(0);
  u16(0x0112), u16(3), u32(1), u16(orientation), u16(0);
  u32(0);
  return b;
}

// Options of a PNG written by libpng from 8- or 16-bit samples (16-bit
// samples given big-endian, as the file stores them).
struct PngLayout {
  int width = 0, height = 0;
  int colourType = PNG_COLOR_TYPE_RGB;
  int depth = 8;
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<std::uint8_t> paletteAlpha;  // tRNS of a palette file
};

inline std::vector<std::uint8_t> encodePng(const PngLayout& layout, const Samples& packedRows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<std::uint8_t> out;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng could not write the test file");
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* o = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
        o->insert(o->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(layout.width), png_uint_32(layout.height), layout.depth, layout.colourType,
               layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!layout.palette.empty()) png_set_PLTE(png, info, layout.palette.data(), int(layout.palette.size()));
  if (!layout.paletteAlpha.empty())
    png_set_tRNS(png, info, layout.paletteAlpha.data(), int(layout.paletteAlpha.size()), nullptr);
  png_write_info(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<png_bytep> rows(std::size_t(layout.height));
  for (int y = 0; y < layout.height; ++y)
    rows[std::size_t(y)] = const_cast<png_bytep>(&packedRows[std::size_t(y) * rowBytes]);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace lumora::test
