// The readers' fast paths: word-wide copies in the decoders, the row
// kernels (each one this processor can run, plain and SSSE3), and pictures
// that are not cleared before their rows are written. Each is checked
// against a plain byte-by-byte version, and against memory that is not zero
// to begin with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "imaging/byte_reader.h"
#include "imaging/decoders.h"
#include "imaging/lzw_test_encoder.h"
#include "imaging/reader_test_util.h"
#include "imaging/palette.h"
#include "imaging/rgb_rows.h"

namespace lumora {
namespace {

using test::Bytes;
using test::FileBuilder;

constexpr std::uint8_t kUntouched = 0xEE;

// Fills freed heap memory with a pattern, so that a picture allocated next
// and not cleared shows it where the reader fails to write.
void dirtyTheHeap(std::size_t bytes) {
  for (int i = 0; i < 4; ++i) {
    std::vector<std::uint8_t> v(bytes + std::size_t(i) * 64, 0xA5);
    volatile std::uint8_t sink = v[bytes / 2];
    (void)sink;
  }
}

// Every row kernel this processor can run: the plain one, and SSSE3 on x86.
std::vector<RowKernel> runnableKernels() {
  std::vector<RowKernel> kernels;
  for (const RowKernel k : {RowKernel::Plain, RowKernel::Ssse3})
    if (rowKernelAvailable(k)) kernels.push_back(k);
  return kernels;
}

const char* nameOf(RowKernel k) { return k == RowKernel::Plain ? "plain" : "SSSE3"; }

TEST(RowKernels, ThePlainOneRunsEverywhereAndSsse3OnEveryX86) {
  EXPECT_TRUE(rowKernelAvailable(RowKernel::Plain));
#if defined(__x86_64__)
  EXPECT_TRUE(rowKernelAvailable(RowKernel::Ssse3));  // every x86-64 processor still made has it
#endif
}

// LUMORA_SCALAR_PIXELS keeps the plain kernel (ctest runs the reader tests
// once more with it set); otherwise the SSSE3 one is used where it runs.
TEST(RowKernels, TheEnvironmentChoosesThePlainKernel) {
  const char* asked = std::getenv("LUMORA_SCALAR_PIXELS");
  const bool plain = asked && *asked && std::strcmp(asked, "0") != 0;
  EXPECT_EQ(rowKernelInUse(), plain || !rowKernelAvailable(RowKernel::Ssse3) ? RowKernel::Plain : RowKernel::Ssse3);
}

// Both widenings of every kernel, against the pixel each 3-byte group
// stands for in its byte order.
TEST(ThreeByteRows, EveryKernelOrderLengthAndAlignmentAndNothingOutside) {
  struct Widening {
    const char* name;
    void (*RgbRowKernels::*fn)(const std::uint8_t*, std::uint32_t*, std::size_t);
    Pixel (*pixelOf)(const std::uint8_t*);
  };
  const Widening widenings[] = {
      {"rgb", &RgbRowKernels::rgbToPixels, [](const std::uint8_t* p) { return rgb(p[0], p[1], p[2]); }},
      {"bgr", &RgbRowKernels::bgrToPixels, [](const std::uint8_t* p) { return rgb(p[2], p[1], p[0]); }},
  };
  // Every short length, and long rows (the SSSE3 kernel stores rows of 3072
  // pixels and more past the cache).
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 200; ++n) lengths.push_back(n);
  lengths.insert(lengths.end(), {3071, 3072, 3073, 3075, 4099});
  std::mt19937 gen(3);
  for (const std::size_t pixels : lengths) {
    // Both of exactly their size, so that a read or write past either is
    // seen by the sanitizer build.
    Bytes src(3 * pixels);
    for (auto& b : src) b = std::uint8_t(gen());
    for (const RowKernel kernel : runnableKernels())
      for (const Widening& w : widenings)
        // The row at each pixel offset from a 16-byte boundary, between
        // guard pixels that must stay as they are.
        for (std::size_t offset = 0; offset < 4; ++offset) {
          constexpr Pixel kGuard = 0x12345678u;
          std::vector<Pixel> dst(pixels + 8, kGuard);
          Pixel* out = dst.data() + (4 - reinterpret_cast<std::uintptr_t>(dst.data()) % 16 / 4) % 4 + offset;
          (rgbRowKernels(kernel).*w.fn)(src.data(), out, pixels);
          for (std::size_t i = 0; i < pixels; ++i)
            ASSERT_EQ(out[i], w.pixelOf(&src[3 * i]))
                << nameOf(kernel) << " " << w.name << ", " << pixels << " pixels, at " << i;
          for (const Pixel* p = dst.data(); p < dst.data() + dst.size(); ++p) {
            const bool outside = p < out || p >= out + pixels;
            ASSERT_TRUE(!outside || *p == kGuard) << nameOf(kernel) << " " << w.name << " wrote outside the row";
          }
        }
  }
}

// Indices of every packing, and 15-bit words, expanded: each pixel against
// the index or word read bit by bit, at every length around a byte.
TEST(IndexedRows, EveryPackingAndLengthThroughThePalette) {
  Palette palette;
  for (std::size_t i = 0; i < 200; ++i) palette[i] = rgb(int(i), int(255 - i), int(i * 7));  // 200..255 stay black
  std::mt19937 gen(4);
  for (const int bits : {1, 2, 4, 8})
    for (std::size_t pixels = 0; pixels <= 40; ++pixels) {
      Bytes src((pixels * std::size_t(bits) + 7) / 8);
      for (auto& b : src) b = std::uint8_t(gen());
      std::vector<Pixel> dst(pixels, 0x12345678u);
      indexedToPixels(src.data(), bits, palette, dst.data(), pixels);
      for (std::size_t x = 0; x < pixels; ++x) {
        unsigned index = 0;
        for (int k = 0; k < bits; ++k) {
          const std::size_t bit = x * std::size_t(bits) + std::size_t(k);
          index = (index << 1) | ((src[bit / 8] >> (7 - bit % 8)) & 1u);
        }
        ASSERT_EQ(dst[x], index < 200 ? rgb(int(index), int(255 - index), int(index * 7)) : kBlack)
            << bits << " bits, " << pixels << " pixels, at " << x;
      }
    }
  // 15 bits: red, green, blue widened as (v << 3) | (v >> 2); the top bit
  // ignored.
  const Bytes words{0x00, 0x00, 0xFF, 0x7F, 0xFF, 0xFF, 0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C, 0x21, 0x04};
  std::vector<Pixel> dst(7);
  rgb15ToPixels(words.data(), dst.data(), dst.size());
  EXPECT_EQ(dst,
            (std::vector<Pixel>{kBlack, kWhite, kWhite, rgb(0, 0, 255), rgb(0, 255, 0), rgb(255, 0, 0), rgb(8, 8, 8)}));
}

TEST(PlanesToPixels, EveryLengthAndNothingOutside) {
  std::mt19937 gen(2);
  for (std::size_t pixels = 0; pixels <= 200; ++pixels) {
    // Planes of exactly their size, so that a read past one is seen by the
    // sanitizer build.
    Bytes red(pixels), green(pixels), blue(pixels);
    for (Bytes* plane : {&red, &green, &blue})
      for (auto& b : *plane) b = std::uint8_t(gen());
    std::vector<Pixel> dst(pixels, 0x12345678u);
    planesToPixels(red.data(), green.data(), blue.data(), dst.data(), pixels);
    for (std::size_t i = 0; i < pixels; ++i) ASSERT_EQ(dst[i], rgb(red[i], green[i], blue[i])) << pixels;
  }
}

// PackBits as the format defines it, one byte at a time.
Bytes packBitsReference(const Bytes& packed, std::size_t room) {
  Bytes out;
  for (std::size_t i = 0; i < packed.size();) {
    const int a = static_cast<std::int8_t>(packed[i++]);
    if (a >= 0) {
      for (int k = 0; k <= a && i < packed.size(); ++k) out.push_back(packed[i++]);
    } else if (a != -128 && i < packed.size()) {
      out.insert(out.end(), std::size_t(1 - a), packed[i++]);
    }
  }
  out.resize(std::min(out.size(), room));
  return out;
}

TEST(PackBitsWords, MatchesTheByteByByteDecodingAndStaysInItsSpan) {
  std::mt19937 gen(2);
  for (int trial = 0; trial < 300; ++trial) {
    // Packets of every length, some cut by the end of the input.
    Bytes packed;
    const int packets = int(gen() % 40);
    for (int p = 0; p < packets; ++p) {
      const int a = int(gen() % 256) - 128;
      packed.push_back(std::uint8_t(a));
      const int payload = a >= 0 ? a + 1 : a == -128 ? 0 : 1;
      for (int k = 0; k < payload; ++k) packed.push_back(std::uint8_t(gen()));
    }
    packed.resize(packed.size() - std::min<std::size_t>(packed.size(), gen() % 3));
    const Bytes all = packBitsReference(packed, SIZE_MAX);
    const std::size_t room = trial % 3 == 0 ? all.size() / 2 : all.size() + 20;
    const Bytes expected = packBitsReference(packed, room);

    // The output span sits inside a larger buffer whose other bytes must
    // keep their values.
    Bytes buffer(room + 32, kUntouched);
    ByteReader in(packed);
    const std::size_t written = decodePackBits(in, packed.size(), std::span(buffer).subspan(16, room));
    ASSERT_EQ(written, expected.size()) << trial;
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin() + 16)) << trial;
    for (std::size_t i = 0; i < buffer.size(); ++i) {
      if (i < 16 || i >= 16 + written) {
        ASSERT_EQ(buffer[i], kUntouched) << trial << " at " << i;
      }
    }
    EXPECT_EQ(in.position(), packed.size());
  }
}

