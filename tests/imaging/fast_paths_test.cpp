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

// write(dst) puts a row of expected.size() bytes at dst: tried with the
// destination at offsets from a 64-byte boundary (every one for short
// rows), with guard bytes on both sides that must stay untouched.
template <class Write>
void expectAtEveryOffset(const Bytes& expected, Write write) {
  const std::size_t n = expected.size();
  for (std::size_t shift = 0; shift < 64; shift += n < 90 ? 1 : 13) {
    Bytes dst(n + 256, kUntouched);
    const std::size_t base = 64 - reinterpret_cast<std::uintptr_t>(dst.data()) % 64 + shift;
    write(dst.data() + base);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), dst.begin() + std::ptrdiff_t(base)))
        << n << " bytes at " << shift;
    EXPECT_TRUE(std::all_of(dst.begin(), dst.begin() + std::ptrdiff_t(base), [](auto b) { return b == kUntouched; }));
    EXPECT_TRUE(std::all_of(dst.begin() + std::ptrdiff_t(base + n), dst.end(), [](auto b) { return b == kUntouched; }))
        << n << " bytes at " << shift;
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

TEST(SwapRedBlue, EveryKernelLengthAndAlignmentInPlaceOrNotAndNothingOutside) {
  std::mt19937 gen(1);
  for (std::size_t pixels = 0; pixels <= 280; ++pixels) {
    Bytes src(3 * pixels);
    for (auto& b : src) b = std::uint8_t(gen());
    Bytes expected = src;
    for (std::size_t i = 0; i < pixels; ++i) std::swap(expected[3 * i], expected[3 * i + 2]);

    for (const RowKernel kernel : runnableKernels()) {
      SCOPED_TRACE(nameOf(kernel));
      const auto swap = rgbRowKernels(kernel).swapRedBlue;
      expectAtEveryOffset(expected, [&](std::uint8_t* dst) { swap(src.data(), dst, pixels); });

      Bytes inPlace = src;
      swap(inPlace.data(), inPlace.data(), pixels);
      EXPECT_EQ(inPlace, expected) << pixels;
    }
  }
}

TEST(BgrToPixels, EveryKernelAndLengthAndNothingReadOrWrittenOutside) {
  std::mt19937 gen(3);
  for (std::size_t pixels = 0; pixels <= 200; ++pixels) {
    // Both of exactly their size, so that a read or write past either is
    // seen by the sanitizer build.
    Bytes src(3 * pixels);
    for (auto& b : src) b = std::uint8_t(gen());
    for (const RowKernel kernel : runnableKernels()) {
      std::vector<Pixel> dst(pixels, 0x12345678u);
      rgbRowKernels(kernel).bgrToPixels(src.data(), dst.data(), pixels);
      for (std::size_t i = 0; i < pixels; ++i)
        ASSERT_EQ(dst[i], rgb(src[3 * i + 2], src[3 * i + 1], src[3 * i]))
            << nameOf(kernel) << ", " << pixels << " pixels, at " << i;
    }
  }
}

// The bitmap of a picture is its pixels one by one, whatever the memory
// held before, for the formats with their own fast paths and with rows
// padded to 4 bytes.
TEST(PictureToBitmap, EveryPixelAsPixelGivesIt) {
  std::mt19937 gen(4);
  for (const int bits : {24, 32, 8, 15})
    for (const int width : {1, 3, 21, 22, 70, 97}) {
      dirtyTheHeap(std::size_t(width) * 4 * 5);
      Picture p;
      p.allocate(width, 5, bits);
      for (auto& b : p.data()) b = std::uint8_t(gen());
      if (bits == 8) p.palette().assign(256, {1, 2, 3});
      const Bitmap b = p.toBitmap();
      ASSERT_EQ(b.width(), width);
      ASSERT_EQ(b.height(), 5);
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < width; ++x) ASSERT_EQ(b.at(x, y), p.pixel(x, y)) << bits << " bits, " << width << " wide";
    }
}

TEST(InterleaveBgr, EveryLengthAndAlignmentAndNothingOutside) {
  std::mt19937 gen(2);
  for (std::size_t pixels = 0; pixels <= 200; ++pixels) {
    // Planes of exactly their size, so that a read past one is seen by the
    // sanitizer build.
    Bytes red(pixels), green(pixels), blue(pixels);
    for (Bytes* plane : {&red, &green, &blue})
      for (auto& b : *plane) b = std::uint8_t(gen());
    Bytes expected;
    for (std::size_t i = 0; i < pixels; ++i) expected.insert(expected.end(), {blue[i], green[i], red[i]});
    expectAtEveryOffset(
        expected, [&](std::uint8_t* dst) { interleaveBgr(red.data(), green.data(), blue.data(), dst, pixels); });
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
  const int w = 301, h = 40;  // 903-byte rows: padded to 904
  // Two strips of 10 rows for a picture of 40: a stored strip must be
  // whole, so the last 20 rows are the ones no strip reaches.
  const Bytes file = rgbTiff(w, h, 10, {rgbRows(w, 10, 0), rgbRows(w, 10, 10)});
  dirtyTheHeap(std::size_t(904) * h);
  const Picture p = test::decode(file, "tif");
  ASSERT_EQ(p.height(), h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; x += 50) {
      const Pixel want = y < 20 ? rgb(x & 0xFF, y, (x + y) & 0xFF) : kBlack;
      ASSERT_EQ(p.pixel(x, y), want) << x << "," << y;
    }
    EXPECT_EQ(p.row(y)[903], 0) << "padding of row " << y;
  }
}

TEST(UnclearedPictures, PortableMapsAndTargaLeaveNoPaddingUnwritten) {
  for (int w : {1, 3, 5, 7}) {
    SCOPED_TRACE(w);
    const Bytes rows = rgbRows(w, 3, 0);
    FileBuilder ppm;
    ppm.text("P6 " + std::to_string(w) + " 3 255\n").raw(rows);
    dirtyTheHeap(64);
    const Picture p = test::decode(ppm.bytes, "ppm");
    FileBuilder tga;
    tga.raw({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}).le16(unsigned(w)).le16(3).raw({24, 0x20});
    for (std::size_t i = 0; i < rows.size(); i += 3) tga.raw({rows[i + 2], rows[i + 1], rows[i]});
    dirtyTheHeap(64);
    const Picture t = test::decode(tga.bytes, "tga");
    for (const Picture* pic : {&p, &t})
      for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < w; ++x) EXPECT_EQ(pic->pixel(x, y), rgb(x, y, x + y));
        for (std::size_t i = std::size_t(3 * w); i < pic->stride(); ++i) EXPECT_EQ(pic->row(y)[i], 0);
      }
  }
}

TEST(UnclearedPictures, LargePicturesAreClearedWhenAskedAndReusable) {
  // 36 MB: memory the C library maps afresh for the picture.
  Picture p;
  p.allocate(4000, 3000, 24);
  EXPECT_EQ(p.row(0)[0], 0);
  EXPECT_EQ(p.row(1500)[6000], 0);
  EXPECT_EQ(p.row(2999)[11999], 0);
  p.row(2999)[11999] = 7;
  p.allocate(4000, 3000, 24);  // the old memory goes, the new one is clear
  EXPECT_EQ(p.row(2999)[11999], 0);
  Picture copy = p;
  copy.row(0)[0] = 9;
  EXPECT_EQ(p.row(0)[0], 0);
  p.allocateForOverwrite(10, 10, 24);
  EXPECT_EQ(p.data().size(), 320u);
}

}  // namespace
}  // namespace lumora
