#include "imaging/row_reducer.h"

#include <algorithm>

namespace lumora {

int reductionFactor(std::int64_t width, std::int64_t height, int fitWidth, int fitHeight) {
  if (fitWidth <= 0 || fitHeight <= 0 || width <= 0 || height <= 0) return 1;
  std::int64_t factor = std::max<std::int64_t>(1, std::min(width / fitWidth, height / fitHeight));
  auto side = [&](std::int64_t s) { return (s + factor - 1) / factor; };
  while (std::uint64_t(side(width)) * std::uint64_t(side(height)) > kMaxReducedPixels) ++factor;
  return int(factor);
}

RowReducer::RowReducer(Picture& out, int width, int height, int factor, int bits)
    : out_(out), width_(width), height_(height), factor_(factor) {
  out_.allocateForOverwrite(reducedSide(width, factor), reducedSide(height, factor), bits);
  out_.setFullSize(width, height);
  sums_.assign(std::size_t(out_.width()) * 3, 0);
}

void RowReducer::add(const Pixel* row) {
  if (y_ >= height_) return;
  std::uint64_t* sum = sums_.data();
  for (int x = 0; x < width_; x += factor_, sum += 3) {
    const Pixel* block = row + x;
    const int n = std::min(factor_, width_ - x);
    for (int i = 0; i < n; ++i) {
      sum[0] += redOf(block[i]);
      sum[1] += greenOf(block[i]);
      sum[2] += blueOf(block[i]);
    }
  }
  ++y_;
  if (y_ % factor_ == 0 || y_ == height_) writeRow();
}

void RowReducer::writeRow() {
  const int blockRows = y_ % factor_ == 0 ? factor_ : y_ % factor_;
  Pixel* out = out_.row((y_ - 1) / factor_);
  for (int bx = 0; bx < out_.width(); ++bx) {
    const std::uint64_t n = std::uint64_t(std::min(factor_, width_ - bx * factor_)) * std::uint64_t(blockRows);
    std::uint64_t* sum = &sums_[std::size_t(bx) * 3];
    out[bx] = rgb(int((sum[0] + n / 2) / n), int((sum[1] + n / 2) / n), int((sum[2] + n / 2) / n));
    sum[0] = sum[1] = sum[2] = 0;
  }
}

}  // namespace lumora
