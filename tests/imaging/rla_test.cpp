// RLA reader: channels and matte, row order, offsets and damaged rows.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/readers/readers.h"
#include "reader_test_util.h"

namespace lumora {
namespace {

using Bytes = std::vector<std::uint8_t>;

void be16(Bytes& b, unsigned v, std::size_t at) {
  b[at] = std::uint8_t(v >> 8);
  b[at + 1] = std::uint8_t(v);
}

// rows[r][c]: the packed bytes of channel c of stored row r.
Bytes makeRla(int left, int right, int bottom, int top, int channels, int mattes,
              const std::vector<std::vector<Bytes>>& rows) {
  Bytes b(740, 0);
  be16(b, unsigned(left), 8);
  be16(b, unsigned(right), 10);
  be16(b, unsigned(bottom), 12);
  be16(b, unsigned(top), 14);
  be16(b, unsigned(channels), 20);
  be16(b, unsigned(mattes), 22);
  b.resize(740 + 4 * rows.size(), 0);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::uint32_t at = std::uint32_t(b.size());
    for (int i = 0; i < 4; ++i) b[740 + 4 * r + std::size_t(i)] = std::uint8_t(at >> (24 - 8 * i));
    for (const Bytes& ch : rows[r]) {
      b.push_back(std::uint8_t(ch.size() >> 8));
      b.push_back(std::uint8_t(ch.size()));
      b.insert(b.end(), ch.begin(), ch.end());
    }
  }
  return b;
}

Picture read(const Bytes& b) { return readRla(ReaderInput{b, {}}); }

// Two pixels per row: a run for red, literals for green and blue, a matte run.
const std::vector<std::vector<Bytes>> kRows = {
    {{1, 10}, {0xFE, 20, 21}, {0xFE, 30, 31}, {1, 99}},
    {{1, 40}, {0xFE, 50, 51}, {0xFE, 60, 61}, {1, 77}},
};

TEST(RlaReader, FourChannelsWithoutMatteLoadAsTwentyFourBits) {
  const Picture p = read(makeRla(0, 1, 0, 1, 4, 0, kRows));
  EXPECT_EQ(p.bits(), 24);
  EXPECT_EQ(p.width(), 2);
  EXPECT_EQ(p.height(), 2);
  // bottom (0) < top (1): the file's first row is the picture's bottom row.
  EXPECT_EQ(p.pixel(0, 1), rgb(10, 20, 30));
  EXPECT_EQ(p.pixel(1, 1), rgb(10, 21, 31));
  EXPECT_EQ(p.pixel(1, 0), rgb(40, 51, 61));
}

TEST(RlaReader, MatteGivesThirtyTwoBitsAndTopDownWindow) {
  const Picture p = read(makeRla(5, 6, 8, 7, 3, 1, kRows));
  EXPECT_EQ(p.bits(), 32);
  EXPECT_EQ(p.width(), 2);
  EXPECT_EQ(p.height(), 2);
  EXPECT_EQ(p.pixel(0, 0), rgb(10, 20, 30));
  EXPECT_EQ(p.pixel(1, 0), rgb(10, 21, 31));
  EXPECT_EQ(p.pixel(1, 1), rgb(40, 51, 61));  // the matte is not shown
}

TEST(RlaReader, RejectsOtherChannelCountsAndSurvivesDamage) {
  EXPECT_EQ(test::messageOf([] { read(makeRla(0, 1, 0, 1, 1, 0, kRows)); }), "RLA: image must be RGB(A).");
  EXPECT_THROW(read(Bytes(100, 0)), PictureError);
  EXPECT_THROW(read(makeRla(3, 1, 0, 1, 3, 0, kRows)), PictureError);  // right < left

  // A run longer than the row is cut; a row offset or a channel's length
  // past the end fails.
  Bytes b = makeRla(0, 1, 1, 0, 3, 0, {{{100, 9}, {1, 8}, {1, 7}}, {{1, 1}, {1, 2}, {1, 3}}});
  EXPECT_EQ(read(b).pixel(1, 0), rgb(9, 8, 7));
  b[744] = 0x7F;
  EXPECT_THROW(read(b), PictureError);
  b = makeRla(0, 1, 1, 0, 3, 0, {{{1, 9}, {1, 8}, {1, 7}}});
  b.resize(b.size() - 3);
  EXPECT_THROW(read(b), PictureError);
}

TEST(RlaReader, FilesCutShortFail) {
  const Bytes b = makeRla(0, 1, 1, 0, 3, 0, {{{1, 9}, {1, 8}, {1, 7}}, {{0xFE, 1, 2}, {1, 2}, {1, 3}}});
  test::expectCutsFail(b, "rla", 0, 740, "RLA: invalid image.");
  test::expectCutsFail(b, "rla", 740, 748, "RLA: offset table past the end of the file");
  test::expectCutsFail(b, "rla", 748, b.size(), "RLA: row past the end of the file");
}

}  // namespace
}  // namespace lumora
