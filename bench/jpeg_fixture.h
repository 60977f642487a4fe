// 6000 x 4000 JPEGs made in memory for the benchmarks: a noisy one (every
// pixel carries 4 bits of noise and hard stripes: a worst case for entropy
// decoding) and a smooth one (soft shading, 1 bit of noise: closer to an
// ordinary photograph).
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/imaging/jpeg_writer.h"

namespace lumora::bench {

// Gradients with noise of `noiseBits` bits; hard stripes when `hardStripes`,
// soft shading otherwise.
inline std::vector<std::uint8_t> makeJpeg(int width, int height, int noiseBits = 4, bool hardStripes = true) {
  std::uint32_t noise = 12345;
  return test::writeJpeg(width, height, test::JpegSettings::atQuality(90), [&](int y, std::uint8_t* row) {
    for (int x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      const int n = int(noise >> (32 - noiseBits));
      const int stripe =
          hardStripes ? ((x + y) / 32 % 2) * 128 : int(64 + 63 * std::sin((x + y) * 0.01) * std::cos(x * 0.003));
      row[3 * std::size_t(x)] = std::uint8_t((x * 255 / width + n) & 0xFF);
      row[3 * std::size_t(x) + 1] = std::uint8_t((y * 255 / height + n) & 0xFF);
      row[3 * std::size_t(x) + 2] = std::uint8_t(stripe + n);
    }
  });
}

inline const std::vector<std::uint8_t>& bigJpeg() {
  static const std::vector<std::uint8_t> data = makeJpeg(6000, 4000);
  return data;
}

inline const std::vector<std::uint8_t>& smoothJpeg() {
  static const std::vector<std::uint8_t> data = makeJpeg(6000, 4000, 1, false);
  return data;
}

}  // namespace lumora::bench
