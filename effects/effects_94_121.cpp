// Transitions 94 to 121: wavy edges, quarter sweeps, rectangular rings,
// random lines and turning fans. Every copy takes a rectangle of FrameBitmap
// onto the same rectangle of the Stage, so nothing is stretched or mirrored;
// WorkBitmap and SpareBitmap stay untouched.
#include <cmath>

#include "effects/effect.h"
#include "graphics/rounding.h"

namespace lumora {

namespace {

// FrameBitmap's rectangle [l, t, r, b] onto the same rectangle of the Stage.
void reveal(EffectContext& ctx, int l, int t, int r, int b) {
  const Rect rect{l, t, r, b};
  ctx.copy(Surface::Frame, rect, Surface::Stage, rect);
}

// Runs body `times` times in a row; nothing when times <= 0. The count is
// 64-bit so that 3 * speed cannot overflow.
template <typename Body>
void repeat(long long times, Body body) {
  for (long long i = 0; i < times; ++i) body();
}

// The size of the picture being brought in; it equals the screen's.
int frameWidth(EffectContext& ctx) { return ctx.bitmap(Surface::Frame).width(); }
int frameHeight(EffectContext& ctx) { return ctx.bitmap(Surface::Frame).height(); }

// Angle in degrees to radians, in the two orders of evaluation used below.
long double radiansTimesFirst(int a) { return (a * kPi) / 180; }
long double radiansDivideFirst(int a) { return (a / 180.0L) * kPi; }

// 94, 95: two wavy vertical edges opening from the centre column.
void wavyVerticalEdges(EffectContext& ctx) {
  const int W = frameWidth(ctx), H = frameHeight(ctx);
  const int HW = W / 2;
  const int A = W / 5;
  for (int p = HW; p >= -A; --p) {
    int a = 0;
    for (int v = 0; v <= H; v += 2) {
      a = (a + 2) % 360;
      const int x = roundHalfEven(std::sin(radiansTimesFirst(a)) * A);
      reveal(ctx, p + x - 2, v - 1, p + x, v + 2);
      reveal(ctx, W - p + x - 2, v - 1, W - p + x, v + 2);
      ctx.pump();
    }
    ctx.pump();
  }
}

// 96, 97: two wavy horizontal edges opening from the centre row.
void wavyHorizontalEdges(EffectContext& ctx) {
  const int W = frameWidth(ctx), H = frameHeight(ctx);
  const int HH = H / 2;
  const int A = W / 3;
  for (int p = HH; p >= -A; --p) {
    int a = 90;
    for (int v = 0; v <= W; ++v) {
      a = (a + 1) % 360;
      const int y = roundHalfEven(std::sin(radiansTimesFirst(a)) * A);
      reveal(ctx, v - 1, p + y, v + 1, p + y + 2);
      reveal(ctx, v - 1, H - p + y, v + 1, H - p + y + 2);
      ctx.pump();
    }
    ctx.pump();
  }
}

// Round(3 * n / 4) with a floating-point division.
int threeQuarters(int n) { return roundHalfEven((3 * static_cast<long double>(n)) / 4); }

// 98 to 102: a slanted line of 2x2 blocks sweeping each quarter.
void slantedQuarterLines(EffectContext& ctx) {
  const int W = frameWidth(ctx), H = frameHeight(ctx);
  const int HW = W / 2, HH = H / 2;
  struct Quarter {
    int ox, oy, b;
  };
  // Bits drawn in the order top-left, top-right, bottom-left, bottom-right.
  Quarter quarters[4] = {{0, 0, 0}, {HW, 0, 0}, {0, HH, 0}, {HW, HH, 0}};
  for (Quarter& q : quarters) q.b = ctx.random(2);

  auto block = [&](const Quarter& q, int x, int y) {
    reveal(ctx, q.ox + x, q.oy + y, q.ox + x + 2, q.oy + y + 2);
    ctx.pump();
  };
  for (int pass = 1; pass <= 2; ++pass) {
    for (int i = 0; i <= HW; ++i) {
      for (const Quarter& q : quarters) {
        if (q.b == 0 && pass == 1) {
          const int top = HH - threeQuarters(i);
          for (int j = 0; j <= i; ++j) block(q, j, roundHalfEven(top + (3 * static_cast<long double>(j)) / 4));
        } else if (q.b == 0) {
          for (int j = i; j <= HW; ++j) block(q, j, threeQuarters(j - i));
        } else if (pass == 1) {
          for (int j = HW - i; j <= HW; ++j) block(q, j, threeQuarters(j - HW + i));
        } else {
          for (int j = 0; j <= HW - i; ++j) block(q, j, HH - threeQuarters(HW - i - j));
        }
      }
    }
  }
}

// 103 to 107: a one-pixel column wiping across each quarter.
void columnQuarterWipes(EffectContext& ctx) {
  const int W = frameWidth(ctx), H = frameHeight(ctx);
  const int HW = W / 2, HH = H / 2;
  const int d1 = ctx.random(2), d2 = ctx.random(2), d3 = ctx.random(2), d4 = ctx.random(2);
  // The column i steps from the quarter's left edge (bit 0) or right edge (1).
  auto column = [&](int d, int left, int top, int bottom, int i) {
    const int x = d == 0 ? left + i : left + HW - i;
    reveal(ctx, x, top, x + 1, bottom);
  };
  for (int i = 0; i <= HW; ++i) {
    repeat(51, [&] {
      column(d1, 0, 0, HH, i);        // top-left
      column(d2, 0, HH, 2 * HH, i);   // bottom-left
      column(d3, HW, HH, 2 * HH, i);  // bottom-right
      column(d4, HW, 0, HH, i);       // top-right
      ctx.pump();
    });
  }
}

// 108 to 112: a one-pixel row wiping across each quarter.
void rowQuarterWipes(EffectContext& ctx) {
  const int W = frameWidth(ctx), H = frameHeight(ctx);
  const int HW = W / 2, HH = H / 2;
  const int d1 = ctx.random(2), d2 = ctx.random(2), d3 = ctx.random(2), d4 = ctx.random(2);
  // The row i steps from the quarter's top edge (bit 0) or bottom edge (1).
  auto row = [&](int d, int left, int right, int top, int i) {
    const int y = d == 0 ? top + i : top + HH - i;
    reveal(ctx, left, y, right, y + 1);
  };
  for (int i = 0; i <= HH; ++i) {
    repeat(101, [&] {
      row(d1, 0, HW, 0, i);        // top-left
      row(d2, HW, 2 * HW, 0, i);   // top-right
      row(d3, HW, 2 * HW, HH, i);  // bottom-right
      row(d4, 0, HW, HH, i);       // bottom-left
      ctx.pump();
    });
  }
}

// One ring step: the outline of ring k, 15 times S copies of its four edges,
// a pump after each S. The left and bottom edges are passed reversed.
void ringStep(EffectContext& ctx, int W, int H, int k) {
  const int R = threeQuarters(k);
  repeat(15, [&] {
    repeat(ctx.speed, [&] {
      reveal(ctx, k - 1, R, W - k + 1, R + 1);          // top
      reveal(ctx, k, H - R + 1, k + 1, R - 1);          // left
      reveal(ctx, W - k, R - 1, W - k + 1, H - R + 1);  // right
      reveal(ctx, W - k + 1, H - R, k - 1, H - R + 1);  // bottom
    });
    ctx.pump();
  });
}

// 113, 114: even rings in one sweep, odd rings in a second, each sweep
// inward (bit 0) or outward (bit 1).
void interleavedRings(EffectContext& ctx) {
  const int W = frameWidth(ctx), H = frameHeight(ctx);
  const int HW = W / 2;
  for (int first = 0; first <= 1; ++first) {
    const int b = ctx.random(2);
    for (int v = first; v <= HW; v += 2) {
      ringStep(ctx, W, H, b == 0 ? v : HW - v);
      ctx.pump();
    }
  }
}

// 115: rings from the centre outward.
void ringsOutward(EffectContext& ctx) {
  const int W = frameWidth(ctx), H = frameHeight(ctx);
  for (int k = W / 2; k >= 0; --k) ringStep(ctx, W, H, k);
}

// 116: rings from the border inward.
void ringsInward(EffectContext& ctx) {
  const int W = frameWidth(ctx), H = frameHeight(ctx);
  for (int k = 0; k <= W / 2; ++k) ringStep(ctx, W, H, k);
}

// 117: random full-width rows and full-height columns, then the whole picture.
// One value serves as both row and column; its range comes from the width.
void randomLines(EffectContext& ctx) {
  const int W = frameWidth(ctx), H = frameHeight(ctx);
  repeat(5LL * W + 1, [&] {
    const int y = ctx.random(W + 2);
    repeat(3LL * ctx.speed, [&] {
      reveal(ctx, 0, y, W, y + 1);
      reveal(ctx, y, 0, y + 1, H);
      ctx.pump();
    });
  });
  ctx.finalDraw();
}

// 118 to 121: two rays of 20x20 squares, symmetric about the centre row,
// turning one degree per full length about the middle of a vertical edge.
// angle(a, b) gives the ray's direction for the loop angle a and the bit b.
template <typename Angle>
void fan(EffectContext& ctx, int cx, int firstA, int lastA, Angle angle) {
  const int W = frameWidth(ctx), H = frameHeight(ctx);
  const int cy = H / 2;
  const long double squaredWidth = static_cast<long double>(static_cast<long long>(W) * W);
  const int rMax = roundHalfEven(std::sqrt(squaredWidth + (H / 2.0L) * H / 2) + 0.5L);
  const int b = ctx.random(2);
  for (int a = firstA; a <= lastA; ++a) {
    for (int r = 0; r <= rMax; ++r) {
      const long double phi = radiansDivideFirst(angle(a, b));
      const int x = roundHalfEven(std::cos(phi) * r);
      const int y = roundHalfEven(std::sin(phi) * r);
      repeat(ctx.speed, [&] { reveal(ctx, cx - x - 10, cy - y - 10, cx - x + 10, cy - y + 10); });
      repeat(ctx.speed, [&] { reveal(ctx, cx - x - 10, cy + y - 10, cx - x + 10, cy + y + 10); });
      ctx.pump();
    }
  }
}

// 118, 119: the fan about the middle of the left edge.
void leftEdgeFan(EffectContext& ctx) {
  fan(ctx, 0, 90, 180, [](int a, int b) { return b == 0 ? a : a + 90; });
}

// 120, 121: the fan about the middle of the right edge.
void rightEdgeFan(EffectContext& ctx) {
  fan(ctx, frameWidth(ctx), 0, 90, [](int a, int b) { return b == 0 ? a : 90 - a; });
}

void install(EffectTable& table, int first, int last, Effect effect) {
  for (int n = first; n <= last; ++n) table[std::size_t(n)] = effect;
}

}  // namespace

void installEffects94to121(EffectTable& table) {
  install(table, 94, 95, wavyVerticalEdges);
  install(table, 96, 97, wavyHorizontalEdges);
  install(table, 98, 102, slantedQuarterLines);
  install(table, 103, 107, columnQuarterWipes);
  install(table, 108, 112, rowQuarterWipes);
  install(table, 113, 114, interleavedRings);
  install(table, 115, 115, ringsOutward);
  install(table, 116, 116, ringsInward);
  install(table, 117, 117, randomLines);
  install(table, 118, 119, leftEdgeFan);
  install(table, 120, 121, rightEdgeFan);
}

}  // namespace lumora
