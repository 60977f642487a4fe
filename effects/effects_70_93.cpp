// Transitions 70 to 93: diagonal fronts of blocks, widening strips, diamonds,
// arcs, a fan and a turning diameter, combs and travelling wavy lines, random
// lines, a ragged edge and a strip with specks. Every copy takes a rectangle
// of FrameBitmap onto the same rectangle of the Stage; the scratch bitmaps are
// not used. Speed only repeats identical copies.
#include <cmath>

#include "effects/effect.h"
#include "graphics/rounding.h"

namespace lumora {

namespace {

// FrameBitmap's rectangle r onto the same rectangle of the Stage, `times`
// times in a row (none when times <= 0). Counts are long long so that
// 2S + 1 or 20S cannot overflow for any speed.
void inPlace(EffectContext& ctx, Rect r, long long times = 1) {
  for (long long i = 0; i < times; ++i) ctx.copy(Surface::Frame, r, Surface::Stage, r);
}

// The square block of side n with its top-left corner at (x, y), in place.
void block(EffectContext& ctx, int x, int y, int n, long long times = 1) {
  inPlace(ctx, Rect{x, y, x + n, y + n}, times);
}

// Sine of n degrees with the angle formed as n * 3.14159 / 180.
long double sinD(int n) { return std::sin(static_cast<long double>(n) * kPi / 180); }

// Angle of n degrees formed as (n / 180) * 3.14159, as the fan and the
// turning diameter form it.
long double fanAngle(int n) { return static_cast<long double>(n) / 180 * kPi; }

// ---------------------------------------------------------------------------
// 70, 71, 73: two diagonal fronts of 2-pixel blocks.

// One front position w of Effects 70 and 73: a front on x - y = W - w from
// the top edge and one on x - y = w - H from the bottom edge.
void antiDiagonalFronts(EffectContext& ctx, int w) {
  const int W = ctx.W, H = ctx.H;
  for (int v = 0; v <= w; ++v) {
    block(ctx, W - w + v, v, 2, ctx.speed);
    block(ctx, w - v, H - v, 2, ctx.speed);
    ctx.pump();
  }
}

void effect70(EffectContext& ctx) {
  const int D = (ctx.W + ctx.H) / 2;
  for (int w = 0; w <= D; ++w) antiDiagonalFronts(ctx, w);
}

void effect71(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H, D = (W + H) / 2;
  for (int w = 0; w <= D; ++w)
    for (int v = 0; v <= w; ++v) {
      block(ctx, w - v, v, 2, ctx.speed);
      block(ctx, W - w + v, H - v, 2, ctx.speed);
      ctx.pump();
    }
}

void effect73(EffectContext& ctx) {
  const int D = (ctx.W + ctx.H) / 2;
  for (int w = D; w >= 0; --w) antiDiagonalFronts(ctx, w);
}

// ---------------------------------------------------------------------------
// 72: twenty-one strips centred on the columns k * (W div 20) widen by one
// column on each side per pass.

void effect72(EffectContext& ctx) {
  const int b = ctx.W / 20;
  const long long times = 2LL * ctx.speed + 1;
  for (int g = 0; g <= b / 2; ++g)
    for (int k = 0; k <= 20; ++k)
      for (long long i = 0; i < times; ++i) {
        inPlace(ctx, Rect{k * b - g, 0, k * b + g, ctx.H});
        ctx.pump();
      }
}

// ---------------------------------------------------------------------------
// 74: a diamond outline grows from the centre out to the corners.

void effect74(EffectContext& ctx) {
  const int hw = ctx.W / 2, hh = ctx.H / 2;
  for (int v = 0; v <= hh + hw; ++v)
    for (int j = 0; j <= v; ++j) {
      const int xl = hw - j, xr = hw + j, yt = hh - (v - j), yb = hh + (v - j);
      for (int i = 0; i < ctx.speed; ++i) {
        block(ctx, xl, yt, 2);
        block(ctx, xr, yt, 2);
        block(ctx, xl, yb, 2);
        block(ctx, xr, yb, 2);
      }
      ctx.pump();
    }
}

// ---------------------------------------------------------------------------
// 75: three arcs of radius hh, centred at p * hw - m, sweep to the left.

void effect75(EffectContext& ctx) {
  const int hw = ctx.W / 2, hh = ctx.H / 2;
  for (int m = 0; m < hw; m += 2)
    for (int V = hh; V >= 0; --V) {
      const long double hh2 = static_cast<long double>(hh) * hh;
      const long double v2 = static_cast<long double>(V) * V;
      const int w = roundHalfEven(std::sqrt(hh2 - v2));
      for (int p = 1; p <= 3; ++p) {
        const int x = p * hw - w - m;
        inPlace(ctx, Rect{x - 4, hh - V, x, hh - V + 2});
        inPlace(ctx, Rect{x - 4, hh + V, x, hh + V + 2});
        ctx.pump();
      }
    }
}

// ---------------------------------------------------------------------------
// 76, 77: three diamond outlines centred at (p * (W div 4), hh).

void threeDiamonds(EffectContext& ctx, int V) {
  const int q = ctx.W / 4, hh = ctx.H / 2;
  for (int j = 0; j <= V; ++j)
    for (int p = 1; p <= 3; ++p) {
      const int c = p * q;
      block(ctx, c - j, hh - (V - j), 2);
      block(ctx, c + j, hh - (V - j), 2);
      block(ctx, c - j, hh + (V - j), 2);
      block(ctx, c + j, hh + (V - j), 2);
      ctx.pump();
    }
}

void effect76(EffectContext& ctx) {
  const int q = ctx.W / 4, hh = ctx.H / 2;
  for (int V = hh + q; V >= 0; V -= 2) threeDiamonds(ctx, V);
}

void effect77(EffectContext& ctx) {
  const int q = ctx.W / 4, hh = ctx.H / 2;
  for (int V = 0; V <= hh + q; V += 2) threeDiamonds(ctx, V);
}

// ---------------------------------------------------------------------------
// 78, 79: radii of 20-pixel blocks from the centre, turned degree by degree.

// Half the diagonal, rounded.
int halfDiagonal(const EffectContext& ctx) {
  const long double w = ctx.W, h = ctx.H;
  return roundHalfEven(std::sqrt(w * w + h * h) / 2 + 0.5L);
}

// The 20-pixel block centred r pixels from the centre at `degrees`, on the
// side of the centre given by ySign (-1: mirrored through the top, +1:
// through the bottom).
void radiusBlock(EffectContext& ctx, int degrees, int r, int ySign) {
  const long double angle = fanAngle(degrees);
  const int dx = roundHalfEven(std::cos(angle) * r);
  const int dy = roundHalfEven(std::sin(angle) * r);
  const int cx = ctx.W / 2 - dx, cy = ctx.H / 2 + ySign * dy;
  inPlace(ctx, Rect{cx - 10, cy - 10, cx + 10, cy + 10});
}

void effect78(EffectContext& ctx) {
  const int R = halfDiagonal(ctx);
  for (int V = 0; V <= 180; ++V)
    for (int r = 0; r <= R; ++r) {
      radiusBlock(ctx, V, r, -1);
      radiusBlock(ctx, V, r, +1);
      ctx.pump();
    }
}

void effect79(EffectContext& ctx) {
  const int R = halfDiagonal(ctx);
  for (int V = 0; V <= 180; ++V)
    for (int r = 0; r <= R; ++r) {
      radiusBlock(ctx, V, r, -1);
      radiusBlock(ctx, V + 180, r, -1);
      ctx.pump();
    }
}

// ---------------------------------------------------------------------------
// 80, 81: combs of 23 wavy lines a apart, shifted one pixel per pass.

void effect80(EffectContext& ctx) {
  const int a = ctx.W / 20;
  for (int t = 0; t <= a; ++t) {
    int ang = 0;
    for (int y = 0; y <= ctx.H; y += 4) {
      ang = (ang + 4) % 360;
      const int off = roundHalfEven(sinD(ang) * a);
      for (int s = -1; s <= 21; ++s) {
        const int x = s * a + t + off;
        inPlace(ctx, Rect{x - 2, y - 1, x, y + 4}, ctx.speed);
        ctx.pump();
      }
      ctx.pump();
    }
    ctx.pump();
  }
}

void effect81(EffectContext& ctx) {
  const int a = ctx.H / 20;
  for (int t = 0; t <= a; ++t) {
    int ang = 90;
    for (int x = 0; x <= ctx.W; x += 4) {
      ang = (ang + 4) % 360;
      const int off = roundHalfEven(a * sinD(ang));
      for (int s = -1; s <= 21; ++s) {
        const int y = off + t + a * s;
        inPlace(ctx, Rect{x - 1, y, x + 4, y + 2}, ctx.speed);
        ctx.pump();
      }
      ctx.pump();
    }
    ctx.pump();
  }
}

// ---------------------------------------------------------------------------
// 82 to 89: one or two wavy lines of amplitude a travelling one pixel per
// pass. Each pass starts the wave anew and pumps after every step along the
// line and once more at its end.

// A horizontal line: x = 0..W, the angle from 90 advanced by 1 before each
// use; pieces(x, off) draws the pieces of one step.
template <typename Pieces>
void horizontalWavePass(EffectContext& ctx, int a, Pieces pieces) {
  int ang = 90;
  for (int x = 0; x <= ctx.W; ++x) {
    ang = (ang + 1) % 360;
    const int off = roundHalfEven(sinD(ang) * a);
    pieces(x, off);
    ctx.pump();
  }
  ctx.pump();
}

// A vertical line: y = 0, 2, 4, ... up to H, the angle from 0 advanced by 2
// before each use; pieces(y, off) draws the pieces of one step.
template <typename Pieces>
void verticalWavePass(EffectContext& ctx, int a, Pieces pieces) {
  int ang = 0;
  for (int y = 0; y <= ctx.H; y += 2) {
    ang = (ang + 2) % 360;
    const int off = roundHalfEven(sinD(ang) * a);
    pieces(y, off);
    ctx.pump();
  }
  ctx.pump();
}

// Rows Y and Y + 1 at columns x - 1 and x.
void rowPiece(EffectContext& ctx, int x, int Y) { inPlace(ctx, Rect{x - 1, Y, x + 1, Y + 2}); }
// Rows Y - 1 and Y, passed reversed.
void reversedRowPiece(EffectContext& ctx, int x, int Y) { inPlace(ctx, Rect{x - 1, Y, x + 1, Y - 2}); }
// Columns X - 2 and X - 1 at rows y - 1 to y + 1.
void columnPiece(EffectContext& ctx, int y, int X) { inPlace(ctx, Rect{X - 2, y - 1, X, y + 2}); }
// Columns X + 1 and X + 2, passed reversed.
void reversedColumnPiece(EffectContext& ctx, int y, int X) { inPlace(ctx, Rect{X + 2, y - 1, X, y + 2}); }

void effect82(EffectContext& ctx) {
  const int a = ctx.W / 20, k = ctx.H / 2 + 1;
  for (int e = -a; e <= a + k; ++e)
    horizontalWavePass(ctx, a, [&](int x, int off) {
      rowPiece(ctx, x, k + e + off);
      reversedRowPiece(ctx, x, k - e - off);
    });
}

void effect83(EffectContext& ctx) {
  const int a = ctx.W / 20, k = ctx.H / 2 + 1;
  for (int e = -a; e <= a + k; ++e)
    horizontalWavePass(ctx, a, [&](int x, int off) {
      rowPiece(ctx, x, e + off);
      reversedRowPiece(ctx, x, 2 * k - e - off);
    });
}

void effect84(EffectContext& ctx) {
  const int k = ctx.W / 2 + 1, a = k / 20;
  for (int e = -a; e <= k + a; ++e)
    verticalWavePass(ctx, a, [&](int y, int off) {
      columnPiece(ctx, y, k + e + off);
      reversedColumnPiece(ctx, y, k - e - off);
    });
}

void effect85(EffectContext& ctx) {
  const int k = ctx.W / 2 + 1, a = k / 20;
  for (int e = -a; e <= k + a; ++e)
    verticalWavePass(ctx, a, [&](int y, int off) {
      reversedColumnPiece(ctx, y, 2 * k - e - off);
      columnPiece(ctx, y, e + off);
    });
}

void effect86(EffectContext& ctx) {
  const int a = ctx.W / 20;
  for (int e = ctx.H + a; e >= -a; --e) horizontalWavePass(ctx, a, [&](int x, int off) { rowPiece(ctx, x, e + off); });
}

void effect87(EffectContext& ctx) {
  const int a = ctx.W / 20;
  for (int e = -a; e <= ctx.H + a; ++e) horizontalWavePass(ctx, a, [&](int x, int off) { rowPiece(ctx, x, e + off); });
}

void effect88(EffectContext& ctx) {
  const int a = ctx.W / 20;
  for (int e = ctx.W + a; e >= -a; --e) verticalWavePass(ctx, a, [&](int y, int off) { columnPiece(ctx, y, e + off); });
}

void effect89(EffectContext& ctx) {
  const int a = ctx.W / 20;
  for (int e = -a; e <= ctx.W + a; ++e) verticalWavePass(ctx, a, [&](int y, int off) { columnPiece(ctx, y, e + off); });
}

// ---------------------------------------------------------------------------
// 90, 91: random full rows (columns), then the whole picture.

void effect90(EffectContext& ctx) {
  const long long times = 20LL * ctx.speed;
  for (long long i = 0, n = 5LL * ctx.H + 1; i < n; ++i) {
    const int y = ctx.random(ctx.H + 2);
    inPlace(ctx, Rect{0, y, ctx.W, y + 1}, times);
    ctx.pump();
  }
  ctx.finalDraw();
}

void effect91(EffectContext& ctx) {
  const long long times = 3LL * ctx.speed;
  for (long long i = 0, n = 5LL * ctx.W + 1; i < n; ++i) {
    const int x = ctx.random(ctx.W + 2);
    inPlace(ctx, Rect{x, 0, x + 1, ctx.H}, times);
    ctx.pump();
  }
  ctx.finalDraw();
}

// ---------------------------------------------------------------------------
// 92: bands six rows high reach a random length ahead of the sweeping column.

void effect92(EffectContext& ctx) {
  const long long times = 2LL * ctx.speed;
  for (int u = 0; u <= ctx.W; ++u)
    for (int y = 0; y <= ctx.H; y += 6) {
      const int n = ctx.random(ctx.W / 8);
      inPlace(ctx, Rect{u - 2, y, u + n, y + 6}, times);
      ctx.pump();
    }
}

// ---------------------------------------------------------------------------
// 93: a strip four columns wide with random specks ahead of it.

void effect93(EffectContext& ctx) {
  const long long times = 2LL * ctx.speed;
  for (int u = 0; u <= ctx.W; ++u) {
    inPlace(ctx, Rect{u - 2, 0, u + 2, ctx.H}, times);
    for (int i = 0; i <= ctx.H / 8; ++i) {
      const int x = u + ctx.random(ctx.W / 10);
      const int y = ctx.random(ctx.H);
      block(ctx, x, y, 4, times);
      ctx.pump();
    }
  }
}

}  // namespace

void installEffects70to93(EffectTable& table) {
  table[70] = effect70;
  table[71] = effect71;
  table[72] = effect72;
  table[73] = effect73;
  table[74] = effect74;
  table[75] = effect75;
  table[76] = effect76;
  table[77] = effect77;
  table[78] = effect78;
  table[79] = effect79;
  table[80] = effect80;
  table[81] = effect81;
  table[82] = effect82;
  table[83] = effect83;
  table[84] = effect84;
  table[85] = effect85;
  table[86] = effect86;
  table[87] = effect87;
  table[88] = effect88;
  table[89] = effect89;
  table[90] = effect90;
  table[91] = effect91;
  table[92] = effect92;
  table[93] = effect93;
}

}  // namespace lumora
