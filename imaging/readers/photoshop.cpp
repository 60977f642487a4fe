// Photoshop reader (psd, pdd): the merged image of the file, raw or
// PackBits, in bitmap, grey, indexed, duotone, RGB, CMYK and Lab modes.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/byte_reader.h"
#include "imaging/decoders.h"
#include "imaging/palette.h"
#include "imaging/readers/color_conversion.h"
#include "imaging/readers/readers.h"
#include "imaging/rgb_rows.h"

namespace lumora {

namespace {

constexpr const char* kInvalid = "Not a valid psd file.";
constexpr std::uint32_t kMaxSide = 300000;  // Photoshop's own limit
constexpr std::size_t kMaxChannels = 56;

enum Mode : unsigned { kBitmap = 0, kGrey = 1, kIndexed = 2, kRgb = 3, kCmyk = 4, kDuotone = 8, kLab = 9 };

struct Header {
  unsigned channels = 0, depth = 0, mode = 0;
  std::uint32_t width = 0, height = 0;
};

int pixelBits(unsigned mode) {
  switch (mode) {
    case kBitmap:
      return 1;
    case kGrey:
    case kIndexed:
    case kDuotone:
      return 8;
    case kRgb:
    case kCmyk:
    case kLab:
      return 24;
    default:
      return 0;
  }
}

// The packed byte counts of the rows, read where they stand in the file.
class RowCounts {
 public:
  RowCounts(std::span<const std::uint8_t> data, std::size_t at, std::size_t n) : data_(data), at_(at), n_(n) {}
  std::size_t operator[](std::size_t i) const {
    const std::size_t p = at_ + 2 * i;
    return p + 1 < data_.size() ? (std::size_t(data_[p]) << 8) | data_[p + 1] : 0;
  }
  std::uint64_t sum(std::size_t first, std::size_t n) const {
    std::uint64_t s = 0;
    for (std::size_t i = first; i < first + n && i < n_; ++i) s += (*this)[i];
    return s;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t at_, n_;
};

// Modes 0, 1, 2 and 8: the first channel only, one row at a time.
void readSingleChannel(const Header& h, ByteReader& in, bool packBits, const RowCounts& counts, const Palette& palette,
                       Picture& pic) {
  const unsigned b = h.depth == 16 ? 2 : 1;
  const std::size_t srcRow = h.depth == 1 ? (std::size_t(h.width) + 7) / 8 : std::size_t(h.width) * b;
  std::vector<std::uint8_t> row(srcRow);
  for (std::uint32_t y = 0; y < h.height; ++y) {
    if (packBits) {
      const std::size_t count = counts[y];
      const std::size_t start = in.position();
      std::fill(row.begin(), row.end(), 0);
      decodePackBits(in, count, row);
      in.seek(start);
      in.skip(count);
    } else {
      std::fill(row.begin(), row.end(), 0);
      if (in.read(row.data(), srcRow) == 0) break;
    }
    Pixel* dst = pic.row(int(y));
    if (b == 1)
      indexedToPixels(row.data(), int(h.depth), palette, dst, h.width);
    else
      for (std::uint32_t x = 0; x < h.width; ++x) dst[x] = palette[row[2 * x]];  // high byte
  }
}

// Modes 3, 4 and 9: the colour planes, then one conversion per pixel.
void readPlanes(const Header& h, ByteReader& in, bool packBits, const RowCounts& counts, Picture& pic) {
  const unsigned b = h.depth == 16 ? 2 : 1;
  const std::size_t needed = h.mode == kCmyk ? 4 : 3;
  const std::uint64_t planeBytes = std::uint64_t(h.width) * b * h.height;
  std::span<const std::uint8_t> planes = in.rest();
  std::vector<std::uint8_t> unpacked;
  if (packBits) {
    // The lengths are byte counts; the planes come out of one run.
    const std::uint64_t packed =
        std::min<std::uint64_t>(counts.sum(0, std::size_t(h.channels) * h.height), in.remaining());
    const std::uint64_t room = std::min<std::uint64_t>(needed * planeBytes, packed * 64 + 128);
    unpacked.assign(std::size_t(room), 0);
    decodePackBits(in, std::size_t(packed), unpacked);
    planes = unpacked;
  }
  // Bytes past the data read as zero.
  auto at = [&](std::size_t channel, std::uint64_t i) -> unsigned {
    if (channel >= h.channels) return 0;
    const std::uint64_t p = channel * planeBytes + i;
    return p < planes.size() ? planes[std::size_t(p)] : 0;
  };
  auto sample16 = [&](std::size_t channel, std::uint64_t i) { return (at(channel, i) << 8) | at(channel, i + 1); };
  for (std::uint32_t y = 0; y < h.height; ++y) {
    Pixel* dst = pic.row(int(y));
    const std::uint64_t rowStart = std::uint64_t(y) * h.width;
    if (h.mode == kRgb && b == 1 && h.channels >= 3 && 2 * planeBytes + rowStart + h.width <= planes.size()) {
      // 8-bit RGB with the whole row there, the common case.
      const std::uint8_t* red = planes.data() + rowStart;
      planesToPixels(red, red + planeBytes, red + 2 * planeBytes, dst, h.width);
      continue;
    }
    for (std::uint32_t x = 0; x < h.width; ++x) {
      const std::uint64_t i = (std::uint64_t(y) * h.width + x) * b;  // 16-bit samples: the high byte first
      switch (h.mode) {
        case kRgb:
          dst[x] = rgb(int(at(0, i)), int(at(1, i)), int(at(2, i)));
          break;
        case kCmyk:  // stored inverted: 255 (65535) is no ink
          if (b == 1)
            dst[x] = cmyk8ToPixel(255 - at(0, i), 255 - at(1, i), 255 - at(2, i), 255 - at(3, i));
          else
            dst[x] = cmyk16ToPixel(65535 - sample16(0, i), 65535 - sample16(1, i), 65535 - sample16(2, i),
                                   65535 - sample16(3, i));
          break;
        case kLab:
          dst[x] = labToPixel(at(0, i), int(at(1, i)) - 128, int(at(2, i)) - 128);
          break;
        default:
          break;
      }
    }
  }
}

}  // namespace

Picture readPhotoshop(const ReaderInput& input) {
  ByteReader in(input.data);
  std::array<std::uint8_t, 4> signature{};
  in.read(signature.data(), 4);
  if (std::memcmp(signature.data(), "8BPS", 4) != 0) throw PictureError(kInvalid);
  const unsigned version = in.u16be();
  in.skip(6);
  Header h;
  h.channels = in.u16be();
  h.height = in.u32be();
  h.width = in.u32be();
  h.depth = in.u16be();
  h.mode = in.u16be();
  const int bits = pixelBits(h.mode);
  // Large-document files (version 2) lay out their sections differently.
  if (version != 1 || bits == 0 || in.atEnd()) throw PictureError(kInvalid);
  if (h.channels == 0 || h.channels > kMaxChannels || h.width == 0 || h.height == 0 || h.width > kMaxSide ||
      h.height > kMaxSide)
    throw PictureError(kInvalid);
  if (h.mode == kBitmap ? h.depth != 1 : (h.depth != 8 && h.depth != 16)) throw PictureError(kInvalid);

  // Colour mode data: the colour table of an indexed picture.
  const std::uint32_t modeDataLength = in.u32be();
  const std::size_t modeDataStart = in.position();
  std::array<std::uint8_t, 768> table{};
  if (h.mode == kIndexed) in.read(table.data(), std::min<std::size_t>(modeDataLength, table.size()));
  in.seek(modeDataStart);
  in.skip(modeDataLength);
  in.skip(in.u32be());  // image resources
  in.skip(in.u32be());  // layer and mask information
  const unsigned compression = in.u16be();
  if (in.atEnd()) throw PictureError(kInvalid);
  if (compression > 1) throw PictureError("PSD: unsupported compression.");
  const bool packBits = compression == 1;
  const std::size_t rows = std::size_t(h.channels) * h.height;
  if (packBits && 2 * std::uint64_t(rows) > in.remaining())
    throw PictureError("PSD: row byte counts past the end of the file");
  const RowCounts counts(input.data, in.position(), packBits ? rows : 0);
  if (packBits) in.skip(2 * rows);
  // The image data must be in the file before the picture is made: the
  // packed rows the counts announce, or the stored planes that are read.
  const std::uint64_t sampleBytes = h.depth == 16 ? 2 : 1;
  if (bits == 24) {
    const std::uint64_t planes = std::min<std::uint64_t>(h.channels, h.mode == kCmyk ? 4 : 3);
    const std::uint64_t need = packBits ? counts.sum(0, rows) : planes * h.width * sampleBytes * h.height;
    if (need > in.remaining()) throw PictureError("PSD: image data past the end of the file");
  } else {
    const std::uint64_t rowBytes = h.depth == 1 ? (std::uint64_t(h.width) + 7) / 8 : h.width * sampleBytes;
    const std::uint64_t need = packBits ? counts.sum(0, h.height) : rowBytes * h.height;
    if (need > in.remaining()) throw PictureError("PSD: image data past the end of the file");
  }

  Palette palette;
  if (bits == 1) {
    palette[0] = kWhite;
    palette[1] = kBlack;
  } else if (bits == 8) {
    palette = Palette::grey();
    if (h.mode == kIndexed)
      for (std::size_t i = 0; i < 256; ++i) palette[i] = rgb(table[i], table[256 + i], table[512 + i]);
  }
  Picture pic;
  // The colour modes write every pixel of every row; rows of a single
  // channel that the data do not reach are colour 0.
  if (bits == 24)
    pic.allocateForOverwrite(int(h.width), int(h.height), bits);
  else
    pic.allocate(int(h.width), int(h.height), bits, palette[0]);
  if (bits == 24)
    readPlanes(h, in, packBits, counts, pic);
  else
    readSingleChannel(h, in, packBits, counts, palette, pic);
  return pic;
}

}  // namespace lumora
