// TIFF reader: the first image of the file, strip by strip, uncompressed,
// LZW, PackBits or Deflate, in either byte order; bilevel, grey, palette,
// RGB(A), CMYK, CIE Lab and (unconverted) YCbCr samples; turned upright by
// its orientation tag.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "imaging/byte_reader.h"
#include "imaging/decoders.h"
#include "imaging/inflate.h"
#include "imaging/orientation.h"
#include "imaging/palette.h"
#include "imaging/readers/color_conversion.h"
#include "imaging/readers/readers.h"
#include "imaging/rgb_rows.h"

namespace lumora {

namespace {

constexpr const char* kInvalid = "Invalid TIFF file.";
constexpr const char* kDirectoryCut = "TIFF: directory past the end of the file";
constexpr const char* kStripCut = "TIFF: strip past the end of the file";
constexpr const char* kDeflateDamaged = "TIFF: Deflate strip damaged";

enum Tag : std::uint16_t {
  kImageWidth = 256,
  kImageLength = 257,
  kBitsPerSample = 258,
  kCompression = 259,
  kPhotometric = 262,
  kStripOffsets = 273,
  kOrientation = 274,
  kSamplesPerPixel = 277,
  kRowsPerStrip = 278,
  kStripByteCounts = 279,
  kPredictor = 317,
  kColorMap = 320,
  kExtraSamples = 338,
};

enum Compression : std::uint32_t { kNone = 1, kLzw = 5, kDeflate = 8, kPackBits = 32773, kOldDeflate = 32946 };

bool isDeflate(std::uint32_t compression) { return compression == kDeflate || compression == kOldDeflate; }

struct Entry {
  std::uint16_t tag = 0, type = 0;
  std::uint32_t count = 0;
  std::uint32_t value = 0;             // the value field in the machine's order
  std::uint8_t raw[4] = {0, 0, 0, 0};  // the value field as stored
};

unsigned typeSize(unsigned type) {
  switch (type) {
    case 1:
      return 1;
    case 3:
    case 8:
      return 2;
    default:
      return 4;
  }
}

// The first directory of the file, its entries found by binary search on
// the tag (the format keeps them sorted).
class Directory {
 public:
  Directory(std::span<const std::uint8_t> data, bool bigEndian, std::size_t offset) : data_(data), big_(bigEndian) {
    ByteReader in(data);
    if (offset > data.size() || data.size() - offset < 2) throw PictureError(kDirectoryCut);
    in.seek(offset);
    const std::size_t count = u16(in);
    // Every entry the count announces must be in the file.
    if (count > (data.size() - offset - 2) / 12) throw PictureError(kDirectoryCut);
    entries_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      Entry e;
      e.tag = u16(in);
      e.type = u16(in);
      e.count = u32(in);
      in.read(e.raw, 4);
      if (!big_) {
        e.value = std::uint32_t(e.raw[0]) | (std::uint32_t(e.raw[1]) << 8) | (std::uint32_t(e.raw[2]) << 16) |
                  (std::uint32_t(e.raw[3]) << 24);
      } else if ((e.type == 3 || e.type == 8) && e.count < 2) {
        e.value = (std::uint32_t(e.raw[0]) << 8) | e.raw[1];
      } else if (e.type == 3 || e.type == 8 || e.type == 4 || e.type == 9) {
        e.value = (std::uint32_t(e.raw[0]) << 24) | (std::uint32_t(e.raw[1]) << 16) | (std::uint32_t(e.raw[2]) << 8) |
                  e.raw[3];
      }
      entries_.push_back(e);
    }
  }

