// Transitions 23 to 45: curtains, diagonal and curved wipes, radial sweeps,
// wipes led by a mirrored band, a grid of growing squares and the pushes.
//
// Every body below issues its copies, repeats and pumps in exactly the order
// of its loops; the copy itself clips whatever falls outside a bitmap, so the
// loops run their full bounds at every screen size.
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

// A repeat count computed in 64 bits and kept inside int, so that an absurd
// speed cannot overflow (a count <= 0 issues nothing).
int repeatCount(std::int64_t n) {
  if (n > INT_MAX) return INT_MAX;
  if (n < INT_MIN) return INT_MIN;
  return static_cast<int>(n);
}

// `times` copies of FrameBitmap r onto the Stage at the same rectangle.
void frameToStage(EffectContext& ctx, int times, Rect r) { ctx.copyRepeated(times, kFrame, r, kStage, r); }

// √(a² − b²) rounded; a² − b² is an exact integer here.
int roundedRoot(int a, int b) {
  const std::int64_t d = std::int64_t(a) * a - std::int64_t(b) * b;
  return roundHalfEven(std::sqrt(static_cast<long double>(d)));
}

// Degrees to radians the way every angle here is turned: a / 180 × 3.14159.
long double radians(int a) { return static_cast<long double>(a) / 180 * kPi; }

// --- 23 to 26: curtains of two-pixel strips ---------------------------------

// Each i repeats the group "copy A, copy B, pump" 20 × speed + 1 times.
template <typename Strips>
void curtain(EffectContext& ctx, int limit, Strips strips) {
  const int times = repeatCount(20 * std::int64_t(ctx.speed) + 1);
  for (int i = 0; i <= limit; ++i) {
    const auto [a, b] = strips(i);
    for (int k = 0; k < times; ++k) {
      frameToStage(ctx, 1, a);
      frameToStage(ctx, 1, b);
      ctx.pump();
    }
  }
}

struct RectPair {
  Rect a, b;
};

void effect23(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H;
  curtain(ctx, W / 2, [&](int i) { return RectPair{{i, 0, i + 2, H}, {W - i - 2, 0, W - i, H}}; });
}

void effect24(EffectContext& ctx) {
  const int H = ctx.H, cx = ctx.W / 2;
  curtain(ctx, ctx.W / 2, [&](int i) { return RectPair{{cx + i, 0, cx + i + 2, H}, {cx - i - 2, 0, cx - i, H}}; });
}

void effect25(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H;
  // Copy B is reversed vertically in source and destination alike.
  curtain(ctx, H / 2, [&](int i) { return RectPair{{0, i, W, i + 2}, {0, H - i, W, H - i - 2}}; });
}

void effect26(EffectContext& ctx) {
  const int W = ctx.W, cy = ctx.H / 2;
  curtain(ctx, ctx.H / 2, [&](int i) { return RectPair{{0, cy + i, W, cy + i + 2}, {0, cy - i - 2, W, cy - i}}; });
}

// --- 27, 28: diagonal wipes ------------------------------------------------

// One piece: `speed` copies, then a pump.
void piece(EffectContext& ctx, Rect r) {
  frameToStage(ctx, ctx.speed, r);
  ctx.pump();
}

void effect27(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H;
  for (int v = 0; v <= H; v += 2)
    for (int w = v; w >= 0; --w) piece(ctx, {0, v - w, w, v - w + 1});
  for (int v = H; v <= W; v += 2)
    for (int w = H; w >= 0; --w) piece(ctx, {v - H, H - w, v - H + w, H - w + 1});
  for (int k = W - H; k <= W; k += 2)
    for (int j = 0; j <= W - k; ++j) piece(ctx, {k, H - j, k + j, H - j + 1});
}

void effect28(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H;
  for (int v = (W - H) / 2; v <= W - H; v += 2) {
    for (int j = 0; j <= H; ++j) piece(ctx, {v + j, H - j, v + j + 2, H - j + 1});
    for (int j = 0; j <= H; ++j) piece(ctx, {W - H - v + j, H - j, W - H - v + j + 2, H - j + 1});
  }
  for (int v = H; v >= 0; v -= 2) {
    for (int j = 0; j <= v; ++j) piece(ctx, {j, v - j, j + 2, v - j + 1});
    for (int j = 0; j <= v; ++j) piece(ctx, {W - v + j, H - j, W - v + j + 2, H - j + 1});
  }
}

