#include "imaging/palette.h"

namespace lumora {

Palette Palette::grey() {
  Palette p;
  for (int i = 0; i < 256; ++i) p[std::size_t(i)] = rgb(i, i, i);
  return p;
}

void indexedToPixels(const std::uint8_t* src, int bits, const Palette& palette, Pixel* dst, std::size_t pixels) {
  if (bits == 8) {
    for (std::size_t x = 0; x < pixels; ++x) dst[x] = palette[src[x]];
    return;
  }
  const unsigned perByte = 8 / unsigned(bits), mask = (1u << bits) - 1;
  for (std::size_t x = 0; x < pixels; ++x) {
    const unsigned shift = 8 - unsigned(bits) * unsigned(x % perByte + 1);
    dst[x] = palette[(src[x / perByte] >> shift) & mask];
  }
}

void rgb15ToPixels(const std::uint8_t* src, Pixel* dst, std::size_t pixels) {
  for (std::size_t x = 0; x < pixels; ++x)
    dst[x] = rgb15ToPixel(unsigned(src[2 * x]) | (unsigned(src[2 * x + 1]) << 8));
}

}  // namespace lumora
