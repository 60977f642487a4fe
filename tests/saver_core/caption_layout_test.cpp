#include "saver/core/caption_layout.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

// "中文" etc. in GB2312 bytes: every Chinese character is two bytes above 127.
const std::string kZhong = "\xD6\xD0";  // 中
const std::string kWen = "\xCE\xC4";    // 文

// A seed whose first Random(3) gives `layout`, found by trying seeds.
std::uint32_t seedForLayout(CaptionLayout layout) {
  for (std::uint32_t s = 0;; ++s) {
    Random r(s);
    if (r.next(3) == int(layout)) return s;
  }
}

TEST(CaptionText, EmptyBecomesTwoSpacesAndSizeFollowsByteLength) {
  EXPECT_EQ(captionText(""), "  ");
  EXPECT_EQ(captionText("abc"), "abc");
  EXPECT_EQ(captionFontSize(768, captionText("").size()), 320);  // Round(768 / 2 / 1.2)
  std::string eight;
  for (int i = 0; i < 8; ++i) eight += kZhong;
  ASSERT_EQ(eight.size(), 16u);
  EXPECT_EQ(captionFontSize(768, eight.size()), 40);  // 768 / 16 / 1.2 = 40
  EXPECT_EQ(captionFontSize(1024, 22), 39);           // 38.8
  EXPECT_EQ(captionFontSize(600, 11), 45);            // 45.45
}

TEST(CaptionText, LongLinesAreCutAtACharacterBoundary) {
  EXPECT_EQ(captionText(std::string(5000, 'a')), std::string(kMaxCaptionBytes, 'a'));
  EXPECT_EQ(captionText(std::string(kMaxCaptionBytes, 'a')).size(), kMaxCaptionBytes);
  // A double-byte character across the limit goes whole.
  const std::string zhong = "\xD6\xD0";
  std::string text = std::string(kMaxCaptionBytes - 1, 'a') + zhong + "b";
  EXPECT_EQ(captionText(text), std::string(kMaxCaptionBytes - 1, 'a'));
  // A four-byte GB18030 character (U+20000: 95 32 82 36) likewise.
  text = std::string(kMaxCaptionBytes - 2, 'a') + "\x95\x32\x82\x36";
  EXPECT_EQ(captionText(text), std::string(kMaxCaptionBytes - 2, 'a'));
  // Characters that fit whole stay; the glyph table then ends exactly there.
  std::string chinese;
  while (chinese.size() < 3000) chinese += zhong;
  const std::string cut = captionText(chinese);
  EXPECT_EQ(cut.size(), kMaxCaptionBytes);
  EXPECT_EQ(captionGlyphs(cut, 10, 20).size(), kMaxCaptionBytes / 2);
}

TEST(CaptionFace, DrawsFromTheListOnlyWhenItHasEntries) {
  Random a(7), b(7);
  EXPECT_EQ(pickCaptionFace({}, a), "");
  EXPECT_EQ(a.seed(), 7u) << "an empty font list draws no number";
  const std::vector<std::string> fonts{"f0", "f1", "f2", "f3", "f4"};
  const int k = b.next(5);
  EXPECT_EQ(pickCaptionFace(fonts, a), fonts[std::size_t(k)]);
  EXPECT_EQ(a.seed(), b.seed());
}

TEST(CaptionGlyphs, MixedTextAdvancesTwoCharWidthsPerChineseCharacterAndOnePerAscii) {
  // charW 10, H 26: H / 1.3 = 20 exactly.
  const auto glyphs = captionGlyphs(kZhong + "ab" + kWen + "c", 10, 26);
  ASSERT_EQ(glyphs.size(), 5u);
  const int xs[] = {0, 20, 30, 40, 60};
  const int ys[] = {0, 26, 46, 66, 92};
  const std::string texts[] = {kZhong, "a", "b", kWen, "c"};
  for (std::size_t k = 0; k < 5; ++k) {
    EXPECT_EQ(glyphs[k].x, xs[k]) << k;
    EXPECT_EQ(glyphs[k].y, ys[k]) << k;
    EXPECT_EQ(glyphs[k].text, texts[k]) << k;
  }
}

TEST(CaptionGlyphs, LongCaptionsGrowTheTableAndOddBytesStayWhole) {
  std::string hundred;
  for (int i = 0; i < 100; ++i) hundred += (i % 2 ? kZhong : std::string("x"));
  const auto glyphs = captionGlyphs(hundred, 7, 10);
  ASSERT_EQ(glyphs.size(), 100u);
  EXPECT_EQ(glyphs[99].x, 50 * 7 + 49 * 14);
  EXPECT_EQ(glyphs[99].text, kZhong);

  // A lead byte at the very end stands alone.
  auto tail = captionGlyphs("a\xD6", 5, 10);
  ASSERT_EQ(tail.size(), 2u);
  EXPECT_EQ(tail[1].text, "\xD6");

  // A GB18030 four-byte character (U+20000 here) is one glyph of double width.
  const std::string four = "\x95\x32\x82\x36";
  tail = captionGlyphs(four + "a", 5, 10);
  ASSERT_EQ(tail.size(), 2u);
  EXPECT_EQ(tail[0].text, four);
  EXPECT_EQ(tail[1].x, 10);
  EXPECT_EQ(tail[1].y, 10);
}

