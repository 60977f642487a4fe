// Pixels with an alpha channel composed over black, the show's background:
// each colour component c of opacity a becomes c x a / 255, rounded.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/bitmap.h"

namespace lumora {

constexpr Pixel overBlack(unsigned r, unsigned g, unsigned b, unsigned a) {
  if (a == 255) return rgb(int(r), int(g), int(b));
  return rgb(int((r * a + 127) / 255), int((g * a + 127) / 255), int((b * a + 127) / 255));
}

// One row of blue, green, red, alpha pixels (not premultiplied) to bitmap
// pixels. out may be the same memory as bgra: each pixel is read whole
// before it is written.
inline void bgraOverBlack(const std::uint8_t* bgra, Pixel* out, std::size_t width) {
  for (std::size_t x = 0; x < width; ++x, bgra += 4) out[x] = overBlack(bgra[2], bgra[1], bgra[0], bgra[3]);
}

// The same for red, green, blue, alpha pixels.
inline void rgbaOverBlack(const std::uint8_t* rgba, Pixel* out, std::size_t width) {
  for (std::size_t x = 0; x < width; ++x, rgba += 4) out[x] = overBlack(rgba[0], rgba[1], rgba[2], rgba[3]);
}

}  // namespace lumora
