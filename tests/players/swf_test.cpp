// Flash movies written byte by byte: the three header forms, the tags the
// player reads, the timeline, and the control.
#include <gtest/gtest.h>
#include <lzma.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "players/flash_player.h"
#include "players/swf_file.h"
#include "players/swf_timeline.h"
#include "tests/players/swf_bytes.h"
#include "tests/saver/qt_app.h"

namespace lumora {
namespace {

using namespace swf_bytes;

TEST(SwfFile, TheThreeHeaderFormsGiveTheSameMovie) {
  const Bytes b = body(0x0C00, 24, 24, 0x3366CC);  // 12 frames a second
  for (const Bytes& file : {fws(b), cws(b), zws(b)}) {
    const SwfMovie m = readSwf(file.data(), file.size());
    SCOPED_TRACE(std::string(1, m.compression));
    EXPECT_EQ(m.version, 10);
    EXPECT_EQ(m.frameCount, 24);
    EXPECT_DOUBLE_EQ(m.frameRate(), 12.0);
    EXPECT_EQ(m.frameSize.xMax, 11000);
    EXPECT_EQ(m.frameSize.yMax, 8000);
    ASSERT_TRUE(m.backgroundColor);
    EXPECT_EQ(*m.backgroundColor, 0x3366CCu);
    EXPECT_EQ(m.showFrames, 24);
    EXPECT_EQ(m.tags, 1 + 1 + 24 + 1);
    EXPECT_FALSE(m.truncated);
  }
  EXPECT_EQ(readSwf(cws(b).data(), cws(b).size()).compression, 'C');
  const SwfMovie slow = readSwf(fws(body(0x0180, 3, 3, {})).data(), fws(body(0x0180, 3, 3, {})).size());
  EXPECT_DOUBLE_EQ(slow.frameRate(), 1.5);
  EXPECT_FALSE(slow.backgroundColor);
}

TEST(SwfFile, CutAndForeignDataNeverReadPastTheEnd) {
  const Bytes good = fws(body(0x0C00, 24, 24, 0x102030));
  // Every prefix: a movie (marked truncated) or SwfError, never more.
  for (std::size_t n = 0; n < good.size(); ++n) {
    const Bytes cut(good.begin(), good.begin() + std::ptrdiff_t(n));
    try {
      const SwfMovie m = readSwf(cut.data(), cut.size());
      EXPECT_TRUE(m.truncated) << n;
      EXPECT_LE(m.showFrames, 24);
    } catch (const SwfError&) {
    }
  }
  const Bytes z = cws(body(0x0C00, 24, 24, 0x102030));
  for (std::size_t n = 0; n < z.size(); ++n) {
    try {
      readSwf(z.data(), n);
    } catch (const SwfError&) {
    }
  }
  const std::string text = "GIF89a, or any other file";
  EXPECT_THROW(readSwf(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), SwfError);
  // LZMA properties asking for a 4 GB dictionary: the movie still reads,
  // with a dictionary no larger than the movie can be.
  Bytes greedy = zws(body(0x0C00, 5, 5, 0x010203));
  for (int i = 13; i < 17; ++i) greedy[std::size_t(i)] = 0xFF;  // dictionary size after the lc/lp/pb byte
  EXPECT_EQ(readSwf(greedy.data(), greedy.size()).showFrames, 5);
  // A compressed movie that claims 4 GB gives what its data holds.
  Bytes huge = cws(body(0x0C00, 2, 2, {}));
  huge[4] = huge[5] = huge[6] = huge[7] = 0xFF;
  EXPECT_EQ(readSwf(huge.data(), huge.size()).showFrames, 2);
}

TEST(SwfTimeline, FramesGrowAtTheRateAndLoop) {
  SwfTimeline t;
  t.load(24, 0x0C00);  // 12 frames a second: 2 s a loop
  EXPECT_EQ(t.frameNum(0), 0);
  t.play(1000);
  EXPECT_EQ(t.frameNum(1000), 0);
  EXPECT_EQ(t.frameNum(1083), 0);
  EXPECT_EQ(t.frameNum(1084), 1);  // 84 ms * 12 / 1000 = 1.008
  EXPECT_EQ(t.frameNum(2000), 12);
  EXPECT_EQ(t.frameNum(2999), 23);
  EXPECT_EQ(t.frameNum(3000), 0);  // back to the first frame
  EXPECT_EQ(t.frameNum(3000 + 2000 * 1000 + 500), 6);

  t.stop(2500);  // frame 18 stays
  EXPECT_EQ(t.frameNum(9000), 18);
  t.play(10000);
  EXPECT_EQ(t.frameNum(10000), 18);
  EXPECT_EQ(t.frameNum(10500), 0);  // 18 + 6 = 24 -> 0

  t.load(3, 0x0180);  // 1.5 frames a second
  t.play(0);
  EXPECT_EQ(t.frameNum(666), 0);
  EXPECT_EQ(t.frameNum(667), 1);
  EXPECT_EQ(t.frameNum(2000), 0);

  t.load(0, 0);  // no frames, no rate: frame 0 for ever
  t.play(0);
  EXPECT_EQ(t.frameNum(1000000000), 0);
}

}  // namespace
}  // namespace lumora