// --- 29: growing disc, then a widening rounded band ------------------------

void effect29(EffectContext& ctx) {
  const int cx = ctx.W / 2, cy = ctx.H / 2, s = ctx.speed;
  for (int v = 0; v <= cy; v += 2)
    for (int d = 0; d <= v; ++d) {
      const int p = roundedRoot(v, d);
      frameToStage(ctx, s, {cx - p, cy - d, cx + p, cy - d + 1});
      frameToStage(ctx, s, {cx - p, cy + d, cx + p, cy + d + 1});
      ctx.pump();
    }
  for (int v = 0; v < cx - 2; v += 2)
    for (int d = 0; d <= cy; ++d) {
      const int p = roundedRoot(cy, d);
      frameToStage(ctx, s, {cx - p - v, cy - d, cx + p + v, cy - d + 1});
      frameToStage(ctx, s, {cx - p - v, cy + d, cx + p + v, cy + d + 1});
      ctx.pump();
    }
}

// --- 30, 39: sweeps of 20 x 20 squares around a centre ----------------------

// Rays a = 0..lastAngle of r = 0..n squares around (cx, cy); a = 0 points left.
void radialSweep(EffectContext& ctx, int cx, int cy, int n, int lastAngle) {
  for (int a = 0; a <= lastAngle; ++a)
    for (int r = 0; r <= n; ++r) {
      const long double theta = radians(a);
      const int x = roundHalfEven(std::cos(theta) * r);
      const int y = roundHalfEven(r * std::sin(theta));
      frameToStage(ctx, ctx.speed, {cx - x - 10, cy - y - 10, cx - x + 10, cy - y + 10});
      ctx.pump();
    }
}

void effect30(EffectContext& ctx) {
  const int cx = ctx.W / 2, half = ctx.H / 2, base = 2 * half;
  const long double w = ctx.W, h = half;
  const int n = roundHalfEven(std::sqrt(w * w + h * h) + 0.5L);
  radialSweep(ctx, cx, base, n, 180);
}

void effect39(EffectContext& ctx) {
  const long double w = ctx.W, h = ctx.H;
  const int n = roundHalfEven(std::sqrt(w * w + h * h) / 2 + 0.5L);
  radialSweep(ctx, ctx.W / 2, ctx.H / 2, n, 360);
}

// --- 31: a fan of rays from the middle of the bottom edge -------------------

void effect31(EffectContext& ctx) {
  const int H = ctx.H, cx = ctx.W / 2, s = ctx.speed;
  for (int a = 91; a <= 179; ++a) {
    const long double t = std::tan(radians(a - 90));
    const int reach = roundHalfEven(t * H);
    if (reach > cx) {
      for (int j = 0; j <= cx + 100; ++j) {
        const int y = H - roundHalfEven(j / t);
        frameToStage(ctx, s, {cx + j - 20, y, cx + j, y + 10});
        frameToStage(ctx, s, {cx - j, y, cx - j + 20, y + 10});
        ctx.pump();
      }
    } else if (reach >= 0) {
      for (int j = 0; j <= reach; ++j) {
        const int y = H - roundHalfEven(j / t);
        const int top = a >= 100 ? y - 30 : 0;
        frameToStage(ctx, s, {cx + j - 4, top, cx + j + 4, y});
        frameToStage(ctx, s, {cx - j - 4, top, cx - j + 4, y});
        ctx.pump();
      }
    }
  }
}

// --- 32 to 34: rounded fronts ----------------------------------------------

