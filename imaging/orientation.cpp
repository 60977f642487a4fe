#include "imaging/orientation.h"

#include <algorithm>
#include <utility>

namespace lumora {

namespace {

// Where an upright pixel (x, y) comes from: with `swap` the stored column is
// y and the stored row x; then each axis may be walked from its far end.
struct Placement {
  bool swap, flipX, flipY;
};

constexpr Placement kPlacements[9] = {
    {false, false, false},  // 0: not an orientation; as stored
    {false, false, false},  // 1: as stored
    {false, true, false},   // 2: mirrored left to right
    {false, true, true},    // 3: turned by 180 degrees
    {false, false, true},   // 4: mirrored top to bottom
    {true, false, false},   // 5: mirrored across the main diagonal
    {true, false, true},    // 6: turned by 90 degrees clockwise
    {true, true, true},     // 7: mirrored across the other diagonal
    {true, true, false},    // 8: turned by 90 degrees counter-clockwise
};

// One upright row, taken from `in` moving `step` pixels per pixel.
void copyRow(const Pixel* in, std::ptrdiff_t step, Pixel* dst, int width) {
  for (int x = 0; x < width; ++x) dst[x] = in[std::ptrdiff_t(x) * step];
}

// Side of the square blocks turned one at a time when the sides are
// exchanged.
constexpr int kBlockSide = 64;

}  // namespace

bool orientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

Picture turnUpright(Picture picture, int orientation) {
  if (orientation < 2 || orientation > 8 || picture.empty()) return picture;
  const Placement& place = kPlacements[orientation];
  const int inW = picture.width(), inH = picture.height();
  const int outW = place.swap ? inH : inW, outH = place.swap ? inW : inH;
  Picture out;
  out.allocateForOverwrite(outW, outH, picture.bits());  // every pixel is copied below

  // The stored pixel for upright (x, y).
  auto source = [&](int x, int y) {
    int u = place.swap ? y : x, v = place.swap ? x : y;
    if (place.flipX) u = inW - 1 - u;
    if (place.flipY) v = inH - 1 - v;
    return std::pair{u, v};
  };

  // Along an upright row the stored pixel moves by a fixed step: across a
  // stored row, or down a stored column when the sides are exchanged.
  std::ptrdiff_t step = place.swap ? std::ptrdiff_t(inW) : 1;
  if (place.swap ? place.flipY : place.flipX) step = -step;
  // With the sides exchanged an upright row walks down stored columns: the
  // turn goes in square blocks, so that the stored rows a block reads and
  // the upright rows it writes stay in the caches.
  const int block = place.swap ? kBlockSide : std::max(outW, outH);
  for (int y0 = 0; y0 < outH; y0 += block)
    for (int x0 = 0; x0 < outW; x0 += block) {
      const int n = std::min(block, outW - x0), yEnd = std::min(outH, y0 + block);
      for (int y = y0; y < yEnd; ++y) {
        const auto [u, v] = source(x0, y);
        copyRow(picture.row(v) + u, step, out.row(y) + x0, n);
      }
    }
  return out;
}

}  // namespace lumora
