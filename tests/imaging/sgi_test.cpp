#include <gtest/gtest.h>

#include "reader_test_util.h"

namespace lumora {
namespace {

using test::Bytes;
using test::FileBuilder;

FileBuilder sgiHeader(bool rle, int bpc, int width, int height, int channels) {
  FileBuilder f;
  f.be16(474).u8(rle ? 1 : 0).u8(bpc).be16(3).be16(width).be16(height).be16(channels);
  f.fill(512 - f.size(), 0);
  return f;
}

// Run-length file with one packed row per (row, channel), in table order.
Bytes rleFile(int bpc, int width, int height, int channels, const std::vector<Bytes>& rows) {
  auto f = sgiHeader(true, bpc, width, height, channels);
  std::uint32_t offset = 512 + std::uint32_t(rows.size()) * 8;
  for (const Bytes& r : rows) f.be32(offset), offset += std::uint32_t(r.size());
  for (const Bytes& r : rows) f.be32(std::uint32_t(r.size()));
  for (const Bytes& r : rows) f.raw(r);
  return f.bytes;
}

TEST(Sgi, RunLengthRgbBottomRowFirst) {
  // 2 x 2, three channels; entry y + k * height.
  const Bytes file =
      rleFile(1, 2, 2, 3,
              {{0x82, 10, 11, 0}, {0x02, 12, 0}, {0x82, 20, 21, 0}, {0x02, 22, 0}, {0x82, 30, 31, 0}, {0x02, 32, 0}});
  const Picture p = test::decode(file, "rgb");
  ASSERT_EQ(p.bits(), 24);
  EXPECT_EQ(test::row(p, 1, 2), (test::Pixels{rgb(10, 20, 30), rgb(11, 21, 31)}));  // file row 0 at the bottom
  EXPECT_EQ(test::row(p, 0, 2), (test::Pixels{rgb(12, 22, 32), rgb(12, 22, 32)}));
}

TEST(Sgi, TwoByteRunLengthReadsTheTableLengthInBytes) {
  // One grey row of 3 samples: literal 2, repeat 1, end. 14 bytes in all;
  // reading twice as many would run into the next row's data.
  const Bytes row0{0x00, 0x82, 0xAB, 0x01, 0xCD, 0x02, 0x00, 0x01, 0x77, 0x88, 0x00, 0x00};
  const Bytes row1{0x00, 0x83, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00};
  const Picture p = test::decode(rleFile(2, 3, 2, 1, {row0, row1}), "sgi");
  ASSERT_EQ(p.bits(), 8);
  EXPECT_EQ(test::row(p, 1, 3), test::greys({0xAB, 0xCD, 0x77}));
  EXPECT_EQ(test::row(p, 0, 3), test::greys({1, 2, 3}));
}

TEST(Sgi, PlainStorage) {
  // One and two channels show channel 0 in grey; a fourth is not shown.
  for (int channels : {1, 2}) {
    auto f = sgiHeader(false, 1, 2, 2, channels).raw({1, 2, 3, 4});
    if (channels == 2) f.raw({9, 9, 9, 9});
    const Picture p = test::decode(f.bytes, "bw");
    ASSERT_EQ(p.bits(), 8);
    EXPECT_EQ(test::row(p, 0, 2), test::greys({3, 4}));
    EXPECT_EQ(p.pixel(0, 1), rgb(1, 1, 1));
  }
  auto rgba = sgiHeader(false, 1, 1, 1, 4).raw({1, 2, 3, 4});
  const Picture q = test::decode(rgba.bytes, "rgba");
  ASSERT_EQ(q.bits(), 32);
  EXPECT_EQ(q.pixel(0, 0), rgb(1, 2, 3));
  // Two bytes per sample: each sample is its high byte.
  auto wide = sgiHeader(false, 2, 2, 1, 1).raw({0x12, 0x34, 0x56, 0x78});
  EXPECT_EQ(test::row(test::decode(wide.bytes, "sgi"), 0, 2), test::greys({0x12, 0x56}));
}

TEST(Sgi, BadFilesFailCleanly) {
  const std::string message = "Not a valid sgi, bw or rgb(a) image.";
  EXPECT_EQ(test::errorOf(FileBuilder().be16(475).fill(600, 0).bytes, "sgi"), message);
  EXPECT_EQ(test::errorOf(FileBuilder().be16(474).fill(20, 0).bytes, "sgi"), message);
  EXPECT_EQ(test::errorOf(sgiHeader(false, 1, 100, 100, 3).fill(10, 0).bytes, "sgi"),
            "SGI: rows past the end of the file");
  EXPECT_EQ(test::errorOf(sgiHeader(true, 1, 10, 60000, 4).fill(10, 0).bytes, "sgi"),
            "SGI: row tables past the end of the file");
  EXPECT_EQ(test::errorOf(sgiHeader(false, 3, 1, 1, 1).fill(10, 0).bytes, "sgi"), message);
  // A width that not even the longest packed row could cover.
  EXPECT_EQ(test::errorOf(rleFile(1, 65535, 2, 1, {{0xFF, 1, 0}, {0x7F, 1, 0}}), "sgi"), message);
  // Table entries pointing past the end or with huge lengths fail.
  auto f = sgiHeader(true, 1, 4, 2, 1).be32(0xFFFFFFF0u).be32(528).be32(100).be32(0xFFFFFFFFu).raw({0x84, 1, 2, 3});
  EXPECT_EQ(test::errorOf(f.bytes, "sgi"), "SGI: row past the end of the file");
}

TEST(Sgi, FilesCutShortFail) {
  // Run-length: the header, the two tables, then the packed rows.
  const Bytes rle =
      rleFile(1, 2, 2, 3,
              {{0x82, 10, 11, 0}, {0x02, 12, 0}, {0x82, 20, 21, 0}, {0x02, 22, 0}, {0x82, 30, 31, 0}, {0x02, 32, 0}});
  const std::size_t tablesEnd = 512 + 6 * 8;
  test::expectCutsFail(rle, "sgi", 2, 512, "Not a valid sgi, bw or rgb(a) image.");
  test::expectCutsFail(rle, "sgi", 512, tablesEnd, "SGI: row tables past the end of the file");
  test::expectCutsFail(rle, "sgi", tablesEnd, rle.size(), "SGI: row past the end of the file");
  // A row the table places past the end, in a file that is whole.
  Bytes far = rle;
  far[512 + 4 * 5 + 3] = 200;  // offset of the last row
  EXPECT_EQ(test::errorOf(far, "sgi"), "SGI: row past the end of the file");
  // Plain storage, 2-byte samples: every row's bytes must be there.
  const Bytes plain = sgiHeader(false, 2, 3, 2, 1).fill(12, 0x40).bytes;
  test::expectCutsFail(plain, "bw", 512, plain.size(), "SGI: rows past the end of the file");
}

TEST(Sgi, SampleFiles) {
  const auto extensions = {"sgi", "rgb", "rgba", "bw"};
  EXPECT_EQ(std::size_t(test::loadAllSamples(extensions)), test::samples(extensions).size());
  // The same picture with 1- and 2-byte samples, plain and run-length coded.
  const Picture rgb8 = test::loadSample("sgi/rgb_rle.rgb");
  const Picture rgb16 = test::loadSample("sgi/rgb16_rle.sgi");
  EXPECT_EQ(rgb8.width(), 13);
  EXPECT_EQ(rgb16.height(), 7);
  EXPECT_TRUE(rgb8.bitmap() == rgb16.bitmap());
  EXPECT_TRUE(test::loadSample("sgi/rgb_plain.sgi").bitmap() == rgb8.bitmap());
  EXPECT_EQ(test::loadSample("sgi/grey_plain.bw").bits(), 8);
}

}  // namespace
}  // namespace lumora
