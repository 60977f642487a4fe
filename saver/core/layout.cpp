#include "saver/core/layout.h"

#include "graphics/rounding.h"

namespace lumora {

namespace {

struct Threshold {
  int tptc, width, height;
};
constexpr Threshold kThresholds[] = {{-1, 0, 0}, {0, 640, 480}, {1, 800, 600}, {2, 1024, 768}};
constexpr int kTileLimits[] = {600, 500, 400, 300};

}  // namespace

void fittingThreshold(int tptc, int screenW, int screenH, int& limW, int& limH) {
  limW = screenW;
  limH = screenH;
  for (const Threshold& t : kThresholds)
    if (t.tptc == tptc) {
      limW = t.width;
      limH = t.height;
    }
}

int tileLimit(int pp) { return pp >= 0 && pp <= 3 ? kTileLimits[pp] : 0; }

Layout layoutPicture(int picW, int picH, int screenW, int screenH, int tptc, int pp) {
  if (tptc == -1) pp = -1;
  int limW = 0, limH = 0;
  fittingThreshold(tptc, screenW, screenH, limW, limH);
  Layout l;
  if (picW < limW && picH < limH) {
    l.width = picW;
    l.height = picH;
    l.left = (screenW - picW) / 2;
    l.top = (screenH - picH) / 2;
    const int limit = tileLimit(pp);
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
  l.tiled = !(tptc == -1 || pp == -1 || l.stretch);
  return l;
}

}  // namespace lumora
