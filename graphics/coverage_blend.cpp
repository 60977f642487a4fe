#include "graphics/coverage_blend.h"

#include <algorithm>
#include <array>

namespace lumora {

Pixel scaleBytes(Pixel p, unsigned a) {
  // Two bytes at a time, each in a 16-bit lane: byte * a < 2^16, and the
  // rounding terms keep each lane below 2^16, so lanes never carry.
  constexpr Pixel kLanes = 0x00FF00FFu;
  Pixel low = (p & kLanes) * a;
  low = ((low + ((low >> 8) & kLanes) + 0x00800080u) >> 8) & kLanes;
  Pixel high = ((p >> 8) & kLanes) * a;
  high = (high + ((high >> 8) & kLanes) + 0x00800080u) & ~kLanes;
  return high | low;
}

Pixel blendByCoverage(Pixel dst, Pixel colour, unsigned c) {
  if (c == 0) return dst;
  if (c >= 255) return colour;
  // Each byte sums to at most c + (255 - c): no carries between bytes.
  return scaleBytes(colour, c) + scaleBytes(dst, 255 - c);
}

std::optional<InkCoverage> InkCoverage::read(const Bitmap& ink, const Rect& box) {
  InkCoverage out;
  out.left_ = box.left;
  out.top_ = box.top;
  out.width_ = std::max(box.right - box.left, 0);
  out.height_ = std::max(box.bottom - box.top, 0);
  out.coverage_.assign(std::size_t(out.width_) * std::size_t(out.height_), 0);
  for (int y = 0; y < out.height_; ++y) {
    const int inkY = box.top + y;
    if (inkY < 0 || inkY >= ink.height()) continue;
    const Pixel* row = ink.row(inkY);
    std::uint8_t* cover = out.coverage_.data() + std::size_t(y) * std::size_t(out.width_);
    const bool edgeRow = y == 0 || y == out.height_ - 1;
    int runStart = -1;
    for (int x = 0; x <= out.width_; ++x) {
      const int inkX = box.left + x;
      int c = 0;
      if (x < out.width_ && inkX >= 0 && inkX < ink.width()) {
        const Pixel p = row[inkX];
        c = blueOf(p);
        if (redOf(p) != c || greenOf(p) != c) return std::nullopt;
        if (c != 0 && (edgeRow || x == 0 || x == out.width_ - 1)) return std::nullopt;
        cover[x] = std::uint8_t(c);
      }
      if (c != 0 && runStart < 0) runStart = x;
      if (c == 0 && runStart >= 0) {
        out.runs_.push_back({box.left + runStart, inkY, x - runStart, std::size_t(y) * out.width_ + runStart});
        out.inked_ += std::size_t(x - runStart);
        runStart = -1;
      }
    }
  }
  return out;
}

Bitmap InkCoverage::saveBox(const Bitmap& stage) const {
  Bitmap saved(width_, height_, kBlack);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (stage.contains(left_ + x, top_ + y)) saved.at(x, y) = stage.at(left_ + x, top_ + y);
  return saved;
}

bool InkCoverage::predicts(const Bitmap& before, const Bitmap& after, Pixel colour) const {
  if (before.width() != width_ || before.height() != height_) return false;
  for (int y = 0; y < height_; ++y) {
    const std::uint8_t* cover = coverage_.data() + std::size_t(y) * std::size_t(width_);
    for (int x = 0; x < width_; ++x) {
      if (!after.contains(left_ + x, top_ + y)) continue;
      if (after.at(left_ + x, top_ + y) != blendByCoverage(before.at(x, y), colour, cover[x])) return false;
    }
  }
  return true;
}

void InkCoverage::blendOnto(Bitmap& stage, Pixel colour) const {
  std::array<Pixel, 256> ofColour;
  for (unsigned c = 0; c < 256; ++c) ofColour[c] = scaleBytes(colour, c);
  for (const Run& run : runs_) {
    if (run.y < 0 || run.y >= stage.height()) continue;
    const int from = std::max(run.x, 0), to = std::min(run.x + run.length, stage.width());
    Pixel* row = stage.row(run.y);
    const std::uint8_t* cover = coverage_.data() + run.first + std::size_t(from - run.x);
    for (int x = from; x < to; ++x, ++cover) {
      const unsigned c = *cover;
      row[x] = c == 255 ? colour : ofColour[c] + scaleBytes(row[x], 255 - c);
    }
  }
}

}  // namespace lumora
