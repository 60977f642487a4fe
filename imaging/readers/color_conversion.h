// Colour conversions shared by the TIFF and Photoshop readers: CMYK (8- and
// 16-bit inks) and CIE Lab (8-bit) to bitmap pixels.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "graphics/bitmap.h"

namespace lumora {

// a * b / d rounded to the nearest integer, halves away from zero (a, b >= 0).
constexpr std::int64_t mulDiv(std::int64_t a, std::int64_t b, std::int64_t d) { return (2 * a * b + d) / (2 * d); }

constexpr std::uint8_t clampByte(std::int64_t v) { return std::uint8_t(std::clamp<std::int64_t>(v, 0, 255)); }

// Ink amounts: 0 = no ink.
inline Pixel cmyk8ToPixel(unsigned c, unsigned m, unsigned y, unsigned k) {
  auto one = [k](std::int64_t ink) { return clampByte(255 - ink - k + mulDiv(ink, k, 255)); };
  return rgb(one(c), one(m), one(y));
}

inline Pixel cmyk16ToPixel(unsigned c, unsigned m, unsigned y, unsigned k) {
  auto one = [k](std::int64_t ink) { return clampByte(255 - ((ink + k - mulDiv(ink, k, 65535)) >> 8)); };
  return rgb(one(c), one(m), one(y));
}

// L unsigned 0..255, a and b signed.
inline Pixel labToPixel(unsigned lightness, int a, int b) {
  const double l = lightness / 2.55;
  double x, y, z;
  if (l < 7.9996) {
    y = l / 903.3;
    x = y + a / 3893.5;
    z = y - b / 1557.4;
  } else {
    const double f = (l + 16) / 116;
    const double fx = f + a / 500.0, fz = f - b / 200.0;
    x = fx * fx * fx;
    y = f * f * f;
    z = fz * fz * fz;
  }
  auto one = [](double v) { return std::uint8_t(std::clamp(std::nearbyint(v * 255), 0.0, 255.0)); };
  const std::uint8_t blue = one(0.099 * x - 0.198 * y + 1.099 * z);
  const std::uint8_t green = one(-0.952 * x + 1.893 * y + 0.059 * z);
  const std::uint8_t red = one(2.998 * x - 1.458 * y - 0.541 * z);
  return rgb(red, green, blue);
}

}  // namespace lumora
