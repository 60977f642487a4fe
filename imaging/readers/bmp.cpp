// Windows bitmap reader (bmp, dib, rle): the file header (optional, a .dib
// from the clipboard starts at the info header), the core, info, V4 and V5
// headers (and the OS/2 2.x header, read as far as it goes), uncompressed
// 1/2/4/8/16/24/32-bit rows, bit fields, RLE8 and RLE4, bottom-up and
// top-down.
#include <array>
#include <cstdint>

#include "imaging/byte_reader.h"
#include "imaging/palette.h"
#include "imaging/readers/readers.h"
#include "imaging/rgb_rows.h"

namespace lumora {

namespace {

constexpr const char* kInvalid = "Bitmap image is not valid.";
constexpr const char* kUnsupported = "Bitmap image format is not supported.";
constexpr const char* kDataCut = "Bitmap: pixel data past the end of the file";

enum Compression : std::uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitFields = 3,
  kJpeg = 4,
  kPng = 5,
  kAlphaBitFields = 6,
};

struct Header {
  std::uint32_t size = 0;
  std::int64_t width = 0, height = 0;  // height < 0: top-down
  unsigned planes = 0, bits = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t colorsUsed = 0;
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
  bool hasMasks = false;
  bool core = false;  // 12-byte header: palette entries of 3 bytes
};

std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

// Reads the info header at the cursor (and bit-field masks that follow a
// short header); leaves the cursor at the palette.
Header readHeader(ByteReader& in) {
  Header h;
  const std::size_t start = in.position();
  h.size = in.u32le();
  if (h.size == 12) {
    h.core = true;
    h.width = in.u16le();
    h.height = in.u16le();
    h.planes = in.u16le();
    h.bits = in.u16le();
    return h;
  }
  if (h.size < 16 || h.size > 124) throw PictureError(kInvalid);
  // The fields a shorter header lacks read as zero.
  std::array<std::uint8_t, 124> raw{};
  in.seek(start);
  if (in.read(raw.data(), h.size) < h.size) throw PictureError(kInvalid);
  h.width = std::int32_t(le32(&raw[4]));
  h.height = std::int32_t(le32(&raw[8]));
  h.planes = unsigned(raw[12]) | (unsigned(raw[13]) << 8);
  h.bits = unsigned(raw[14]) | (unsigned(raw[15]) << 8);
  h.compression = le32(&raw[16]);
  h.colorsUsed = le32(&raw[32]);
  const bool os2 = h.size != 40 && h.size != 52 && h.size != 56 && h.size != 108 && h.size != 124;
  if (os2 && (h.compression == 3 || h.compression == 4)) throw PictureError(kUnsupported);  // Huffman, RLE24
  if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
    h.hasMasks = true;
    const int count = h.compression == kAlphaBitFields ? 4 : 3;
    if (h.size >= 40 + 4u * count) {
      for (int i = 0; i < 4; ++i) h.masks[i] = h.size >= 44 + 4u * i ? le32(&raw[40 + 4 * i]) : 0;
    } else {
      for (int i = 0; i < count; ++i) h.masks[i] = in.u32le();
    }
    if (h.compression == kBitFields && h.size < 56) h.masks[3] = 0;
  }
  return h;
}

// One component of a bit-field pixel, scaled to 8 bits.
class Channel {
 public:
  explicit Channel(std::uint32_t mask) : mask_(mask) {
    if (!mask) return;
    while (!((mask >> shift_) & 1u)) ++shift_;
    std::uint32_t m = mask >> shift_;
    while (m & 1u) {
      ++width_;
      m >>= 1;
    }
  }
  std::uint8_t operator()(std::uint32_t v) const {
    if (!width_) return 0;
    const std::uint32_t c = (v & mask_) >> shift_ & ((width_ >= 32) ? 0xFFFFFFFFu : ((1u << width_) - 1));
    if (width_ >= 8) return std::uint8_t(c >> (width_ - 8));
    // Replicate the bits to fill 8 (5 bits: (c << 3) | (c >> 2)).
    unsigned out = 0;
    int filled = 0;
    for (; filled < 8; filled += width_) out = (out << width_) | c;
    return std::uint8_t(out >> (filled - 8));
  }
  bool present() const { return width_ > 0; }