  const Entry* find(std::uint16_t tag) const {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), tag,
                                     [](const Entry& e, std::uint16_t t) { return e.tag < t; });
    return it != entries_.end() && it->tag == tag ? &*it : nullptr;
  }

  // One number: the default when missing, the value field when the count is
  // not 1, else the value by the entry's type.
  std::uint32_t number(std::uint16_t tag, std::uint32_t fallback) const {
    const Entry* e = find(tag);
    if (!e) return fallback;
    if (e->count != 1) return e->value;
    switch (e->type) {
      case 1:
        return e->raw[0];
      case 3:
      case 8:
        return e->value & 0xFFFF;
      case 4:
      case 9:
        return e->value;
      default:
        return fallback;
    }
  }

  // The values of a tag, each by the tag's own type. Values that fit in the
  // value field are stored there; a list running past the end of the file
  // is cut there, or fails with `cutError` when one is given.
  std::vector<std::uint32_t> list(std::uint16_t tag, const char* cutError = nullptr) const {
    const Entry* e = find(tag);
    if (!e) return {};
    if (e->count == 1)
      return {e->type == 1 ? e->raw[0] : (e->type == 3 || e->type == 8) ? e->value & 0xFFFF : e->value};
    const unsigned size = typeSize(e->type);
    std::span<const std::uint8_t> bytes;
    std::size_t n = e->count;
    if (std::uint64_t(e->count) * size <= 4) {
      bytes = std::span<const std::uint8_t>(e->raw, 4);
    } else {
      const std::size_t offset = e->value;
      const std::uint64_t length = std::uint64_t(e->count) * size;
      if (cutError && (offset > data_.size() || length > data_.size() - offset)) throw PictureError(cutError);
      if (offset >= data_.size()) return {};
      bytes = data_.subspan(offset);
      n = std::min<std::size_t>(n, bytes.size() / size);
    }
    std::vector<std::uint32_t> out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = read(bytes.data() + i * size, size);
    return out;
  }

  bool bigEndian() const { return big_; }

 private:
  std::uint16_t u16(ByteReader& in) const { return big_ ? in.u16be() : in.u16le(); }
  std::uint32_t u32(ByteReader& in) const { return big_ ? in.u32be() : in.u32le(); }
  std::uint32_t read(const std::uint8_t* p, unsigned size) const {
    std::uint32_t v = 0;
    for (unsigned i = 0; i < size; ++i) v = big_ ? (v << 8) | p[i] : v | (std::uint32_t(p[i]) << (8 * i));
    return v;
  }

  std::span<const std::uint8_t> data_;
  bool big_;
  std::vector<Entry> entries_;
};

// How the samples of one pixel become the bitmap's pixel.
// (The pixel formats in brackets are the ones counted for the file.)
enum class Kind {
  Indexed,  // 1, 4 or 8 bits through the palette
  Grey,     // 8 or 16-bit first sample of each pixel through the 8-bit palette
  Rgb,      // (24 bits)
  Rgba,     // (32 bits) the fourth sample is not shown
  Copy3,    // three samples shown unconverted (YCbCr), the first as blue (24 bits)
  Lab,
  Cmyk,
  Raw,  // anything else: the row's bytes taken as 32-bit pixels, alpha not shown (32 bits)
};

struct Layout {
  Kind kind = Kind::Raw;
  int bits = 32;
  unsigned sampleBytes = 1;  // 1 or 2 for the per-sample kinds
  unsigned pixelBytes = 1;   // samples per pixel x sampleBytes
  unsigned high = 0;         // offset of a 16-bit sample's high byte
  bool big = false;
};

Layout chooseLayout(std::uint32_t bps, std::uint32_t spp, std::int64_t colourSamples, std::uint32_t p, bool big) {
  Layout l;
  l.big = big;
  const bool bytesPerSample = bps == 8 || bps == 16;
  if (bytesPerSample) {
    l.sampleBytes = bps / 8;
    l.pixelBytes = spp * l.sampleBytes;
    l.high = (l.sampleBytes == 2 && !big) ? 1 : 0;
  }
  if (colourSamples == 1) {
    if ((bps == 1 || bps == 4 || bps == 8) && spp == 1) {
      l.kind = Kind::Indexed;
      l.bits = int(bps);
    } else if (bytesPerSample) {
      l.kind = Kind::Grey;
      l.bits = 8;
    }
  } else if (colourSamples == 3 && bytesPerSample) {
    if (p == 2) {
      l.kind = spp > 3 ? Kind::Rgba : Kind::Rgb;
      l.bits = spp > 3 ? 32 : 24;
    } else if (p == 6) {
      l.kind = Kind::Copy3;
      l.bits = 24;
    } else if (p == 8) {
      l.kind = Kind::Lab;
      l.bits = 24;
    }
  } else if (colourSamples == 4 && bytesPerSample) {
    if (p == 2) {
      l.kind = Kind::Rgba;
      l.bits = 32;
    } else if (p == 5) {
      l.kind = Kind::Cmyk;
      l.bits = 24;
    }
  }
  return l;
}