TEST(LzwWords, StreamsCutShortKeepEveryByteAfterWhatTheyHold) {
  std::mt19937 gen(3);
  for (bool tiff : {false, true}) {
    for (int trial = 0; trial < 60; ++trial) {
      // Long and short strings: runs, repeats of earlier stretches, noise.
      Bytes data(2000 + gen() % 3000);
      for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = gen() % 3 == 0 ? std::uint8_t(gen()) : i >= 40 && gen() % 2 ? data[i - 40] : std::uint8_t(i / 50);
      test::LzwOptions o;
      o.msbFirst = o.earlyChange = tiff;
      o.emitEnd = trial % 2 == 0;
      Bytes packed = test::lzwEncode(data, o);
      packed.resize(packed.size() * (40 + gen() % 60) / 100);  // cut somewhere

      Bytes buffer(data.size() + 64, kUntouched);
      const auto out = std::span(buffer).subspan(16, data.size() + 32);
      const std::size_t n = tiff ? decodeTiffLzw(packed, out) : decodeGifLzw(packed, 8, out);
      ASSERT_LE(n, data.size());
      EXPECT_TRUE(std::equal(data.begin(), data.begin() + std::ptrdiff_t(n), out.begin())) << trial;
      for (std::size_t i = 0; i < buffer.size(); ++i) {
        if (i < 16 || i >= 16 + n) {
          ASSERT_EQ(buffer[i], kUntouched) << (tiff ? "TIFF " : "GIF ") << trial << " at " << i;
        }
      }
    }
  }
}

