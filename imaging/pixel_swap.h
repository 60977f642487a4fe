// Exchanging the first and third bytes of 3-byte pixels (red, green, blue
// <-> blue, green, red): the steps shared by the whole-row exchange
// (readers/pixel_rows.cpp) and the PackBits unpacker that exchanges as it
// goes (packbits_swapped.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lumora {

// Pixels from to to (exclusive), one at a time; every byte of a pixel is
// read before any is written, so it may work in place.
inline void swapPixelsOneByOne(const std::uint8_t* src, std::uint8_t* dst, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    const std::uint8_t a = src[3 * i], b = src[3 * i + 1], c = src[3 * i + 2];
    dst[3 * i] = c;
    dst[3 * i + 1] = b;
    dst[3 * i + 2] = a;
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Five pixels by one 16-byte shuffle (SSSE3): reads and writes 16 bytes, the
// 16th (the sixth pixel's first byte) written unchanged.
__attribute__((target("ssse3"))) inline void swapFivePixels(const std::uint8_t* src, std::uint8_t* dst) {
  using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
  Bytes16 v;
  std::memcpy(&v, src, 16);
  v = __builtin_shufflevector(v, v, 2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  std::memcpy(dst, &v, 16);
}

// Whether this processor has the AVX-512 byte permutations (VBMI).
inline bool hasAvx512Vbmi() {
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vbmi");
}
#endif

}  // namespace lumora
