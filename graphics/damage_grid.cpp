#include "graphics/damage_grid.h"

#include <algorithm>
#include <cstring>

namespace lumora {

void DamageGrid::resize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  cols_ = (width_ + kTile - 1) / kTile;
  rows_ = (height_ + kTile - 1) / kTile;
  tiles_.assign(std::size_t(cols_) * std::size_t(rows_), 0);
  firstRow_ = 0;
  lastRow_ = -1;
}

void DamageGrid::add(const Rect& area) {
  const int l = std::max(area.left, 0), t = std::max(area.top, 0);
  const int r = std::min(area.right, width_), b = std::min(area.bottom, height_);
  if (l >= r || t >= b) return;
  const int c0 = l / kTile, c1 = (r - 1) / kTile;
  const int r0 = t / kTile, r1 = (b - 1) / kTile;
  for (int row = r0; row <= r1; ++row) std::memset(&tiles_[std::size_t(row) * cols_ + c0], 1, std::size_t(c1 - c0 + 1));
  if (empty()) {
    firstRow_ = r0;
    lastRow_ = r1;
  } else {
    firstRow_ = std::min(firstRow_, r0);
    lastRow_ = std::max(lastRow_, r1);
  }
}

std::vector<Rect> DamageGrid::take() {
  std::vector<Rect> out;
  for (int row = firstRow_; row <= lastRow_; ++row) {
    std::uint8_t* tiles = &tiles_[std::size_t(row) * cols_];
    const int top = row * kTile, bottom = std::min(top + kTile, height_);
    for (int c = 0; c < cols_;) {
      if (!tiles[c]) {
        ++c;
        continue;
      }
      const int start = c;
      while (c < cols_ && tiles[c]) tiles[c++] = 0;
      out.push_back({start * kTile, top, std::min(c * kTile, width_), bottom});
    }
  }
  firstRow_ = 0;
  lastRow_ = -1;
  return out;
}

}  // namespace lumora