TEST(CaptionColour, StagePixelReadAsWindowsColourXorFFFF) {
  EXPECT_EQ(contrastColour(kWhite), 0x00FF0000u);  // blue
  EXPECT_EQ(pixelOfColour(contrastColour(kWhite)), rgb(0, 0, 255));
  EXPECT_EQ(contrastColour(kBlack), 0x0000FFFFu);  // yellow
  EXPECT_EQ(pixelOfColour(contrastColour(kBlack)), rgb(255, 255, 0));
  // Red 0x12, green 0x34, blue 0x56 -> 0x0056CBED: red and green flip.
  EXPECT_EQ(contrastColour(rgb(0x12, 0x34, 0x56)), 0x0056CBEDu);
  EXPECT_EQ(pixelOfColour(0x01000013u), rgb(0x13, 0, 0)) << "past 24 bits wraps";
}

TEST(CaptionPlan, LineLayoutTypesGlyphsAlongTheRowInTheContrastColour) {
  const std::uint32_t seed = seedForLayout(CaptionLayout::Line);
  Random expect(seed);
  ASSERT_EQ(expect.next(3), 0);
  const int y = expect.next(600 - 30);
  const std::string text = kZhong + "ab";  // L = 4
  const int charW = 50 / 4 + 1;            // 13
  const int x = expect.next(800 - charW * 4);

  Bitmap stage(800, 600, kWhite);
  Random random(seed);
  const CaptionPlan plan = planCaption(text, 50, 30, 800, 600, random, stage);
  EXPECT_EQ(random.seed(), expect.seed());
  EXPECT_EQ(plan.layout, CaptionLayout::Line);
  EXPECT_EQ(plan.charW, 13);
  EXPECT_EQ(plan.x, x);
  EXPECT_EQ(plan.y, y);
  EXPECT_EQ(plan.colour, 0x00FF0000u);
  const std::vector<CaptionDraw> draws{
      {kZhong, x, y, 0x00FF0000u, 300}, {"a", x + 26, y, 0x00FF0000u, 300}, {"b", x + 39, y, 0x00FF0000u, 300}};
  EXPECT_EQ(plan.draws, draws);
}

TEST(CaptionPlan, ColumnLayoutStartsAtTheTopEdgeAndReadsColourThere) {
  const std::uint32_t seed = seedForLayout(CaptionLayout::Column);
  Random expect(seed);
  expect.next(3);
  const int x = expect.next(800 - 2 * 11);  // charW = 50 div 5 + 1
  Bitmap stage(800, 600, kWhite);
  stage.at(x, 0) = kBlack;  // the only black pixel: the colour is read at (x, 0)
  Random random(seed);
  const CaptionPlan plan = planCaption(kZhong + "a" + kWen, 50, 26, 800, 600, random, stage);
  EXPECT_EQ(random.seed(), expect.seed());
  EXPECT_EQ(plan.layout, CaptionLayout::Column);
  EXPECT_EQ(plan.x, x);
  EXPECT_EQ(plan.y, 0);
  EXPECT_EQ(plan.colour, 0x0000FFFFu);
  ASSERT_EQ(plan.draws.size(), 3u);
  EXPECT_EQ(plan.draws[1], (CaptionDraw{"a", x, 26, 0x0000FFFFu, 300}));
  EXPECT_EQ(plan.draws[2], (CaptionDraw{kWen, x, 46, 0x0000FFFFu, 300}));
}

TEST(CaptionPlan, ShadowLayoutStepsTheColourByTwentyAndCarriesIntoGreen) {
  const std::uint32_t seed = seedForLayout(CaptionLayout::Shadow);
  // Red 0x0A flips to 0xF5 and green 0 to 0xFF: the second step carries.
  Bitmap stage(400, 300, rgb(0x0A, 0x00, 0x00));
  Random random(seed);
  const CaptionPlan plan = planCaption("abc", 60, 20, 400, 300, random, stage);
  ASSERT_EQ(plan.layout, CaptionLayout::Shadow);
  EXPECT_EQ(plan.colour, 0x0000FFF5u);
  ASSERT_EQ(plan.draws.size(), 4u);
  const ColorRef colours[] = {0x0000FFF5u, 0x00010009u, 0x0001001Du, 0x00010031u};
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(plan.draws[std::size_t(j)].colour, colours[j]) << j;
    EXPECT_EQ(plan.draws[std::size_t(j)].x, plan.x + j);
    EXPECT_EQ(plan.draws[std::size_t(j)].y, plan.y + j);
    EXPECT_EQ(plan.draws[std::size_t(j)].times, 200);
    EXPECT_EQ(plan.draws[std::size_t(j)].text, "abc");
  }
  EXPECT_EQ(plan.finalColour, 0x00010045u);
  EXPECT_LT(plan.x, 400 - 60);
  EXPECT_LT(plan.y, 300 - 20);
}

TEST(CaptionPlan, CaptionWiderThanTheScreenStartsAtItsLeftEdge) {
  for (CaptionLayout layout : {CaptionLayout::Line, CaptionLayout::Shadow}) {
    Random random(seedForLayout(layout));
    Bitmap stage(100, 50, kBlack);
    const CaptionPlan plan = planCaption(std::string(40, 'w'), 400, 60, 100, 50, random, stage);
    EXPECT_EQ(plan.x, 0);
    EXPECT_EQ(plan.y, 0);
    EXPECT_EQ(plan.colour, 0x0000FFFFu);
  }
}

}  // namespace
}  // namespace lumora
