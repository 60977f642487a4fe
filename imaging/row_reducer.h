// Pictures reduced while they are read. A picture much larger than the
// screen it is shown on is averaged over blocks of factor x factor pixels
// as its rows arrive, so that showing it costs the memory of the reduced
// picture and one row of sums, not of the picture at its own size.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/picture.h"

namespace lumora {

// Largest reduced picture in pixels (256 MB of pixels).
inline constexpr std::uint64_t kMaxReducedPixels = std::uint64_t(1) << 26;

// The factor a width x height picture is reduced by to be shown on
// fitWidth x fitHeight: the largest that keeps it at least that size both
// ways (1 below twice that size), raised until the reduced picture has at
// most kMaxReducedPixels. 1 when fitWidth or fitHeight is not above 0.
int reductionFactor(std::int64_t width, std::int64_t height, int fitWidth, int fitHeight);

// A side of `side` pixels reduced by `factor` (a last, partial block counts).
constexpr int reducedSide(int side, int factor) { return (side + factor - 1) / factor; }

class RowReducer {
 public:
  // Allocates `out` reduced by `factor` in the file's pixel format `bits`,
  // its full size width x height.
  RowReducer(Picture& out, int width, int height, int factor, int bits);

  // The picture's next row, `width` opaque pixels; the reduced row is
  // written once its block's last row has come.
  void add(const Pixel* row);
  // The rows added so far.
  int rows() const { return y_; }

 private:
  void writeRow();

  Picture& out_;
  int width_, height_, factor_;
  int y_ = 0;
  std::vector<std::uint64_t> sums_;  // red, green, blue of each reduced pixel's block
};

}  // namespace lumora
