// Pixels with an alpha channel composed over black, the show's background:
// each colour component c of opacity a becomes c x a / 255, rounded.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumora {

// One row of blue, green, red, alpha pixels (not premultiplied) to blue,
// green, red.
inline void bgraOverBlack(const std::uint8_t* bgra, std::uint8_t* bgr, std::size_t width) {
  for (std::size_t x = 0; x < width; ++x, bgra += 4, bgr += 3) {
    const unsigned a = bgra[3];
    if (a == 255) {
      bgr[0] = bgra[0];
      bgr[1] = bgra[1];
      bgr[2] = bgra[2];
    } else {
      bgr[0] = std::uint8_t((bgra[0] * a + 127) / 255);
      bgr[1] = std::uint8_t((bgra[1] * a + 127) / 255);
      bgr[2] = std::uint8_t((bgra[2] * a + 127) / 255);
    }
  }
}

// The same for red, green, blue, alpha pixels.
inline void rgbaOverBlack(const std::uint8_t* rgba, std::uint8_t* bgr, std::size_t width) {
  for (std::size_t x = 0; x < width; ++x, rgba += 4, bgr += 3) {
    const unsigned a = rgba[3];
    bgr[0] = std::uint8_t((rgba[2] * a + 127) / 255);
    bgr[1] = std::uint8_t((rgba[1] * a + 127) / 255);
    bgr[2] = std::uint8_t((rgba[0] * a + 127) / 255);
  }
}

}  // namespace lumora
