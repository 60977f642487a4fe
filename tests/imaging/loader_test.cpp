#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

#include "imaging/loader.h"
#include "imaging/reader_test_util.h"

namespace lumora {
namespace {

std::string errorOf(const std::string& path) {
  return test::messageOf([&] { loadPicture(path); });
}

class LoaderFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("lumora-loader-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string write(const std::string& name, const std::string& bytes) {
    const auto p = (dir_ / name).string();
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  std::filesystem::path dir_;
};

TEST_F(LoaderFiles, ExtensionPicksTheReaderWithoutRegardToCase) {
  // A 1 x 1 portable pixel map under three spellings of its extension.
  const std::string ppm = std::string("P6 1 1 255\n") + "\x0a\x14\x1e";
  for (const char* name : {"a.ppm", "b.PPM", "c.Ppm"}) {
    const Picture p = loadPicture(write(name, ppm));
    EXPECT_EQ(p.width(), 1) << name;
    EXPECT_EQ(p.pixel(0, 0), rgb(10, 20, 30)) << name;
  }
  // scr is read as PCX: a file that is no PCX gets the PCX reader's message.
  EXPECT_EQ(errorOf(write("shot.scr", std::string(200, 'x'))), "Not a PCX or SCR file.");
}

TEST_F(LoaderFiles, UnknownExtensionsAndUnreadableFilesAreNamed) {
  EXPECT_EQ(errorOf(write("x.xyz", "data")), "Unknown picture file extension (.xyz)");
  EXPECT_EQ(errorOf(write("noext", "data")), "Unknown picture file extension (.)");
  // The extension is the text after the last dot of the name, not of a folder.
  std::filesystem::create_directories(dir_ / "a.gif");
  EXPECT_EQ(errorOf((dir_ / "a.gif" / "b").string()), "Unknown picture file extension (.)");
  EXPECT_NE(errorOf((dir_ / "a.gif").string()).find("Is a directory"), std::string::npos);
  EXPECT_NE(errorOf((dir_ / "missing.gif").string()).find("No such file"), std::string::npos);
  EXPECT_EQ(errorOf(write("empty.gif", "")), "Not a valid GIF file.");
}

TEST(FileTypes, TableHoldsEveryExtensionOnce) {
  std::set<std::string> seen;
  for (const FileType& t : fileTypes()) {
    EXPECT_TRUE(seen.insert(t.extension).second) << t.extension;
    EXPECT_NE(t.reader, nullptr);
  }
  EXPECT_EQ(seen.size(), 39u);
  EXPECT_TRUE(seen.count("rle") && seen.count("bw") && seen.count("pcd") && seen.count("wmf"));
  for (const char* e : {"png", "webp", "heic", "heif", "avif"}) EXPECT_EQ(seen.count(e), 1u) << e;
}

}  // namespace
}  // namespace lumora
