#include <gtest/gtest.h>

#include "reader_test_util.h"

namespace lumora {
namespace {

using test::Bytes;

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The pixels of a row of bits: 0 is white, 1 black.
test::Pixels bits(const std::string& digits) {
  test::Pixels out;
  for (char c : digits) out.push_back(c == '1' ? kBlack : kWhite);
  return out;
}

TEST(PortableMap, TextBitMapDigitsWithOrWithoutSpaces) {
  // Width 10: the last two pixels of a row go to the top bits of byte 2.
  const Picture p = test::decode(text("P1\n# a comment\n10 2\n0101010101\n1 1 1 1 1 1 1 1 0 1"), "pbm");
  ASSERT_EQ(p.bits(), 1);
  EXPECT_EQ(test::row(p, 0, 10), bits("0101010101"));
  EXPECT_EQ(test::row(p, 1, 10), bits("1111111101"));
  EXPECT_EQ(p.pixel(0, 0), kWhite);  // 0 is white, 1 black
  EXPECT_EQ(p.pixel(1, 0), kBlack);
}

TEST(PortableMap, GreyValuesAreNotScaled) {
  const Picture p = test::decode(text("P2 3 1 15\n0 7 15\n"), "pgm");
  ASSERT_EQ(p.bits(), 8);
  EXPECT_EQ(p.pixel(2, 0), rgb(15, 15, 15));
  EXPECT_EQ(p.pixel(1, 0), rgb(7, 7, 7));
}

TEST(PortableMap, CommentsWhereverTheyStand) {
  // Between width and height, several in a row, right after a number, and
  // the header numbers on the first line.
  const Picture p = test::decode(text("P3 #c1\n2#c2\n#c3\n\n# c4 9 9\n1 255\n1 2 3 #x 7\n4 5 6"), "ppm");
  ASSERT_EQ(p.width(), 2);
  ASSERT_EQ(p.height(), 1);
  EXPECT_EQ(test::row(p, 0, 2), (test::Pixels{rgb(1, 2, 3), rgb(4, 5, 6)}));
  // A carriage return ends a comment, as does a line feed.
  EXPECT_EQ(test::decode(text("P2\r\n# c\r1 1 255\r\n9"), "pgm").pixel(0, 0), rgb(9, 9, 9));
}

TEST(PortableMap, BinaryFormats) {
  Bytes pbm = text("P4\n10 2\n");
  pbm.insert(pbm.end(), {0xAA, 0xC0, 0x01, 0x80});
  Picture p = test::decode(pbm, "pbm");
  EXPECT_EQ(test::row(p, 0, 10), bits("1010101011"));
  EXPECT_EQ(test::row(p, 1, 10), bits("0000000110"));
  Bytes pgm = text("P5 2 2 255\n");
  pgm.insert(pgm.end(), {1, 2, 3, 4});
  p = test::decode(pgm, "pgm");
  EXPECT_EQ(test::row(p, 1, 2), test::greys({3, 4}));
  Bytes ppm = text("P6\n# c\n2 1\n255\n");
  ppm.insert(ppm.end(), {10, 20, 30, 40, 50, 60});
  p = test::decode(ppm, "ppm");
  ASSERT_EQ(p.bits(), 24);
  EXPECT_EQ(test::row(p, 0, 2), (test::Pixels{rgb(10, 20, 30), rgb(40, 50, 60)}));
}

TEST(PortableMap, Failures) {
  EXPECT_EQ(test::errorOf(text("Q6 1 1 255\n"), "ppm"), "Not a valid ppm file.");
  EXPECT_EQ(test::errorOf(text("Px 1 1 255\n"), "ppm"), "Not a valid ppm file.");
  EXPECT_EQ(test::errorOf(Bytes{}, "ppm"), "Not a valid ppm file.");
  EXPECT_TRUE(test::decode(text("P7 1 1 255\n"), "ppm").empty());
  EXPECT_EQ(test::errorOf(text("P6 2 2 255\nabc"), "ppm"), "PPM: Stream read error.");
  EXPECT_EQ(test::errorOf(text("P2 2 2 255\n1 2 3"), "ppm"), "PPM: Stream read error.");
  EXPECT_EQ(test::errorOf(text("P5 2"), "ppm"), "PPM: Stream read error.");
  EXPECT_EQ(test::errorOf(text("P5 60000 60000 255\n"), "pgm"), "PPM: Stream read error.");
  EXPECT_EQ(test::errorOf(text("P1 99999999999999999999 99999999999 1"), "pbm"), "PPM: Stream read error.");
  // The widest picture the header can give: its row length must not overflow.
  EXPECT_EQ(test::errorOf(text("P4 2147483647 1\n\xff\xff"), "pbm"), "PPM: Stream read error.");
  EXPECT_EQ(test::errorOf(text("P4 2147483647 2147483647\n\xff"), "pbm"), "PPM: Stream read error.");
  // No columns but two billion rows: nothing to read, at once.
  for (const char* header : {"P4 0 2147483647\n", "P5 0 2147483647 255\n", "P1 0 2147483647\n"})
    EXPECT_EQ(test::decode(text(header), "pbm").width(), 0) << header;
  // Binary rows cut short.
  const Bytes rows = text("P5 3 2 255\nabcdef");
  test::expectCutsFail(rows, "pgm", rows.size() - 6, rows.size(), "PPM: Stream read error.");
}

TEST(PortableMap, SampleFiles) {
  const auto all = test::samples({"pbm", "pgm", "ppm"});
  EXPECT_GE(all.size(), 7u);
  EXPECT_EQ(std::size_t(test::loadAllSamples({"pbm", "pgm", "ppm"})), all.size());
  // Text and binary forms of the same picture agree.
  for (const std::string ext : {"pbm", "pgm", "ppm"})
    EXPECT_TRUE(test::loadSample("pnm/binary." + ext).bitmap() == test::loadSample("pnm/plain." + ext).bitmap()) << ext;
  EXPECT_EQ(test::loadSample("pnm/binary.ppm").width(), 13);
}

}  // namespace
}  // namespace lumora
