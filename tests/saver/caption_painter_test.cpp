#include "saver/ui/caption_painter.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <set>

#include "qt_app.h"
#include "region/region_form.h"
#include "saver/ui/stage_window.h"

namespace lumora {
namespace {

const std::string kZhong = "\xD6\xD0";  // 中
const std::string kWen = "\xCE\xC4";    // 文
const std::string kGuo = "\xB9\xFA";    // 国

// Counts what the painter asks of the window.
struct CountingHost : EffectHost {
  int changes = 0, pumps = 0;
  void stageChanged() override { ++changes; }
  void pump() override { ++pumps; }
};

// A seed whose first Random(3) gives `layout` (for an empty font list).
std::uint32_t seedForLayout(CaptionLayout layout, std::uint32_t from = 1) {
  for (std::uint32_t s = from;; ++s) {
    Random r(s);
    if (r.next(3) == int(layout)) return s;
  }
}

// Pixels that differ between two Stages.
std::vector<Pixel> changedPixels(const Bitmap& before, const Bitmap& after) {
  std::vector<Pixel> out;
  for (int y = 0; y < after.height(); ++y)
    for (int x = 0; x < after.width(); ++x)
      if (before.at(x, y) != after.at(x, y)) out.push_back(after.at(x, y));
  return out;
}

class CaptionPainterTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::qtApp(); }
  const std::vector<std::string> noFonts;
};

TEST_F(CaptionPainterTest, EmptyCaptionIsTwoSpacesDrawsNothingAndCallsWhenPainted) {
  StageWindow stage;
  stage.stage().fill(rgb(30, 90, 150));
  const Bitmap before = stage.stage();
  stage.setCaption("");
  Random random(5);
  bool painted = false;
  stage.paintCurrentCaption({random, noFonts, 800, 600}, [&] { painted = true; });
  EXPECT_TRUE(painted);
  EXPECT_EQ(stage.stageFont().pixelSize, pointsToPixels(250));  // Round(600 / 2 / 1.2)
  EXPECT_EQ(stage.stageFont().face, QStringLiteral("隶书")) << "an empty font list keeps the face";
  EXPECT_TRUE(stage.stage() == before);
}

TEST_F(CaptionPainterTest, SixteenByteChineseCaptionOn768HighScreenGetsSize40) {
  std::string caption;
  for (int i = 0; i < 8; ++i) caption += (i % 2 ? kZhong : kWen);
  Bitmap stage(1024, 768, kBlack);
  StageFont font;
  Random random(seedForLayout(CaptionLayout::Line));
  CountingHost host;
  const CaptionPlan plan = paintCaption(stage, font, caption, {random, noFonts, 1024, 768}, &host);
  EXPECT_EQ(font.pixelSize, pointsToPixels(40));
  ASSERT_EQ(plan.glyphs.size(), 8u);
  EXPECT_EQ(host.changes, 8 * 300) << "the screen is offered every text output";
  EXPECT_FALSE(changedPixels(Bitmap(1024, 768, kBlack), stage).empty());
}

TEST_F(CaptionPainterTest, EndlessLineIsCutAndThePainterPumpsAndStopsWhenTheShowEnds) {
  const std::string line(1 << 20, 'x');
  Bitmap stage(640, 480, kBlack);
  StageFont font;
  Random random(seedForLayout(CaptionLayout::Line));
  bool ended = false;
  // The show ends at the first pump (a key was handled there).
  struct EndingHost : CountingHost {
    bool* ended;
    void pump() override {
      CountingHost::pump();
      *ended = true;
    }
  } ending;
  ending.ended = &ended;
  const CaptionPlan plan = paintCaption(stage, font, line, {random, noFonts, 640, 480, [&] { return ended; }}, &ending);
  EXPECT_EQ(plan.glyphs.size(), kMaxCaptionBytes);  // the first 1,024 bytes only
  EXPECT_EQ(ending.pumps, 1);
  EXPECT_LT(ending.changes, int(kMaxCaptionBytes) * kGlyphDraws) << "drawing stopped with the show";
}

