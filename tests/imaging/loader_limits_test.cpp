// What the loader refuses before it reads or allocates: special files, and
// pictures larger than the pixel cap.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "imaging/loader.h"
#include "imaging/reader_test_util.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

std::string errorOf(const std::string& path) {
  return test::messageOf([&] { loadPicture(path); });
}

std::string allocateError(int w, int h, int bits) {
  return test::messageOf([&] { Picture().allocate(w, h, bits); });
}

// What Picture::checkSize says of a size, without allocating anything.
std::string sizeError(std::int64_t w, std::int64_t h) {
  return test::messageOf([&] { Picture::checkSize(w, h); });
}

TEST(LoaderLimits, SpecialFilesFailWithAMessageInsteadOfBlockingOrReadingForEver) {
  const fs::path dir = fs::temp_directory_path() / ("lumora-limits-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path fifo = dir / "waiting.bmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(errorOf(fifo.string()), "Cannot open file \"" + fifo.string() + "\". Not a regular file.");
  fs::create_symlink("/dev/zero", dir / "endless.jpg");
  EXPECT_EQ(errorOf((dir / "endless.jpg").string()),
            "Cannot open file \"" + (dir / "endless.jpg").string() + "\". Not a regular file.");
  fs::create_directory(dir / "folder.gif");
  EXPECT_NE(errorOf((dir / "folder.gif").string()).find("Is a directory"), std::string::npos);
  // The extension is still checked first.
  EXPECT_EQ(errorOf((dir / "waiting.xyz").string()), "Unknown picture file extension (.xyz)");
  fs::remove_all(dir);
}

TEST(LoaderLimits, PixelCapComesBeforeAnyAllocation) {
  // 30000 x 30000 at 1 bit is only 112 MB of rows but 3.6 GB as a bitmap.
  EXPECT_EQ(allocateError(30000, 30000, 1), "Picture too large.");
  EXPECT_EQ(allocateError(16385, 16384, 1), "Picture too large.");
  EXPECT_EQ(allocateError(1 << 30, 1, 8), "Picture too large.");  // a bitmap's size, not only its rows
  EXPECT_EQ(allocateError(2147483647, 2147483647, 32), "Picture too large.");
  EXPECT_EQ(sizeError(16384, 16384), "");  // 2^28 pixels exactly: 1 GiB of 32-bit pixels
  EXPECT_EQ(sizeError(16385, 16384), "Picture too large.");
  EXPECT_EQ(sizeError(std::int64_t(1) << 40, std::int64_t(1) << 40), "Picture too large.");  // no overflow
  EXPECT_EQ(sizeError(-1, 5), "Invalid picture size.");
  EXPECT_EQ(allocateError(-3, 2, 8), "Invalid picture size.");
  EXPECT_EQ(allocateError(3, 2, 16), "Unsupported pixel format.");
  EXPECT_EQ(allocateError(3, 2, 8), "");
  EXPECT_THROW(Bitmap(1 << 15, 1 << 14), std::length_error);
  EXPECT_EQ(Bitmap(3, 2).width(), 3);
}

}  // namespace
}  // namespace lumora