// A little-endian TIFF of 8-bit RGB rows, uncompressed, one strip per
// entry of `strips`, the strips last in the file (so the last one can be cut
// short by the end of the file).
Bytes rgbTiff(int width, int height, int rowsPerStrip, const std::vector<Bytes>& strips) {
  const std::uint32_t n = std::uint32_t(strips.size());
  const std::uint32_t offsetsAt = 8, countsAt = offsetsAt + 4 * n, bpsAt = countsAt + 4 * n, dir = bpsAt + 6;
  std::uint32_t at = dir + 2 + 9 * 12 + 4;
  FileBuilder f;
  f.raw({'I', 'I', 42, 0}).le32(dir);
  std::vector<std::uint32_t> offsets;
  for (const Bytes& s : strips) offsets.push_back(at), at += std::uint32_t(s.size());
  for (auto v : offsets) f.le32(v);
  for (const Bytes& s : strips) f.le32(std::uint32_t(s.size()));
  f.le16(8).le16(8).le16(8);
  auto entry = [&](unsigned tag, unsigned type, std::uint32_t count, std::uint32_t value) {
    f.le16(tag).le16(type).le32(count).le32(value);
  };
  f.le16(9);
  entry(256, 4, 1, std::uint32_t(width));
  entry(257, 4, 1, std::uint32_t(height));
  entry(258, 3, 3, bpsAt);
  entry(259, 3, 1, 1);
  entry(262, 3, 1, 2);
  entry(273, 4, n, n == 1 ? offsets[0] : offsetsAt);
  entry(277, 3, 1, 3);
  entry(278, 4, 1, std::uint32_t(rowsPerStrip));
  entry(279, 4, n, n == 1 ? std::uint32_t(strips[0].size()) : countsAt);
  f.le32(0);
  for (const Bytes& s : strips) f.raw(s);
  return f.bytes;
}

