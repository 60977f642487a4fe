// ZSoft PCX (and the Word screen-capture variant): 1, 4, 8 and 24 bits,
// plain or run-length coded.
#include <algorithm>
#include <array>
#include <vector>

#include "imaging/byte_reader.h"
#include "imaging/decoders.h"
#include "imaging/palette.h"
#include "imaging/readers/readers.h"
#include "imaging/rgb_rows.h"

namespace lumora {

namespace {

constexpr const char* kStreamReadError = "Stream read error";
constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kPaletteTail = 769;  // marker byte 12 and 256 entries

// The standard 16-colour system palette, used by version 3 files.
constexpr std::array<Pixel, 16> kSystemPalette{{
    rgb(0, 0, 0),
    rgb(128, 0, 0),
    rgb(0, 128, 0),
    rgb(128, 128, 0),
    rgb(0, 0, 128),
    rgb(128, 0, 128),
    rgb(0, 128, 128),
    rgb(192, 192, 192),
    rgb(128, 128, 128),
    rgb(255, 0, 0),
    rgb(0, 255, 0),
    rgb(255, 255, 0),
    rgb(0, 0, 255),
    rgb(255, 0, 255),
    rgb(0, 255, 255),
    rgb(255, 255, 255),
}};

struct PcxHeader {
  int maker, version, encoding, bitsPerPixel;
  int xmin, ymin, xmax, ymax;
  std::array<Pixel, 16> palette;
  int planes, bytesPerLine, paletteInfo;
};

PcxHeader readHeader(ByteReader& r) {
  if (r.size() < kHeaderSize) throw PictureError(kStreamReadError);
  PcxHeader h{};
  h.maker = r.u8();
  h.version = r.u8();
  h.encoding = r.u8();
  h.bitsPerPixel = r.u8();
  h.xmin = r.u16le();
  h.ymin = r.u16le();
  h.xmax = r.u16le();
  h.ymax = r.u16le();
  r.skip(4);  // resolution
  for (Pixel& e : h.palette) {
    const int red = r.u8(), green = r.u8(), blue = r.u8();
    e = rgb(red, green, blue);
  }
  r.u8();  // reserved
  h.planes = r.u8();
  h.bytesPerLine = r.u16le();
  h.paletteInfo = r.u16le();
  r.seek(kHeaderSize);
  return h;
}

int pixelFormat(const PcxHeader& h) {
  struct Format {
    int bits, planes, format;
  };
  constexpr Format kFormats[] = {{1, 1, 1}, {1, 4, 4}, {8, 1, 8}, {8, 3, 24}};
  for (const Format& f : kFormats)
    if (f.bits == h.bitsPerPixel && f.planes == h.planes) return f.format;
  throw PictureError("PCX: wrong pixel format");
}

Palette greyRamp(int entries, int step) {
  Palette p;
  for (int i = 0; i < entries; ++i) p[std::size_t(i)] = rgb(i * step, i * step, i * step);
  return p;
}

// The first n entries of a table; the rest black.
Palette firstEntries(const Pixel* table, std::size_t n) {
  Palette p;
  for (std::size_t i = 0; i < n; ++i) p[i] = table[i];
  return p;
}

Palette palette(const PcxHeader& h, int format, std::span<const std::uint8_t> file) {
  if (h.version == 3 && format != 1) return firstEntries(kSystemPalette.data(), kSystemPalette.size());
  switch (format) {
    case 1: {
      const Pixel blackWhite[2] = {kBlack, kWhite};
      return firstEntries(blackWhite, 2);
    }
    case 4:
      if (h.paletteInfo == 2) return greyRamp(16, 16);
      return firstEntries(h.palette.data(), h.palette.size());
    default: {
      if (file.size() >= kPaletteTail && file[file.size() - kPaletteTail] == 12) {
        Palette p;
        const std::uint8_t* e = file.data() + file.size() - kPaletteTail + 1;
        for (std::size_t i = 0; i < 256; ++i) p[i] = rgb(e[3 * i], e[3 * i + 1], e[3 * i + 2]);
        return p;
      }
      if (h.paletteInfo == 2) return greyRamp(256, 1);
      return Palette();  // black
    }
  }
}

// One row of four bit planes (plane k holding bit k of each index) through
// the palette.
void mergePlanes(const std::uint8_t* line, std::size_t planeBytes, int width, const Palette& palette, Pixel* row) {
  const std::size_t pixels = std::min<std::size_t>(std::size_t(width), planeBytes * 8);
  for (std::size_t x = 0; x < pixels; ++x) {
    const int shift = 7 - int(x & 7);
    unsigned v = 0;
    for (std::size_t plane = 0; plane < 4; ++plane) v |= ((line[plane * planeBytes + x / 8] >> shift) & 1u) << plane;
    row[x] = palette[v];
  }
}

}  // namespace

Picture readPcx(const ReaderInput& in) {
  ByteReader r(in.data);
  const PcxHeader h = readHeader(r);
  if (h.maker != 10 && h.maker != 205) throw PictureError("Not a PCX or SCR file.");
  const int format = pixelFormat(h);

  Picture picture;
  const Palette colours = format != 24 ? palette(h, format, in.data) : Palette();

  const int width = h.xmax - h.xmin + 1;
  const int height = h.ymax - h.ymin + 1;
  const std::size_t lineBytes = std::size_t(h.planes) * std::size_t(h.bytesPerLine);

  // An 8-bit picture keeps its palette's place (769 bytes) behind the pixel
  // data; a file too short to hold it has lost its end.
  if (format == 8 && in.data.size() < kHeaderSize + kPaletteTail) throw PictureError(kStreamReadError);
  std::span<const std::uint8_t> data = r.rest();
  if (format == 8) data = data.first(data.size() - kPaletteTail);
  const std::size_t rows = std::size_t(std::max(height, 0));
  const std::size_t total = lineBytes * rows;
  // Plain data must hold every line; packed data can grow at most 63 bytes
  // for every 2 it takes. A header promising more (lines, or rows wider than
  // their lines) fails as a short read before anything is allocated.
  const std::size_t mostUnpacked = h.encoding == 1 ? data.size() / 2 * 63 + 63 : data.size();
  const std::size_t rowBytes = (std::size_t(std::max(width, 0)) * std::size_t(format) + 7) / 8;
  if (total > mostUnpacked || rows * std::max<std::size_t>(rowBytes / 2, 1) > mostUnpacked * 8)
    throw PictureError(kStreamReadError);
  // Columns a line does not reach are colour 0 (black in 24 bits).
  picture.allocate(width, height, format, colours[0]);

  std::vector<std::uint8_t> unpacked;
  if (h.encoding == 1) {
    unpacked.resize(total);
    ByteReader packed(data);
    // Fewer bytes than the lines need: the packed data ran out.
    if (decodePcxRle(packed, unpacked) < total) throw PictureError(kStreamReadError);
    data = unpacked;
  }

  const std::size_t planeBytes = std::size_t(h.bytesPerLine);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* line = data.data() + std::size_t(y) * lineBytes;
    Pixel* row = picture.row(y);
    switch (format) {
      case 1:  // every column, also of a last partial byte
        indexedToPixels(line, 1, colours, row, std::min(lineBytes * 8, std::size_t(width)));
        break;
      case 8:
        indexedToPixels(line, 8, colours, row, std::min(lineBytes, std::size_t(width)));
        break;
      case 24:
        planesToPixels(line, line + planeBytes, line + 2 * planeBytes, row, std::min(planeBytes, std::size_t(width)));
        break;
      default:
        mergePlanes(line, planeBytes, width, colours, row);
        break;
    }
  }
  return picture;
}

}  // namespace lumora