TEST_F(CaptionPainterTest, FaceComesFromTheFontListAndMapsToAnInstalledFont) {
  const std::vector<std::string> fonts{"\xCB\xCE\xCC\xE5", "\xBA\xDA\xCC\xE5"};  // 宋体, 黑体 in GB2312
  Random random(77), expect(77);
  const int k = expect.next(2);
  Bitmap stage(400, 300, kBlack);
  StageFont font;
  paintCaption(stage, font, "ab", {random, fonts, 400, 300}, nullptr);
  EXPECT_EQ(font.face, QString::fromUtf8(k == 0 ? "宋体" : "黑体"));
  QFont q(font.face);
  const QString resolved = QFontInfo(q).family();
  EXPECT_TRUE(resolved.contains(QStringLiteral("UMing")) || resolved.contains(QStringLiteral("Zen Hei")))
      << resolved.toStdString();

  // An empty entry leaves the face as it was.
  const std::vector<std::string> blank{""};
  paintCaption(stage, font, "ab", {random, blank, 400, 300}, nullptr);
  EXPECT_EQ(font.face, QString::fromUtf8(k == 0 ? "宋体" : "黑体"));
}

TEST_F(CaptionPainterTest, MixedCaptionAdvancesTwoCharWidthsPerChineseCharacterOnePerAscii) {
  const std::string caption = kZhong + "AB" + kGuo + "c";  // L = 7
  Bitmap stage(800, 600, kBlack);
  StageFont font;
  Random random(seedForLayout(CaptionLayout::Line));
  const CaptionPlan plan = paintCaption(stage, font, caption, {random, noFonts, 800, 600}, nullptr);
  ASSERT_EQ(plan.layout, CaptionLayout::Line);
  QFont q(font.face);
  q.setPixelSize(font.pixelSize);
  const QFontMetrics m(q);
  EXPECT_EQ(plan.charW, m.horizontalAdvance(QString::fromUtf8("中AB国c")) / 7 + 1);
  const int c = plan.charW;
  const int offsets[] = {0, 2 * c, 3 * c, 4 * c, 6 * c};
  ASSERT_EQ(plan.draws.size(), 5u);
  for (std::size_t k = 0; k < 5; ++k) {
    EXPECT_EQ(plan.draws[k].x, plan.x + offsets[k]) << k;
    EXPECT_EQ(plan.draws[k].y, plan.y);
  }
  // The ink lies on the caption's row.
  int inkTop = 600, inkBottom = -1, inkLeft = 800;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x)
      if (stage.at(x, y) != kBlack) {
        inkTop = std::min(inkTop, y);
        inkBottom = std::max(inkBottom, y);
        inkLeft = std::min(inkLeft, x);
      }
  EXPECT_GE(inkTop, plan.y);
  EXPECT_LT(inkBottom, plan.y + m.height());
  EXPECT_GE(inkLeft, plan.x);
  EXPECT_LT(inkLeft, plan.x + c);
}

TEST_F(CaptionPainterTest, WhiteGivesPureBlueTextAndBlackGivesYellow) {
  for (CaptionLayout layout : {CaptionLayout::Line, CaptionLayout::Column}) {
    for (const Pixel ground : {kWhite, kBlack}) {
      Bitmap stage(640, 480, ground);
      StageFont font;
      Random random(seedForLayout(layout));
      paintCaption(stage, font, kZhong + kWen + "Lu", {random, noFonts, 640, 480}, nullptr);
      const std::vector<Pixel> changed = changedPixels(Bitmap(640, 480, ground), stage);
      ASSERT_FALSE(changed.empty());
      const Pixel pure = ground == kWhite ? rgb(0, 0, 255) : rgb(255, 255, 0);
      EXPECT_EQ(font.colour, ground == kWhite ? 0x00FF0000u : 0x0000FFFFu);
      int pureCount = 0;
      for (Pixel p : changed) {
        // Only the text colour, at most blended with the ground at the edges.
        EXPECT_EQ(redOf(p), greenOf(p));
        EXPECT_EQ(blueOf(p), ground == kWhite ? 255 : 0);
        pureCount += p == pure;
      }
      EXPECT_GT(pureCount, int(changed.size()) / 2);
    }
  }
}

TEST_F(CaptionPainterTest, HundredGlyphCaptionIsTypedWhole) {
  std::string caption;
  for (int i = 0; i < 100; ++i) caption += (i % 3 == 0 ? std::string(1, char('a' + i % 26)) : kGuo);
  Bitmap stage(1280, 720, kBlack);
  StageFont font;
  Random random(seedForLayout(CaptionLayout::Column));
  CountingHost host;
  const CaptionPlan plan = paintCaption(stage, font, caption, {random, noFonts, 1280, 720}, &host);
  ASSERT_EQ(plan.glyphs.size(), 100u);
  EXPECT_EQ(host.changes, 100 * 300);
  // Glyphs past the sixtieth are drawn too: ink below the sixty-first.
  const int below = plan.glyphs[60].y;
  ASSERT_LT(below, 700);
  bool inkBelow = false;
  for (int y = below; y < 720 && !inkBelow; ++y)
    for (int x = plan.x; x < plan.x + 3 * plan.charW && !inkBelow; ++x) inkBelow = stage.at(x, y) != kBlack;
  EXPECT_TRUE(inkBelow);
}

