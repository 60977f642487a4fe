// The area of a surface drawn since it was last shown, kept as a grid of
// square tiles: marking an area sets the tiles it touches, and taking the
// damage gives one rectangle per run of marked tiles in each tile row.
// Scattered small draws (blocks at the four corners of the screen, a ring
// of squares) so cost the tiles they touch instead of their bounding box.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/bitmap.h"

namespace lumora {

class DamageGrid {
 public:
  static constexpr int kTile = 32;

  // An empty grid for a surface of `width` x `height` pixels.
  void resize(int width, int height);

  // Marks `area` (left, top, right, bottom; right and bottom exclusive),
  // clipped to the surface; an empty area marks nothing.
  void add(const Rect& area);
  bool empty() const { return firstRow_ > lastRow_; }

  // The marked tiles as rectangles clipped to the surface, sorted by top
  // then left: in each tile row, one rectangle per run of marked tiles
  // (rectangles of one row share their top and height and never touch).
  // The grid is empty afterwards.
  std::vector<Rect> take();

 private:
  int width_ = 0, height_ = 0, cols_ = 0, rows_ = 0;
  std::vector<std::uint8_t> tiles_;  // rows_ x cols_, 1 = marked
  int firstRow_ = 0, lastRow_ = -1;  // the rows holding marks
};

}  // namespace lumora
