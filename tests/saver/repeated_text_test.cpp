// Repeated caption text: the Stage after every single output is exactly what
// Qt's own drawText gives when it draws every output itself, for CJK and
// Latin faces, glyphs cached and drawn as outlines, colours, photo-like
// grounds, places partly off the Stage, whole captions with their shadow;
// the blend takes over large glyphs; stopping and a Stage given new memory
// midway behave as drawing each output would.
#include "saver/ui/repeated_text.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/random.h"
#include "platform/core/ansi.h"
#include "qt_app.h"
#include "saver/ui/caption_painter.h"

namespace lumora {
namespace {

// GB18030 bytes of the texts below.
const std::string kZhong = "\xD6\xD0";  // 中
const std::string kWen = "\xCE\xC4";    // 文
const std::string kGuo = "\xB9\xFA";    // 国
const std::string kHu = "\xBA\xFE";     // 湖
const std::string kShan = "\xC9\xBD";   // 山

std::uint64_t hashOf(const Bitmap& b) {
  std::uint64_t h = 1469598103934665603ull;
  const std::uint8_t* p = b.bytes();
  const std::size_t n = b.bytesPerLine() * std::size_t(b.height());
  for (std::size_t i = 0; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    h = (h ^ w) * 1099511628211ull;
  }
  return h;
}

// Photo-like ground: soft shading with noise, different in every channel.
Bitmap photoGround(int w, int h, std::uint32_t seed) {
  Bitmap b(w, h);
  Random random(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.at(x, y) =
          rgb(x * 255 / w + random.next(24) - 12, y * 200 / h + random.next(9), 128 + ((x * y) % 97) - random.next(30));
  return b;
}

QFont faceAt(const QString& family, int pixels) {
  QFont f(family);
  f.setPixelSize(pixels);
  return f;
}

// The Stage's hash after every output, Qt drawing each one itself: the
// painter's loop as it stood before outputs were blended.
std::vector<std::uint64_t> drawEachOutput(Bitmap& stage, const QFont& font, const std::vector<CaptionDraw>& draws) {
  std::vector<std::uint64_t> hashes;
  QImage view(stage.bytes(), stage.width(), stage.height(), int(stage.bytesPerLine()), QImage::Format_RGB32);
  QPainter painter(&view);
  painter.setFont(font);
  painter.setBrush(Qt::NoBrush);
  painter.setBackgroundMode(Qt::TransparentMode);
  const int ascent = QFontMetrics(font).ascent();
  for (const CaptionDraw& draw : draws) {
    const Pixel p = pixelOfColour(draw.colour);
    painter.setPen(QColor(redOf(p), greenOf(p), blueOf(p)));
    const QString s = QString::fromStdString(ansiToUtf8(draw.text));
    for (int i = 0; i < draw.times; ++i) {
      painter.drawText(QPointF(draw.x, draw.y + ascent), s);
      hashes.push_back(hashOf(stage));
    }
  }
  return hashes;
}

struct Compared {
  bool same = true;
  std::string where;  // the first output after which the Stages differ
  RepeatedTextCounts counts;
};

// Draws `draws` both ways on copies of `ground` and compares the Stages
// after every output and at the end.
Compared compareWithEachOutputDrawn(const Bitmap& ground, const QFont& font, const std::vector<CaptionDraw>& draws) {
  Bitmap expected = ground;
  const std::vector<std::uint64_t> want = drawEachOutput(expected, font, draws);
  Bitmap stage = ground;
  std::vector<std::uint64_t> got;
  Compared out;
  drawRepeatedText(
      stage, font, draws,
      [&](const Rect&) {
        got.push_back(hashOf(stage));
        return true;
      },
      &out.counts);
  for (std::size_t i = 0; i < std::min(want.size(), got.size()) && out.same; ++i)
    if (want[i] != got[i]) {
      out.same = false;
      out.where = "output " + std::to_string(i + 1) + " of " + std::to_string(want.size());
    }
  if (out.same && want.size() != got.size()) {
    out.same = false;
    out.where = std::to_string(got.size()) + " outputs, not " + std::to_string(want.size());
  }
  if (out.same && !(stage == expected)) {
    out.same = false;
    out.where = "the end";
  }
  return out;
}

// Hashes the Stage each time the painter reports an output.
struct HashingHost : EffectHost {
  explicit HashingHost(const Bitmap& s) : stage(s) {}
  const Bitmap& stage;
  std::vector<std::uint64_t> hashes;
  void stageChanged() override { hashes.push_back(hashOf(stage)); }
  void stageDrawn(const Rect&) override { hashes.push_back(hashOf(stage)); }
  void pump() override {}
};

class RepeatedTextTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::qtApp(); }
};

constexpr ColorRef kYellow = 0x0000FFFF, kBlue = 0x00FF0000, kPale = 0x00C8E6F0, kDark = 0x00301008;

TEST_F(RepeatedTextTest, EveryOutputGivesTheStageQtsOwnOutputsGive) {
  struct Case {
    const char* face;
    int pixels;
    std::string text;
    int x, y;
    ColorRef colour;
    std::vector<int> times;  // one draw per entry, at the same place
  };
  const Case cases[] = {
      // CJK faces, outlines (over 64 pixels) and cached glyphs.
      {"AR PL UKai CN", 133, kZhong, 40, 20, kYellow, {300}},
      {"AR PL UKai CN", 90, kWen, 200, 60, kBlue, {300}},
      {"AR PL UKai CN", 40, kGuo, 10, 150, kPale, {300}},
      {"AR PL UMing CN", 120, kHu, 100, 30, kDark, {300}},
      {"AR PL UMing CN", 64, kShan, 300, 200, kYellow, {300}},
      {"AR PL UMing CN", 65, kShan, 300, 200, kYellow, {300}},
      {"WenQuanYi Zen Hei", 109, kGuo, 50, 100, kBlue, {1, 2, 3, 300}},
      {"WenQuanYi Zen Hei", 24, kZhong, 7, 9, kPale, {300}},
      // Latin faces, letters that overhang and meet.
      {"DejaVu Serif", 150, "W", 120, 10, kYellow, {300}},
      {"DejaVu Sans", 80, "Lumora", 5, 120, kDark, {200}},
      {"Nimbus Roman", 110, "fj", 60, 40, kPale, {300}},
      {"URW Bookman", 30, "AVAW", 20, 20, kBlue, {2, 300}},
      {"DejaVu Sans", 12, "x", 200, 200, kYellow, {300}},
      // Mixed text whole, as the shadow layout draws it.
      {"AR PL UKai CN", 70, kHu + kShan + " 12", 4, 80, kYellow, {200}},
      {"WenQuanYi Zen Hei", 100, kHu + "Wa" + kShan, 0, 0, kPale, {200}},
      // Latin faces with CJK glyphs from another face, letters meeting them.
      {"DejaVu Sans", 120, "V" + kWen + "Y" + kHu + "f", 4, 80, kYellow, {200}},
      {"URW Bookman", 90, "AW" + kShan + "WA", 4, 80, kPale, {200}},
      // Partly off the Stage on every side.
      {"AR PL UKai CN", 140, kZhong, -50, -40, kYellow, {300}},
      {"AR PL UMing CN", 140, kWen, 380, 250, kBlue, {300}},
      {"DejaVu Serif", 100, "Q", 410, -30, kDark, {1, 300}},
  };
  for (const Case& c : cases) {
    std::vector<CaptionDraw> draws;
    for (const int times : c.times) draws.push_back({c.text, c.x, c.y, c.colour, times});
    const Compared result = compareWithEachOutputDrawn(photoGround(448, 320, 3), faceAt(c.face, c.pixels), draws);
    EXPECT_TRUE(result.same) << c.face << " " << c.pixels << " px \"" << ansiToUtf8(c.text)
                             << "\": the Stages differ after " << result.where;
  }
}

TEST_F(RepeatedTextTest, CaptionsPaintedWholeMatchEachOutputDrawnInEveryLayout) {
  // The painter's own plans: every layout, typed glyphs and the shadow's
  // stepped colours, over a photo-like picture.
  const std::vector<std::vector<std::string>> fontLists = {
      {"\xC1\xA5\xCA\xE9"},  // 隶书
      {"\xCB\xCE\xCC\xE5"},  // 宋体
      {"\xBA\xDA\xCC\xE5"},  // 黑体
      {"DejaVu Serif"},
  };
  const std::string captions[] = {kHu + kShan, kZhong + "Lu" + kGuo, "Wave"};
  for (const std::vector<std::string>& fonts : fontLists)
    for (const std::string& caption : captions)
      for (int layout = 0; layout < 3; ++layout) {
        // A seed whose layout draw gives `layout` after the face draw.
        std::uint32_t seed = 1;
        for (;; ++seed) {
          Random r(seed);
          r.next(int(fonts.size()));
          if (r.next(3) == layout) break;
        }
        const Bitmap ground = photoGround(480, 270, seed);
        Bitmap stage = ground;
        StageFont font;
        Random random(seed);
        HashingHost host(stage);
        const CaptionPlan plan = paintCaption(stage, font, caption, {random, fonts, 480, 270}, &host);
        ASSERT_EQ(int(plan.layout), layout);
        QFont qfont(font.face);
        qfont.setPixelSize(font.pixelSize);
        Bitmap expected = ground;
        const std::vector<std::uint64_t> want = drawEachOutput(expected, qfont, plan.draws);
        const std::string what =
            ansiToUtf8(fonts[0]) + " \"" + ansiToUtf8(caption) + "\" layout " + std::to_string(layout);
        ASSERT_EQ(host.hashes.size(), want.size()) << what;
        const auto differ = std::mismatch(want.begin(), want.end(), host.hashes.begin());
        EXPECT_TRUE(differ.first == want.end())
            << what << ": the Stages differ after output " << differ.first - want.begin() + 1;
        EXPECT_TRUE(stage == expected) << what;
      }
}

TEST_F(RepeatedTextTest, OutlinedGlyphsAreBlendedAfterTheCheckedOutputs) {
  // Large single glyphs are what the typing repeats 300 times: each face
  // must take the cheap way for them, or the saving is lost unnoticed.
  for (const char* face : {"AR PL UKai CN", "AR PL UMing CN", "WenQuanYi Zen Hei", "DejaVu Serif"})
    for (const int pixels : {80, 133}) {
      const std::vector<CaptionDraw> draws = {{kZhong, 30, 20, kYellow, 300}, {"g", 200, 20, kBlue, 300}};
      const Compared result = compareWithEachOutputDrawn(photoGround(400, 300, 9), faceAt(face, pixels), draws);
      EXPECT_TRUE(result.same) << face << " " << pixels << ": " << result.where;
      EXPECT_EQ(result.counts.blended, 2) << face << " " << pixels;
    }
}

TEST_F(RepeatedTextTest, ABatchTheBlendDoesNotPredictIsDrawnByQtWhole) {
  // DejaVu Serif's W meets the 中 and 国 of the face Qt falls back to:
  // Qt blends the two faces' glyphs one after the other where they
  // overlap, which one coverage per pixel cannot give.
  const std::vector<CaptionDraw> draws = {{"W" + kZhong + "W" + kGuo + "j", 4, 80, kYellow, 200}};
  const Compared result = compareWithEachOutputDrawn(photoGround(448, 320, 3), faceAt("DejaVu Serif", 100), draws);
  EXPECT_TRUE(result.same) << result.where;
  EXPECT_EQ(result.counts.drawn, 1);
  EXPECT_EQ(result.counts.blended, 0);
}

TEST_F(RepeatedTextTest, BatchesOfAtMostTheCheckedOutputsAreDrawnByQt) {
  const std::vector<CaptionDraw> draws = {
      {kZhong, 30, 20, kYellow, 1}, {kZhong, 30, 20, kBlue, 2}, {kZhong, 30, 20, kBlue, 0}};
  const Compared result = compareWithEachOutputDrawn(photoGround(300, 200, 1), faceAt("AR PL UKai CN", 120), draws);
  EXPECT_TRUE(result.same) << result.where;
  EXPECT_EQ(result.counts.drawn, 2);
  EXPECT_EQ(result.counts.blended, 0);
}

TEST_F(RepeatedTextTest, StopsAfterTheOutputThatWasRefused) {
  const QFont font = faceAt("AR PL UMing CN", 110);
  const std::vector<CaptionDraw> draws = {{kWen, 20, 10, kYellow, 300}, {kGuo, 150, 10, kBlue, 300}};
  for (const int stopAt : {1, 2, 3, 150, 300, 301, 450}) {
    const Bitmap ground = photoGround(320, 200, 2);
    Bitmap stage = ground;
    int outputs = 0;
    const bool finished = drawRepeatedText(stage, font, draws, [&](const Rect&) { return ++outputs < stopAt; });
    EXPECT_FALSE(finished) << stopAt;
    EXPECT_EQ(outputs, stopAt);
    // The same outputs drawn by Qt one by one.
    std::vector<CaptionDraw> upTo = draws;
    upTo[0].times = std::min(stopAt, 300);
    upTo[1].times = std::max(stopAt - 300, 0);
    Bitmap expected = ground;
    drawEachOutput(expected, font, upTo);
    EXPECT_TRUE(stage == expected) << "stopped after output " << stopAt;
  }
}

TEST_F(RepeatedTextTest, AStageGivenNewMemoryMidwayIsDrawnOnFromThenOn) {
  // The window gives the Stage new memory when the screen changes size
  // while it pumps; the outputs after that go onto the new Stage, none onto
  // the memory that was let go.
  const QFont font = faceAt("AR PL UKai CN", 100);
  for (const int swapAt : {1, 2, 120}) {
    const std::vector<CaptionDraw> draws = {{kShan, 40, 30, kBlue, 300}};
    Bitmap stage = photoGround(300, 200, 4);
    const Bitmap larger = photoGround(360, 240, 5);
    int outputs = 0;
    EXPECT_TRUE(drawRepeatedText(stage, font, draws, [&](const Rect&) {
      if (++outputs == swapAt) stage = larger;
      return true;
    }));
    Bitmap expected = larger;
    drawEachOutput(expected, font, {{kShan, 40, 30, kBlue, 300 - swapAt}});
    EXPECT_TRUE(stage == expected) << "new memory after output " << swapAt;
  }
}

}  // namespace
}  // namespace lumora
