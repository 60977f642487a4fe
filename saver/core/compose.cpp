#include "saver/core/compose.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace lumora {

namespace {

// Per destination index along one axis: the source indexes and weights
// (16.16 fixed point, summing to 65536).
struct Taps {
  std::vector<int> first;   // index of the first tap of each destination
  std::vector<int> count;   // number of taps
  std::vector<int> source;  // source index of each tap
  std::vector<int> weight;  // weight of each tap
};

Taps makeTaps(int srcLen, int dstLen) {
  Taps t;
  t.first.resize(dstLen);
  t.count.resize(dstLen);
  const double scale = double(srcLen) / dstLen;
  for (int d = 0; d < dstLen; ++d) {
    std::vector<std::pair<int, double>> taps;
    if (scale > 1.0) {
      // Shrinking: average the source span [d * scale, (d + 1) * scale).
      const double a = d * scale, b = (d + 1) * scale;
      for (int s = int(std::floor(a)); s < int(std::ceil(b)) && s < srcLen; ++s) {
        const double cover = std::min<double>(b, s + 1) - std::max<double>(a, s);
        if (cover > 0) taps.emplace_back(s, cover / scale);
      }
    } else {
      // Enlarging (or 1:1): bilinear between the two nearest source centres.
      const double c = (d + 0.5) * scale - 0.5;
      const int s0 = int(std::floor(c));
      const double f = c - s0;
      taps.emplace_back(std::clamp(s0, 0, srcLen - 1), 1.0 - f);
      if (f > 0) taps.emplace_back(std::clamp(s0 + 1, 0, srcLen - 1), f);
    }
    t.first[d] = int(t.source.size());
    t.count[d] = int(taps.size());
    int sum = 0;
    for (std::size_t i = 0; i < taps.size(); ++i) {
      int w = int(std::lround(taps[i].second * 65536.0));
      if (i + 1 == taps.size()) w = 65536 - sum;
      sum += w;
      t.source.push_back(taps[i].first);
      t.weight.push_back(w);
    }
  }
  return t;
}

}  // namespace

Bitmap resample(const Bitmap& src, int width, int height) {
  if (width <= 0 || height <= 0 || src.empty()) return Bitmap(std::max(width, 0), std::max(height, 0), kBlack);
  if (width == src.width() && height == src.height()) return src;
  const Taps tx = makeTaps(src.width(), width);
  const Taps ty = makeTaps(src.height(), height);

  // Horizontal pass into 16.16 channel sums kept as 8.8 (0..65280).
  std::vector<std::uint16_t> mid(std::size_t(width) * src.height() * 3);
  for (int y = 0; y < src.height(); ++y) {
    const Pixel* in = src.row(y);
    std::uint16_t* out = mid.data() + std::size_t(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      std::uint32_t r = 0, g = 0, b = 0;
      for (int i = tx.first[x], e = i + tx.count[x]; i < e; ++i) {
        const Pixel p = in[tx.source[i]];
        const std::uint32_t w = std::uint32_t(tx.weight[i]);
        r += std::uint32_t(redOf(p)) * w;
        g += std::uint32_t(greenOf(p)) * w;
        b += std::uint32_t(blueOf(p)) * w;
      }
      out[3 * x] = std::uint16_t((r + 128) >> 8);
      out[3 * x + 1] = std::uint16_t((g + 128) >> 8);
      out[3 * x + 2] = std::uint16_t((b + 128) >> 8);
    }
  }
  // Vertical pass.
  Bitmap dst(width, height, kBlack);
  std::vector<std::uint64_t> acc(std::size_t(width) * 3);
  for (int y = 0; y < height; ++y) {
    std::fill(acc.begin(), acc.end(), 0);
    for (int i = ty.first[y], e = i + ty.count[y]; i < e; ++i) {
      const std::uint16_t* in = mid.data() + std::size_t(ty.source[i]) * width * 3;
      const std::uint64_t w = std::uint64_t(ty.weight[i]);
      for (std::size_t k = 0; k < acc.size(); ++k) acc[k] += in[k] * w;
    }
    Pixel* out = dst.row(y);
    for (int x = 0; x < width; ++x) {
      auto channel = [&](int k) { return int(std::min<std::uint64_t>((acc[3 * x + k] + (1u << 23)) >> 24, 255)); };
      out[x] = rgb(channel(0), channel(1), channel(2));
    }
  }
  return dst;
}

void composeFrame(const Bitmap& picture, const Layout& layout, Bitmap& frame) {
  frame.fill(kBlack);
  if (picture.empty()) return;
  if (!layout.tiled) {
    const Bitmap scaled = resample(picture, layout.width, layout.height);
    drawBitmap(scaled, frame, layout.left, layout.top);
    return;
  }
  const int rows = frame.height() / picture.height() + 1;
  const int cols = frame.width() / picture.width() + 1;
  for (int row = 1; row <= rows; ++row)
    for (int col = 1; col <= cols; ++col)
      drawBitmap(picture, frame, (col - 1) * picture.width(), (row - 1) * picture.height());
}

}  // namespace lumora