// Palette for one colour sample, by the pixel format and the interpretation.
Palette buildPalette(int bits, std::uint32_t bps, std::uint32_t p, const Directory& dir) {
  const std::size_t n = std::size_t(1) << bits;
  Palette pal;  // black unless set below
  auto grey = [](int v) { return rgb(v, v, v); };
  for (std::size_t i = 0; i < n; ++i) {
    const int v = int(i);
    if (p == 0)
      pal[i] = bits == 1 ? grey(v ? 0 : 255) : bits == 4 ? grey(16 * (15 - v)) : grey(255 - v);
    else if (p == 1)
      pal[i] = bits == 1 ? grey(v ? 255 : 0) : bits == 4 ? grey(16 * v) : grey(v);
  }
  if (p == 3) {
    const std::vector<std::uint32_t> map = dir.list(kColorMap);
    const std::size_t entries = std::size_t(1) << std::min<std::uint32_t>(bps, 16);
    // 16-bit indices are reduced to their high byte; entry i stands for i << 8.
    const std::size_t stride = bps == 16 ? 256 : 1;
    auto at = [&](std::size_t i) { return i < map.size() ? int(map[i] >> 8) : 0; };
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t k = i * stride;
      pal[i] = rgb(at(k), at(entries + k), at(2 * entries + k));
    }
  }
  return pal;
}

void undoPredictor(std::uint8_t* row, std::size_t rowBytes, std::uint32_t spp, std::uint32_t width) {
  if (spp != 1 && spp != 3 && spp != 4) return;
  const std::size_t end = std::min<std::size_t>(rowBytes, std::size_t(spp) * width);
  for (std::size_t i = spp; i < end; ++i) row[i] = std::uint8_t(row[i] + row[i - spp]);
}

void convertRow(const Layout& l, const Palette& palette, const std::uint8_t* src, std::size_t rowBytes, int width,
                Pixel* dst) {
  const unsigned s = l.sampleBytes, h = l.high;
  auto value = [&](const std::uint8_t* p) -> unsigned {
    return s == 1 ? p[0] : l.big ? (unsigned(p[0]) << 8) | p[1] : p[0] | (unsigned(p[1]) << 8);
  };
  switch (l.kind) {
    case Kind::Indexed:
      indexedToPixels(src, l.bits, palette, dst, std::size_t(width));
      return;
    case Kind::Raw: {
      const std::size_t bytes = std::min(rowBytes, std::size_t(width) * 4);
      std::memcpy(dst, src, bytes);
      std::memset(reinterpret_cast<std::uint8_t*>(dst) + bytes, 0, std::size_t(width) * 4 - bytes);
      for (int x = 0; x < width; ++x) dst[x] |= 0xFF000000u;
      return;
    }
    case Kind::Grey:
      for (int x = 0; x < width; ++x) dst[x] = palette[src[std::size_t(x) * l.pixelBytes + h]];
      return;
    case Kind::Rgb:
      if (s == 1 && l.pixelBytes == 3) {
        rgbToPixels(src, dst, std::size_t(width));
        return;
      }
      [[fallthrough]];
    case Kind::Rgba:
      for (int x = 0; x < width; ++x, src += l.pixelBytes) dst[x] = rgb(src[h], src[s + h], src[2 * s + h]);
      return;
    case Kind::Copy3:
      for (int x = 0; x < width; ++x, src += l.pixelBytes) dst[x] = rgb(src[2 * s + h], src[s + h], src[h]);
      return;
    case Kind::Lab:
      for (int x = 0; x < width; ++x, src += l.pixelBytes)
        dst[x] = labToPixel(src[h], std::int8_t(src[s + h]), std::int8_t(src[2 * s + h]));
      return;
    case Kind::Cmyk:
      for (int x = 0; x < width; ++x, src += l.pixelBytes) {
        if (s == 1)
          dst[x] = cmyk8ToPixel(src[0], src[1], src[2], src[3]);
        else
          dst[x] = cmyk16ToPixel(value(src), value(src + 2), value(src + 4), value(src + 6));
      }
      return;
  }
}