// Three half-circle fronts side by side; x0(m, p, v) gives each arc's column.
template <typename Column>
void threeArcs(EffectContext& ctx, const int (&ms)[3], Column x0) {
  const int cx = ctx.W / 2, R = ctx.H / 2, s = ctx.speed;
  for (int v = cx; v > 0; v -= 2)
    for (int w = R; w >= 0; --w) {
      const int p = roundedRoot(R, w);
      for (int m : ms) {
        const int x = x0(m * cx, p, v);
        frameToStage(ctx, s, {x, R - w, x + 4, R - w + 2});
        frameToStage(ctx, s, {x, R + w, x + 4, R + w + 2});
        ctx.pump();
      }
    }
}

void effect32(EffectContext& ctx) {
  static constexpr int kMs[3] = {1, 2, 3};
  threeArcs(ctx, kMs, [](int mcx, int p, int v) { return mcx - p - v - 4; });
}

void effect34(EffectContext& ctx) {
  static constexpr int kMs[3] = {-1, 0, 1};
  threeArcs(ctx, kMs, [](int mcx, int p, int v) { return mcx + p + v; });
}

void effect33(EffectContext& ctx) {
  const int cx = ctx.W / 2, d = ctx.H / 2;
  for (int v = cx; v > 0; v -= 2)
    for (int w = d; w >= 0; --w) {
      const int p = roundedRoot(d, w);
      frameToStage(ctx, 1, {cx - p - v - 4, d - w, cx - p - v, d - w + 2});
      frameToStage(ctx, 1, {cx - p - v - 4, d + w, cx - p - v, d + w + 2});
      frameToStage(ctx, 1, {cx + p + v, d - w, cx + p + v + 4, d - w + 2});
      frameToStage(ctx, 1, {cx + p + v, d + w, cx + p + v + 4, d + w + 2});
      ctx.pump();
    }
  for (int v = d; v > 0; v -= 2) {
    frameToStage(ctx, 1, {cx - 100, d - v, cx + 100, d - v + 4});
    frameToStage(ctx, 1, {cx - 100, d + v, cx + 100, d + v + 4});
    for (int a = v; a >= 0; --a) {
      const int p = roundedRoot(v, a);
      frameToStage(ctx, 1, {cx - p - 4, d - a, cx - p + 4, d - a + 4});
      frameToStage(ctx, 1, {cx - p - 4, d + a, cx - p + 4, d + a + 4});
      frameToStage(ctx, 1, {cx + p - 4, d - a, cx + p + 4, d - a + 4});
      frameToStage(ctx, 1, {cx + p - 4, d + a, cx + p + 4, d + a + 4});
      ctx.pump();
    }
  }
}

// --- 35 to 37: wipes led by a mirrored band --------------------------------

void effect35(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H, band = W / 20;
  for (int v = 0; v <= W; v += 2) {
    ctx.copy(kFrame, {v + band, 0, v, H}, kStage, {v, 0, v + band, H});
    frameToStage(ctx, 1, {v - 2, 0, v, H});
    ctx.pump();
  }
}

void effect36(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H, band = H / 20;
  for (int v = 0; v <= H; v += 2) {
    ctx.copy(kFrame, {0, band + v, W, v}, kStage, {0, v, W, band + v});
    frameToStage(ctx, 1, {0, v - 2, W, v});
    ctx.pump();
  }
}

void effect37(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H, band = W / 20, c0 = W / 2;
  for (int v = 0; v <= W / 2; v += 2) {
    const int r = c0 + v, l = c0 - v;
    ctx.copy(kFrame, {r + band, 0, r, H}, kStage, {r, 0, r + band, H});
    ctx.copy(kFrame, {l, 0, l - band, H}, kStage, {l - band, 0, l, H});
    frameToStage(ctx, 1, {l, 0, r, H});
    ctx.pump();
  }
}

// --- 38: squares growing on a grid -----------------------------------------

void effect38(EffectContext& ctx) {
  const int p = ctx.H / 20;
  if (p == 0) {  // a screen under 20 pixels high has no grid
    ctx.finalDraw();
    return;
  }
  const int times = repeatCount(2 * std::int64_t(ctx.speed));
  for (int g = 0; g <= p / 2; ++g)
    for (int i = 0; i <= ctx.W / p + 1; ++i)
      for (int j = 0; j <= 21; ++j) {
        frameToStage(ctx, times, {i * p - g, j * p - g, i * p + g, j * p + g});
        ctx.pump();
      }
}

