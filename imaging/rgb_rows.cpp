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
// Sixteen pixels a step: three 16-byte loads, then three stores over the
// same 48 bytes, each result put together from byte shuffles of the loads
// it takes bytes from. A step's stores never overlap the next step's loads
// (a load that partly overlaps a recent store waits for it), so it runs as
// fast in place as between two rows.
struct SwapShuffles {
  // from[v][w]: for result v, the bytes it takes from load w, 0x80 where none.
  std::uint8_t from[3][3][16];
};
constexpr SwapShuffles makeSwapShuffles() {
  SwapShuffles s{};
  for (std::size_t v = 0; v < 3; ++v)
    for (std::size_t w = 0; w < 3; ++w)
      for (std::size_t k = 0; k < 16; ++k) {
        const std::size_t m = 16 * v + k, src = m + 2 - 2 * (m % 3);  // its pixel's bytes reversed
        s.from[v][w][k] = src / 16 == w ? std::uint8_t(src % 16) : std::uint8_t(0x80);
      }
  return s;
}
constexpr SwapShuffles kSwapShuffles = makeSwapShuffles();

__attribute__((target("ssse3"))) void swapRedBlueSsse3(const std::uint8_t* src, std::uint8_t* dst,
                                                       std::size_t pixels) {
  auto order = [](std::size_t v, std::size_t w) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSwapShuffles.from[v][w]));
  };
  const __m128i o00 = order(0, 0), o01 = order(0, 1), o10 = order(1, 0), o11 = order(1, 1), o12 = order(1, 2),
                o21 = order(2, 1), o22 = order(2, 2);
  std::size_t i = 0;
  for (; i + 16 <= pixels; i += 16) {
    const auto* in = reinterpret_cast<const __m128i*>(src + 3 * i);
    auto* out = reinterpret_cast<__m128i*>(dst + 3 * i);
    const __m128i a = _mm_loadu_si128(in), b = _mm_loadu_si128(in + 1), c = _mm_loadu_si128(in + 2);
    _mm_storeu_si128(out, _mm_or_si128(_mm_shuffle_epi8(a, o00), _mm_shuffle_epi8(b, o01)));
    _mm_storeu_si128(out + 1, _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, o10), _mm_shuffle_epi8(b, o11)),
                                           _mm_shuffle_epi8(c, o12)));
    _mm_storeu_si128(out + 2, _mm_or_si128(_mm_shuffle_epi8(b, o21), _mm_shuffle_epi8(c, o22)));
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