 private:
  std::uint32_t mask_;
  int shift_ = 0, width_ = 0;
};

// Unpacks RLE8 or RLE4 rows through the palette; false when the data end
// before the last row or the end-of-bitmap code, or inside a packet.
bool decodeRle(ByteReader& in, bool four, const Palette& palette, Picture& pic) {
  const std::int64_t w = pic.width(), h = pic.height();
  std::int64_t x = 0, y = 0;  // y counts file rows, from the bottom
  auto put = [&](unsigned v) {
    if (x < w && y < h) pic.row(int(h - 1 - y))[x] = palette[v & 0xFF];
    ++x;
  };
  while (y < h && in.remaining() >= 2) {
    const unsigned count = in.u8();
    const unsigned value = in.u8();
    if (count > 0) {
      for (unsigned i = 0; i < count && x < w; ++i) put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return true;
      case 2:  // delta
        if (in.remaining() < 2) return false;
        x += in.u8();
        y += in.u8();
        break;
      default: {  // absolute run of `value` pixels, padded to a 16-bit boundary
        const unsigned bytes = four ? (value + 1) / 2 : value;
        if (bytes > in.remaining()) return false;
        for (unsigned i = 0; i < value; ++i) {
          if (four) {
            const std::size_t at = in.position() + i / 2;
            const unsigned b = at < in.size() ? in.all()[at] : 0;
            put((i & 1) ? b & 0x0F : b >> 4);
          } else {
            const std::size_t at = in.position() + i;
            put(at < in.size() ? in.all()[at] : 0);
          }
        }
        in.skip((bytes + 1) & ~1u);
        break;
      }
    }
  }
  return y >= h;
}

// Rows of the file, in file order, into picture rows (bottom-up unless the
// height was negative).
template <class RowFn>
void forEachRow(ByteReader& in, std::size_t fileStride, int height, bool topDown, RowFn&& fn) {
  for (int i = 0; i < height && in.remaining() > 0; ++i) {
    const auto rest = in.rest();
    const std::size_t n = std::min(fileStride, rest.size());
    fn(topDown ? i : height - 1 - i, rest.data(), n);
    in.skip(fileStride);
  }
}

}  // namespace

