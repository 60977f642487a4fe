// Effects 56 and 57: the byte rules of the brightening and the cross-fade,
// checked on two pixels whose bytes were followed by hand through all passes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "effects/effect.h"

namespace lumora {
namespace {

Pixel bgra(int b, int g, int r, int a) { return Pixel(b) | (Pixel(g) << 8) | (Pixel(r) << 16) | (Pixel(a) << 24); }

// Keeps a copy of the Stage at every pump.
struct StageAtPumps : EffectHost {
  const Bitmap* stage = nullptr;
  std::vector<Bitmap> seen;
  void stageChanged() override {}
  void pump() override { seen.push_back(*stage); }
};

struct FadeRun {
  Bitmap frame{2, 1}, work{2, 1}, spare{2, 1}, stage{2, 1};
  StageAtPumps host;
  std::vector<std::string> trace;

  explicit FadeRun(int effect) {
    // Old picture; pixel 0 has a see-through alpha the passes must not touch.
    stage.at(0, 0) = bgra(245, 135, 0, 0x10);
    stage.at(1, 0) = bgra(240, 239, 11, 0xFF);
    frame.at(0, 0) = bgra(255, 0, 105, 0xFF);
    frame.at(1, 0) = bgra(0, 255, 30, 0xFF);
    host.stage = &stage;
    std::ostringstream out;
    EffectTrace t(out);
    Random random(1);
    EffectContext ctx({frame, work, spare, stage}, 2, 1, 1, random, &host, &t);
    runEffect(effect, ctx);
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) trace.push_back(line);
  }
};

TEST(Effect56, TraceIsSnapshotElevenDrawsThenTwentySixDrawsWithPumps) {
  const FadeRun r(56);
  std::vector<std::string> expected{"copy stage 0 0 2 1 work 0 0 2 1"};
  for (int i = 0; i < 11; ++i) expected.push_back("draw work stage 0 0");
  for (int i = 0; i < 26; ++i) {
    expected.push_back("draw work stage 0 0");
    expected.push_back("pump");
  }
  expected.push_back("draw frame stage 0 0");
  EXPECT_EQ(r.trace, expected);
  EXPECT_EQ(FadeRun(57).trace, expected);
}

TEST(Effect56, BytesFollowTheBrighteningAndFadeRules) {
  const FadeRun r(56);
  ASSERT_EQ(r.host.seen.size(), 26u);
  // After the brightening and one fade pass. Pixel 0: blue 245 is never
  // brightened; green 135 rises to 245 and then falls; red 0 rises to 110,
  // is lowered to 100 below its target 105 and raised back in the same pass.
  // Pixel 1: blue 240 is not brightened; green 239 reaches 249; red 11 -> 121.
  EXPECT_EQ(r.host.seen[0].at(0, 0), bgra(245, 235, 110, 0x10));
  EXPECT_EQ(r.host.seen[0].at(1, 0), bgra(230, 249, 111, 0xFF));
  // After all 26 passes: 245 and 249 are never raised (244 or more), green
  // stops at 5 and blue at 10 (11 or less is never lowered), red 110 keeps
  // swinging back to 110, red 121 settles at 31 one step above its target.
  EXPECT_EQ(r.work.at(0, 0), bgra(245, 5, 110, 0x10));
  EXPECT_EQ(r.work.at(1, 0), bgra(10, 249, 31, 0xFF));
  EXPECT_EQ(r.host.seen[25], r.work);
  // The final draw shows the new picture exactly.
  EXPECT_EQ(r.stage, r.frame);
}

// Every byte value, in every colour channel, against the rules applied one
// byte at a time: eleven brightenings, then each fade pass.
TEST(Effect56, EveryByteValueFollowsTheRules) {
  constexpr int kW = 256;
  Bitmap frame(kW, 1), work(kW, 1), spare(kW, 1), stage(kW, 1);
  for (int v = 0; v < kW; ++v) {
    stage.at(v, 0) = bgra(v, 255 - v, (v * 7) & 255, (v * 3) & 255);
    frame.at(v, 0) = bgra((v * 11) & 255, v, 255 - v, 0xFF);
  }
  std::vector<Pixel> expected(kW);
  for (int v = 0; v < kW; ++v) expected[std::size_t(v)] = stage.at(v, 0);
  auto channel = [](Pixel p, int c) { return int((p >> (8 * c)) & 0xFF); };
  auto withChannel = [](Pixel p, int c, int b) { return (p & ~(Pixel(0xFF) << (8 * c))) | (Pixel(b) << (8 * c)); };
  for (Pixel& p : expected)
    for (int pass = 0; pass < 11; ++pass)
      for (int c = 0; c < 3; ++c)
        if (channel(p, c) < 240) p = withChannel(p, c, channel(p, c) + 10);

  StageAtPumps host;
  host.stage = &stage;
  const Bitmap target = frame;
  Random random(1);
  EffectContext ctx({frame, work, spare, stage}, kW, 1, 1, random, &host);
  runEffect(56, ctx);
  ASSERT_EQ(host.seen.size(), 26u);
  for (std::size_t pass = 0; pass < host.seen.size(); ++pass) {
    for (int v = 0; v < kW; ++v) {
      Pixel& p = expected[std::size_t(v)];
      for (int c = 0; c < 3; ++c) {
        const int f = channel(target.at(v, 0), c);
        int b = channel(p, c);
        if (b > f && b > 11) b -= 10;
        if (b < f && b < 244) b += 10;
        p = withChannel(p, c, b);
      }
      ASSERT_EQ(host.seen[pass].at(v, 0), p) << "pass " << pass << " value " << v;
    }
  }
}

}  // namespace
}  // namespace lumora
