// Photoshop reader: modes, raw and PackBits data, 16-bit samples, bad files.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/loader.h"
#include "reader_test_util.h"
#include "imaging/readers/readers.h"

namespace lumora {
namespace {

using Bytes = std::vector<std::uint8_t>;

void be(Bytes& b, std::uint64_t v, int size) {
  for (int i = size - 1; i >= 0; --i) b.push_back(std::uint8_t(v >> (8 * i)));
}

struct Psd {
  unsigned channels = 3, depth = 8, mode = 3;
  std::uint32_t width = 1, height = 1;
  Bytes modeData;
  unsigned compression = 0;
  std::vector<unsigned> rowCounts;  // PackBits only
  Bytes image;
};

Bytes makePsd(const Psd& p) {
  Bytes b = {'8', 'B', 'P', 'S'};
  be(b, 1, 2);
  be(b, 0, 6);
  be(b, p.channels, 2);
  be(b, p.height, 4);
  be(b, p.width, 4);
  be(b, p.depth, 2);
  be(b, p.mode, 2);
  be(b, std::uint32_t(p.modeData.size()), 4);
  b.insert(b.end(), p.modeData.begin(), p.modeData.end());
  be(b, 6, 4);  // image resources, skipped
  be(b, 0x01020304, 6);
  be(b, 0, 4);  // layers
  be(b, p.compression, 2);
  for (auto c : p.rowCounts) be(b, c, 2);
  b.insert(b.end(), p.image.begin(), p.image.end());
  return b;
}

Picture read(const Bytes& b) { return readPhotoshop(ReaderInput{b, {}}); }

TEST(PhotoshopReader, RgbRawAndPackBitsAgree) {
  Psd p;
  p.width = 2;
  p.height = 2;
  // Planes: red, green, blue (and an alpha plane that is not used).
  p.channels = 4;
  p.image = {10, 20, 30, 40, /**/ 50, 60, 70, 80, /**/ 90, 100, 110, 120, /**/ 1, 1, 1, 1};
  const Picture raw = read(makePsd(p));
  EXPECT_EQ(raw.bits(), 24);
  EXPECT_EQ(raw.pixel(0, 0), rgb(10, 50, 90));
  EXPECT_EQ(raw.pixel(1, 1), rgb(40, 80, 120));

  p.compression = 1;
  // One row of each plane per count: literal runs and repeats.
  p.rowCounts = {3, 3, 2, 3, 3, 3, 2, 2};
  p.image = {1, 10, 20, 1, 30, 40, 0xFF, 50, 1, 70, 80, 1, 90, 100, 1, 110, 120, 0xFF, 1, 0xFF, 1};
  const Picture packed = read(makePsd(p));
  EXPECT_EQ(packed.pixel(0, 0), rgb(10, 50, 90));
  EXPECT_EQ(packed.pixel(1, 0), rgb(20, 50, 100));
  EXPECT_EQ(packed.pixel(1, 1), rgb(40, 80, 120));
}

TEST(PhotoshopReader, SixteenBitPlanesKeepTheirHighBytes) {
  Psd p;
  p.depth = 16;
  p.image = {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x01};
  EXPECT_EQ(read(makePsd(p)).pixel(0, 0), rgb(0x12, 0xAB, 0xFF));
  // With PackBits the counts are byte counts.
  p.compression = 1;
  p.rowCounts = {3, 3, 3};
  p.image = {1, 0x12, 0x34, 1, 0xAB, 0xCD, 1, 0xFF, 0x01};
  EXPECT_EQ(read(makePsd(p)).pixel(0, 0), rgb(0x12, 0xAB, 0xFF));
}

TEST(PhotoshopReader, CmykPlanesAreStoredInverted) {
  Psd p;
  p.mode = 4;
  p.channels = 4;
  p.width = 2;
  p.image = {255, 0, 255, 255, 255, 255, 255, 255};  // planes c, m, y, k for two pixels
  const Picture pic = read(makePsd(p));
  EXPECT_EQ(pic.bits(), 24);
  EXPECT_EQ(pic.pixel(0, 0), kWhite);            // every plane 255: no ink
  EXPECT_EQ(pic.pixel(1, 0), rgb(0, 255, 255));  // full cyan
  p.depth = 16;
  p.width = 1;
  p.image = {0, 0, 255, 255, 255, 255, 255, 255};
  EXPECT_EQ(read(makePsd(p)).pixel(0, 0), rgb(0, 255, 255));
}

TEST(PhotoshopReader, LabPlanesAreCentredOn128) {
  Psd p;
  p.mode = 9;
  p.width = 2;
  p.image = {255, 0, 128, 128, 128, 128};
  const Picture pic = read(makePsd(p));
  EXPECT_EQ(pic.pixel(0, 0), kWhite);
  EXPECT_EQ(pic.pixel(1, 0), kBlack);
}

TEST(PhotoshopReader, SingleChannelModes) {
  // Bitmap mode: set bits are black; rows are (width + 7) div 8 bytes.
  Psd p;
  p.mode = 0;
  p.depth = 1;
  p.channels = 1;
  p.width = 10;
  p.height = 2;
  p.image = {0b10000000, 0b01000000, 0b00000000, 0b11000000};
  Picture pic = read(makePsd(p));
  EXPECT_EQ(pic.bits(), 1);
  EXPECT_EQ(pic.pixel(0, 0), kBlack);
  EXPECT_EQ(pic.pixel(1, 0), kWhite);
  EXPECT_EQ(pic.pixel(9, 0), kBlack);
  EXPECT_EQ(pic.pixel(8, 1), kBlack);

  // Indexed: the colour table is 256 reds, 256 greens, 256 blues; only the
  // first channel is read, each PackBits row from its own count.
  Psd q;
  q.mode = 2;
  q.channels = 2;
  q.width = 3;
  q.height = 2;
  q.modeData.assign(768, 0);
  q.modeData[7] = 200;
  q.modeData[256 + 7] = 100;
  q.modeData[512 + 7] = 50;
  q.compression = 1;
  q.rowCounts = {2, 4, 9, 9};
  q.image = {0xFE, 7, /**/ 0, 0, 1, 7, /**/ 0, 0, 0, 0, 0, 0, 0, 0, 0};
  pic = read(makePsd(q));
  EXPECT_EQ(pic.bits(), 8);
  EXPECT_EQ(pic.pixel(2, 0), rgb(200, 100, 50));
  EXPECT_EQ(pic.pixel(0, 1), kBlack);
  EXPECT_EQ(pic.pixel(1, 1), rgb(200, 100, 50));

  // Grey, 16 bits, raw.
  Psd g;
  g.mode = 1;
  g.depth = 16;
  g.channels = 1;
  g.width = 2;
  g.image = {0x80, 0xFF, 0x10, 0x00};
  pic = read(makePsd(g));
  EXPECT_EQ(pic.pixel(0, 0), rgb(0x80, 0x80, 0x80));
  EXPECT_EQ(pic.pixel(1, 0), rgb(0x10, 0x10, 0x10));
}

TEST(PhotoshopReader, BadAndHostileFiles) {
  auto message = [](const Bytes& b) { return test::messageOf([&] { read(b); }); };
  Psd p;
  Bytes b = makePsd(p);
  b[0] = 'X';
  EXPECT_EQ(message(b), "Not a valid psd file.");
  p.mode = 7;  // multichannel
  EXPECT_EQ(message(makePsd(p)), "Not a valid psd file.");
  p.mode = 3;
  p.width = 0;
  EXPECT_EQ(message(makePsd(p)), "Not a valid psd file.");
  // Data shorter than the planes fail.
  p.width = 4;
  p.image = {9};
  EXPECT_EQ(message(makePsd(p)), "PSD: image data past the end of the file");
  // Packed rows that run past their planes are cut.
  p.compression = 1;
  p.width = 2;
  p.rowCounts = {2, 2, 2};
  p.image = {0x81, 5, 0x81, 6, 0x81, 7};  // each a run of 128
  EXPECT_EQ(read(makePsd(p)).pixel(1, 0), rgb(5, 5, 5));
  // Counts that promise far more than the file holds.
  p.width = 300000;
  p.height = 2000;
  p.rowCounts.assign(6000, 0xFFFF);
  EXPECT_EQ(message(makePsd(p)), "PSD: image data past the end of the file");
}

TEST(PhotoshopReader, FilesCutShortFail) {
  // RGB planes stored: cut in the header and sections, then in the planes.
  Psd p;
  p.width = 3;
  p.height = 2;
  p.image = Bytes(18, 7);
  const Bytes plain = makePsd(p);
  const std::size_t imageAt = plain.size() - 18;
  test::expectCutsFail(plain, "psd", 0, imageAt + 1, "Not a valid psd file.");
  test::expectCutsFail(plain, "psd", imageAt + 1, plain.size(), "PSD: image data past the end of the file");
  // PackBits: the row counts, then the packed rows.
  p.compression = 1;
  p.rowCounts.assign(6, 2);
  p.image.clear();
  for (int i = 0; i < 6; ++i) p.image.insert(p.image.end(), {0xFE, std::uint8_t(i)});
  const Bytes packed = makePsd(p);
  const std::size_t countsAt = packed.size() - 24;
  test::expectCutsFail(packed, "psd", countsAt + 1, countsAt + 12, "PSD: row byte counts past the end of the file");
  test::expectCutsFail(packed, "psd", countsAt + 12, packed.size(), "PSD: image data past the end of the file");
  // One channel (grey): the counts of its rows only.
  p.channels = 1;
  p.mode = 1;
  p.rowCounts.assign(2, 2);
  p.image = {0xFE, 1, 0xFE, 2};
  const Bytes grey = makePsd(p);
  test::expectCutsFail(grey, "psd", grey.size() - 4, grey.size(), "PSD: image data past the end of the file");
}

TEST(PhotoshopReader, SampleFiles) {
  const Picture rgb = test::loadSample("psd/rgb_rle.psd");
  EXPECT_EQ(rgb.width(), 13);
  EXPECT_EQ(rgb.bits(), 24);
  EXPECT_TRUE(test::loadSample("psd/rgb_raw.psd").bitmap() == rgb.bitmap());
  EXPECT_EQ(std::size_t(test::loadAllSamples({"psd", "pdd"})), test::samples({"psd", "pdd"}).size());
}

}  // namespace
}  // namespace lumora
