#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

#include "graphics/bitmap.h"
#include "graphics/shared_pixels.h"

namespace lumora {
namespace {

// A bitmap made in shared memory keeps its pixels in a memfd as large as
// them while it lives; moving it keeps the memory, a copy is an ordinary
// heap bitmap with the same pixels, and the memfd goes with the bitmap.
TEST(SharedPixels, ABitmapLivesInAMemfdItsCopiesOnTheHeap) {
  auto shared = std::make_shared<SharedPixels>();
  Bitmap stage(64, 48, kBlack, PixelAllocator<Pixel>(shared));
  stage.at(5, 7) = rgb(1, 2, 3);
  const int fd = shared->descriptorOf(stage.bytes());
  ASSERT_GE(fd, 0);
  struct stat st {};
  ASSERT_EQ(fstat(fd, &st), 0);
  EXPECT_GE(std::size_t(st.st_size), stage.bytesPerLine() * 48);

  const Bitmap copy = stage;
  EXPECT_TRUE(copy == stage);
  EXPECT_EQ(shared->descriptorOf(copy.bytes()), -1);

  const std::uint8_t* pixels = stage.bytes();
  Bitmap moved = std::move(stage);
  EXPECT_EQ(moved.bytes(), pixels);
  EXPECT_EQ(shared->descriptorOf(moved.bytes()), fd);

  moved = Bitmap();
  EXPECT_EQ(shared->descriptorOf(pixels), -1);
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);  // closed with its block
}

}  // namespace
}  // namespace lumora
