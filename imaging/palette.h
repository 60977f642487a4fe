// Colour tables, and rows of palette indices and of 15-bit pixels turned
// into bitmap pixels, for the readers of files that store them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "graphics/bitmap.h"

namespace lumora {

// A colour table of 256 entries, enough for any 8-bit index; the entries a
// file does not give are black.
class Palette {
 public:
  Palette() { colours_.fill(kBlack); }
  // Entry i is the grey (i, i, i).
  static Palette grey();

  Pixel& operator[](std::size_t i) { return colours_[i]; }
  Pixel operator[](std::size_t i) const { return colours_[i]; }
  bool operator==(const Palette&) const = default;

 private:
  std::array<Pixel, 256> colours_;
};

// Expands `pixels` indices, packed `bits` (1, 2, 4 or 8) to a byte with the
// first pixel in the most significant bits, through the palette.
void indexedToPixels(const std::uint8_t* src, int bits, const Palette& palette, Pixel* dst, std::size_t pixels);

// One 15-bit pixel 0RRRRRGGGGGBBBBB (the top bit ignored), each 5-bit
// component widened as (v << 3) | (v >> 2).
constexpr Pixel rgb15ToPixel(unsigned v) {
  auto widen = [](unsigned c) { return int((c << 3) | (c >> 2)); };
  return rgb(widen((v >> 10) & 31), widen((v >> 5) & 31), widen(v & 31));
}

// `pixels` little-endian 15-bit words to pixels.
void rgb15ToPixels(const std::uint8_t* src, Pixel* dst, std::size_t pixels);

}  // namespace lumora
