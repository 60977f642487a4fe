#include "graphics/bitmap.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace lumora {

Bitmap::Bitmap(int width, int height, Pixel fill) : Bitmap(forOverwrite(width, height)) {
  std::fill(pixels_.begin(), pixels_.end(), fill);  // one pass over memory left as it came
}

Bitmap::Bitmap(int width, int height, Pixel fill, const PixelAllocator<Pixel>& allocator) : pixels_(allocator) {
  allocate(width, height);
  std::fill(pixels_.begin(), pixels_.end(), fill);
}

Bitmap Bitmap::forOverwrite(int width, int height) {
  Bitmap b;
  b.allocate(width, height);
  return b;
}

void Bitmap::allocate(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  if (std::uint64_t(width_) * std::uint64_t(height_) > kMaxBitmapPixels) throw std::length_error("Picture too large.");
  pixels_.resize(std::size_t(width_) * std::size_t(height_));
}

void Bitmap::fill(Pixel p) { std::fill(pixels_.begin(), pixels_.end(), p); }

void Bitmap::fillRect(Rect r, Pixel p) {
  int l = std::max(std::min(r.left, r.right), 0);
  int rr = std::min(std::max(r.left, r.right), width_);
  int t = std::max(std::min(r.top, r.bottom), 0);
  int b = std::min(std::max(r.top, r.bottom), height_);
  for (int y = t; y < b; ++y) std::fill(row(y) + l, row(y) + rr, p);
}

namespace {

// One axis of a copy: destination element k sits at dst0 + dstStep * k.
struct Axis {
  int dst0, dstStep, dstLen;
  int src0, srcStep, srcLen;

  static Axis of(int sa, int sb, int da, int db) {
    Axis a{};
    a.src0 = sa;
    a.srcStep = sb >= sa ? 1 : -1;
    a.srcLen = sb >= sa ? sb - sa : sa - sb;
    a.dst0 = da;
    a.dstStep = db >= da ? 1 : -1;
    a.dstLen = db >= da ? db - da : da - db;
    return a;
  }
  bool identity() const { return srcLen == dstLen; }
  int srcIndex(int k) const {
    if (srcLen == dstLen) return k;
    return int((2 * std::int64_t(k) + 1) * srcLen / (2 * std::int64_t(dstLen)));
  }
  int srcCoord(int k) const { return src0 + srcStep * srcIndex(k); }
  int dstCoord(int k) const { return dst0 + dstStep * k; }

