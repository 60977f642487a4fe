#include "effects/effect.h"

namespace lumora {

const char* surfaceName(Surface s) {
  switch (s) {
    case Surface::Frame:
      return "frame";
    case Surface::Work:
      return "work";
    case Surface::Spare:
      return "spare";
    case Surface::Stage:
      break;
  }
  return "stage";
}

void EffectTrace::copy(Surface s, Rect a, Surface d, Rect b) {
  out_ << "copy " << surfaceName(s) << ' ' << a.left << ' ' << a.top << ' ' << a.right << ' ' << a.bottom << ' '
       << surfaceName(d) << ' ' << b.left << ' ' << b.top << ' ' << b.right << ' ' << b.bottom << '\n';
}
void EffectTrace::draw(Surface s, Surface d, int x, int y) {
  out_ << "draw " << surfaceName(s) << ' ' << surfaceName(d) << ' ' << x << ' ' << y << '\n';
}
void EffectTrace::pump() { out_ << "pump\n"; }
void EffectTrace::random(int n, int v) { out_ << "random " << n << ' ' << v << '\n'; }

const EffectTable& effectTable() {
  static const EffectTable table = [] {
    EffectTable t{};
    installEffects0to22(t);
    installEffects23to45(t);
    installEffects46to69(t);
    installEffects70to93(t);
    installEffects94to121(t);
    return t;
  }();
  return table;
}

void runEffect(int n, EffectContext& ctx) {
  if (n >= 0 && n < kEffectCount && effectTable()[std::size_t(n)]) {
    effectTable()[std::size_t(n)](ctx);
    return;
  }
  ctx.finalDraw();
}

EffectCounts countEffect(int n, EffectBitmaps bitmaps, int screenW, int screenH, int speed, const Random& random) {
  EffectCounts counts;
  Random copy = random;
  EffectContext ctx(bitmaps, screenW, screenH, speed, copy, counts);
  runEffect(n, ctx);
  return counts;
}

Rect coveredArea(Rect r) {
  if (r.right < r.left) r = {r.right + 1, r.top, r.left + 1, r.bottom};
  if (r.bottom < r.top) r = {r.left, r.bottom + 1, r.right, r.top + 1};
  return r;
}

bool coversPartOf(const Rect& covered, int width, int height) {
  return covered.left < covered.right && covered.top < covered.bottom && covered.right > 0 && covered.bottom > 0 &&
         covered.left < width && covered.top < height;
}

}  // namespace lumora
