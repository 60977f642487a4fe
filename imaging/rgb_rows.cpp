#include "imaging/rgb_rows.h"
#include "platform/core/hooks.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "graphics/bitmap.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define LUMORA_HAS_SSSE3_KERNELS 1
#endif

namespace lumora {

namespace {

void rgbToPixelsPlain(const std::uint8_t* src, std::uint32_t* dst, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) dst[i] = rgb(src[3 * i], src[3 * i + 1], src[3 * i + 2]);
}

void bgrToPixelsPlain(const std::uint8_t* src, std::uint32_t* dst, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) dst[i] = rgb(src[3 * i + 2], src[3 * i + 1], src[3 * i]);
}

constexpr RgbRowKernels kPlain = {
    [](const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels) { rgbToPixelsPlain(src, dst, 0, pixels); },
    [](const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels) { bgrToPixelsPlain(src, dst, 0, pixels); },
};

#ifdef LUMORA_HAS_SSSE3_KERNELS
using PlainWidening = void (*)(const std::uint8_t*, std::uint32_t*, std::size_t, std::size_t);

// Rows at least this long belong to pictures far larger than the caches:
// their pixels are stored past the cache (a picture is written once and
// read whole later, and the cache lines would only be fetched to be
// overwritten). Shorter rows, of pictures that may stay in the cache until
// they are composed, are stored through it.
constexpr std::size_t kRowBypassingCache = 3072;

// Four pixels a step from one 16-byte load (12 bytes used), while the load
// still fits in the row: one shuffle puts each pixel's bytes in the order
// `order` gives and leaves the fourth byte 0, which is then made 0xFF. The
// stores start at the row's first 16-byte boundary; the pixels before it and
// the last few are done by `plain`.
template <bool kBypassCache>
__attribute__((target("ssse3"))) void widenSsse3(const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels,
                                                 __m128i order, PlainWidening plain) {
  const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
  std::size_t i = std::min(pixels, (16 - reinterpret_cast<std::uintptr_t>(dst) % 16) % 16 / sizeof(std::uint32_t));
  plain(src, dst, 0, i);
  for (; 3 * i + 16 <= 3 * pixels; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i));
    const __m128i out = _mm_or_si128(_mm_shuffle_epi8(v, order), opaque);
    if constexpr (kBypassCache)
      _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i), out);
    else
      _mm_store_si128(reinterpret_cast<__m128i*>(dst + i), out);
  }
  if constexpr (kBypassCache) _mm_sfence();
  plain(src, dst, i, pixels);
}

__attribute__((target("ssse3"))) void widenSsse3(const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels,
                                                 __m128i order, PlainWidening plain) {
  if (pixels >= kRowBypassingCache)
    widenSsse3<true>(src, dst, pixels, order, plain);
  else
    widenSsse3<false>(src, dst, pixels, order, plain);
}

__attribute__((target("ssse3"))) void rgbToPixelsSsse3(const std::uint8_t* src, std::uint32_t* dst,
                                                       std::size_t pixels) {
  widenSsse3(src, dst, pixels, _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1), rgbToPixelsPlain);
}

__attribute__((target("ssse3"))) void bgrToPixelsSsse3(const std::uint8_t* src, std::uint32_t* dst,
                                                       std::size_t pixels) {
  widenSsse3(src, dst, pixels, _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1), bgrToPixelsPlain);
}

constexpr RgbRowKernels kSsse3 = {rgbToPixelsSsse3, bgrToPixelsSsse3};
#endif

bool plainAskedFor() { return hookOn(Hook::ScalarPixels); }

}  // namespace

bool rowKernelAvailable(RowKernel kernel) {
  switch (kernel) {
    case RowKernel::Plain:
      return true;
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

void planesToPixels(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, std::uint32_t* dst,
                    std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) dst[i] = rgb(red[i], green[i], blue[i]);
}

}  // namespace lumora
