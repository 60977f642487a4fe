// ZSoft PCX (and the Word screen-capture variant): 1, 4, 8 and 24 bits,
// plain or run-length coded.
#include <algorithm>
#include <array>
#include <vector>

#include "imaging/byte_reader.h"
#include "imaging/decoders.h"
#include "imaging/readers/readers.h"

namespace lumora {

namespace {

constexpr const char* kStreamReadError = "Stream read error";
constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kPaletteTail = 769;  // marker byte 12 and 256 entries

// The standard 16-colour system palette, used by version 3 files.
constexpr std::array<PaletteEntry, 16> kSystemPalette{{
    {0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0},
    {0, 0, 128}, {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};

struct PcxHeader {
  int maker, version, encoding, bitsPerPixel;
  int xmin, ymin, xmax, ymax;
  std::array<PaletteEntry, 16> palette;
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
  for (PaletteEntry& e : h.palette) {
    e.r = r.u8();
    e.g = r.u8();
    e.b = r.u8();
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

std::vector<PaletteEntry> greyRamp(int entries, int step) {
  std::vector<PaletteEntry> p(static_cast<std::size_t>(entries));
  for (int i = 0; i < entries; ++i) {
    const auto v = std::uint8_t(i * step);
    p[std::size_t(i)] = {v, v, v};
  }
  return p;
}

std::vector<PaletteEntry> palette(const PcxHeader& h, int format, std::span<const std::uint8_t> file) {
  if (h.version == 3 && format != 1) return {kSystemPalette.begin(), kSystemPalette.end()};
  switch (format) {
    case 1: return {{0, 0, 0}, {255, 255, 255}};
    case 4:
      if (h.paletteInfo == 2) return greyRamp(16, 16);
      return {h.palette.begin(), h.palette.end()};
    default: {
      if (file.size() >= kPaletteTail && file[file.size() - kPaletteTail] == 12) {
        std::vector<PaletteEntry> p(256);
        const std::uint8_t* e = file.data() + file.size() - kPaletteTail + 1;
        for (std::size_t i = 0; i < p.size(); ++i) p[i] = {e[3 * i], e[3 * i + 1], e[3 * i + 2]};
        return p;
      }
      if (h.paletteInfo == 2) return greyRamp(256, 1);
      return std::vector<PaletteEntry>(256);  // black
    }
  }
}

// One row of four bit planes into 4-bit pixels, the first in the high nibble.
void mergePlanes(const std::uint8_t* line, std::size_t planeBytes, int width, std::uint8_t* row) {
  const std::size_t pixels = std::min<std::size_t>(std::size_t(width), planeBytes * 8);
  for (std::size_t x = 0; x < pixels; ++x) {
    const int shift = 7 - int(x & 7);
    unsigned v = 0;
    for (std::size_t plane = 0; plane < 4; ++plane) v |= ((line[plane * planeBytes + x / 8] >> shift) & 1u) << plane;
    row[x / 2] |= std::uint8_t((x & 1) ? v : v << 4);
  }
}

}  // namespace

Picture readPcx(const ReaderInput& in) {
  ByteReader r(in.data);
  const PcxHeader h = readHeader(r);
  if (h.maker != 10 && h.maker != 205) throw PictureError("Not a PCX or SCR file.");
  const int format = pixelFormat(h);

  Picture picture;
  if (format != 24) picture.palette() = palette(h, format, in.data);

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
  picture.allocate(width, height, format);

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
    std::uint8_t* row = picture.row(y);
    switch (format) {
      case 1:  // every column, also of a last partial byte
        std::copy_n(line, std::min(lineBytes, (std::size_t(width) + 7) / 8), row);
        break;
      case 8:
        std::copy_n(line, std::min(lineBytes, std::size_t(width)), row);
        break;
      case 24:
        for (std::size_t x = 0; x < std::min(planeBytes, std::size_t(width)); ++x) {
          row[3 * x] = line[2 * planeBytes + x];
          row[3 * x + 1] = line[planeBytes + x];
          row[3 * x + 2] = line[x];
        }
        break;
      default:
        mergePlanes(line, planeBytes, width, row);
        break;
    }
  }
  return picture;
}

}  // namespace lumora