// Largest output a strip of `packed` bytes can unpack to: an LZW code of at
// least 9 bits gives at most 4096 bytes.
std::uint64_t maxUnpacked(std::uint32_t compression, std::uint64_t packed) {
  if (isDeflate(compression)) return packed * 1032 + 1024;  // Deflate's best ratio is about 1032:1
  return packed * 8 / 9 * 4096 + 4096;
}

}  // namespace

Picture readTiff(const ReaderInput& input) {
  const std::span<const std::uint8_t> data = input.data;
  if (data.size() < 8) throw PictureError(kInvalid);
  const bool big = data[0] == 0x4D && data[1] == 0x4D;
  ByteReader in(data);
  in.skip(2);
  const unsigned magic = big ? in.u16be() : in.u16le();
  if (magic != 42) throw PictureError(kInvalid);
  const std::size_t dirOffset = big ? in.u32be() : in.u32le();
  const Directory dir(data, big, dirOffset);

  std::vector<std::uint32_t> bpsList = dir.list(kBitsPerSample);
  const std::uint32_t bps = bpsList.empty() ? 1 : bpsList[0];
  const std::uint32_t spp = dir.number(kSamplesPerPixel, 1);
  const Entry* extraEntry = dir.find(kExtraSamples);
  const std::int64_t extra = extraEntry ? extraEntry->count : 0;
  const std::uint32_t photometric = dir.number(kPhotometric, 0);
  // Sizes beyond any real file; they would only make the row length overflow.
  if (bps == 0 || bps > 32 || spp == 0 || spp > 64) throw PictureError(kInvalid);
  const std::uint64_t bitsPerPixel = std::uint64_t(bps) * spp;
  const Layout layout = chooseLayout(bps, spp, std::int64_t(spp) - extra, photometric, big);

  const std::uint32_t width = dir.number(kImageWidth, 0), height = dir.number(kImageLength, 0);
  if (width == 0 || height == 0) throw PictureError(kInvalid);
  if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) throw PictureError("Picture too large.");
  const std::uint64_t rowBytes = (std::uint64_t(width) * bitsPerPixel + 7) / 8;
  if (rowBytes > 2 * std::uint64_t(Picture::kMaxBytes) / height) throw PictureError("Picture too large.");

  // A missing compression tag means uncompressed data.
  const std::uint32_t compression = dir.number(kCompression, kNone);
  if (compression != kNone && compression != kLzw && compression != kPackBits && !isDeflate(compression))
    throw PictureError("TIFF: Unknown compression scheme");
  const bool predictor = dir.number(kPredictor, 0) == 2;

  const std::vector<std::uint32_t> offsets = dir.list(kStripOffsets, kStripCut);
  const std::vector<std::uint32_t> counts = dir.list(kStripByteCounts, kStripCut);
  const std::vector<std::uint32_t> rowsPerStrip = dir.list(kRowsPerStrip);

  // The rows of strip k: from the row after the strips before it, as many
  // as its rows-per-strip value (the image height for a single strip).
  auto rowsOf = [&](std::size_t k, std::uint32_t start) {
    std::uint64_t rows = height;
    if (offsets.size() > 1 && !rowsPerStrip.empty()) rows = rowsPerStrip[std::min(k, rowsPerStrip.size() - 1)];
    return std::min<std::uint64_t>(rows, height - start);
  };
  // Every strip must lie inside the file: its packed bytes, or for stored
  // rows all the rows it is to give. Checked before the picture is made.
  for (std::size_t k = 0, start = 0; k < offsets.size() && start < height; ++k) {
    const std::uint64_t rows = rowsOf(k, std::uint32_t(start));
    start += rows;
    const std::uint64_t bytes = compression == kNone ? rows * rowBytes : k < counts.size() ? counts[k] : 0;
    if (offsets[k] > data.size() || bytes > data.size() - offsets[k]) throw PictureError(kStripCut);
  }

  Picture pic;
  // Every row is converted whole; the rows that no strip reaches are
  // cleared below, to colour 0 of a palette or black.
  pic.allocateForOverwrite(int(width), int(height), layout.bits);
  const bool indexed = layout.kind == Kind::Indexed || layout.kind == Kind::Grey;
  const Palette palette = indexed ? buildPalette(layout.bits, bps, photometric, dir) : Palette();
  const Pixel cleared = indexed ? palette[0] : kBlack;

  // Each strip starts at the row after the rows of the strips before it, so
  // a strip that unpacks short leaves its own remaining rows unfilled.
  std::uint32_t stripStart = 0;
  std::uint32_t reached = 0;  // the row after the last one filled
  auto clearRows = [&](std::uint32_t from, std::uint32_t to) {
    for (; from < to; ++from) std::fill_n(pic.row(int(from)), width, cleared);
  };
  std::vector<std::uint8_t> strip, rowCopy;
  // Row y from rowCopy (rowBytes long), its predictor undone first.
  auto convertCopiedRow = [&](std::uint32_t y) {
    if (predictor) undoPredictor(rowCopy.data(), rowBytes, spp, width);
    convertRow(layout, palette, rowCopy.data(), rowBytes, int(width), pic.row(int(y)));
  };
  for (std::size_t k = 0; k < offsets.size() && stripStart < height; ++k) {
    const std::uint64_t rows = rowsOf(k, stripStart);
    std::uint32_t y = stripStart;
    clearRows(reached, y);
    stripStart += std::uint32_t(rows);
    const std::uint64_t wanted = rows * rowBytes;
    const std::size_t offset = offsets[k];
    const std::size_t packed = k < counts.size() ? counts[k] : 0;
    if (compression == kPackBits) {
      // Unpacked row by row into rowCopy, which stays in the cache, then
      // converted.
      PackBitsReader reader(data.subspan(offset, packed));
      rowCopy.resize(rowBytes);
      for (; y < stripStart; ++y) {
        const std::size_t got = reader.read(rowCopy);
        if (got == 0) break;
        std::fill(rowCopy.begin() + std::ptrdiff_t(got), rowCopy.end(), std::uint8_t(0));
        convertCopiedRow(y);
      }
      reached = y;
      continue;
    }
    std::size_t produced = 0;
    const std::uint8_t* unpacked = nullptr;
    if (compression == kNone) {
      // Uncompressed rows are converted where they lie in the file.
      produced = std::size_t(std::min<std::uint64_t>(wanted, data.size() - offset));
      unpacked = data.data() + offset;
    } else {
      strip.resize(std::size_t(std::min(wanted, maxUnpacked(compression, packed))));
      if (compression == kLzw) {
        produced = decodeTiffLzw(data.subspan(offset, packed), strip);
      } else {
        // A stream cut short keeps its rows, as LZW's does; data zlib
        // refuses fail as an LZW strip's invalid code does.
        const Inflated inflated = inflateZlib(data.subspan(offset, packed), strip);
        if (inflated.damaged) throw PictureError(kDeflateDamaged);
        produced = inflated.bytes;
      }
      unpacked = strip.data();
    }
    for (std::size_t at = 0; at < produced && y < height; at += rowBytes, ++y) {
      const std::uint8_t* row = unpacked + at;
      // A row to change (predictor) is copied, and so is a last row cut
      // short, completed with zeros.
      if (predictor || produced - at < rowBytes) {
        rowCopy.assign(row, row + std::min<std::size_t>(rowBytes, produced - at));
        rowCopy.resize(rowBytes, 0);
        convertCopiedRow(y);
      } else {
        convertRow(layout, palette, row, rowBytes, int(width), pic.row(int(y)));
      }
    }
    reached = y;
  }
  clearRows(reached, height);
  // A picture stored turned or mirrored (tag 274) is shown upright.
  return turnUpright(std::move(pic), int(dir.number(kOrientation, 1)));
}

}  // namespace lumora
