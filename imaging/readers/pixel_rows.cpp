#include "imaging/readers/pixel_rows.h"

#include <cstring>

namespace lumora {

namespace {

// One pixel at a time; every byte is read before any is written, so a
// pixel may be converted in place.
inline void swapPixels(const std::uint8_t* src, std::uint8_t* dst, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    const std::uint8_t a = src[3 * i], b = src[3 * i + 1], c = src[3 * i + 2];
    dst[3 * i] = c;
    dst[3 * i + 1] = b;
    dst[3 * i + 2] = a;
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Five pixels per 16-byte shuffle (SSSE3). Each store also writes the first
// byte of the sixth pixel unchanged; the next step or the tail writes it
// for good. Stops while 16 bytes still fit in the row.
__attribute__((target("ssse3"))) std::size_t swapShuffled(const std::uint8_t* src, std::uint8_t* dst,
                                                           std::size_t pixels) {
  using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
  auto five = [&](std::size_t i) {
    Bytes16 v;
    std::memcpy(&v, src + 3 * i, 16);
    v = __builtin_shufflevector(v, v, 2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    std::memcpy(dst + 3 * i, &v, 16);
  };
  std::size_t i = 0;
  for (; i + 21 <= pixels; i += 20) {  // four steps in one, in order
    five(i);
    five(i + 5);
    five(i + 10);
    five(i + 15);
  }
  for (; i + 6 <= pixels; i += 5) five(i);
  return i;
}
#endif

}  // namespace

void swapRedBlue(const std::uint8_t* src, std::uint8_t* dst, std::size_t pixels) {
  std::size_t done = 0;
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("ssse3")) done = swapShuffled(src, dst, pixels);
#endif
  swapPixels(src, dst, done, pixels);
}

}  // namespace lumora