  // The k range [lo, hi) whose destination lies in [0, dstSize); when the
  // lengths are equal it is also cut to the source lying in [0, srcSize).
  void range(int dstSize, int srcSize, int& lo, int& hi) const {
    lo = 0;
    hi = dstLen;
    clip(dst0, dstStep, dstSize, lo, hi);
    if (identity()) clip(src0, srcStep, srcSize, lo, hi);
  }
  static void clip(int origin, int step, int size, int& lo, int& hi) {
    // origin + step * k in [0, size)
    long long a, b;  // k in [a, b)
    if (step > 0) {
      a = -static_cast<long long>(origin);
      b = static_cast<long long>(size) - origin;
    } else {
      a = static_cast<long long>(origin) - size + 1;
      b = static_cast<long long>(origin) + 1;
    }
    lo = int(std::max<long long>(lo, a));
    hi = int(std::min<long long>(hi, b));
    if (hi < lo) hi = lo;
  }
};

// Rows up to this many pixels are copied inline: a call to memcpy costs more
// than the copy itself for the small squares many effects draw.
constexpr int kShortRow = 32;

void copyShortRow(Pixel* __restrict out, const Pixel* __restrict in, int n) {
  int j = 0;
  for (; j + 4 <= n; j += 4) {
    std::uint64_t a, b;
    std::memcpy(&a, in + j, 8);
    std::memcpy(&b, in + j + 2, 8);
    std::memcpy(out + j, &a, 8);
    std::memcpy(out + j + 2, &b, 8);
  }
  for (; j < n; ++j) out[j] = in[j];
}

void copyDistinct(const Bitmap& src, Rect s, Bitmap& dst, Rect d) {
  const Axis ax = Axis::of(s.left, s.right, d.left, d.right);
  const Axis ay = Axis::of(s.top, s.bottom, d.top, d.bottom);
  if (ax.srcLen == 0 || ax.dstLen == 0 || ay.srcLen == 0 || ay.dstLen == 0) return;

  int xlo, xhi, ylo, yhi;
  ax.range(dst.width(), src.width(), xlo, xhi);
  ay.range(dst.height(), src.height(), ylo, yhi);
  if (xlo >= xhi || ylo >= yhi) return;

  if (ax.identity()) {
    const int n = xhi - xlo;
    const int dx0 = ax.dstCoord(xlo), sx0 = ax.srcCoord(xlo);
    const bool forward = ax.dstStep == ax.srcStep;
    if (forward && ax.dstStep > 0 && ay.identity() && ay.dstStep > 0 && ay.srcStep > 0 && n == dst.width() &&
        n == src.width()) {
      // Whole rows, top to bottom on both sides: one block, which lets memcpy
      // use its large-copy path.
      std::memcpy(dst.row(ay.dstCoord(ylo)), src.row(ay.srcCoord(ylo)),
                  std::size_t(yhi - ylo) * std::size_t(n) * sizeof(Pixel));
      return;
    }
    // Each row segment starts at the lowest address it covers.
    const int outStart = ax.dstStep > 0 ? dx0 : dx0 - n + 1;
    const int inStart = ax.srcStep > 0 ? sx0 : sx0 - n + 1;
    auto copyRow = [&](Pixel* out, const Pixel* in) {
      out += outStart;
      in += inStart;
      if (forward && n > kShortRow) {
        std::memcpy(out, in, std::size_t(n) * sizeof(Pixel));
      } else if (forward) {
        copyShortRow(out, in, n);
      } else {
        for (int j = 0; j < n; ++j) out[j] = in[n - 1 - j];
      }
    };
    if (ay.identity()) {
      // Rows one to one: every source row of the clipped range is inside.
      const std::ptrdiff_t outStep = std::ptrdiff_t(ay.dstStep) * dst.width();
      const std::ptrdiff_t inStep = std::ptrdiff_t(ay.srcStep) * src.width();
      Pixel* out = dst.row(ay.dstCoord(ylo));
      const Pixel* in = src.row(ay.srcCoord(ylo));
      for (int k = ylo; k < yhi; ++k, out += outStep, in += inStep) copyRow(out, in);
      return;
    }
    for (int k = ylo; k < yhi; ++k) {
      const int sy = ay.srcCoord(k);
      if (sy < 0 || sy >= src.height()) continue;
      copyRow(dst.row(ay.dstCoord(k)), src.row(sy));
    }
    return;
  }

  // Stretched on x: a table of (destination, source) columns, both inside.
  thread_local std::vector<int> dcols, scols;
  dcols.clear();
  scols.clear();
  for (int k = xlo; k < xhi; ++k) {
    const int sx = ax.srcCoord(k);
    if (sx < 0 || sx >= src.width()) continue;
    dcols.push_back(ax.dstCoord(k));
    scols.push_back(sx);
  }
  if (dcols.empty()) return;
  const std::size_t cols = dcols.size();
  for (int k = ylo; k < yhi; ++k) {
    const int sy = ay.srcCoord(k);
    if (sy < 0 || sy >= src.height()) continue;
    Pixel* out = dst.row(ay.dstCoord(k));
    const Pixel* in = src.row(sy);
    for (std::size_t j = 0; j < cols; ++j) out[dcols[j]] = in[scols[j]];
  }
}

// A copy within one bitmap that only moves pixels (equal lengths, the same
// walking order on both sides): each row is moved with memmove, the rows
// taken in the order that reads every source row before it is written, which
// gives what reading the whole source first would. False for any other copy.
bool moveWithin(Bitmap& b, Rect s, Rect d) {
  const Axis ax = Axis::of(s.left, s.right, d.left, d.right);
  const Axis ay = Axis::of(s.top, s.bottom, d.top, d.bottom);
  if (!ax.identity() || !ay.identity() || ax.srcStep != ax.dstStep || ay.srcStep != ay.dstStep) return false;
  if (ax.srcLen == 0 || ay.srcLen == 0) return true;
  int xlo, xhi, ylo, yhi;
  ax.range(b.width(), b.width(), xlo, xhi);
  ay.range(b.height(), b.height(), ylo, yhi);
  if (xlo >= xhi || ylo >= yhi) return true;
  const int n = xhi - xlo;
  const int outStart = ax.dstStep > 0 ? ax.dstCoord(xlo) : ax.dstCoord(xlo) - n + 1;
  const int inStart = ax.srcStep > 0 ? ax.srcCoord(xlo) : ax.srcCoord(xlo) - n + 1;
  // Rows moving down are taken bottom up, rows moving up top down.
  const bool bottomUp = ay.dst0 > ay.src0;
  const bool kUp = (ay.dstStep > 0) != bottomUp;
  for (int i = 0; i < yhi - ylo; ++i) {
    const int k = kUp ? ylo + i : yhi - 1 - i;
    std::memmove(b.row(ay.dstCoord(k)) + outStart, b.row(ay.srcCoord(k)) + inStart, std::size_t(n) * sizeof(Pixel));
  }
  return true;
}

}  // namespace

void copyRect(const Bitmap& src, Rect s, Bitmap& dst, Rect d) {
  if (&src != &dst) {
    copyDistinct(src, s, dst, d);
    return;
  }
  if (moveWithin(dst, s, d)) return;
  // Same bitmap, stretched or mirrored: read the part of the source inside
  // the bitmap first.
  const int l = std::max(std::min(s.left, s.right + 1), 0);
  const int r = std::min(std::max(s.right, s.left + 1), src.width());
  const int t = std::max(std::min(s.top, s.bottom + 1), 0);
  const int b = std::min(std::max(s.bottom, s.top + 1), src.height());
  if (l >= r || t >= b) return;
  thread_local Bitmap part;
  if (part.width() != r - l || part.height() != b - t) part = Bitmap::forOverwrite(r - l, b - t);
  for (int y = t; y < b; ++y) std::memcpy(part.row(y - t), src.row(y) + l, std::size_t(r - l) * sizeof(Pixel));
  const Rect shifted{s.left - l, s.top - t, s.right - l, s.bottom - t};
  copyDistinct(part, shifted, dst, d);
}

void drawBitmap(const Bitmap& src, Bitmap& dst, int x, int y) {
  copyRect(src, Rect{0, 0, src.width(), src.height()}, dst, Rect{x, y, x + src.width(), y + src.height()});
}

}  // namespace lumora
