#include "saver/core/layout.h"

#include "graphics/rounding.h"

namespace lumora {

namespace {

struct ThresholdSize {
  FittingThreshold threshold;
  int width, height;
};
constexpr ThresholdSize kThresholdSizes[] = {{FittingThreshold::FitAll, 0, 0},
                                             {FittingThreshold::Below640x480, 640, 480},
                                             {FittingThreshold::Below800x600, 800, 600},
                                             {FittingThreshold::Below1024x768, 1024, 768}};
struct TileLimit {
  Tiling tiling;
  int limit;
};
constexpr TileLimit kTileLimits[] = {
    {Tiling::UpTo600, 600}, {Tiling::UpTo500, 500}, {Tiling::UpTo400, 400}, {Tiling::UpTo300, 300}};

}  // namespace

void fittingThreshold(FittingThreshold threshold, int screenW, int screenH, int& limW, int& limH) {
  limW = screenW;
  limH = screenH;
  for (const ThresholdSize& t : kThresholdSizes)
    if (t.threshold == threshold) {
      limW = t.width;
      limH = t.height;
    }
}

int tileLimit(Tiling tiling) {
  for (const TileLimit& t : kTileLimits)
    if (t.tiling == tiling) return t.limit;
  return 0;
}

Layout layoutPicture(int picW, int picH, int screenW, int screenH, FittingThreshold threshold, Tiling tiling) {
  if (threshold == FittingThreshold::FitAll) tiling = Tiling::Off;
  int limW = 0, limH = 0;
  fittingThreshold(threshold, screenW, screenH, limW, limH);
  Layout l;
  if (picW < limW && picH < limH) {
    l.width = picW;
    l.height = picH;
    l.left = (screenW - picW) / 2;
    l.top = (screenH - picH) / 2;
    const int limit = tileLimit(tiling);
    if (limit > 0 && (picW > limit || picH > limit)) l.stretch = true;
  } else {
    l.stretch = true;
    l.width = screenW;
    l.height = screenH;
    const long double r = static_cast<long double>(picW) / picH;
    const long double s = static_cast<long double>(screenW) / screenH;
    if (r > s) {
      l.height = roundHalfEven(screenW / r);
      l.top = (screenH - l.height) / 2;
    } else {
      l.width = roundHalfEven(r * screenH);
      l.left = (screenW - l.width) / 2;
    }
  }
  l.tiled = !(tiling == Tiling::Off || l.stretch);
  return l;
}

}  // namespace lumora
