// The committed sample metafiles, and the loader's entries.
#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/readers/readers.h"
#include "tests/metafile/metafile_builder.h"

namespace lumora::test {
namespace {

std::filesystem::path sample(const char* name) {
  return std::filesystem::path(LUMORA_SOURCE_DIR) / "tests" / "data" / "metafile" / name;
}

// The committed samples (scripts/make_samples.py): a 24 x 24 picture with a
// red box (2, 2)-(12, 9) and a blue box (10, 6)-(22, 15) over it, filled
// without outlines, as a placeable Windows metafile at 96 units per inch and
// as an enhanced metafile whose frame is 24 x 24 pixels at 96 per inch.
void expectBoxes(const Picture& p) {
  EXPECT_EQ(p.width(), 24);
  EXPECT_EQ(p.height(), 24);
  EXPECT_EQ(p.pixel(2, 2), rgb(200, 30, 40));
  EXPECT_EQ(p.pixel(9, 8), rgb(200, 30, 40));
  EXPECT_EQ(p.pixel(11, 8), rgb(20, 40, 200));  // drawn later, on top
  EXPECT_EQ(p.pixel(21, 14), rgb(20, 40, 200));
  for (auto [x, y] : {std::pair{1, 1}, {12, 2}, {22, 15}, {23, 23}, {5, 20}})
    EXPECT_EQ(p.pixel(x, y), kWhite) << x << "," << y;
}

TEST(MetafileSamples, BoxesAsEmf) { expectBoxes(loadPicture(sample("boxes.emf"))); }

TEST(MetafileSamples, BoxesAsPlaceableWmf) { expectBoxes(loadPicture(sample("boxes.wmf"))); }

TEST(MetafileSamples, LoaderNeedsTheRendererAndNamesWhatIsMissing) {
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
