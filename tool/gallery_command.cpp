// lumora-tool gallery: a contact sheet of all 122 transitions, each caught
// in the middle of its run between the two built-in pictures.
#include <iostream>
#include <string>

#include "effects/effect.h"
#include "graphics/digits.h"
#include "graphics/png.h"
#include "saver/core/test_patterns.h"
#include "tool/recording_host.h"
#include "tool/tool.h"

namespace lumora::tool {

namespace {

struct Counts {
  int pumps = 0, stageOps = 0;
};

// Runs effect n on fresh bitmaps; `host` decides what is recorded.
void runOnce(int n, int w, int h, RecordingHost& host, Bitmap& stage) {
  stage = oldTestPattern(w, h);
  Bitmap frame = newTestPattern(w, h), work(w, h, kWhite), spare(w, h, kWhite);
  Random random(0);
  EffectContext ctx({frame, work, spare, stage}, w, h, 1, random, &host);
  lumora::runEffect(n, ctx);
}

// The Stage halfway through effect n: after half of its pumps, or, for an
// effect that pumps less than twice, after half of its drawing on the Stage.
Bitmap middleOf(int n, int w, int h) {
  Counts counts;
  {
    RecordingHost host;
    Bitmap stage;
    runOnce(n, w, h, host, stage);
    counts = {host.pumps, host.stageOps};
  }
  RecordingHost host;
  Bitmap stage, middle;
  if (counts.pumps >= 2)
    host.onPump = [&](int k) {
      if (k == counts.pumps / 2) middle = stage;
    };
  else
    host.onStageOp = [&](int k) {
      if (k == (counts.stageOps + 1) / 2) middle = stage;
    };
  runOnce(n, w, h, host, stage);
  return middle.empty() ? stage : middle;
}

}  // namespace

int runGallery(const Args& args) {
  if (args.positional().size() != 1) throw UsageError{"gallery needs one output file"};
  int w = 160, h = 120;
  args.getSize("size", w, h);
  constexpr int kColumns = 11;
  const int rows = (kEffectCount + kColumns - 1) / kColumns;
  const int scale = h >= 90 ? 2 : 1;
  const int label = 7 * scale + 6, gap = 6;
  const int cellW = w + gap, cellH = h + label + gap;
  Bitmap sheet(kColumns * cellW + gap, rows * cellH + gap, rgb(32, 32, 40));
  for (int n = 0; n < kEffectCount; ++n) {
    const int x = gap + (n % kColumns) * cellW, y = gap + (n / kColumns) * cellH;
    drawBitmap(middleOf(n, w, h), sheet, x, y + label);
    const std::string number = std::to_string(n);
    drawDigits(sheet, number, x + (w - digitsWidth(number, scale)) / 2, y + 2, scale, rgb(240, 240, 240));
    std::cerr << '.' << std::flush;
  }
  std::cerr << '\n';
  writePng(sheet, args.positional()[0]);
  return 0;
}

}  // namespace lumora::tool
