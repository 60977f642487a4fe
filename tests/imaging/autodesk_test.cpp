#include <gtest/gtest.h>

#include "reader_test_util.h"

namespace lumora {
namespace {

using test::Bytes;
using test::FileBuilder;

FileBuilder autodeskFile(int width, int height) {
  FileBuilder f;
  f.le16(0x9119).le16(width).le16(height).fill(26, 0);
  for (int i = 0; i < 256; ++i) f.u8(i & 63).u8(63 - (i & 63)).u8(1);
  return f;
}

TEST(Autodesk, PaletteTimesFourAndRowsTopDown) {
  auto f = autodeskFile(3, 2).raw({0, 1, 2, 10, 11, 12});
  const Picture p = test::decode(f.bytes, "cel");
  ASSERT_EQ(p.bits(), 8);
  auto colour = [](int i) { return rgb((i & 63) * 4, (63 - (i & 63)) * 4, 4); };
  EXPECT_EQ(test::row(p, 0, 3), test::through({0, 1, 2}, colour));
  EXPECT_EQ(test::row(p, 1, 3), test::through({10, 11, 12}, colour));
  EXPECT_EQ(p.pixel(1, 0), rgb(4, 248, 4));
  EXPECT_EQ(p.pixel(0, 0), rgb(0, 252, 4));
}

TEST(Autodesk, Messages) {
  EXPECT_EQ(test::errorOf(FileBuilder().le16(0x9118).fill(900, 0).bytes, "pic"),
            "Cannot load image. Only old style Autodesk images are supported.");
  EXPECT_EQ(test::errorOf(autodeskFile(3, 2).raw({1, 2, 3, 4}).bytes, "pic"), "Stream read error");
  EXPECT_EQ(test::errorOf(FileBuilder().le16(0x9119).fill(20, 0).bytes, "pic"), "Stream read error");
  EXPECT_EQ(test::errorOf(autodeskFile(65535, 65535).bytes, "cel"), "Stream read error");
}

TEST(Autodesk, FilesCutShortFail) {
  // Signature, header, palette and rows alike: the stream's read error.
  auto f = autodeskFile(4, 3).fill(12, 1);
  test::expectCutsFail(f.bytes, "pic", 0, f.size(), "Stream read error");
}

}  // namespace
}  // namespace lumora
