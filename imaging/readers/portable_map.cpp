// Portable bit, grey and pixel maps (P1 to P6), text and binary. Values are
// taken as they are: they are not scaled by the file's largest value.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "imaging/byte_reader.h"
#include "imaging/palette.h"
#include "imaging/readers/readers.h"
#include "imaging/rgb_rows.h"

namespace lumora {

namespace {

constexpr const char* kReadError = "PPM: Stream read error.";
constexpr const char* kInvalid = "Not a valid ppm file.";

bool isDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }
bool isLineEnd(std::uint8_t c) { return c == '\n' || c == '\r'; }

// The character stream of the header and of the text formats.
class MapReader {
 public:
  explicit MapReader(std::span<const std::uint8_t> data) : r_(data) {}

  std::uint8_t next() {
    if (r_.atEnd()) throw PictureError(kReadError);
    return r_.u8();
  }
  // Skips to the next digit, passing over every comment on the way.
  std::uint8_t nextDigit() {
    for (;;) {
      const std::uint8_t c = next();
      if (isDigit(c)) return c;
      if (c == '#') skipComment();
    }
  }
  // A decimal number; the character that ends it is consumed (a "#" ending
  // it starts a comment that is skipped too). The end of the file also ends
  // a number. Values too large for an int stay at INT_MAX.
  int number() {
    long long v = nextDigit() - '0';
    while (!r_.atEnd()) {
      const std::uint8_t c = r_.u8();
      if (!isDigit(c)) {
        if (c == '#') skipComment();
        break;
      }
      v = std::min<long long>(v * 10 + (c - '0'), INT_MAX);
    }
    return int(v);
  }
  void skipComment() {
    while (!r_.atEnd() && !isLineEnd(r_.u8())) {
    }
  }
  ByteReader& bytes() { return r_; }

 private:
  ByteReader r_;
};

// Bit maps: 0 is white, 1 black.
const Palette& bitPalette() {
  static const Palette palette = [] {
    Palette p;
    p[0] = kWhite;
    p[1] = kBlack;
    return p;
  }();
  return palette;
}

// Refuses a header whose pixels cannot all be in the rest of the file
// (each needs at least `bytesEach` bytes), before allocating.
void checkRoom(MapReader& in, std::uint64_t width, std::uint64_t height, std::uint64_t bytesEach) {
  const std::uint64_t pixels = width * height;  // both below 2^31: no overflow
  if (pixels > 0 && pixels > in.bytes().remaining() / bytesEach) throw PictureError(kReadError);
}

// Bytes of a row of a binary bit map: one per 8 pixels, the last partial.
std::uint64_t bitRowBytes(int width) { return (std::uint64_t(width) + 7) / 8; }

void readTextBits(MapReader& in, Picture& p) {
  for (int y = 0; y < p.height(); ++y) {
    Pixel* row = p.row(y);
    // One digit is one pixel, with or without white space between.
    for (int x = 0; x < p.width(); ++x) row[x] = bitPalette()[unsigned(in.nextDigit() - '0') & 1u];
  }
}

// Every row is read whole, or the picture fails. A row holds `rowBytes`
// bytes of `bits`-bit pixels.
void readBinaryRows(MapReader& in, Picture& p, std::size_t rowBytes, int bits, const Palette& palette) {
  ByteReader& bytes = in.bytes();
  for (int y = 0; y < p.height(); ++y) {
    if (bytes.remaining() < rowBytes) throw PictureError(kReadError);
    indexedToPixels(bytes.rest().data(), bits, palette, p.row(y), std::size_t(p.width()));
    bytes.skip(rowBytes);
  }
}

// Red, green, blue in the file.
void readBinaryPixels(MapReader& in, Picture& p) {
  const std::size_t rowBytes = 3 * std::size_t(p.width());
  ByteReader& bytes = in.bytes();
  const std::size_t pictureBytes = rowBytes * std::size_t(p.height());
  if (bytes.remaining() >= pictureBytes) {
    // All there: one run over the whole picture (the bitmap's rows follow
    // one another without padding).
    rgbToPixels(bytes.rest().data(), p.row(0), std::size_t(p.width()) * std::size_t(p.height()));
    bytes.skip(pictureBytes);
    return;
  }
  for (int y = 0; y < p.height(); ++y) {
    if (bytes.remaining() < rowBytes) throw PictureError(kReadError);
    rgbToPixels(bytes.rest().data(), p.row(y), std::size_t(p.width()));
    bytes.skip(rowBytes);
  }
}

}  // namespace

Picture readPortableMap(const ReaderInput& in) {
  MapReader r(in.data);
  if (in.data.empty() || in.data[0] != 'P') throw PictureError(kInvalid);
  r.next();
  const std::uint8_t digit = in.data.size() > 1 ? r.next() : 0;
  if (!isDigit(digit)) throw PictureError(kInvalid);
  const int format = digit - '0';
  Picture p;
  if (format < 1 || format > 6) return p;

  const int width = r.number();
  const int height = r.number();
  if (format != 1 && format != 4) r.number();  // largest value, not used
  // A picture without pixels has no rows to read, however many it claims.
  if (width == 0 || height == 0) {
    p.allocate(width, height, format == 1 || format == 4 ? 1 : format == 3 || format == 6 ? 24 : 8);
    return p;
  }
  switch (format) {
    case 1:
      checkRoom(r, width, height, 1);
      p.allocateForOverwrite(width, height, 1);  // every pixel is read or the reading fails
      readTextBits(r, p);
      break;
    case 2:
      checkRoom(r, width, height, 1);
      p.allocateForOverwrite(width, height, 8);
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          const int v = r.number() & 0xFF;
          p.row(y)[x] = rgb(v, v, v);
        }
      break;
    case 3:
      checkRoom(r, width, height, 3);
      p.allocateForOverwrite(width, height, 24);
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          const int red = r.number(), green = r.number(), blue = r.number();
          p.row(y)[x] = rgb(red, green, blue);
        }
      break;
    case 4:
      checkRoom(r, bitRowBytes(width), std::uint64_t(height), 1);
      p.allocateForOverwrite(width, height, 1);
      readBinaryRows(r, p, std::size_t(bitRowBytes(width)), 1, bitPalette());
      break;
    case 5:
      checkRoom(r, width, height, 1);
      p.allocateForOverwrite(width, height, 8);
      readBinaryRows(r, p, std::size_t(width), 8, Palette::grey());
      break;
    default:
      checkRoom(r, width, height, 3);
      p.allocateForOverwrite(width, height, 24);
      readBinaryPixels(r, p);
      break;
  }
  return p;
}

}  // namespace lumora
