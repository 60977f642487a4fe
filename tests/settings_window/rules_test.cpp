#include <gtest/gtest.h>

#include "settings_window/file_masks.h"
#include "settings_window/file_names.h"
#include "settings_window/preview_size.h"
#include "imaging/loader.h"

namespace lumora {
namespace {

TEST(ListSaveName, TxtIsAppendedOnlyWhenMissing) {
  EXPECT_EQ(listSaveName("/d/a"), "/d/a.txt");
  EXPECT_EQ(listSaveName("/d/a.txt"), "/d/a.txt");
  EXPECT_EQ(listSaveName("/d/a.TxT"), "/d/a.TxT");
  EXPECT_EQ(listSaveName("/d/a.txt.old"), "/d/a.txt.old.txt");
  EXPECT_EQ(listSaveName("/d/txt"), "/d/txt.txt");
  EXPECT_EQ(listSaveName(".txt"), ".txt");
}

TEST(FileNames, JoinAndExtension) {
  EXPECT_EQ(joinFolderAndName("/", "a.jpg"), "/a.jpg");
  EXPECT_EQ(joinFolderAndName("/home/u", "a.jpg"), "/home/u/a.jpg");
  EXPECT_EQ(joinFolderAndName("/home/u/", "a.jpg"), "/home/u/a.jpg");
  EXPECT_EQ(lowerExtension("/a/B.SWF"), ".swf");
  EXPECT_EQ(lowerExtension("/a.dir/song"), "");
  EXPECT_EQ(lowerExtension(""), "");
  EXPECT_TRUE(isFlashMovie("/m/Intro.Swf"));
  EXPECT_FALSE(isFlashMovie("/m/x.swf.mp3"));
  EXPECT_FALSE(isFlashMovie("/m/x.swf/clip"));
}

TEST(FileMasks, PatternsCaseAndTheFilterTables) {
  EXPECT_TRUE(matchesMask("a.JPG", kPictureMask));
  EXPECT_TRUE(matchesMask("x.tiff", kPictureMask));
  EXPECT_FALSE(matchesMask("x.tif.txt", kPictureMask));
  EXPECT_FALSE(matchesMask("x.pngx", kPictureMask));
  for (const char* name : {"a.png", "b.WebP", "c.HEIC", "d.heif", "e.Avif"})
    EXPECT_TRUE(matchesMask(name, kPictureMask)) << name;
  EXPECT_TRUE(matchesMask("noext", "*.*"));
  EXPECT_TRUE(matchesMask("a.rm", kMediaMask));
  EXPECT_FALSE(matchesMask("a.rmvb", kMediaMask));
  EXPECT_TRUE(matchesMask("ab.c", "a?.c"));
  EXPECT_FALSE(matchesMask("abc.c", "a?.c"));
  EXPECT_FALSE(matchesMask("a.jpg", ""));
  ASSERT_EQ(pictureFilters().size(), 12u);
  EXPECT_STREQ(pictureFilters()[0].mask, kPictureMask);
  int patterns = 1;
  for (const char* c = kPictureMask; *c; ++c) patterns += *c == ';';
  EXPECT_EQ(patterns, 33);
  // Every pattern of the mask names a file type the loader reads.
  std::string mask = kPictureMask;
  for (std::size_t at = 0; at != std::string::npos;) {
    const std::size_t semi = mask.find(';', at);
    const std::string extension = mask.substr(at + 2, semi == std::string::npos ? std::string::npos : semi - at - 2);
    bool known = false;
    for (const FileType& t : fileTypes()) known = known || extension == t.extension;
    EXPECT_TRUE(known) << extension;
    at = semi == std::string::npos ? semi : semi + 1;
  }
  EXPECT_STREQ(pictureFilters()[11].description, "所有文件(*.*)");
  EXPECT_STREQ(mediaFilters()[0].mask, kMediaMask);
  EXPECT_STREQ(mediaFilters()[4].description, "所有文件(*.*)");
}

TEST(PreviewSize, BoxRuleWithHalvesToEven) {
  EXPECT_EQ(previewSize(500, 100), (PreviewSize{250, 50}));
  EXPECT_EQ(previewSize(100, 100), (PreviewSize{120, 120}));
  EXPECT_EQ(previewSize(250, 120), (PreviewSize{250, 120}));
  EXPECT_EQ(previewSize(251, 120), (PreviewSize{250, 120}));  // 119.52 rounds up
  EXPECT_EQ(previewSize(1, 240), (PreviewSize{0, 120}));      // 0.5 goes to the even 0
  EXPECT_EQ(previewSize(3, 240), (PreviewSize{2, 120}));      // 1.5 goes to 2
  EXPECT_EQ(previewSize(1000, 1), (PreviewSize{250, 0}));
  EXPECT_EQ(previewSize(0, 0), (PreviewSize{0, 0}));
  EXPECT_EQ(previewSize(10, 0), (PreviewSize{0, 0}));
  EXPECT_EQ(previewSizeText(800, 600), "800*600");
}

}  // namespace
}  // namespace lumora
