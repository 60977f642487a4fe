#include "imaging/readers/pixel_rows.h"

#include <cstring>

#include "graphics/bitmap.h"
#include "imaging/pixel_swap.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace lumora {

namespace {

#if defined(__x86_64__) || defined(__i386__)
// Five pixels per 16-byte shuffle (SSSE3). Each store also writes the first
// byte of the sixth pixel unchanged; the next step or the tail writes it
// for good. Stops while 16 bytes still fit in the row.
__attribute__((target("ssse3"))) std::size_t swapShuffled(const std::uint8_t* src, std::uint8_t* dst,
                                                           std::size_t pixels) {
  std::size_t i = 0;
  for (; i + 21 <= pixels; i += 20)  // four steps in one, in order
    for (std::size_t j = i; j < i + 20; j += 5) swapFivePixels(src + 3 * j, dst + 3 * j);
  for (; i + 6 <= pixels; i += 5) swapFivePixels(src + 3 * i, dst + 3 * i);
  return i;
}

// 64 pixels a step (AVX-512 VBMI): three 64-byte results, result b taken
// from a 128-byte window of the source that starts at kWindow[b], by one
// two-register byte permutation. Fewer and wider stores than the shuffles,
// which is what bounds this loop. Every load of a step comes before its
// stores, so it may work in place. Stops while the windows still fit in
// the row.
constexpr std::size_t kWindow[3] = {0, 62, 126};
struct PermutationOrder {
  alignas(64) std::uint8_t index[3][64];
};
constexpr PermutationOrder makePermutationOrder() {
  PermutationOrder order{};
  for (std::size_t b = 0; b < 3; ++b)
    for (std::size_t k = 0; k < 64; ++k) {
      const std::size_t out = 64 * b + k;
      order.index[b][k] = std::uint8_t(out + 2 - 2 * (out % 3) - kWindow[b]);  // its pixel's bytes reversed
    }
  return order;
}
constexpr PermutationOrder kPermutationOrder = makePermutationOrder();

template <bool Stream>
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) std::size_t swapPermuted(const std::uint8_t* src,
                                                                                std::uint8_t* dst,
                                                                                std::size_t pixels) {
  const __m512i order0 = _mm512_load_si512(kPermutationOrder.index[0]);
  const __m512i order1 = _mm512_load_si512(kPermutationOrder.index[1]);
  const __m512i order2 = _mm512_load_si512(kPermutationOrder.index[2]);
  std::size_t i = 0;
  for (; 3 * i + kWindow[2] + 128 <= 3 * pixels; i += 64) {
    const std::uint8_t* s = src + 3 * i;
    std::uint8_t* d = dst + 3 * i;
    const __m512i a = _mm512_loadu_si512(s), b = _mm512_loadu_si512(s + 64);
    const __m512i c = _mm512_loadu_si512(s + kWindow[1]), e = _mm512_loadu_si512(s + kWindow[2]);
    const __m512i f = _mm512_loadu_si512(s + kWindow[2] + 64);
    if constexpr (Stream) {
      _mm512_stream_si512(reinterpret_cast<__m512i*>(d), _mm512_permutex2var_epi8(a, order0, b));
      _mm512_stream_si512(reinterpret_cast<__m512i*>(d + 64), _mm512_permutex2var_epi8(c, order1, e));
      _mm512_stream_si512(reinterpret_cast<__m512i*>(d + 128), _mm512_permutex2var_epi8(e, order2, f));
    } else {
      _mm512_storeu_si512(d, _mm512_permutex2var_epi8(a, order0, b));
      _mm512_storeu_si512(d + 64, _mm512_permutex2var_epi8(c, order1, e));
      _mm512_storeu_si512(d + 128, _mm512_permutex2var_epi8(e, order2, f));
    }
  }
  if constexpr (Stream) _mm_sfence();  // the picture complete for any thread that takes it
  return i;
}

// A large exchange: pixels one by one until the output reaches a 64-byte
// boundary, then the permutations with streaming stores (a picture larger
// than the cache is written without first being read into it).
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) std::size_t swapStreamed(const std::uint8_t* src,
                                                                                std::uint8_t* dst,
                                                                                std::size_t pixels) {
  std::size_t lead = 0;
  while (lead < pixels && reinterpret_cast<std::uintptr_t>(dst + 3 * lead) % 64 != 0) ++lead;
  swapPixelsOneByOne(src, dst, 0, lead);
  return lead + swapPermuted<true>(src + 3 * lead, dst + 3 * lead, pixels - lead);
}