TEST_F(CaptionPainterTest, ShadowStepsTheColourByTwentyEachStep) {
  Bitmap stage(800, 600, rgb(0, 0, 0x40));
  StageFont font;
  Random random(seedForLayout(CaptionLayout::Shadow));
  CountingHost host;
  const CaptionPlan plan = paintCaption(stage, font, kZhong + kWen + kGuo, {random, noFonts, 800, 600}, &host);
  ASSERT_EQ(plan.layout, CaptionLayout::Shadow);
  EXPECT_EQ(host.changes, 4 * 200);
  const ColorRef start = 0x0040FFFFu;  // red 255, green 255, blue 0x40
  EXPECT_EQ(plan.colour, start);
  EXPECT_EQ(font.colour, start + 80);
  // Red 0xFF + 20 carries into green: 0x0041_0013 (red 0x13, green 0x00, blue 0x41).
  std::set<Pixel> seen;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) seen.insert(stage.at(x, y));
  EXPECT_TRUE(seen.count(pixelOfColour(start))) << "the first step shows at the top-left edges";
  EXPECT_TRUE(seen.count(pixelOfColour(start + 60))) << "the last step lies on top";
  EXPECT_TRUE(seen.count(rgb(0x13, 0x00, 0x41)));
}

// Records the areas the painter reports drawn.
struct AreaHost : EffectHost {
  std::vector<Rect> areas;
  void stageChanged() override { areas.push_back({0, 0, 1 << 20, 1 << 20}); }
  void stageDrawn(const Rect& area) override { areas.push_back(area); }
  void pump() override {}
};

TEST_F(CaptionPainterTest, EveryTextOutputReportsAnAreaHoldingItsInkAndFarSmallerThanTheScreen) {
  // Mixed and italic-prone text, on every layout, in a serif face and the
  // default: the window presents only what the painter reports.
  const std::string caption = kZhong + "Wj" + kGuo + "f";
  for (const CaptionLayout layout : {CaptionLayout::Line, CaptionLayout::Column, CaptionLayout::Shadow}) {
    for (const std::vector<std::string>& fonts : {noFonts, std::vector<std::string>{"DejaVu Serif"}}) {
      const Pixel ground = rgb(20, 40, 60);
      Bitmap stage(1280, 720, ground);
      StageFont font;
      Random random(seedForLayout(layout));
      AreaHost host;
      paintCaption(stage, font, caption, {random, fonts, 1280, 720}, &host);
      ASSERT_FALSE(host.areas.empty());
      long long reported = 0;
      Bitmap covered(1280, 720, kBlack);
      for (const Rect& a : host.areas) {
        const int l = std::max(a.left, 0), t = std::max(a.top, 0);
        const int r = std::min(a.right, 1280), b = std::min(a.bottom, 720);
        for (int y = t; y < b; ++y)
          for (int x = l; x < r; ++x) covered.at(x, y) = kWhite;
        reported = std::max(reported, (long long)(r - l) * (b - t));
      }
      int outside = 0, inked = 0;
      for (int y = 0; y < 720; ++y)
        for (int x = 0; x < 1280; ++x)
          if (stage.at(x, y) != ground) {
            ++inked;
            outside += covered.at(x, y) != kWhite;
          }
      EXPECT_GT(inked, 0);
      EXPECT_EQ(outside, 0) << "layout " << int(layout) << ": ink outside every reported area";
      EXPECT_LT(reported, 1280LL * 720 / 2) << "layout " << int(layout) << ": one output reported the screen";
    }
  }
}

TEST_F(CaptionPainterTest, ClickOnTheStageRegionComponentEndsLikeStageInput) {
  StageWindow stage;
  ASSERT_NE(stage.shapedLayer(), nullptr);
  EXPECT_EQ(stage.shapedLayer()->geometry(), stage.rect());
  EXPECT_TRUE(stage.shapedLayer()->draggable());
  EXPECT_EQ(stage.shapedLayer()->titleHeight(), 17);
  EXPECT_FALSE(stage.shapedLayer()->region());
  int inputs = 0;
  QObject::connect(&stage, &StageWindow::inputReceived, [&] { ++inputs; });
  emit stage.shapedLayer()->doubleClicked();
  EXPECT_EQ(inputs, 0);
  emit stage.shapedLayer()->clicked();
  EXPECT_EQ(inputs, 1);
}

}  // namespace
}  // namespace lumora
