// PackBitsReader::readSwapped: PackBits rows of RGB pixels unpacked with
// red and blue exchanged on the way, in one pass from the packed bytes into
// the picture's rows, with the widest byte shuffles the processor has.
#include <algorithm>
#include <array>
#include <cstring>

#include "imaging/decoders.h"
#include "imaging/packbits_packet.h"
#include "imaging/pixel_swap.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace lumora {

namespace {

// The packets of a PackBitsReader unpacked as 3-byte pixels with their first
// and third bytes exchanged. The reader's state is taken in and given back
// (in locals meanwhile, as in read). Writes whole pixels while size (a
// multiple of 3) allows. swapRun(src, dst, k, room) exchanges k bytes of
// whole pixels and may read and write up to room bytes (what is left of the
// data and of out): the pixels after them are written next and replace
// what it wrote past k. Always inlined, so that swapRun is inlined into the
// callers built for a particular instruction set.
template <class SwapRun>
__attribute__((always_inline)) inline std::size_t unpackSwapped(const std::uint8_t*& pIn, const std::uint8_t* end,
                                                                std::size_t& literalIn, std::size_t& runIn,
                                                                std::uint8_t& runByteIn, std::uint8_t* o,
                                                                std::size_t size, SwapRun swapRun) {
  // The copy packet being read ends at stop (its bytes not yet given are
  // stop - p): the next control byte's place then follows from the one
  // before alone, not from how the packet was cut into pixels, which keeps
  // the chain of dependent loads from packet to packet short.
  const std::uint8_t* p = pIn;
  const std::uint8_t* stop = p + literalIn;
  std::size_t run = runIn;
  std::uint8_t runByte = runByteIn;
  std::size_t w = 0;
  while (w < size) {
    const std::size_t literal = std::size_t(stop - p);
    if (literal >= 3) {  // whole pixels of a copy packet, straight from the packed bytes
      const std::size_t k = std::min(literal, size - w) / 3 * 3;
      swapRun(p, o + w, k, std::min<std::size_t>(std::size_t(end - p), size - w));
      p += k;
      w += k;
    } else if (run >= 3) {  // pixels of one byte: nothing to exchange
      const std::size_t k = std::min(run, size - w) / 3 * 3;
      std::memset(o + w, runByte, k);
      run -= k;
      w += k;
    } else if (literal == 0 && run == 0) {
      if (p >= end) break;
      if (const std::size_t k = swapRun.fullPackets(p, end, o + w, size - w)) {
        stop = p;
        w += k;
        continue;
      }
      std::size_t copy = 0;
      startPackBitsPacket(p, end, copy, run, runByte);
      stop = p + copy;
    } else if (literal && end - p >= 4 && static_cast<std::int8_t>(*stop) >= std::int8_t(2 - literal)) {
      // The common pixel across two copy packets: the last one or two bytes
      // of one, the first of the next after its control byte.
      o[w] = p[3];
      o[w + 1] = literal == 2 ? p[1] : p[2];
      o[w + 2] = p[0];
      const std::uint8_t* data = stop + 1;  // the next packet's bytes
      stop = data + std::min(std::size_t(*stop) + 1, std::size_t(end - data));
      p += 4;
      w += 3;
    } else {  // any other pixel across the end of a packet, gathered byte by byte
      auto next = [&]() -> int {  // -1 once the data have ended
        for (;;) {
          if (p < stop) return *p++;
          if (run) return --run, runByte;
          if (p >= end) return -1;
          std::size_t copy = 0;
          startPackBitsPacket(p, end, copy, run, runByte);
          stop = p + copy;
        }
      };
      const int first = next(), second = next(), third = second < 0 ? -1 : next();
      o[w] = std::uint8_t(std::max(third, 0));
      o[w + 1] = std::uint8_t(std::max(second, 0));
      o[w + 2] = std::uint8_t(first);
      w += 3;
      if (third < 0) break;
    }
  }
  pIn = p, literalIn = std::size_t(stop - p), runIn = run, runByteIn = runByte;
  return w;
}

// Kernels without a path of their own for runs of full copy packets.
struct NoFullPackets {
  std::size_t fullPackets(const std::uint8_t*&, const std::uint8_t*, std::uint8_t*, std::size_t) const { return 0; }
};

struct SwapOneByOne : NoFullPackets {
  void operator()(const std::uint8_t* src, std::uint8_t* dst, std::size_t k, std::size_t) const {
    swapPixelsOneByOne(src, dst, 0, k / 3);
  }
};

#if defined(__x86_64__) || defined(__i386__)
// Five pixels a 16-byte shuffle (SSSE3) while 16 bytes fit in room; each
// also writes the first byte of the sixth pixel unchanged.
struct SwapShuffled : NoFullPackets {
  __attribute__((target("ssse3"))) void operator()(const std::uint8_t* src, std::uint8_t* dst, std::size_t k,
                                                   std::size_t room) const {
    std::size_t i = 0;
    for (; i < k && i + 16 <= room; i += 15) swapFivePixels(src + i, dst + i);
    if (i < k) swapPixelsOneByOne(src + i, dst + i, 0, (k - i) / 3);
  }
};

// Three full PackBits copy packets, 387 packed bytes, unpack to 128 whole pixels.
constexpr std::size_t kGroupIn = 3 * 129, kGroupOut = 3 * 128;
// The six 64-byte results of such a group with red and blue exchanged: for
// result b, where its 128-byte window starts in the group, and for each of
// its bytes the window byte it takes.
struct Group {
  std::array<std::size_t, 6> start{};
  std::array<std::array<std::uint8_t, 64>, 6> order{};
};
constexpr Group makeGroup() {
  Group g;
  // Output byte m is byte m + 2 - 2 (m mod 3) of the unpacked bytes (its
  // pixel exchanged), which lies after 1 + that / 128 control bytes.
  auto packedAt = [](std::size_t m) {
    const std::size_t u = m + 2 - 2 * (m % 3);
    return u + u / 128 + 1;
  };
  for (std::size_t b = 0; b < 6; ++b) {
    std::size_t low = kGroupIn;
    for (std::size_t m = 64 * b; m < 64 * b + 64; ++m) low = std::min(low, packedAt(m));
    g.start[b] = std::min(low, kGroupIn - 128);  // the window stays inside the group
    for (std::size_t m = 0; m < 64; ++m) g.order[b][m] = std::uint8_t(packedAt(64 * b + m) - g.start[b]);
  }
  return g;
}
constexpr Group kGroup = makeGroup();

// Byte k of a 21-pixel result is byte k + 2 - 2 (k mod 3) of the source
// (its pixel's bytes reversed); the last, the 22nd pixel's first byte, stays.
constexpr std::array<std::uint8_t, 64> makePermutation() {
  std::array<std::uint8_t, 64> order{};
  for (std::size_t k = 0; k < 64; ++k) order[k] = std::uint8_t(k < 63 ? k + 2 - 2 * (k % 3) : k);
  return order;
}
constexpr std::array<std::uint8_t, 64> kPermutation = makePermutation();

// 21 pixels a 64-byte permutation (AVX-512 VBMI) while 64 bytes fit in
// room: fewer, wider stores, which is what bounds this loop.
struct SwapPermuted {
  __attribute__((target("avx512f,avx512bw,avx512vbmi"))) void operator()(const std::uint8_t* src, std::uint8_t* dst,
                                                                         std::size_t k, std::size_t room) const {
    const __m512i order = _mm512_loadu_si512(kPermutation.data());
    std::size_t i = 0;
    for (; i < k && i + 64 <= room; i += 63)
      // (masked with every bit set: GCC 12's header for the unmasked form
      // draws a false "may be used uninitialized")
      _mm512_storeu_si512(dst + i, _mm512_maskz_permutexvar_epi8(~__mmask64(0), order, _mm512_loadu_si512(src + i)));
    if (i < k) SwapShuffled{}(src + i, dst + i, k - i, room - i);
  }

