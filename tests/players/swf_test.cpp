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
#include "tests/saver/qt_app.h"

namespace lumora {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, unsigned v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

// The body after the 8-byte header: a RECT of 0..550 x 0..400 pixels
// (twips, 15 bits each), the rate, the count, then the tags.
Bytes body(std::uint16_t rate88, std::uint16_t frames, int showFrames, std::optional<std::uint32_t> rgb) {
  Bytes b;
  // Nbits = 15: 5 + 4 * 15 = 65 bits -> 9 bytes.
  // Values: xMin 0, xMax 11000, yMin 0, yMax 8000.
  std::uint64_t bits = 0;
  int n = 0;
  auto push = [&](std::uint32_t v, int width) {
    for (int i = width - 1; i >= 0; --i) {
      bits = bits << 1 | ((v >> i) & 1u);
      if (++n == 8) {
        b.push_back(std::uint8_t(bits));
        bits = 0;
        n = 0;
      }
    }
  };
  push(15, 5);
  push(0, 15);
  push(11000, 15);
  push(0, 15);
  push(8000, 15);
  if (n) b.push_back(std::uint8_t(bits << (8 - n)));
  put16(b, rate88);
  put16(b, frames);
  if (rgb) {
    put16(b, 9u << 6 | 3u);  // SetBackgroundColor
    b.push_back(std::uint8_t(*rgb >> 16));
    b.push_back(std::uint8_t(*rgb >> 8));
    b.push_back(std::uint8_t(*rgb));
  }
  // A long-form tag the reader skips (DefineBinaryData-like, code 87).
  put16(b, 87u << 6 | 0x3Fu);
  put32(b, 70);
  b.insert(b.end(), 70, 0xAB);
  for (int i = 0; i < showFrames; ++i) put16(b, 1u << 6);  // ShowFrame
  put16(b, 0);                                              // End
  return b;
}

Bytes withHeader(char kind, const Bytes& payload, std::uint32_t uncompressedBody) {
  Bytes b = {std::uint8_t(kind), 'W', 'S', 10};
  put32(b, uncompressedBody + 8);
  b.insert(b.end(), payload.begin(), payload.end());
  return b;
}

Bytes fws(const Bytes& body) { return withHeader('F', body, std::uint32_t(body.size())); }

Bytes cws(const Bytes& body) {
  uLongf size = compressBound(uLong(body.size()));
  Bytes z(size);
  compress2(z.data(), &size, body.data(), uLong(body.size()), 9);
  z.resize(size);
  return withHeader('C', z, std::uint32_t(body.size()));
}

Bytes zws(const Bytes& body) {
  lzma_options_lzma opt;
  lzma_lzma_preset(&opt, 6);
  lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
  std::uint8_t props[5];
  EXPECT_EQ(lzma_properties_encode(&filters[0], props), LZMA_OK);
  Bytes out(body.size() + 1024);
  std::size_t outPos = 0;
  EXPECT_EQ(lzma_raw_buffer_encode(filters, nullptr, body.data(), body.size(), out.data(), &outPos, out.size()),
            LZMA_OK);
  out.resize(outPos);
  Bytes payload;
  put32(payload, std::uint32_t(out.size()));
  payload.insert(payload.end(), props, props + 5);
  payload.insert(payload.end(), out.begin(), out.end());
  return withHeader('Z', payload, std::uint32_t(body.size()));
}

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

TEST(FlashPlayer, PlaysAMovieFileAndRefusesOtherFiles) {
  testing::qtApp();
  const auto dir = std::filesystem::temp_directory_path() / ("lumora-swf-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const Bytes movie = cws(body(0x0A00, 30, 30, 0x00FF80));  // 10 frames a second, 3 s
  std::ofstream((dir / "m.swf").string(), std::ios::binary)
      .write(reinterpret_cast<const char*>(movie.data()), std::streamsize(movie.size()));
  std::ofstream((dir / "text.swf").string()) << "not a movie";

  std::int64_t now = 5000;
  FlashPlayer flash(nullptr, [&] { return now; });
  EXPECT_EQ(flash.totalFrames(), 0);
  flash.setMovie((dir / "m.swf").string());
  flash.play();
  EXPECT_EQ(flash.totalFrames(), 30);
  EXPECT_EQ(flash.backgroundColor(), QColor(0, 255, 128));
  std::vector<int> seen;
  for (int i = 0; i < 35; ++i, now += 100) seen.push_back(flash.frameNum());
  for (int i = 0; i < 30; ++i) EXPECT_EQ(seen[std::size_t(i)], i);
  EXPECT_EQ(seen[30], 0);
  flash.stop();
  const int stopped = flash.frameNum();
  now += 5000;
  EXPECT_EQ(flash.frameNum(), stopped);

  EXPECT_THROW(flash.setMovie((dir / "text.swf").string()), MediaDeviceError);
  EXPECT_THROW(flash.setMovie((dir / "missing.swf").string()), MediaDeviceError);
  EXPECT_EQ(flash.movie(), (dir / "m.swf").string());  // the old movie stays

  // The control shows the movie's background colour.
  flash.resize(40, 30);
  const QImage shot = flash.grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(20, 15)), QColor(0, 255, 128));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace lumora
