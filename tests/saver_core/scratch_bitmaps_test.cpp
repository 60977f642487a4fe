#include <gtest/gtest.h>

#include <chrono>

#include "saver/core/frame_preparer.h"
#include "saver/core/scratch_bitmaps.h"

namespace lumora {
namespace {

bool allWhite(const Bitmap& b) {
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x)
      if (b.at(x, y) != kWhite) return false;
  return true;
}

void scribble(ScratchBitmaps& s) {
  s.work().at(0, 0) = kBlack;
  s.spare().at(s.spare().width() - 1, s.spare().height() - 1) = rgb(1, 2, 3);
  s.markUsed();
}

TEST(ScratchBitmaps, KeptAtTheSameSizeRefilledWhenUsedMadeAgainAtAnother) {
  struct Case {
    const char* what;
    int w, h;   // the second whiten's size (the first is 40 x 30)
    bool used;  // a transition drew in between
    bool sameMemory;
  } cases[] = {
      {"same size, used", 40, 30, true, true},
      {"same size, unused", 40, 30, false, true},
      {"wider", 41, 30, true, false},
      {"taller", 40, 31, false, false},
  };
  for (const Case& c : cases) {
    ScratchBitmaps s;
    s.whiten(40, 30);
    const std::uint8_t* work = s.work().bytes();
    const std::uint8_t* spare = s.spare().bytes();
    if (c.used) scribble(s);
    s.whiten(c.w, c.h);
    EXPECT_TRUE(s.whiteAt(c.w, c.h)) << c.what;
    EXPECT_EQ(s.work().width(), c.w) << c.what;
    EXPECT_EQ(s.spare().height(), c.h) << c.what;
    EXPECT_TRUE(allWhite(s.work()) && allWhite(s.spare())) << c.what;
    if (c.sameMemory) {
      EXPECT_EQ(s.work().bytes(), work) << c.what;
      EXPECT_EQ(s.spare().bytes(), spare) << c.what;
    }
  }
}

TEST(ScratchBitmaps, AMovedFromPairIsEmpty) {
  ScratchBitmaps a;
  a.whiten(8, 6);
  ScratchBitmaps b = std::move(a);
  EXPECT_TRUE(a.work().empty());
  EXPECT_TRUE(a.spare().empty());
  EXPECT_FALSE(a.whiteAt(8, 6));
  a.whiten(8, 6);  // made again, not written through a size without pixels
  EXPECT_TRUE(allWhite(a.work()));
  EXPECT_TRUE(b.whiteAt(8, 6));
}

// A maker of plain frames, or of the loader's message for "bad".
PreparedFrame plainFrame(const FrameJob& job, std::stop_token) {
  PreparedFrame out;
  out.job = job;
  if (job.path == "bad")
    out.error = "Not a valid GIF file.";
  else
    out.frame = Bitmap(job.screenW, job.screenH, kBlack);
  return out;
}

FrameJob jobFor(const char* path, int w, int h) {
  FrameJob job;
  job.path = path;
  job.screenW = w;
  job.screenH = h;
  return job;
}

// The scratch bitmaps travel with the job and come back, refilled on the
// worker, in the same memory; those of a failed picture or of a job dropped
// for another come back too.
TEST(FramePreparer, ScratchBitmapsComeBackWithTheResult) {
  struct Case {
    const char* what;
    const char* path;
    bool dropFirst;  // another job replaces the first before it is taken
    bool white;      // they come back white
  } cases[] = {
      {"good frame", "a", false, true},
      {"unreadable picture", "bad", false, false},
      {"dropped job", "a", true, true},
  };
  for (const Case& c : cases) {
    FramePreparer preparer(plainFrame);
    ScratchBitmaps scratch;
    scratch.whiten(32, 24);
    scribble(scratch);
    const std::uint8_t* memory = scratch.work().bytes();
    int done = 0;
    preparer.start(jobFor(c.path, 32, 24), std::move(scratch), [&] { ++done; });
    if (c.dropFirst) {
      ASSERT_TRUE(preparer.waitFor(std::chrono::seconds(10)));
      preparer.start(jobFor(c.path, 32, 24), {}, [&] { ++done; });
    }
    ASSERT_TRUE(preparer.waitFor(std::chrono::seconds(10))) << c.what;
    EXPECT_TRUE(preparer.ready());
    PreparedFrame out = preparer.take();
    EXPECT_EQ(done, c.dropFirst ? 2 : 1) << c.what;  // told once per job, the result stored first
    EXPECT_EQ(out.scratch.work().bytes(), memory) << c.what;
    EXPECT_EQ(out.scratch.whiteAt(32, 24), c.white) << c.what;
    if (c.white) EXPECT_TRUE(allWhite(out.scratch.work()) && allWhite(out.scratch.spare())) << c.what;
  }
}

}  // namespace
}  // namespace lumora