// 3-byte pixels widened to 4 bytes with an opaque alpha: 16 pixels a step
// from one 64-byte load (48 bytes used) by one byte permutation, the alpha
// bytes taken from a vector of 0xFF (AVX-512 VBMI); 4 pixels a step by one
// 16-byte shuffle (SSSE3). Each stops while its load still fits in src.
struct WidenOrder {
  alignas(64) std::uint8_t index[64];
  std::uint64_t colourMask;
};
constexpr WidenOrder makeWidenOrder() {
  WidenOrder order{};
  for (std::size_t k = 0; k < 64; ++k) {
    const std::size_t channel = k % 4;
    order.index[k] = std::uint8_t(channel < 3 ? 3 * (k / 4) + channel : 0);
    if (channel < 3) order.colourMask |= std::uint64_t(1) << k;
  }
  return order;
}
constexpr WidenOrder kWidenOrder = makeWidenOrder();

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) std::size_t widenPermuted(const std::uint8_t* src,
                                                                                std::uint32_t* dst,
                                                                                std::size_t pixels) {
  const __m512i order = _mm512_load_si512(kWidenOrder.index);
  const __m512i opaque = _mm512_set1_epi8(char(0xFF));
  std::size_t i = 0;
  for (; 3 * i + 64 <= 3 * pixels; i += 16) {
    const __m512i bgr = _mm512_loadu_si512(src + 3 * i);
    _mm512_storeu_si512(dst + i, _mm512_mask_permutexvar_epi8(opaque, kWidenOrder.colourMask, order, bgr));
  }
  return i;
}

__attribute__((target("ssse3"))) std::size_t widenShuffled(const std::uint8_t* src, std::uint32_t* dst,
                                                           std::size_t pixels) {
  const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
  std::size_t i = 0;
  for (; 3 * i + 16 <= 3 * pixels; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(_mm_shuffle_epi8(v, order), opaque));
  }
  return i;
}

// Three planes interleaved into blue, green, red: 64 pixels a step (AVX-512
// VBMI), each 64-byte result one two-register permutation of the blue and
// green planes and one masked permutation of the red plane over it.
struct InterleaveOrder {
  alignas(64) std::uint8_t blueGreen[3][64];
  alignas(64) std::uint8_t red[3][64];
  std::uint64_t redMask[3];
};
constexpr InterleaveOrder makeInterleaveOrder() {
  InterleaveOrder order{};
  for (std::size_t b = 0; b < 3; ++b)
    for (std::size_t k = 0; k < 64; ++k) {
      const std::size_t out = 64 * b + k, pixel = out / 3, channel = out % 3;  // 0 blue, 1 green, 2 red
      order.blueGreen[b][k] = std::uint8_t(channel == 1 ? 64 + pixel : pixel);
      order.red[b][k] = std::uint8_t(pixel);
      if (channel == 2) order.redMask[b] |= std::uint64_t(1) << k;
    }
  return order;
}
constexpr InterleaveOrder kInterleaveOrder = makeInterleaveOrder();

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) std::size_t interleavePermuted(const std::uint8_t* red,
                                                                                      const std::uint8_t* green,
                                                                                      const std::uint8_t* blue,
                                                                                      std::uint8_t* dst,
                                                                                      std::size_t pixels) {
  std::size_t i = 0;
  for (; i + 64 <= pixels; i += 64) {
    const __m512i r = _mm512_loadu_si512(red + i), g = _mm512_loadu_si512(green + i);
    const __m512i b = _mm512_loadu_si512(blue + i);
    for (int k = 0; k < 3; ++k) {
      const __m512i bg = _mm512_permutex2var_epi8(b, _mm512_load_si512(kInterleaveOrder.blueGreen[k]), g);
      const __m512i bgr = _mm512_mask_permutexvar_epi8(bg, kInterleaveOrder.redMask[k],
                                                       _mm512_load_si512(kInterleaveOrder.red[k]), r);
      _mm512_storeu_si512(dst + 3 * i + 64 * k, bgr);
    }
  }
  return i;
}

#endif

}  // namespace

Writes writesFor(std::size_t pictureBytes) {
  // Above a quarter of a large last-level cache: measured, the streaming
  // stores win from about 9 MB of output and lose below it.
  constexpr std::size_t kStreamFrom = std::size_t(8) << 20;
  return pictureBytes >= kStreamFrom ? Writes::Streamed : Writes::Cached;
}

void swapRedBlue(const std::uint8_t* src, std::uint8_t* dst, std::size_t pixels, Writes writes) {
  std::size_t done = 0;
#if defined(__x86_64__) || defined(__i386__)
  if (hasAvx512Vbmi())
    done = writes == Writes::Streamed && src != dst ? swapStreamed(src, dst, pixels)
                                                    : swapPermuted<false>(src, dst, pixels);
  if (__builtin_cpu_supports("ssse3")) done += swapShuffled(src + 3 * done, dst + 3 * done, pixels - done);
#endif
  swapPixelsOneByOne(src, dst, done, pixels);
}

void bgrToPixels(const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels) {
  std::size_t i = 0;
#if defined(__x86_64__) || defined(__i386__)
  if (hasAvx512Vbmi()) i = widenPermuted(src, dst, pixels);
  if (__builtin_cpu_supports("ssse3")) i += widenShuffled(src + 3 * i, dst + i, pixels - i);
#endif
  for (; i < pixels; ++i) dst[i] = rgb(src[3 * i + 2], src[3 * i + 1], src[3 * i]);
}

void interleaveBgr(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, std::uint8_t* dst,
                   std::size_t pixels) {
  std::size_t i = 0;
#if defined(__x86_64__) || defined(__i386__)
  if (hasAvx512Vbmi()) i = interleavePermuted(red, green, blue, dst, pixels);
#endif
  for (; i < pixels; ++i) {
    dst[3 * i] = blue[i];
    dst[3 * i + 1] = green[i];
    dst[3 * i + 2] = red[i];
  }
}

}  // namespace lumora