Bytes rgbRows(int width, int rows, int first) {
  Bytes b;
  for (int y = first; y < first + rows; ++y)
    for (int x = 0; x < width; ++x) b.insert(b.end(), {std::uint8_t(x), std::uint8_t(y), std::uint8_t(x + y)});
  return b;
}

TEST(UnclearedPictures, TiffRowsNoStripReachesAreBlack) {
  const int w = 301, h = 40;
  // Two strips of 10 rows for a picture of 40: a stored strip must be
  // whole, so the last 20 rows are the ones no strip reaches.
  const Bytes file = rgbTiff(w, h, 10, {rgbRows(w, 10, 0), rgbRows(w, 10, 10)});
  dirtyTheHeap(std::size_t(w) * 4 * h);
  const Picture p = test::decode(file, "tif");
  ASSERT_EQ(p.height(), h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Pixel want = y < 20 ? rgb(x & 0xFF, y, (x + y) & 0xFF) : kBlack;
      ASSERT_EQ(p.pixel(x, y), want) << x << "," << y;
    }
  }
}

TEST(UnclearedPictures, PortableMapsAndTargaWriteEveryPixel) {
  for (int w : {1, 3, 5, 7}) {
    SCOPED_TRACE(w);
    const Bytes rows = rgbRows(w, 3, 0);
    FileBuilder ppm;
    ppm.text("P6 " + std::to_string(w) + " 3 255\n").raw(rows);
    dirtyTheHeap(std::size_t(w) * 12);
    const Picture p = test::decode(ppm.bytes, "ppm");
    FileBuilder tga;
    tga.raw({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}).le16(unsigned(w)).le16(3).raw({24, 0x20});
    for (std::size_t i = 0; i < rows.size(); i += 3) tga.raw({rows[i + 2], rows[i + 1], rows[i]});
    dirtyTheHeap(std::size_t(w) * 12);
    const Picture t = test::decode(tga.bytes, "tga");
    for (const Picture* pic : {&p, &t})
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < w; ++x) EXPECT_EQ(pic->pixel(x, y), rgb(x, y, x + y));
  }
}

TEST(UnclearedPictures, LargePicturesAreClearedWhenAskedAndReusable) {
  // 48 MB: memory the C library maps afresh for the picture.
  Picture p;
  p.allocate(4000, 3000, 24);
  EXPECT_EQ(p.row(0)[0], kBlack);
  EXPECT_EQ(p.row(1500)[2000], kBlack);
  EXPECT_EQ(p.row(2999)[3999], kBlack);
  p.row(2999)[3999] = 7;
  p.allocate(4000, 3000, 8, kWhite);  // the old memory goes, the new one is the colour asked for
  EXPECT_EQ(p.row(2999)[3999], kWhite);
  EXPECT_EQ(p.bits(), 8);
  Picture copy = p;
  copy.row(0)[0] = 9;
  EXPECT_EQ(p.row(0)[0], kWhite);
  p.allocateForOverwrite(10, 10, 24);
  EXPECT_EQ(p.bitmap().bytesPerLine(), 40u);
}

}  // namespace
}  // namespace lumora
