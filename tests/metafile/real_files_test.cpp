// The real metafiles among the sample pictures, and the loader's entries.
#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/readers/readers.h"
#include "tests/metafile/metafile_builder.h"

namespace lumora::test {
namespace {

std::filesystem::path sample(const char* name) { return std::filesystem::path(LUMORA_TESTIMAGES) / name; }

TEST(RealMetafiles, InkscapeCircleAsEmf) {
  if (!std::filesystem::exists(sample("drawing.emf"))) GTEST_SKIP() << "no sample pictures";
  // Frame 28.99 mm square: 110 pixels at 96 per inch.
  const Picture p = loadPicture(sample("drawing.emf"));
  EXPECT_EQ(p.width(), 110);
  EXPECT_EQ(p.height(), 110);
  EXPECT_EQ(p.pixel(55, 55), kRed);
  EXPECT_EQ(p.pixel(1, 1), kWhite);
  // The black outline crosses the middle row near both edges.
  int dark = 0;
  for (int x = 0; x < 6; ++x) dark += redOf(p.pixel(x, 55)) < 80 ? 1 : 0;
  EXPECT_GE(dark, 1);
}

TEST(RealMetafiles, InkscapeCircleAsPlaceableWmf) {
  if (!std::filesystem::exists(sample("drawing.wmf"))) GTEST_SKIP() << "no sample pictures";
  // 1369 units at 1200 per inch: 110 pixels. The file's window is 0..1369,
  // while its polygon is centred on (925, 925), so the circle reaches past
  // the right and bottom edges.
  const Picture p = loadPicture(sample("drawing.wmf"));
  EXPECT_EQ(p.width(), 110);
  EXPECT_EQ(p.height(), 110);
  EXPECT_EQ(p.pixel(75, 75), kRed);
  EXPECT_EQ(p.pixel(5, 5), kWhite);
  EXPECT_EQ(p.pixel(109, 75), kRed);
}

TEST(RealMetafiles, LoaderNeedsTheRendererAndNamesWhatIsMissing) {
  const Bytes wmf = WmfBuilder().placeable(0, 0, 10, 10, 96);
  setMetafileRenderer(nullptr);
  EXPECT_EQ(errorOf(wmf, "wmf"), "Metafiles cannot be shown in this build.");
  EXPECT_EQ(errorOf(wmf, "EMF"), "Metafiles cannot be shown in this build.");
  setMetafileRenderer(static_cast<Picture (*)(const ReaderInput&)>(renderMetafile));
  // Either extension reads either kind: the header decides.
  EXPECT_EQ(renderEmf(wmf).width(), 10);
  EXPECT_EQ(renderWmf(EmfBuilder().build(12, 8)).width(), 12);
}

}  // namespace
}  // namespace lumora::test
