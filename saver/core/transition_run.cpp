#include "saver/core/transition_run.h"

#include <algorithm>
#include <cstring>

namespace lumora {

void runPacedEffect(int n, EffectContext& ctx, const Random& random, int minimumMs, const EffectCounts* counted) {
  EffectHost* host = ctx.host();
  if (!host || minimumMs <= 0) {
    runEffect(n, ctx);
    return;
  }
  if (counted) {
    host->transitionStarting(*counted, minimumMs);
  } else {
    const EffectBitmaps bitmaps{ctx.bitmap(Surface::Frame), ctx.bitmap(Surface::Work), ctx.bitmap(Surface::Spare),
                                ctx.bitmap(Surface::Stage)};
    host->transitionStarting(countEffect(n, bitmaps, ctx.W, ctx.H, ctx.speed, random), minimumMs);
  }
  runEffect(n, ctx);
  host->transitionEnded();
}

namespace {
bool samePixels(const Bitmap& a, const Bitmap& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  const std::size_t rowBytes = std::size_t(a.width()) * sizeof(Pixel);
  for (int y = 0; y < a.height(); ++y)
    if (std::memcmp(a.row(y), b.row(y), rowBytes) != 0) return false;
  return true;
}
}  // namespace

bool settleStage(const Bitmap& frame, Bitmap& stage, EffectHost* host) {
  if (samePixels(frame, stage)) return false;
  drawBitmap(frame, stage, 0, 0);
  if (host) host->stageDrawn({0, 0, frame.width(), frame.height()});
  return true;
}

}  // namespace lumora
