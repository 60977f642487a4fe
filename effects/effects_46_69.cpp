// Transitions 46 to 69: squeezes and slides, mirrored sweeping bands, a
// byte-wise brightening cross-fade, random growing discs, band and comb wipes
// revealed one pixel line at a time, and a shrinking diamond outline.
//
// Every effect is written as the exact sequence of copies, draws, pumps and
// random draws it issues; rectangles are passed as written, reversed ones
// included (the copy clips and mirrors them).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "effects/effect.h"
#include "graphics/rounding.h"

namespace lumora {

namespace {

constexpr Surface kFrame = Surface::Frame;
constexpr Surface kWork = Surface::Work;
constexpr Surface kSpare = Surface::Spare;
constexpr Surface kStage = Surface::Stage;

// The width and height of FrameBitmap, which the effects call W and H.
struct Size {
  int W, H;
};
Size frameSize(EffectContext& ctx) {
  const Bitmap& f = ctx.bitmap(kFrame);
  return {f.width(), f.height()};
}

// A loop stride that would be 0 on a tiny screen is 1, so the loop advances.
int stride(int step) { return std::max(step, 1); }

// How many times a copy marked "x factor*S" is done: none when S <= 0. Kept
// wide so that an absurd speed cannot overflow.
long long timesS(const EffectContext& ctx, int factor) {
  return ctx.speed > 0 ? static_cast<long long>(factor) * ctx.speed : 0;
}

// FrameBitmap's rectangle r copied onto the same rectangle of the Stage.
void inPlace(EffectContext& ctx, Rect r) { ctx.copy(kFrame, r, kStage, r); }

void inPlaceRepeated(EffectContext& ctx, long long times, Rect r) {
  for (long long i = 0; i < times; ++i) inPlace(ctx, r);
}

// The previous picture, as the Stage shows it, into WorkBitmap.
void snapshot(EffectContext& ctx, Size s) { ctx.copy(kStage, Rect{0, 0, s.W, s.H}, kWork, Rect{0, 0, s.W, s.H}); }

// ---------------------------------------------------------------------------
// 46 to 49: the previous picture squeezed beside a growing strip of the new
// one. Each effect is a row of four copies, computed for the strip width t.

struct CopyOp {
  Surface src;
  Rect srcRect;
  Surface dst;
  Rect dstRect;
};
using SqueezeRow = std::array<CopyOp, 4> (*)(int W, int H, int t);

std::array<CopyOp, 4> squeeze46(int W, int H, int t) {
  return {{{kWork, {0, 0, W, H}, kSpare, {0, 0, W - t, H}},
           {kSpare, {0, 0, W - t, H}, kStage, {0, 0, W - t, H}},
           {kFrame, {0, 0, t, H}, kSpare, {W - t, 0, W, H}},
           {kSpare, {W - t, 0, W, H}, kStage, {W - t, 0, W, H}}}};
}
std::array<CopyOp, 4> squeeze47(int W, int H, int t) {
  return {{{kFrame, {W - t, 0, W, H}, kSpare, {0, 0, t, H}},
           {kSpare, {0, 0, t, H}, kStage, {0, 0, t, H}},
           {kWork, {0, 0, W, H}, kSpare, {t, 0, W, H}},
           {kSpare, {t, 0, W, H}, kStage, {t, 0, W, H}}}};
}
std::array<CopyOp, 4> squeeze48(int W, int H, int t) {
  return {{{kWork, {0, 0, W, H}, kSpare, {0, 0, W - t, H}},
           {kSpare, {0, 0, W - t, H}, kStage, {0, 0, W - t, H}},
           {kFrame, {0, 0, W, H}, kSpare, {W - t, 0, W, H}},
           {kSpare, {W - t, 0, W, H}, kStage, {W - t, 0, W, H}}}};
}
std::array<CopyOp, 4> squeeze49(int W, int H, int t) {
  return {{{kFrame, {0, 0, W, H}, kSpare, {0, 0, t, H}},
           {kSpare, {0, 0, t, H}, kStage, {0, 0, t, H}},
           {kWork, {0, 0, W, H}, kSpare, {t, 0, W, H}},
           {kSpare, {t, 0, W, H}, kStage, {t, 0, W, H}}}};
}

void squeezeBesideStrip(EffectContext& ctx, SqueezeRow row) {
  const Size s = frameSize(ctx);
  const int step = stride(s.W / 20);
  snapshot(ctx, s);
  for (int t = 0; t <= s.W; t += step) {
    for (const CopyOp& op : row(s.W, s.H, t)) ctx.copy(op.src, op.srcRect, op.dst, op.dstRect);
    ctx.pump();
  }
  ctx.finalDraw();
}

void effect46(EffectContext& ctx) { squeezeBesideStrip(ctx, squeeze46); }
void effect47(EffectContext& ctx) { squeezeBesideStrip(ctx, squeeze47); }
void effect48(EffectContext& ctx) { squeezeBesideStrip(ctx, squeeze48); }
void effect49(EffectContext& ctx) { squeezeBesideStrip(ctx, squeeze49); }

// 50: the whole new picture squeezed into a strip that opens from the centre.
void effect50(EffectContext& ctx) {
  const auto [W, H] = frameSize(ctx);
  const int step = stride(W / 30);
  const int half = W / 2;
  for (int t = 0; t <= W / 2; t += step) {
    const Rect strip{half - t, 0, half + t, H};
    ctx.copy(kFrame, Rect{0, 0, W, H}, kWork, strip);
    ctx.copy(kWork, strip, kStage, strip);
    ctx.pump();
  }
  ctx.finalDraw();
}

// 51: a mirrored band of the previous picture sweeps left to right.
void effect51(EffectContext& ctx) {
  const Size s = frameSize(ctx);
  const auto [W, H] = s;
  snapshot(ctx, s);
  const int b = W / 20;
  for (int x = 0; x <= W; x += 2) {
    ctx.copy(kWork, Rect{x, 0, x + b, H}, kStage, Rect{x + b, 0, x, H});
    inPlace(ctx, Rect{x - 2, 0, x, H});
    ctx.pump();
  }
}

// 52: the same band sweeping right to left, uncovering four columns a step.
void effect52(EffectContext& ctx) {
  const Size s = frameSize(ctx);
  const auto [W, H] = s;
  snapshot(ctx, s);
  const int b = W / 20;
  for (int x = 0; x <= W; x += 2) {
    ctx.copy(kWork, Rect{W - x - b, 0, W - x, H}, kStage, Rect{W - x, 0, W - x - b, H});
    inPlace(ctx, Rect{W - x - 2, 0, W - x + 2, H});
    ctx.pump();
  }
}

// 53: the halves of the previous picture slide apart to the left and right.
void effect53(EffectContext& ctx) {
  const Size s = frameSize(ctx);
  const auto [W, H] = s;
  snapshot(ctx, s);
  const int half = W / 2;
  const long long times = timesS(ctx, 1);
  for (int x = 0; x <= W / 2; x += 2) {
    for (long long i = 0; i < times; ++i) {
      ctx.copy(kWork, Rect{x, 0, half, H}, kStage, Rect{0, 0, half - x, H});
      ctx.copy(kWork, Rect{half, 0, 2 * half - x, H}, kStage, Rect{half + x, 0, 2 * half, H});
      inPlace(ctx, Rect{half + x, 0, half + x + 2, H});
      inPlace(ctx, Rect{half - x - 2, 0, half - x, H});
    }
    ctx.pump();
  }
}

// 54: the halves of the new picture slide in from the left and right edges.
void effect54(EffectContext& ctx) {
  const auto [W, H] = frameSize(ctx);
  const int half = W / 2;
  const long long times = timesS(ctx, 1);
  for (int x = 0; x <= W / 2; ++x) {
    for (long long i = 0; i < times; ++i) ctx.copy(kFrame, Rect{half - x, 0, half, H}, kStage, Rect{0, 0, x, H});
    for (long long i = 0; i < times; ++i)
      ctx.copy(kFrame, Rect{half, 0, half + x, H}, kStage, Rect{2 * half - x, 0, 2 * half, H});
    ctx.pump();
  }
}

// 55: the halves of the previous picture slide apart upward and downward.
void effect55(EffectContext& ctx) {
  const Size s = frameSize(ctx);
  const auto [W, H] = s;
  snapshot(ctx, s);
  const int halfH = H / 2;
  const long long times = timesS(ctx, 1);
  for (int y = 0; y <= H / 2; y += 2) {
    for (long long i = 0; i < times; ++i) {
      ctx.copy(kWork, Rect{0, y, W, halfH}, kStage, Rect{0, 0, W, halfH - y});
      ctx.copy(kWork, Rect{0, halfH, W, 2 * halfH - y}, kStage, Rect{0, halfH + y, W, 2 * halfH});
      inPlace(ctx, Rect{0, halfH - y, W, halfH - y - 2});
      inPlace(ctx, Rect{0, halfH + y, W, halfH + y + 2});
    }
    ctx.pump();
  }
}

// ---------------------------------------------------------------------------
// 56 and 57: brighten the previous picture, then fade it byte by byte toward
// the new one. The passes treat a pixel as three bytes (blue, green, red), the
// row layout of a 24-bit bitmap; byte i of a row is channel i % 3 of pixel
// i / 3. Alpha is left alone.

// One brightening pass over WorkBitmap: every byte below 240 gains 10. All
// three channels of a pixel at once: a byte is 240 or more exactly when its
// top four bits are set, and a byte below 240 cannot carry into the next.
void brightenPass(Bitmap& work) {
  constexpr std::uint32_t kTopBits = 0x00808080u;  // bit 7 of each colour byte
  for (int y = 0; y < work.height(); ++y) {
    Pixel* row = work.row(y);
    for (int x = 0; x < work.width(); ++x) {
      const std::uint32_t p = row[x];
      const std::uint32_t atLeast240 = p & (p << 1) & (p << 2) & (p << 3) & kTopBits;
      row[x] = p + (((~atLeast240 & kTopBits) >> 7) * 10u);
    }
  }
}

// One byte of a fading pass: 10 toward the target; the raising test sees the
// byte as the lowering test left it.
inline std::uint32_t fadeByte(std::uint32_t p, std::uint32_t f) {
  if (p > f && p > 11) p -= 10;
  if (p < f && p < 244) p += 10;
  return p;
}

// One fading pass: each colour byte of WorkBitmap moves 10 toward
// FrameBitmap's byte. Alpha is left alone.
void fadePass(Bitmap& work, const Bitmap& frame) {
  const int h = std::min(work.height(), frame.height());
  const int w = std::min(work.width(), frame.width());
  for (int y = 0; y < h; ++y) {
    Pixel* row = work.row(y);
    const Pixel* target = frame.row(y);
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = row[x], f = target[x];
      row[x] = (p & 0xFF000000u) | fadeByte(p & 0xFFu, f & 0xFFu) |
               (fadeByte((p >> 8) & 0xFFu, (f >> 8) & 0xFFu) << 8) |
               (fadeByte((p >> 16) & 0xFFu, (f >> 16) & 0xFFu) << 16);
    }
  }
}

void effect56(EffectContext& ctx) {
  snapshot(ctx, frameSize(ctx));
  Bitmap& work = ctx.bitmap(kWork);
  for (int pass = 0; pass < 11; ++pass) {
    if (!ctx.dry()) brightenPass(work);
    ctx.draw(kWork, kStage, 0, 0);
  }
  for (int pass = 0; pass < 26; ++pass) {
    if (!ctx.dry()) fadePass(work, ctx.bitmap(kFrame));
    ctx.draw(kWork, kStage, 0, 0);
    ctx.pump();
  }
  ctx.finalDraw();
}

// ---------------------------------------------------------------------------
// 58: discs of the new picture grow at random places until a random limit
// stops each one; every ring of growth redraws the whole disc.
void effect58(EffectContext& ctx) {
  const auto [W, H] = frameSize(ctx);
  for (int disc = 0; disc < 3 * W + 1; ++disc) {
    int r = 0;
    const int cx = ctx.random(W);
    const int cy = ctx.random(H);
    while (ctx.random(W / 20) + 10 >= r) {
      for (int d = 0; d <= r; ++d) {
        const long long rr = static_cast<long long>(r) * r - static_cast<long long>(d) * d;
        const int h = roundHalfEven(std::sqrt(static_cast<long double>(rr)));
        inPlace(ctx, Rect{cx - h, cy - d, cx + h, cy - d + 1});
        inPlace(ctx, Rect{cx - h, cy + d, cx + h, cy + d + 1});
        ctx.pump();
      }
      r += 2;
    }
  }
  ctx.finalDraw();
}

// ---------------------------------------------------------------------------
// 59, 61, 62, 63: 21 bands uncovered one after the other, one pixel line at a
// time across each band, the direction alternating with the band's index.
// Every repetition of a line copy is followed by a pump.

struct BandWipe {
  bool rowBands;     // bands of rows (lines are columns), else bands of columns
  bool bandsUpward;  // bands taken in the order 0..20, else 20 down to 0
  int repeatFactor;  // each line copy is done factor * S times
};

constexpr BandWipe kWipe59{true, true, 20};
constexpr BandWipe kWipe61{false, false, 20};
constexpr BandWipe kWipe62{false, true, 40};
constexpr BandWipe kWipe63{true, false, 40};

void bandLineWipe(EffectContext& ctx, const BandWipe& wipe) {
  const int b = wipe.rowBands ? ctx.H / 20 : ctx.W / 20;
  const int lastLine = wipe.rowBands ? ctx.W : ctx.H;  // the line loop includes it
  const long long times = timesS(ctx, wipe.repeatFactor);
  for (int n = 0; n <= 20; ++n) {
    const int k = wipe.bandsUpward ? n : 20 - n;
    for (int m = 0; m <= lastLine; ++m) {
      const int line = k % 2 == 0 ? m : lastLine - m;
      // A row band's line is the column `line`, passed reversed alike in both
      // rectangles; a column band's line is the row `line`.
      const Rect r =
          wipe.rowBands ? Rect{line, k * b, line - 1, (k + 1) * b} : Rect{k * b, line, (k + 1) * b, line + 1};
      for (long long i = 0; i < times; ++i) {
        inPlace(ctx, r);
        ctx.pump();
      }
    }
  }
}

void effect59(EffectContext& ctx) { bandLineWipe(ctx, kWipe59); }
void effect61(EffectContext& ctx) { bandLineWipe(ctx, kWipe61); }
void effect62(EffectContext& ctx) { bandLineWipe(ctx, kWipe62); }
void effect63(EffectContext& ctx) { bandLineWipe(ctx, kWipe63); }

// 60: two combs of two-pixel columns, from the left and from the right edge,
// each column pair filled row by row from the top.
void effect60(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H;
  const long long times = timesS(ctx, 1);
  for (int v = 0; v <= W / 2; v += 2) {
    for (int y = 0; y <= H; ++y) {
      inPlaceRepeated(ctx, times, Rect{2 * v, y, 2 * v + 2, y + 1});
      inPlaceRepeated(ctx, times, Rect{W - 2 * v, y, W - 2 * v - 2, y + 1});
      ctx.pump();
    }
  }
}

// 64: columns b wide, the even ones filled from the top and the odd ones from
// the bottom at once.
void effect64(EffectContext& ctx) {
  const int H = frameSize(ctx).H;
  const int b = ctx.W / 80;
  const long long times = ctx.speed >= 0 ? static_cast<long long>(ctx.speed) + 1 : 0;
  for (int y = 0; y <= H; ++y) {
    for (long long i = 0; i < times; ++i) {
      for (int k = 0; k <= 40; ++k) {
        inPlace(ctx, Rect{2 * k * b, y, 2 * k * b + b, y + 1});
        inPlace(ctx, Rect{2 * k * b - b, H - y, 2 * k * b, H - y - 1});
        ctx.pump();
      }
    }
    ctx.pump();
  }
}

// 65: bands of rows b high, the even ones filled from the left and the odd
// ones from the right at once.
void effect65(EffectContext& ctx) {
  const int W = frameSize(ctx).W;
  const int b = ctx.H / 60;
  const long long times = ctx.speed >= 0 ? static_cast<long long>(ctx.speed) + 1 : 0;
  for (int x = 0; x <= W; ++x) {
    for (long long i = 0; i < times; ++i) {
      for (int k = 0; k <= 30; ++k) {
        inPlace(ctx, Rect{x, 2 * k * b, x + 1, 2 * k * b + b});
        inPlace(ctx, Rect{W - x, 2 * k * b - b, W - x - 1, 2 * k * b});
        ctx.pump();
      }
    }
    ctx.pump();
  }
}

// 66: two combs of two-pixel rows, from the top and from the bottom edge, each
// row pair filled column by column from the left; only the upper comb's copy
// is repeated for the speed.
void effect66(EffectContext& ctx) {
  const int W = ctx.W, H = ctx.H;
  const long long times = timesS(ctx, 1);
  for (int v = 0; v <= H / 2; v += 2) {
    for (int x = 0; x <= W; ++x) {
      inPlaceRepeated(ctx, times, Rect{x, 2 * v, x + 1, 2 * v + 2});
      inPlace(ctx, Rect{x, H - 2 * v, x + 1, H - 2 * v - 2});
      ctx.pump();
    }
  }
}

// 67: vertical strips b wide, the even ones sliding down from the top edge and
// the odd ones up from the bottom edge.
void effect67(EffectContext& ctx) {
  const int H = frameSize(ctx).H;
  const int b = ctx.W / 30;
  for (int s = 0; s <= H; ++s) {
    for (int k = 0; k <= 15; ++k) {
      const int l = 2 * k * b;
      ctx.copy(kFrame, Rect{l, H - s, l + b, H}, kStage, Rect{l, 0, l + b, s});
      ctx.copy(kFrame, Rect{l - b, 0, l, s}, kStage, Rect{l - b, H - s, l, H});
      ctx.pump();
    }
    ctx.pump();
  }
}

// 68: horizontal strips b high, the even ones sliding in from the left edge
// and the odd ones from the right edge.
void effect68(EffectContext& ctx) {
  const int W = frameSize(ctx).W;
  const int b = ctx.H / 20;
  for (int s = 0; s <= W; ++s) {
    for (int k = 0; k <= 10; ++k) {
      const int t = 2 * k * b;
      ctx.copy(kFrame, Rect{W - s, t, W, t + b}, kStage, Rect{0, t, s, t + b});
      ctx.copy(kFrame, Rect{0, t - b, s, t}, kStage, Rect{W - s, t - b, W, t});
      ctx.pump();
    }
    ctx.pump();
  }
}

// 69: the outline |x - cx| + |y - cy| = v in 2x2 blocks, v shrinking from the
// corners to the centre.
void effect69(EffectContext& ctx) {
  const auto [W, H] = frameSize(ctx);
  const int cx = W / 2, cy = H / 2;
  const long long times = timesS(ctx, 1);
  for (int v = cy + cx; v >= 0; --v) {
    for (int j = 0; j <= v; ++j) {
      const int xl = cx - j, xr = cx + j;
      const int yt = cy - (v - j), yb = cy + (v - j);
      for (long long i = 0; i < times; ++i) {
        inPlace(ctx, Rect{xl, yt, xl + 2, yt + 2});
        inPlace(ctx, Rect{xr, yt, xr + 2, yt + 2});
        inPlace(ctx, Rect{xl, yb, xl + 2, yb + 2});
        inPlace(ctx, Rect{xr, yb, xr + 2, yb + 2});
      }
      ctx.pump();
    }
  }
}

}  // namespace

void installEffects46to69(EffectTable& table) {
  table[46] = effect46;
  table[47] = effect47;
  table[48] = effect48;
  table[49] = effect49;
  table[50] = effect50;
  table[51] = effect51;
  table[52] = effect52;
  table[53] = effect53;
  table[54] = effect54;
  table[55] = effect55;
  table[56] = effect56;
  table[57] = effect56;  // draws exactly as 56
  table[58] = effect58;
  table[59] = effect59;
  table[60] = effect60;
  table[61] = effect61;
  table[62] = effect62;
  table[63] = effect63;
  table[64] = effect64;
  table[65] = effect65;
  table[66] = effect66;
  table[67] = effect67;
  table[68] = effect68;
  table[69] = effect69;
}

}  // namespace lumora
