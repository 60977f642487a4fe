// The lock's end of the show's frames: what an untrusted show sends is
// refused unless it is safe to map and read, and damage stays inside the
// frame.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "lock/wayland/frame_receiver.h"

namespace lumora {
namespace {

// A memory file of `bytes`, sealed against shrinking when `sealed`.
UniqueFd memoryFile(std::size_t bytes, bool sealed = true) {
  UniqueFd fd(::memfd_create("frame-test", MFD_CLOEXEC | MFD_ALLOW_SEALING));
  EXPECT_EQ(::ftruncate(fd.get(), off_t(bytes)), 0);
  if (sealed) EXPECT_EQ(::fcntl(fd.get(), F_ADD_SEALS, F_SEAL_SHRINK), 0);
  return fd;
}

struct Refused {
  std::string message;
  std::size_t bytes;  // 0: no file at all
  bool sealed;
};

class FrameRefused : public testing::TestWithParam<Refused> {};

TEST_P(FrameRefused, NothingIsMapped) {
  FrameReceiver receiver;
  const Refused& r = GetParam();
  EXPECT_FALSE(receiver.receive(r.message, r.bytes ? memoryFile(r.bytes, r.sealed) : UniqueFd()));
  EXPECT_TRUE(receiver.image().isNull());
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameRefused,
                         testing::Values(Refused{"frame 4 2 16", 0, true},    // no file came with it
                                         Refused{"frame 4 2 16", 31, true},   // the file is smaller than the frame
                                         Refused{"frame 4 2 16", 32, false},  // it could shrink under the mapping
                                         Refused{"frame 4 2 12", 32, true},   // rows shorter than the width
                                         Refused{"frame 0 2 16", 32, true}, Refused{"frame -4 2 16", 32, true},
                                         Refused{"frame 20000 1 80000", 80000, true},  // past any screen
                                         Refused{"frame 4 2", 32, true}, Refused{"frame 4 2 16 9", 32, true},
                                         Refused{"prompt 1", 32, true}));

TEST(FrameReceiver, SeesWhatTheShowWritesAndClipsDamageToTheFrame) {
  FrameReceiver receiver;
  UniqueFd file = memoryFile(4 * 2 * 4);
  auto* pixels = static_cast<quint32*>(::mmap(nullptr, 32, PROT_READ | PROT_WRITE, MAP_SHARED, file.get(), 0));
  ASSERT_NE(pixels, MAP_FAILED);
  EXPECT_EQ(receiver.receive("frame 4 2 16", UniqueFd(::dup(file.get()))), QRect(0, 0, 4, 2));
  pixels[5] = 0xff00ff00;  // (1, 1) drawn after the frame came
  EXPECT_EQ(receiver.receive("damage 1 1 1 1", UniqueFd()), QRect(1, 1, 1, 1));
  EXPECT_EQ(receiver.image().pixel(1, 1), 0xff00ff00u);
  EXPECT_EQ(receiver.receive("damage 2 1 50 50", UniqueFd()), QRect(2, 1, 2, 1));
  EXPECT_FALSE(receiver.receive("damage 9 9 2 2", UniqueFd()));
  EXPECT_FALSE(receiver.receive("damage 1 1 x 1", UniqueFd()));
  receiver.reset();
  EXPECT_FALSE(receiver.receive("damage 0 0 1 1", UniqueFd()));
  ::munmap(pixels, 32);
}

}  // namespace
}  // namespace lumora
