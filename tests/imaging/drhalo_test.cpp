#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "reader_test_util.h"

namespace lumora {
namespace {

using test::Bytes;
using test::FileBuilder;

// 3 x 2: row 0 a run of 3 sevens, row 1 the literals 1, 2, 3.
Bytes haloFile() {
  FileBuilder f;
  f.le16(3).le16(2).le16(0);
  f.le16(3).raw({0x83, 7, 0x00});
  f.le16(5).raw({0x03, 1, 2, 3, 0x80});
  return f.bytes;
}

class DrHaloFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("lumora_drhalo_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string write(const std::string& name, const Bytes& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
  }
  std::filesystem::path dir_;
};

TEST_F(DrHaloFiles, WithoutPaletteFileTheRowsShowInGrey) {
  for (const std::string& path : {std::string(), (dir_ / "a.cut").string()}) {
    const Picture p = test::decode(haloFile(), "cut", path);
    ASSERT_EQ(p.bits(), 8);
    EXPECT_EQ(test::row(p, 0, 3), test::greys({7, 7, 7}));
    EXPECT_EQ(test::row(p, 1, 3), test::greys({1, 2, 3}));
    EXPECT_EQ(p.pixel(0, 0), rgb(7, 7, 7));
  }
}

TEST_F(DrHaloFiles, PaletteFileBesideThePicture) {
  // 80 entries: 78 fit in the first block (offsets 40 to 502), the 79th
  // starts the second block.
  FileBuilder pal;
  pal.fill(12, 0).le16(79).fill(40 - 14, 0);
  for (int i = 0; i < 78; ++i) pal.le16(0x1100 + i).le16(0x2200 + 2 * i).le16(0x3300 + 3);
  pal.fill(512 - pal.size(), 0xEE);
  pal.le16(200).le16(201).le16(202).le16(210).le16(211).le16(212);
  write("pic.pal", pal.bytes);
  const std::string picture = write("pic.cut", haloFile());
  const Picture p = loadPicture(picture);
  EXPECT_EQ(p.pixel(0, 0), rgb(7, 14, 3));
  EXPECT_EQ(p.pixel(0, 1), rgb(1, 2, 3));
  // Entries 77 to 80 (the 79th and 80th from the second block, the 81st
  // not in the file: black), through a picture of those indices.
  FileBuilder indices = FileBuilder().le16(4).le16(1).le16(0);
  indices.le16(5).raw({4, 77, 78, 79, 80, 0});
  const Picture q = loadPicture(write("pic.cut", indices.bytes));
  EXPECT_EQ(test::row(q, 0, 4), (test::Pixels{rgb(77, 154, 3), rgb(200, 201, 202), rgb(210, 211, 212), kBlack}));
}

TEST(DrHalo, FilesCutShortFail) {
  // Header, a row's length, a packet or the end code cut off.
  test::expectCutsFail(haloFile(), "cut", 0, haloFile().size(), "Stream read error");
  // Rows whose own end code comes early keep the rest of the row unfilled.
  const Bytes shortRows = FileBuilder().le16(3).le16(2).le16(0).le16(3).raw({0x81, 7, 0}).le16(1).raw({0}).bytes;
  const Picture p = test::decode(shortRows, "cut");
  EXPECT_EQ(test::row(p, 0, 3), test::greys({7, 0, 0}));
}

TEST_F(DrHaloFiles, APaletteNameThatIsNoRegularFileCountsAsMissing) {
  // A FIFO would block the open for ever, a folder cannot be read: both
  // leave the picture in grey.
  ASSERT_EQ(::mkfifo((dir_ / "f.pal").c_str(), 0600), 0);
  std::filesystem::create_directory(dir_ / "d.pal");
  for (const char* name : {"f.cut", "d.cut"}) {
    const Picture p = test::decode(haloFile(), "cut", (dir_ / name).string());
    EXPECT_EQ(p.pixel(0, 0), rgb(7, 7, 7)) << name;
  }
}

TEST_F(DrHaloFiles, TruncatedPaletteFileAndHostileHeaders) {
  FileBuilder pal;
  pal.fill(12, 0).le16(65535).fill(26, 0).le16(9).le16(8).le16(7).le16(6);  // ends mid-entry
  write("x.pal", pal.bytes);
  const Picture p = test::decode(haloFile(), "cut", (dir_ / "x.cut").string());
  EXPECT_EQ(p.pixel(0, 0), kBlack);  // entry 7 is not in the file
  FileBuilder indices = FileBuilder().le16(2).le16(1).le16(0);
  indices.le16(3).raw({2, 0, 1, 0});
  const Picture entries = test::decode(indices.bytes, "cut", (dir_ / "x.cut").string());
  EXPECT_EQ(test::row(entries, 0, 2), (test::Pixels{rgb(9, 8, 7), kBlack}));
  EXPECT_EQ(test::errorOf(Bytes{1, 0, 1}, "cut"), "Stream read error");
  EXPECT_EQ(test::errorOf(FileBuilder().le16(65535).le16(65535).le16(0).raw({0, 0, 0x81, 1}).bytes, "cut"),
            "Stream read error");
  // A run longer than the row is cut; a file whose rows end early fails.
  FileBuilder whole = FileBuilder().le16(2).le16(3).le16(0);
  for (int y = 0; y < 3; ++y) whole.le16(3).raw({0xFF, 5, 0});
  const Picture q = test::decode(whole.bytes, "cut");
  EXPECT_EQ(test::row(q, 0, 2), test::greys({5, 5}));
  EXPECT_EQ(test::row(q, 2, 2), test::greys({5, 5}));
  const Bytes cut = FileBuilder().le16(2).le16(3).le16(0).le16(0).raw({0xFF, 5}).bytes;
  EXPECT_EQ(test::errorOf(cut, "cut"), "Stream read error");
}

}  // namespace
}  // namespace lumora
