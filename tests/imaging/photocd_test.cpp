// Photo-CD reader: orientation, chroma averaging, the YCC colour formula.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

#include "imaging/loader.h"
#include "imaging/readers/readers.h"
#include "reader_test_util.h"

namespace lumora {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBase = 0x30000;
constexpr int kW = 768, kH = 512;

// A base image: luma from lumaAt(x, y); chroma from c1At/c2At(i, pair).
template <class L, class C1, class C2>
Bytes makePcd(int orientation, L lumaAt, C1 c1At, C2 c2At) {
  Bytes b(kBase + std::size_t(kW) * 3 * (kH / 2), 0);
  std::memcpy(b.data() + 2048, "PCD_IPI", 7);
  b[194635] = std::uint8_t(orientation);
  for (int p = 0; p < kH / 2; ++p) {
    std::uint8_t* pair = b.data() + kBase + std::size_t(p) * kW * 3;
    for (int x = 0; x < kW; ++x) {
      pair[x] = std::uint8_t(lumaAt(x, 2 * p));
      pair[kW + x] = std::uint8_t(lumaAt(x, 2 * p + 1));
    }
    for (int i = 0; i < kW / 2; ++i) {
      pair[2 * kW + i] = std::uint8_t(c1At(i, p));
      pair[2 * kW + kW / 2 + i] = std::uint8_t(c2At(i, p));
    }
  }
  return b;
}

Picture read(const Bytes& b) { return readPhotoCd(ReaderInput{b, {}}); }

TEST(PhotoCdReader, NeutralChromaGivesGreyByTheLumaFactor) {
  const Bytes b = makePcd(
      0, [](int, int) { return 100; }, [](int, int) { return 156; }, [](int, int) { return 137; });
  const Picture p = read(b);
  EXPECT_EQ(p.width(), 768);
  EXPECT_EQ(p.height(), 512);
  EXPECT_EQ(p.bits(), 24);
  EXPECT_EQ(p.pixel(10, 10), rgb(136, 136, 136));  // 135.84 rounds to 136
  // Y 200 overflows and is clamped.
  EXPECT_EQ(read(makePcd(
                     0, [](int, int) { return 200; }, [](int, int) { return 156; }, [](int, int) { return 137; }))
                .pixel(0, 0),
            kWhite);
}

TEST(PhotoCdReader, ChromaIsAveragedBetweenStoredSamples) {
  // c1 grows by 4 per stored column and 8 per pair; c2 neutral; luma 0.
  const Bytes b = makePcd(
      0, [](int, int) { return 0; }, [](int i, int p) { return 100 + 4 * (i % 8) + 8 * (p % 4); },
      [](int, int) { return 137; });
  const Picture pic = read(b);
  // With c1 below 156 blue is clamped to 0; green = -0.4302726 * (c1 - 156).
  auto green = [](int c1) { return std::clamp(int(std::nearbyintl(-0.4302726L * (c1 - 156))), 0, 255); };
  // Pair 1, stored column 1 (c1 = 100 + 4 + 8 = 112) and its neighbours.
  EXPECT_EQ(greenOf(pic.pixel(2, 2)), green(112));
  EXPECT_EQ(greenOf(pic.pixel(3, 2)), green((112 + 116) / 2));
  EXPECT_EQ(greenOf(pic.pixel(2, 3)), green((112 + 120) / 2));
  EXPECT_EQ(greenOf(pic.pixel(3, 3)), green((112 + 116 + 120 + 124) / 4));
  // The last pair has no next pair: its own values stand in.
  const int c1Last = 100 + 4 * (10 % 8) + 8 * (255 % 4);
  EXPECT_EQ(greenOf(pic.pixel(20, 511)), green(c1Last));
}

TEST(PhotoCdReader, OrientationsTurnThePicture) {
  // One bright stored pixel at (5, 1), the rest black.
  auto luma = [](int x, int y) { return x == 5 && y == 1 ? 150 : 0; };
  auto c1 = [](int, int) { return 156; };
  auto c2 = [](int, int) { return 137; };
  auto bright = [](const Picture& p) {
    for (int y = 0; y < p.height(); ++y)
      for (int x = 0; x < p.width(); ++x)
        if (p.pixel(x, y) != kBlack) return std::pair(x, y);
    return std::pair(-1, -1);
  };
  Picture p = read(makePcd(0, luma, c1, c2));
  EXPECT_EQ(bright(p), std::pair(5, 1));
  p = read(makePcd(2, luma, c1, c2));  // upside down, not on its side
  EXPECT_EQ(p.width(), 768);
  EXPECT_EQ(p.height(), 512);
  EXPECT_EQ(bright(p), std::pair(762, 510));
  p = read(makePcd(1, luma, c1, c2));
  EXPECT_EQ(p.width(), 512);
  EXPECT_EQ(p.height(), 768);
  EXPECT_EQ(bright(p), std::pair(1, 762));
  p = read(makePcd(3 | 0xF4, luma, c1, c2));  // only the low two bits count
  EXPECT_EQ(p.width(), 512);
  EXPECT_EQ(bright(p), std::pair(510, 5));
}

TEST(PhotoCdReader, WrongSignatureAndShortFiles) {
  Bytes b = makePcd(
      0, [](int, int) { return 90; }, [](int, int) { return 156; }, [](int, int) { return 137; });
  b[2050] = 'X';
  EXPECT_EQ(test::messageOf([&] { read(b); }), "PCD: wrong image format.");
  EXPECT_THROW(read(Bytes(100, 0)), PictureError);
  // A file cut inside the base image fails, however little is missing.
  b[2050] = 'D';
  EXPECT_NO_THROW(read(b));
  for (std::size_t size : {kBase + 3 * kW * 10 + 50, b.size() - 1, std::size_t(kBase - 1), std::size_t(4000)})
    EXPECT_EQ(test::messageOf([&] { read(Bytes(b.begin(), b.begin() + std::ptrdiff_t(size))); }),
              "PCD: image data past the end of the file")
        << size;
}

TEST(PhotoCdReader, SampleFile) {
  const Picture p = test::loadSample("photocd/base.pcd");
  EXPECT_EQ(p.width() * p.height(), 768 * 512);
  EXPECT_EQ(p.bits(), 24);
}

}  // namespace
}  // namespace lumora
