// Reading only regular files, within a size, without blocking on a FIFO.
#include "platform/core/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "platform/temp_home.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using Kind = RegularFileError::Kind;

// The kind of error reading path gives (or nothing when it reads).
std::optional<Kind> failure(const fs::path& path, std::size_t max = 1 << 20) {
  try {
    readRegularFile(path.string(), max);
  } catch (const RegularFileError& e) {
    EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos) << "the message names the file";
    return e.kind();
  }
  return std::nullopt;
}

TEST(RegularFile, ReadsARegularFileOrALinkToOneWhole) {
  test::TempHome home;
  const fs::path file = home.dir() / "a.bmp";
  std::ofstream(file, std::ios::binary) << "BM1234";
  EXPECT_EQ(readRegularFile(file.string(), 100), (std::vector<std::uint8_t>{'B', 'M', '1', '2', '3', '4'}));
  fs::create_symlink(file, home.dir() / "link.bmp");
  EXPECT_EQ(readRegularFile((home.dir() / "link.bmp").string(), 100).size(), 6u);
  std::ofstream(home.dir() / "empty.bmp");
  EXPECT_TRUE(readRegularFile((home.dir() / "empty.bmp").string(), 100).empty());
}

TEST(RegularFile, RefusesWhatIsNoRegularFileWithoutWaitingOrReading) {
  test::TempHome home;
  const fs::path fifo = home.dir() / "fifo.bmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(failure(fifo), Kind::NotRegular);  // returns at once: no writer is waited for
  EXPECT_THROW(checkRegularFile(fifo.string(), 100), RegularFileError);
  fs::create_symlink("/dev/zero", home.dir() / "zero.jpg");
  EXPECT_EQ(failure(home.dir() / "zero.jpg"), Kind::NotRegular);  // never read without end
  EXPECT_EQ(failure("/dev/null"), Kind::NotRegular);
  fs::create_directory(home.dir() / "folder.bmp");
  EXPECT_EQ(failure(home.dir() / "folder.bmp"), Kind::NotRegular);
  try {
    readRegularFile((home.dir() / "folder.bmp").string(), 100);
  } catch (const RegularFileError& e) {
    EXPECT_EQ(e.error(), EISDIR);
  }
  EXPECT_EQ(failure(home.dir() / "missing.bmp"), Kind::Open);
}

TEST(RegularFile, SizeLimitRefusesOrCutsAtTheHead) {
  test::TempHome home;
  const fs::path file = home.dir() / "big.lrc";
  std::ofstream(file, std::ios::binary) << std::string(1000, 'z');
  EXPECT_EQ(failure(file, 999), Kind::TooLarge);
  EXPECT_EQ(failure(file, 1000), std::nullopt);
  EXPECT_EQ(readRegularFileHead(file.string(), 10), std::vector<std::uint8_t>(10, 'z'));
  EXPECT_EQ(readRegularFileHead(file.string(), 5000).size(), 1000u);
  EXPECT_THROW(readRegularFileHead("/dev/zero", 10), RegularFileError);
}

}  // namespace
}  // namespace lumora
