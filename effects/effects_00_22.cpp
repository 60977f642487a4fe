// Transitions 00 to 22: interlaced rows and columns, random squares, wipes,
// stretched bands, checkerboards, a growing disc and pixel-wise bands.
//
// Every transition is written as the fixed sequence of copies, pumps and
// random draws it is made of; the speed setting only multiplies identical
// copies.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "effects/effect.h"
#include "graphics/rounding.h"

namespace lumora {

namespace {

constexpr Surface kFrame = Surface::Frame;
constexpr Surface kWork = Surface::Work;
constexpr Surface kStage = Surface::Stage;

// Row y of a screen w pixels wide.
Rect row(int w, int y) { return Rect{0, y, w, y + 1}; }

// A loop step computed from the screen size; on a screen too small for it
// to be positive the loop advances by 1 so that it still ends.
int stepOf(int size) { return std::max(size, 1); }

// A repeat count a * speed + b, kept inside int (a huge speed only means
// very many copies; a speed of 0 or less gives b or fewer).
int repeats(const EffectContext& c, std::int64_t perSpeed, std::int64_t extra) {
  const std::int64_t n = perSpeed * std::int64_t(c.speed) + extra;
  return int(std::clamp<std::int64_t>(n, INT_MIN, INT_MAX));
}

// Same rectangle in FrameBitmap and on the Stage, n times.
void frameToStage(EffectContext& c, int n, Rect r) { c.copyRepeated(n, kFrame, r, kStage, r); }

// Effect 0: alternate rows close in from the top and the bottom.
void interlacedRows(EffectContext& c) {
  const int W = c.W, H = c.H;
  for (int v = 0; v <= H; v += 2) {
    for (int w = v; w > 0; w -= 2) {
      c.copy(kFrame, row(W, H - v + w - 1), kStage, row(W, w - 1));
      c.copy(kFrame, row(W, v - w), kStage, row(W, H - w));
      c.pump();
    }
  }
  c.finalDraw();
}

// Effect 1: 8 x 8 squares at random places of a 4-pixel grid.
void randomSquares(EffectContext& c) {
  const std::int64_t n = std::int64_t(c.W) * c.H / 2;
  for (std::int64_t i = 0; i < n + 1; ++i) {
    const int x = c.random(c.W / 4) * 4;
    const int y = c.random(c.H / 4) * 4;
    frameToStage(c, 1, Rect{x, y, x + 8, y + 8});
    c.pump();
  }
}

// Effect 2: the whole picture squeezed in from the left edge, widening.
void squeezeFromLeft(EffectContext& c) {
  const int W = c.W, H = c.H;
  const int step = stepOf(W / 20);
  for (int s = 0; s <= W; s += step) {
    c.copy(kFrame, Rect{0, 0, W, H}, kWork, Rect{0, 0, s, H});
    c.copy(kWork, Rect{0, 0, s, H}, kStage, Rect{0, 0, s, H});
    c.pump();
  }
  c.finalDraw();
}

// Effect 3: pixel by pixel, row by row.
void pixelByPixel(EffectContext& c) {
  const int n = c.speed / 2 + 1;
  for (int y = 0; y <= c.H; ++y) {
    for (int x = 0; x <= c.W; ++x) frameToStage(c, n, Rect{x, y, x + 1, y + 1});
    c.pump();
  }
}

// Effects 4 and 11: seventeen bands open downward together; one pump at
// the very end.
void seventeenBands(EffectContext& c, int n) {
  const int band = c.H / 16;
  for (int k = 0; k <= band; ++k)
    for (int b = 0; b <= 16; ++b) frameToStage(c, n, row(c.W, k + b * band - 1));
  c.pump();
}
void seventeenBandsFast(EffectContext& c) { seventeenBands(c, repeats(c, 10, 1)); }
void seventeenBandsSlow(EffectContext& c) { seventeenBands(c, repeats(c, 20, 1)); }

// Effect 5: the picture slides down from the top edge.
void slideDown(EffectContext& c) {
  const int W = c.W, H = c.H;
  const int n = repeats(c, 1, 1);
  for (int t = 0; t <= H; ++t) {
    c.copyRepeated(n, kFrame, Rect{0, H - t, W, H}, kStage, Rect{0, 0, W, t});
    c.pump();
  }
}

// Effects 6 and 7: a growing strip of the picture stretched over the whole
// screen through WorkBitmap.
void stretchedStrip(EffectContext& c, Rect strip) {
  const Rect screen{0, 0, c.W, c.H};
  c.copy(kFrame, strip, kWork, screen);
  c.copyRepeated(repeats(c, 1, 1), kWork, screen, kStage, screen);
  c.pump();
}
void stretchTopDown(EffectContext& c) {
  const int step = stepOf(c.H / 20);
  for (int s = 0; s <= c.H; s += step) stretchedStrip(c, Rect{0, 0, c.W, s});
  c.finalDraw();
}
void stretchBottomUp(EffectContext& c) {
  const int step = stepOf(c.H / 20);
  for (int s = c.H; s >= 0; s -= step) stretchedStrip(c, Rect{0, s, c.W, c.H});
  c.finalDraw();
}

// Effect 8: plain wipe downward.
void wipeDown(EffectContext& c) {
  for (int t = 0; t <= c.H; ++t) {
    frameToStage(c, c.speed, Rect{0, 0, c.W, t});
    c.pump();
  }
}

// Effects 9 and 10: the whole picture squeezed into a band of the screen,
// through WorkBitmap.
void squeezedBand(EffectContext& c, Rect band) {
  c.copy(kFrame, Rect{0, 0, c.W, c.H}, kWork, band);
  c.copyRepeated(c.speed, kWork, band, kStage, band);
  c.pump();
}
void squeezeFromTop(EffectContext& c) {
  const int step = stepOf(c.H / 20);
  for (int s = 0; s <= c.H; s += step) squeezedBand(c, Rect{0, 0, c.W, s});
  c.finalDraw();
}
void squeezeFromMiddle(EffectContext& c) {
  const int H = c.H;
  const int step = stepOf(H / 30);
  for (int v = H / 2; v <= H; v += step) squeezedBand(c, Rect{0, H - v, c.W, v});
  c.finalDraw();
}

// Effect 12: alternate columns close in from the left and the right. The
// second copy of a pair has both rectangles reversed on both axes.
void interlacedColumns(EffectContext& c) {
  const int W = c.W, H = c.H;
  const int step = stepOf(W / 100);
  for (int s = 0; s <= W; s += step) {
    for (int w = s; w > 0; w -= 2) {
      c.copy(kFrame, Rect{s - w, 0, s - w + 1, H}, kStage, Rect{W - w, 0, W - w + 1, H});
      c.copy(kFrame, Rect{W + w - s, H, W + w - s - 1, 0}, kStage, Rect{w, H, w - 1, 0});
      c.pump();
    }
  }
  c.finalDraw();
}

// Effect 13: the whole picture zooming out of the top-left corner.
void zoomFromCorner(EffectContext& c) {
  const int W = c.W, H = c.H;
  const int step = stepOf(W / 20);
  int w = 0, h = 0;
  if (W > 0) {
    do {
      c.copy(kFrame, Rect{0, 0, W, H}, kWork, Rect{0, 0, w, h});
      c.copyRepeated(c.speed, kWork, Rect{0, 0, w, h}, kStage, Rect{0, 0, w, h});
      w += step;
      h = roundHalfEven(static_cast<long double>(H) / static_cast<long double>(W) * w);
      c.pump();
    } while (w < W);
  }
  c.finalDraw();
}

// Effect 14: a rectangle of the screen's proportions growing from the
// top-left corner.
void growFromCorner(EffectContext& c) {
  const int W = c.W, H = c.H;
  int g = 0;
  do {
    const std::int64_t product = std::int64_t(g) * W;
    const int gw = H > 0 ? roundHalfEven(static_cast<long double>(product) / H) : 0;
    frameToStage(c, c.speed, Rect{0, 0, gw, g});
    g += 2;
    c.pump();
  } while (!(g > H + 4));
}

// Effects 15, 17 and 18: a 41 x 41 checkerboard in two passes, first the
// cells whose column + row is odd, then the others.
struct Checkerboard {
  bool outerIsRow;          // the outer index runs over rows (else columns)
  bool secondPassBackward;  // the second pass runs its outer index 40 down to 0
  int perSpeed, extra;      // repeats per cell: perSpeed * speed + extra
};

void checkerboard(EffectContext& c, const Checkerboard& plan) {
  const int cw = c.W / 40, ch = c.H / 40;
  const int n = repeats(c, plan.perSpeed, plan.extra);
  auto visit = [&](int outer, int inner) {
    const int i = plan.outerIsRow ? inner : outer;
    const int j = plan.outerIsRow ? outer : inner;
    frameToStage(c, n, Rect{i * cw, j * ch, (i + 1) * cw, (j + 1) * ch});
    c.pump();
  };
  auto passLine = [&](int outer, bool oddCells) {
    const bool outerEven = outer % 2 == 0;
    const int first = (outerEven == oddCells) ? 1 : 0;
    for (int inner = first; inner <= 40; inner += 2) visit(outer, inner);
  };
  for (int o = 0; o <= 40; ++o) passLine(o, true);
  if (plan.secondPassBackward) {
    for (int o = 40; o >= 0; --o) passLine(o, false);
  } else {
    for (int o = 0; o <= 40; ++o) passLine(o, false);
  }
}

void checkerRows(EffectContext& c) { checkerboard(c, {true, false, 100, 1}); }
void checkerColumnsBackAndForth(EffectContext& c) { checkerboard(c, {false, true, 20, 0}); }
void checkerColumns(EffectContext& c) { checkerboard(c, {false, false, 20, 0}); }

// The square root of an integer, taken in floating point and rounded.
int roundedRoot(std::int64_t v) { return roundHalfEven(std::sqrt(static_cast<long double>(v))); }

// Effect 16: a disc growing from the centre, then widening into a rounded
// band. Each pass draws the two rows at distance d above and below the
// centre.
void discThenBand(EffectContext& c) {
  const int cx = c.W / 2, cy = c.H / 2;
  auto rowPair = [&](int d, int halfWidth) {
    frameToStage(c, c.speed, Rect{cx - halfWidth, cy - d, cx + halfWidth, cy - d + 1});
    frameToStage(c, c.speed, Rect{cx - halfWidth, cy + d, cx + halfWidth, cy + d + 1});
    c.pump();
  };
  for (int v = 0; v <= cy; v += 2) {
    for (int d = 0; d <= v; ++d) {
      const int p = roundedRoot(std::int64_t(v) * v - std::int64_t(d) * d);
      rowPair(d, p);
    }
  }
  for (int v = 0; v < cx - 2; v += 2) {
    for (int d = 0; d <= cy; ++d) {
      const int p = roundedRoot(std::int64_t(cy) * cy - std::int64_t(d) * d);
      rowPair(d, p + v);
    }
  }
}

// Effects 19 to 22: two-pixel bands, filled pixel by pixel, the even bands
// first, then the odd ones forward (with the speed repeats) or backward
// (each copy once).
struct Bands {
  bool vertical;            // bands of two columns (else two rows)
  bool secondPassBackward;  // odd bands from the far end, without repeats
};

void drawBand(EffectContext& c, bool vertical, int b, int n) {
  if (vertical) {
    for (int y = 0; y <= c.H; ++y) frameToStage(c, n, Rect{2 * b, y, 2 * b + 2, y + 1});
  } else {
    for (int x = 0; x <= c.W; ++x) frameToStage(c, n, Rect{x, 2 * b, x + 1, 2 * b + 2});
  }
  c.pump();
}

void interlacedBands(EffectContext& c, const Bands& plan) {
  const int m = plan.vertical ? c.W / 2 : c.H / 2;
  const int n = repeats(c, 1, 1);
  for (int b = 0; b <= m; b += 2) drawBand(c, plan.vertical, b, n);
  if (plan.secondPassBackward) {
    for (int b = m % 2 == 0 ? m + 1 : m; b > 0; b -= 2) drawBand(c, plan.vertical, b, 1);
  } else {
    for (int b = 1; b <= m; b += 2) drawBand(c, plan.vertical, b, n);
  }
}

void rowBandsForward(EffectContext& c) { interlacedBands(c, {false, false}); }
void rowBandsBackward(EffectContext& c) { interlacedBands(c, {false, true}); }
void columnBandsBackward(EffectContext& c) { interlacedBands(c, {true, true}); }
void columnBandsForward(EffectContext& c) { interlacedBands(c, {true, false}); }

}  // namespace

void installEffects0to22(EffectTable& table) {
  table[0] = interlacedRows;
  table[1] = randomSquares;
  table[2] = squeezeFromLeft;
  table[3] = pixelByPixel;
  table[4] = seventeenBandsFast;
  table[5] = slideDown;
  table[6] = stretchTopDown;
  table[7] = stretchBottomUp;
  table[8] = wipeDown;
  table[9] = squeezeFromTop;
  table[10] = squeezeFromMiddle;
  table[11] = seventeenBandsSlow;
  table[12] = interlacedColumns;
  table[13] = zoomFromCorner;
  table[14] = growFromCorner;
  table[15] = checkerRows;
  table[16] = discThenBand;
  table[17] = checkerColumnsBackAndForth;
  table[18] = checkerColumns;
  table[19] = rowBandsForward;
  table[20] = rowBandsBackward;
  table[21] = columnBandsBackward;
  table[22] = columnBandsForward;
}

}  // namespace lumora
