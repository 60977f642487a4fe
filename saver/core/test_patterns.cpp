#include "saver/core/test_patterns.h"

namespace lumora {

Bitmap oldTestPattern(int width, int height) {
  Bitmap b(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool grid = (x % 64) == 0 || (y % 64) == 0;
      const int r = 128 + (x * 127) / (width > 1 ? width - 1 : 1);
      const int g = (y * 200) / (height > 1 ? height - 1 : 1);
      b.at(x, y) = grid ? rgb(255, 255, 255) : rgb(r, g, 40);
    }
  return b;
}

Bitmap newTestPattern(int width, int height) {
  Bitmap b(width, height);
  const int cx = width / 2, cy = height / 2;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const long long dx = x - cx, dy = y - cy;
      const long long d2 = dx * dx + dy * dy;
      const bool ring = (d2 / 1024) % 2 == 0;
      const bool checker = ((x / 32) + (y / 32)) % 2 == 0;
      const int b0 = 120 + (y * 135) / (height > 1 ? height - 1 : 1);
      b.at(x, y) = ring ? rgb(20, checker ? 160 : 90, b0) : rgb(0, 60, checker ? 255 : 190);
    }
  return b;
}

}  // namespace lumora
