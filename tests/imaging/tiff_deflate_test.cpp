// TIFF Deflate compression (8 and the older 32946): strips unpacked through
// zlib, with and without the horizontal predictor; cut streams, and strips
// that are no zlib stream;
// JPEG compression (7) still refused.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

#include "imaging/loader.h"
#include "imaging/reader_test_util.h"
#include "imaging/readers/readers.h"
#include "imaging/small_tiff.h"

namespace lumora {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kW = 19, kH = 7;

Bytes deflate(const Bytes& raw) {
  uLongf size = compressBound(uLong(raw.size()));
  Bytes out(size);
  EXPECT_EQ(compress2(out.data(), &size, raw.data(), uLong(raw.size()), 9), Z_OK);
  out.resize(size);
  return out;
}

Bytes rgbTiff(std::uint32_t compression, const Bytes& strip, std::uint32_t predictor = 1) {
  return test::smallTiff(
      {{256, kW}, {257, kH}, {258, 8}, {259, compression}, {262, 2}, {277, 3}, {278, kH}, {317, predictor}}, strip);
}

Bytes samples() {
  Bytes raw(std::size_t(kW) * kH * 3);
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = std::uint8_t(i * 7 + i / 19);
  return raw;
}

Picture read(const Bytes& file) { return readTiff(ReaderInput{file, {}}); }

void expectSame(const Picture& a, const Picture& b, int rows) {
  ASSERT_EQ(a.width(), b.width());
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < a.width(); ++x) ASSERT_EQ(a.pixel(x, y), b.pixel(x, y)) << x << "," << y;
}

TEST(TiffDeflate, BothCompressionNumbersReadLikeTheUncompressedFile) {
  const Bytes raw = samples();
  const Picture plain = read(rgbTiff(1, raw));
  for (std::uint32_t compression : {8u, 32946u}) expectSame(read(rgbTiff(compression, deflate(raw))), plain, kH);

  // With the horizontal predictor, the differences are what is packed.
  Bytes differences = raw;
  for (int y = 0; y < kH; ++y)
    for (int i = kW * 3 - 1; i >= 3; --i) {
      std::uint8_t* row = &differences[std::size_t(y) * kW * 3];
      row[i] = std::uint8_t(row[i] - row[i - 3]);
    }
  expectSame(read(rgbTiff(8, deflate(differences), 2)), plain, kH);
}

TEST(TiffDeflate, CutStreamsKeepWhatCameBeforeAndJpegIsRefused) {
  const Bytes raw = samples();
  const Picture plain = read(rgbTiff(1, raw));
  // A stream stored without compression inside Deflate (level 0) is cut
  // after three rows' worth of data: those rows load, the rest stay black.
  uLongf size = compressBound(uLong(raw.size()));
  Bytes stored(size);
  ASSERT_EQ(compress2(stored.data(), &size, raw.data(), uLong(raw.size()), 0), Z_OK);
  stored.resize(std::size_t(2 + 5 + 3 * kW * 3));  // zlib header, block header, three rows
  const Picture cut = read(rgbTiff(8, stored));
  expectSame(cut, plain, 3);
  EXPECT_EQ(cut.pixel(0, 3), kBlack);
  EXPECT_EQ(cut.pixel(kW - 1, kH - 1), kBlack);

  EXPECT_EQ(test::errorOf(rgbTiff(7, raw), "tif"), "TIFF: Unknown compression scheme");
}

TEST(TiffDeflate, StripsThatAreNoZlibStreamFail) {
  const Bytes raw = samples();
  // Three rows flushed as whole blocks, then a block of the reserved type 3.
  z_stream z{};
  ASSERT_EQ(deflateInit(&z, 9), Z_OK);
  Bytes damaged(1024);
  z.next_in = const_cast<Bytef*>(raw.data());
  z.avail_in = uInt(3 * kW * 3);
  z.next_out = damaged.data();
  z.avail_out = uInt(damaged.size());
  ASSERT_EQ(deflate(&z, Z_SYNC_FLUSH), Z_OK);
  damaged.resize(damaged.size() - z.avail_out);
  deflateEnd(&z);
  damaged.push_back(0x07);
  damaged.resize(damaged.size() + 8, 0);
  for (const Bytes& strip : {Bytes(40, 0xA5), raw, damaged})
    EXPECT_EQ(test::errorOf(rgbTiff(8, strip), "tif"), "TIFF: Deflate strip damaged");
}

TEST(TiffDeflate, SampleFilesMatchTheirUncompressedTwins) {
  const Picture plain = test::loadSample("tiff/rgb_raw.tif");
  const Picture adobe = test::loadSample("tiff/rgb_adobe_deflate.tif");
  EXPECT_EQ(adobe.width(), 13);
  EXPECT_EQ(adobe.height(), 7);
  expectSame(adobe, plain, plain.height());
  // Deflate with the other compression number, big-endian.
  const Picture grey = test::loadSample("tiff/grey8.tif");
  expectSame(test::loadSample("tiff/grey_deflate_big_endian.tif"), grey, grey.height());
}

}  // namespace
}  // namespace lumora
