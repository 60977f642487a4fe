#include "imaging/rgb_rows.h"

#include <cstdlib>
#include <cstring>

#include "graphics/bitmap.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define LUMORA_HAS_SSSE3_KERNELS 1
#endif

namespace lumora {

namespace {

// Pixels from..to (exclusive) one at a time; every byte of a pixel is read
// before any is written, so it may work in place.
void swapRedBluePlain(const std::uint8_t* src, std::uint8_t* dst, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    const std::uint8_t a = src[3 * i], b = src[3 * i + 1], c = src[3 * i + 2];
    dst[3 * i] = c;
    dst[3 * i + 1] = b;
    dst[3 * i + 2] = a;
  }
}

void bgrToPixelsPlain(const std::uint8_t* src, std::uint32_t* dst, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) dst[i] = rgb(src[3 * i + 2], src[3 * i + 1], src[3 * i]);
}

constexpr RgbRowKernels kPlain = {
    [](const std::uint8_t* src, std::uint8_t* dst, std::size_t pixels) { swapRedBluePlain(src, dst, 0, pixels); },
    [](const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels) { bgrToPixelsPlain(src, dst, 0, pixels); },
};

#ifdef LUMORA_HAS_SSSE3_KERNELS
// Five pixels a step, one 16-byte shuffle each. A step reads and writes 16
// bytes, the last one (the sixth pixel's first byte) written unchanged: in
// place it stays, otherwise the next step or the tail writes it for good.
// The steps go on while 16 bytes still fit in the row.
__attribute__((target("ssse3"))) void swapRedBlueSsse3(const std::uint8_t* src, std::uint8_t* dst,
                                                       std::size_t pixels) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  std::size_t i = 0;
  for (; i + 6 <= pixels; i += 5) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * i), _mm_shuffle_epi8(v, order));
  }
  swapRedBluePlain(src, dst, i, pixels);
}

// Four pixels a step from one 16-byte load (12 bytes used), while the load
// still fits in the row; the fourth byte of each pixel is made 0xFF.
__attribute__((target("ssse3"))) void bgrToPixelsSsse3(const std::uint8_t* src, std::uint32_t* dst,
                                                       std::size_t pixels) {
  const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
  std::size_t i = 0;
  for (; 3 * i + 16 <= 3 * pixels; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(_mm_shuffle_epi8(v, order), opaque));
  }
  bgrToPixelsPlain(src, dst, i, pixels);
}

constexpr RgbRowKernels kSsse3 = {swapRedBlueSsse3, bgrToPixelsSsse3};
#endif

bool plainAskedFor() {
  const char* value = std::getenv("LUMORA_SCALAR_PIXELS");
  return value && *value && std::strcmp(value, "0") != 0;
}

}  // namespace

bool rowKernelAvailable(RowKernel kernel) {
  switch (kernel) {
    case RowKernel::Plain: return true;
    case RowKernel::Ssse3:
#ifdef LUMORA_HAS_SSSE3_KERNELS
      return __builtin_cpu_supports("ssse3");
#else
      return false;
#endif
  }
  return false;
}

const RgbRowKernels& rgbRowKernels(RowKernel kernel) {
#ifdef LUMORA_HAS_SSSE3_KERNELS
  if (kernel == RowKernel::Ssse3) return kSsse3;
#endif
  return kPlain;
}

RowKernel rowKernelInUse() {
  static const RowKernel chosen =
      !plainAskedFor() && rowKernelAvailable(RowKernel::Ssse3) ? RowKernel::Ssse3 : RowKernel::Plain;
  return chosen;
}

void interleaveBgr(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, std::uint8_t* dst,
                   std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) {
    dst[3 * i] = blue[i];
    dst[3 * i + 1] = green[i];
    dst[3 * i + 2] = red[i];
  }
}

}  // namespace lumora