// --- 40 to 45: pushes ------------------------------------------------------

// WorkBitmap takes what the Stage shows now: the old picture, caption and all.
void keepOldPicture(EffectContext& ctx) {
  const Rect all{0, 0, ctx.W, ctx.H};
  ctx.copy(kStage, all, kWork, all);
}

void effect40(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H;
  keepOldPicture(ctx);
  for (int g = 0; g <= W; g += 2) {
    ctx.copy(kWork, {g, 0, W, H}, kStage, {0, 0, W - g, H});
    frameToStage(ctx, 1, {W - g, 0, W - g + 2, H});
    ctx.pump();
  }
}

void effect41(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H, s = ctx.speed;
  keepOldPicture(ctx);
  for (int v = 0; v <= H; v += 2) {
    ctx.copyRepeated(s, kWork, {0, 0, W, H - v}, kStage, {0, v, W, H});
    frameToStage(ctx, s, {0, v, W, v + 2});
    ctx.pump();
  }
}

void effect42(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H, s = ctx.speed;
  keepOldPicture(ctx);
  for (int v = 0; v <= H; v += 2) {
    const int e = H - v;
    ctx.copyRepeated(s, kWork, {0, v, W, H}, kStage, {0, 0, W, e});
    frameToStage(ctx, s, {0, e, W, e + 2});
    ctx.pump();
  }
}

void effect43(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H, s = ctx.speed;
  keepOldPicture(ctx);
  for (int v = 0; v <= W; v += 2) {
    ctx.copyRepeated(s, kWork, {0, 0, W - v, H}, kStage, {v, 0, W, H});
    frameToStage(ctx, s, {v, 0, v + 2, H});
    ctx.pump();
  }
}

void effect44(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H, s = ctx.speed;
  keepOldPicture(ctx);
  int g = 0;
  for (; g <= H / 2; g += 2) {
    ctx.copyRepeated(s, kWork, {0, g, W, H}, kStage, {0, 0, W, H - g});
    ctx.copyRepeated(s, kFrame, {0, H - 2 * g, W, H - g}, kStage, {0, H - g, W, H});
    ctx.pump();
  }
  for (int l = H / 2; g <= H; l -= 2, g += 2) {
    ctx.copyRepeated(s, kFrame, {0, 0, W, g}, kStage, {0, H - g, W, H});
    ctx.copyRepeated(s, kWork, {0, l, W, H + l - g}, kStage, {0, 0, W, H - g});
    ctx.pump();
  }
}

void effect45(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H, s = ctx.speed;
  keepOldPicture(ctx);
  int f = 0;
  for (; f <= W / 2; f += 2) {
    ctx.copyRepeated(s, kWork, {0, 0, W - f, H}, kStage, {f, 0, W, H});
    ctx.copyRepeated(s, kFrame, {f, 0, 2 * f, H}, kStage, {0, 0, f, H});
    ctx.pump();
  }
  for (int k = 0; f <= W; k += 4, f += 2) {
    ctx.copyRepeated(s, kFrame, {W - f, 0, W, H}, kStage, {0, 0, f, H});
    ctx.copyRepeated(s, kWork, {k, 0, k + W - f, H}, kStage, {f, 0, W, H});
    ctx.pump();
  }
}

}  // namespace

void installEffects23to45(EffectTable& table) {
  table[23] = effect23;
  table[24] = effect24;
  table[25] = effect25;
  table[26] = effect26;
  table[27] = effect27;
  table[28] = effect28;
  table[29] = effect29;
  table[30] = effect30;
  table[31] = effect31;
  table[32] = effect32;
  table[33] = effect33;
  table[34] = effect34;
  table[35] = effect35;
  table[36] = effect36;
  table[37] = effect37;
  table[38] = effect38;
  table[39] = effect39;
  table[40] = effect40;
  table[41] = effect41;
  table[42] = effect42;
  table[43] = effect43;
  table[44] = effect44;
  table[45] = effect45;
}

}  // namespace lumora
