#include "imaging/orientation.h"

#include <algorithm>
#include <cstring>
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

unsigned packedIndex(const std::uint8_t* row, int x, int bits) {
  return bits == 1 ? (row[x >> 3] >> (7 - (x & 7))) & 1u : (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
}

void setPackedIndex(std::uint8_t* row, int x, int bits, unsigned v) {
  if (bits == 1) {
    const unsigned shift = 7 - unsigned(x & 7);
    row[x >> 3] = std::uint8_t((row[x >> 3] & ~(1u << shift)) | (v << shift));
  } else {
    const unsigned shift = (x & 1) ? 0 : 4;
    row[x >> 1] = std::uint8_t((row[x >> 1] & ~(0x0Fu << shift)) | (v << shift));
  }
}

// One upright row of N-byte pixels, taken from `in` moving `step` bytes per
// pixel.
template <std::size_t N>
void copyRow(const std::uint8_t* in, std::ptrdiff_t step, std::uint8_t* dst, int width) {
  for (int x = 0; x < width; ++x) std::memcpy(dst + std::size_t(x) * N, in + std::ptrdiff_t(x) * step, N);
}

// Side of the square blocks turned one at a time when the sides are
// exchanged.
constexpr int kBlockSide = 64;

using RowCopy = void (*)(const std::uint8_t*, std::ptrdiff_t, std::uint8_t*, int);
constexpr RowCopy kRowCopies[5] = {nullptr, copyRow<1>, copyRow<2>, copyRow<3>, copyRow<4>};

}  // namespace

bool orientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

Picture turnUpright(Picture picture, int orientation) {
  if (orientation < 2 || orientation > 8 || picture.empty()) return picture;
  const Placement& place = kPlacements[orientation];
  const int inW = picture.width(), inH = picture.height(), bits = picture.bits();
  const int outW = place.swap ? inH : inW, outH = place.swap ? inW : inH;
  Picture out;
  out.allocate(outW, outH, bits);
  out.palette() = picture.palette();

  // The stored pixel for upright (x, y).
  auto source = [&](int x, int y) {
    int u = place.swap ? y : x, v = place.swap ? x : y;
    if (place.flipX) u = inW - 1 - u;
    if (place.flipY) v = inH - 1 - v;
    return std::pair{u, v};
  };

  if (bits < 8) {
    for (int y = 0; y < outH; ++y)
      for (int x = 0; x < outW; ++x) {
        const auto [u, v] = source(x, y);
        setPackedIndex(out.row(y), x, bits, packedIndex(picture.row(v), u, bits));
      }
    return out;
  }

  const std::size_t bytes = bits == 15 ? 2 : std::size_t(bits) / 8;
  // Along an upright row the stored pixel moves by a fixed step: across a
  // stored row, or down a stored column when the sides are exchanged.
  const std::ptrdiff_t pixelStep = std::ptrdiff_t(bytes), rowStep = std::ptrdiff_t(picture.stride());
  std::ptrdiff_t step = place.swap ? rowStep : pixelStep;
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
        kRowCopies[bytes](picture.row(v) + std::size_t(u) * bytes, step, out.row(y) + std::size_t(x0) * bytes, n);
      }
    }
  return out;
}

}  // namespace lumora