Picture readBmp(const ReaderInput& input) {
  ByteReader in(input.data);
  std::size_t dataOffset = 0;
  bool haveOffset = false;
  if (in.size() >= 2 && input.data[0] == 'B' && input.data[1] == 'M') {
    in.skip(10);
    dataOffset = in.u32le();
    haveOffset = true;
  }
  if (in.remaining() < 12) throw PictureError(kInvalid);
  const Header h = readHeader(in);

  if (h.width <= 0 || h.height == 0 || h.height < -std::int64_t(INT32_MAX)) throw PictureError(kInvalid);
  if (h.planes != 1) throw PictureError(kInvalid);
  const unsigned bits = h.bits;
  if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    throw PictureError(kInvalid);
  switch (h.compression) {
    case kRgb:
      break;
    case kRle8:
      if (bits != 8) throw PictureError(kInvalid);
      break;
    case kRle4:
      if (bits != 4) throw PictureError(kInvalid);
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (bits != 16 && bits != 32) throw PictureError(kInvalid);
      break;
    default:
      throw PictureError(kUnsupported);
  }
  const bool topDown = h.height < 0;
  const bool rle = h.compression == kRle8 || h.compression == kRle4;
  if (rle && topDown) throw PictureError(kInvalid);
  const int width = int(h.width);
  const int height = int(topDown ? -h.height : h.height);

  // Palette.
  const unsigned entrySize = h.core ? 3 : 4;
  std::uint64_t stored = h.core ? (bits <= 8 ? 1u << bits : 0) : h.colorsUsed;
  if (!h.core && stored == 0 && bits <= 8) stored = 1u << bits;
  Palette palette;
  if (bits <= 8) {
    const std::size_t used = std::min<std::uint64_t>(stored, 1u << bits);
    for (std::size_t i = 0; i < used; ++i) {
      const unsigned b = in.u8(), g = in.u8(), r = in.u8();
      if (entrySize == 4) in.u8();
      palette[i] = rgb(int(r), int(g), int(b));
    }
    in.skip((stored - used) * entrySize);
  } else {
    in.skip(stored * entrySize);
  }
  // The pixels start where the file header says, when that is sensible;
  // otherwise right behind the palette.
  if (haveOffset && dataOffset >= in.size()) throw PictureError(kDataCut);
  if (haveOffset && dataOffset >= 14 + std::size_t(h.size)) in.seek(dataOffset);
  if (in.atEnd()) throw PictureError(kInvalid);

  Picture pic;
  if (rle) {
    // Pixels the codes skip are colour 0.
    pic.allocate(width, height, bits, palette[0]);
    if (!decodeRle(in, h.compression == kRle4, palette, pic)) throw PictureError(kDataCut);
    return pic;
  }

  // Stored rows: every row must be in the file (the last one without its
  // padding), checked before the picture is made.
  const std::size_t fileStride = (std::size_t(width) * bits + 31) / 32 * 4;
  const std::uint64_t lastRow = (std::uint64_t(width) * bits + 7) / 8;
  const std::uint64_t rest = in.remaining();
  if (lastRow > rest || (height > 1 && fileStride > (rest - lastRow) / std::uint64_t(height - 1)))
    throw PictureError(kDataCut);
  // The pixels of a row, of `size` bytes each, that the file holds.
  auto held = [width](std::size_t n, std::size_t size) { return std::min(std::size_t(width), n / size); };
  switch (bits) {
    case 1:
    case 2:
    case 4:
    case 8: {
      // 2-bit pixels count as 4-bit ones.
      pic.allocate(width, height, bits == 2 ? 4 : int(bits), palette[0]);
      const std::size_t perByte = 8 / bits;
      forEachRow(in, fileStride, height, topDown, [&](int y, const std::uint8_t* src, std::size_t n) {
        indexedToPixels(src, int(bits), palette, pic.row(y), std::min(std::size_t(width), n * perByte));
      });
      break;
    }
    case 16: {
      const std::array<std::uint32_t, 4> m =
          h.hasMasks ? h.masks : std::array<std::uint32_t, 4>{0x7C00, 0x03E0, 0x001F, 0};
      if (m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F) {  // 5-5-5: the 15-bit format
        pic.allocate(width, height, 15);
        forEachRow(in, fileStride, height, topDown,
                   [&](int y, const std::uint8_t* src, std::size_t n) { rgb15ToPixels(src, pic.row(y), held(n, 2)); });
      } else {
        pic.allocate(width, height, 24);
        const Channel r(m[0]), g(m[1]), b(m[2]);
        forEachRow(in, fileStride, height, topDown, [&](int y, const std::uint8_t* src, std::size_t n) {
          Pixel* row = pic.row(y);
          for (std::size_t x = 0; x < held(n, 2); ++x) {
            const std::uint32_t v = std::uint32_t(src[2 * x]) | (std::uint32_t(src[2 * x + 1]) << 8);
            row[x] = rgb(r(v), g(v), b(v));
          }
        });
      }
      break;
    }
    case 24: {
      pic.allocate(width, height, 24);
      forEachRow(in, fileStride, height, topDown,
                 [&](int y, const std::uint8_t* src, std::size_t n) { bgrToPixels(src, pic.row(y), held(n, 3)); });
      break;
    }
    case 32: {
      // The fourth byte (alpha or unused) is not shown.
      pic.allocate(width, height, 32);
      const bool plain = !h.hasMasks || (h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF &&
                                         (h.masks[3] == 0 || h.masks[3] == 0xFF000000u));
      const Channel r(h.masks[0]), g(h.masks[1]), b(h.masks[2]);
      forEachRow(in, fileStride, height, topDown, [&](int y, const std::uint8_t* src, std::size_t n) {
        Pixel* row = pic.row(y);
        const std::size_t count = held(n, 4);
        if (plain) {
          for (std::size_t x = 0; x < count; ++x) row[x] = le32(src + 4 * x) | 0xFF000000u;
        } else {
          for (std::size_t x = 0; x < count; ++x) {
            const std::uint32_t v = le32(src + 4 * x);
            row[x] = rgb(r(v), g(v), b(v));
          }
        }
      });
      break;
    }
  }
  return pic;
}

}  // namespace lumora