  // Photographs pack into full copy packets (control byte 127, then 128
  // bytes) one after another. Three of them, 387 packed bytes, are 128
  // whole pixels: six 64-byte results, each one permutation of a 128-byte
  // window of the packed bytes that leaves the control bytes out. Goes on
  // while the next three packets are full and the data and the row have
  // room; returns the bytes written (p moved past what was read).
  __attribute__((target("avx512f,avx512bw,avx512vbmi"))) std::size_t fullPackets(const std::uint8_t*& p,
                                                                                 const std::uint8_t* end,
                                                                                 std::uint8_t* dst,
                                                                                 std::size_t room) const {
    std::size_t w = 0;
    const std::uint8_t* q = p;
    while (std::size_t(end - q) >= kGroupIn && room - w >= kGroupOut && q[0] == 127 && q[129] == 127 &&
           q[258] == 127) {
      for (int b = 0; b < 6; ++b) {
        const std::uint8_t* window = q + kGroup.start[b];
        const __m512i low = _mm512_loadu_si512(window), high = _mm512_loadu_si512(window + 64);
        const __m512i order = _mm512_loadu_si512(kGroup.order[b].data());
        _mm512_storeu_si512(dst + w + 64 * b, _mm512_permutex2var_epi8(low, order, high));
      }
      q += kGroupIn;
      w += kGroupOut;
    }
    p = q;
    return w;
  }
};

__attribute__((target("ssse3"))) std::size_t unpackSwappedShuffled(const std::uint8_t*& p, const std::uint8_t* end,
                                                                   std::size_t& literal, std::size_t& run,
                                                                   std::uint8_t& runByte, std::uint8_t* o,
                                                                   std::size_t size) {
  return unpackSwapped(p, end, literal, run, runByte, o, size, SwapShuffled{});
}

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) std::size_t unpackSwappedPermuted(
    const std::uint8_t*& p, const std::uint8_t* end, std::size_t& literal, std::size_t& run, std::uint8_t& runByte,
    std::uint8_t* o, std::size_t size) {
  return unpackSwapped(p, end, literal, run, runByte, o, size, SwapPermuted{});
}
#endif

}  // namespace

bool PackBitsReader::available(Kernel kernel) {
  switch (kernel) {
    case Kernel::Best:
    case Kernel::OneByOne: return true;
#if defined(__x86_64__) || defined(__i386__)
    case Kernel::Shuffled: return __builtin_cpu_supports("ssse3");
    case Kernel::Permuted:
      return hasAvx512Vbmi();
#else
    default: return false;
#endif
  }
  return false;
}

std::size_t PackBitsReader::readSwapped(std::span<std::uint8_t> out, Kernel kernel) {
  const std::size_t size = out.size() / 3 * 3;
  State& s = state_;
  if (kernel == Kernel::Best)
    kernel = available(Kernel::Permuted)   ? Kernel::Permuted
             : available(Kernel::Shuffled) ? Kernel::Shuffled
                                           : Kernel::OneByOne;
#if defined(__x86_64__) || defined(__i386__)
  if (kernel == Kernel::Permuted && available(kernel))
    return unpackSwappedPermuted(s.p, s.end, s.literal, s.run, s.runByte, out.data(), size);
  if (kernel == Kernel::Shuffled && available(kernel))
    return unpackSwappedShuffled(s.p, s.end, s.literal, s.run, s.runByte, out.data(), size);
#endif
  return unpackSwapped(s.p, s.end, s.literal, s.run, s.runByte, out.data(), size, SwapOneByOne{});
}

}  // namespace lumora
