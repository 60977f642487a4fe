#include "imaging/decoders.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/picture.h"

namespace lumora {

namespace {

inline std::uint64_t load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void store64(std::uint8_t* p, std::uint64_t v) { std::memcpy(p, &v, 8); }
inline std::uint32_t load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void store32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

// Copies n >= 1 bytes, the short strings and packets of the decoders,
// inline and in words: the last word is put flush with the end, overlapping
// the one before, so nothing past dst + n is written. The source lies in
// another buffer or wholly before dst (src + n <= dst).
inline void copyBytes(std::uint8_t* dst, const std::uint8_t* src, std::size_t n) {
  if (n >= 16) {
    // Two words a step: a variable-length memcpy would be expanded into a
    // string instruction that is slow to start for packets this short.
    std::size_t i = 0;
    for (; i + 32 < n; i += 32) {
      std::memcpy(dst + i, src + i, 16);
      std::memcpy(dst + i + 16, src + i + 16, 16);
    }
    if (i + 16 < n) std::memcpy(dst + i, src + i, 16);
    std::memcpy(dst + n - 16, src + n - 16, 16);
  } else if (n >= 8) {
    store64(dst, load64(src));
    store64(dst + n - 8, load64(src + n - 8));
  } else if (n >= 4) {
    store32(dst, load32(src));
    store32(dst + n - 4, load32(src + n - 4));
  } else {
    dst[0] = src[0];
    dst[n - 1] = src[n - 1];
    dst[n / 2] = src[n / 2];
  }
}

// n >= 1 copies of one byte, in words as copyBytes.
inline void fillBytes(std::uint8_t* dst, std::uint8_t v, std::size_t n) {
  if (n < 8) {
    for (std::size_t i = 0; i < n; ++i) dst[i] = v;
    return;
  }
  const std::uint64_t word = v * 0x0101010101010101ull;
  for (std::size_t i = 0; i + 8 < n; i += 8) store64(dst + i, word);
  store64(dst + n - 8, word);
}

// Writes into a span and drops what falls past its end.
class CutWriter {
 public:
  explicit CutWriter(std::span<std::uint8_t> out) : out_(out) {}
  void put(std::uint8_t v) {
    if (pos_ < out_.size()) out_[pos_++] = v;
  }
  void fill(std::uint8_t v, std::size_t n) {
    const std::size_t k = std::min(n, room());
    std::fill_n(out_.data() + pos_, k, v);
    pos_ += k;
  }
  // Copies n bytes from the reader; input beyond the output is consumed and
  // dropped. Stops early only when the input ends.
  void copy(ByteReader& in, std::size_t n) {
    const std::size_t k = std::min(n, room());
    const std::size_t got = in.read(out_.data() + pos_, k);
    pos_ += got;
    if (got == k && n > k) in.skip(std::min(n - k, in.remaining()));
  }
  std::size_t room() const { return out_.size() - pos_; }
  bool full() const { return pos_ >= out_.size(); }
  std::size_t written() const { return pos_; }

 private:
  std::span<std::uint8_t> out_;
  std::size_t pos_ = 0;
};

}  // namespace

std::size_t decodePcxRle(ByteReader& in, std::span<std::uint8_t> out) {
  CutWriter w(out);
  while (!w.full() && !in.atEnd()) {
    const std::uint8_t x = in.u8();
    if (x < 192) {
      w.put(x);
      continue;
    }
    if (in.atEnd()) break;
    w.fill(in.u8(), x & 0x3Fu);
  }
  return w.written();
}

namespace {

// Reads the PackBits control byte at p (p < end) and sets literal or run for
// its packet; a repeat packet whose byte is missing leaves both 0.
inline void startPackBitsPacket(const std::uint8_t*& p, const std::uint8_t* end, std::size_t& literal,
                                std::size_t& run, std::uint8_t& runByte) {
  const int a = static_cast<std::int8_t>(*p++);
  if (a >= 0) {
    literal = std::min<std::size_t>(std::size_t(a) + 1, std::size_t(end - p));
  } else if (a != -128 && p < end) {
    runByte = *p++;
    run = std::size_t(1 - a);
  }
}

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

// k bytes of whole pixels from src exchanged into dst, one at a time.
inline void swapPixelBytes(const std::uint8_t* src, std::uint8_t* dst, std::size_t k) {
  for (std::size_t i = 0; i < k; i += 3) {
    const std::uint8_t a = src[i];
    dst[i] = src[i + 2];
    dst[i + 1] = src[i + 1];
    dst[i + 2] = a;
  }
}

// Kernels without a path of their own for runs of full copy packets.
struct NoFullPackets {
  std::size_t fullPackets(const std::uint8_t*&, const std::uint8_t*, std::uint8_t*, std::size_t) const { return 0; }
};

struct SwapOneByOne : NoFullPackets {
  void operator()(const std::uint8_t* src, std::uint8_t* dst, std::size_t k, std::size_t) const {
    swapPixelBytes(src, dst, k);
  }
};

#if defined(__x86_64__) || defined(__i386__)
// Five pixels a 16-byte shuffle (SSSE3) while 16 bytes fit in room; each
// also writes the first byte of the sixth pixel unchanged.
struct SwapShuffled : NoFullPackets {
  __attribute__((target("ssse3"))) void operator()(const std::uint8_t* src, std::uint8_t* dst, std::size_t k,
                                                   std::size_t room) const {
    using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
    std::size_t i = 0;
    for (; i < k && i + 16 <= room; i += 15) {
      Bytes16 v;
      std::memcpy(&v, src + i, 16);
      v = __builtin_shufflevector(v, v, 2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
      std::memcpy(dst + i, &v, 16);
    }
    if (i < k) swapPixelBytes(src + i, dst + i, k - i);
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

// 21 pixels a 64-byte permutation (AVX-512 VBMI) while 64 bytes fit in
// room: fewer, wider stores, which is what bounds this loop.
struct SwapPermuted {
  __attribute__((target("avx512f,avx512bw,avx512vbmi"))) void operator()(const std::uint8_t* src, std::uint8_t* dst,
                                                                         std::size_t k, std::size_t room) const {
    // Byte k of the result is byte k + 2 - 2 (k mod 3) of the source; the
    // last (the 22nd pixel's first byte) stays.
    const __m512i order = _mm512_set_epi8(63, 60, 61, 62, 57, 58, 59, 54, 55, 56, 51, 52, 53, 48, 49, 50, 45, 46, 47, 42,
                                          43, 44, 39, 40, 41, 36, 37, 38, 33, 34, 35, 30, 31, 32, 27, 28, 29, 24, 25, 26,
                                          21, 22, 23, 18, 19, 20, 15, 16, 17, 12, 13, 14, 9, 10, 11, 6, 7, 8, 3, 4, 5, 0,
                                          1, 2);
    std::size_t i = 0;
    for (; i < k && i + 64 <= room; i += 63)
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

std::size_t decodePackBits(ByteReader& in, std::size_t packedCount, std::span<std::uint8_t> out) {
  const std::size_t count = std::min(packedCount, in.remaining());
  PackBitsReader reader(in.rest().first(count));
  const std::size_t written = reader.read(out);
  in.skip(count);  // all of the packed bytes, as many as out had room for
  return written;
}

std::size_t PackBitsReader::read(std::span<std::uint8_t> out) {
  // The hottest run-length decoder (TIFF and Photoshop pictures): the state
  // in locals (stores through `o` could otherwise reach the members), packets
  // copied in words.
  const std::uint8_t* p = state_.p;
  const std::uint8_t* const end = state_.end;
  std::size_t literal = state_.literal, run = state_.run;
  std::uint8_t runByte = state_.runByte;
  std::uint8_t* const o = out.data();
  const std::size_t size = out.size();
  std::size_t w = 0;
  for (;;) {
    if (literal) {
      const std::size_t k = std::min(literal, size - w);
      if (k) copyBytes(o + w, p, k);
      w += k;
      p += k;
      literal -= k;
    }
    if (run) {
      const std::size_t k = std::min(run, size - w);
      if (k) fillBytes(o + w, runByte, k);
      w += k;
      run -= k;
    }
    if (w == size || p >= end) break;
    startPackBitsPacket(p, end, literal, run, runByte);
  }
  state_ = {p, end, literal, run, runByte};
  return w;
}

bool PackBitsReader::available(Kernel kernel) {
  switch (kernel) {
    case Kernel::Best:
    case Kernel::OneByOne: return true;
#if defined(__x86_64__) || defined(__i386__)
    case Kernel::Shuffled: return __builtin_cpu_supports("ssse3");
    case Kernel::Permuted:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("avx512vbmi");
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

std::size_t decodeSgiRle(ByteReader& in, int bytesPerSample, std::span<std::uint8_t> out) {
  CutWriter w(out);
  if (bytesPerSample == 2) {
    while (in.remaining() >= 2) {
      const unsigned control = in.u16be();
      const std::size_t count = control & 0x7Fu;
      if (count == 0) break;
      if (control & 0x80u) {
        for (std::size_t i = 0; i < count && in.remaining() >= 2; ++i) w.put(std::uint8_t(in.u16be() >> 8));
      } else {
        if (in.remaining() < 2) break;
        w.fill(std::uint8_t(in.u16be() >> 8), count);
      }
    }
    return w.written();
  }
  while (!in.atEnd()) {
    const unsigned control = in.u8();
    const std::size_t count = control & 0x7Fu;
    if (count == 0) break;
    if (control & 0x80u) {
      w.copy(in, count);
    } else {
      if (in.atEnd()) break;
      w.fill(in.u8(), count);
    }
  }
  return w.written();
}

std::size_t decodeDrHaloRle(ByteReader& in, std::span<std::uint8_t> out) {
  CutWriter w(out);
  in.skip(std::min<std::size_t>(2, in.remaining()));
  while (!in.atEnd()) {
    const unsigned control = in.u8();
    const std::size_t count = control & 0x7Fu;
    if (count == 0) break;
    if (control & 0x80u) {
      if (in.atEnd()) break;
      w.fill(in.u8(), count);
    } else {
      w.copy(in, count);
    }
  }
  return w.written();
}

std::size_t decodeRlaRle(ByteReader& in, std::size_t packedCount, std::span<std::uint8_t> out) {
  CutWriter w(out);
  const std::size_t end = in.position() + std::min(packedCount, in.remaining());
  while (in.position() < end) {
    const int a = static_cast<std::int8_t>(in.u8());
    if (a < 0) {
      w.copy(in, std::min<std::size_t>(std::size_t(-a), end - in.position()));
    } else {
      if (in.position() >= end) break;
      w.fill(in.u8(), std::size_t(a) + 1);
    }
  }
  return w.written();
}

int targaBytesPerPixel(int depth) {
  switch (depth) {
    case 8: return 1;
    case 15:
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
  }
}

std::size_t decodeTargaRle(std::span<const std::uint8_t> packed, int depth, std::span<std::uint8_t> out) {
  const std::size_t p = std::size_t(targaBytesPerPixel(depth));
  if (p == 0) return 0;
  ByteReader in(packed);
  CutWriter w(out);
  while (!w.full() && !in.atEnd()) {
    const unsigned h = in.u8();
    const std::size_t n = (h & 0x7Fu) + 1;
    if (h & 0x80u) {
      if (in.remaining() < p) {
        in.skip(in.remaining());
        break;
      }
      const std::uint8_t* pixel = packed.data() + in.position();
      in.skip(p);
      for (std::size_t i = 0; i < n && !w.full(); ++i)
        for (std::size_t j = 0; j < p; ++j) w.put(pixel[j]);
    } else {
      w.copy(in, n * p);
    }
  }
  return in.position();
}

namespace {

// Reads codes of a given width, most or least significant bit first, from
// a 64-bit buffer filled a word at a time. Most significant first, the
// valid bits are the top `count_` bits of the buffer; least significant
// first, the bottom ones. A refill may bring in part of a byte beyond the
// ones it counts; the next refill writes the same bits there again.
template <bool msbFirst_>
class BitSource {
 public:
  explicit BitSource(std::span<const std::uint8_t> data) : p_(data.data()), end_(data.data() + data.size()) {}

  // False when fewer than `width` bits are left.
  bool next(int width, int& code) {
    if (count_ < width) {
      refill();
      if (count_ < width) return false;
    }
    if constexpr (msbFirst_) {
      code = int(bits_ >> (64 - width));
      bits_ <<= width;
    } else {
      code = int(bits_ & ((1u << width) - 1));
      bits_ >>= width;
    }
    count_ -= width;
    return true;
  }

 private:
  void refill() {
    if (end_ - p_ >= 8) {
      std::uint64_t word = load64(p_);
      if constexpr (msbFirst_) {
        word = __builtin_bswap64(word);
        bits_ |= word >> count_;
      } else {
        bits_ |= word << count_;
      }
      const int bytes = (63 - count_) >> 3;
      p_ += bytes;
      count_ += 8 * bytes;
      return;
    }
    while (count_ <= 56 && p_ < end_) {
      const std::uint64_t byte = *p_++;
      if constexpr (msbFirst_)
        bits_ |= byte << (56 - count_);
      else
        bits_ |= byte << count_;
      count_ += 8;
    }
  }

  const std::uint8_t* p_;
  const std::uint8_t* end_;
  std::uint64_t bits_ = 0;
  int count_ = 0;
};

constexpr int kLzwCodes = 4096;

// Every string but a literal is a string already written to the output
// followed by one byte, so a table entry is kept as where its string was
// last written and its length, and is written by copying those bytes: no
// chain to walk, no stack. The table is set up afresh on every call; only
// entries below the next free code are ever read, so it is not cleared.
// `tiff` selects the TIFF variant (codes most significant bit first, the
// width growing one code early) over the GIF one.
template <bool tiff>
std::size_t decodeLzw(std::span<const std::uint8_t> packed, int literalBits, const char* error,
                      std::span<std::uint8_t> out) {
  const int clear = 1 << literalBits;
  const int end = clear + 1;
  const int firstFree = clear + 2;
  const int startWidth = literalBits + 1;
  std::size_t at[kLzwCodes];       // where the entry's string was written
  std::uint16_t length[kLzwCodes];  // its length
  BitSource<tiff> bits(packed);
  std::uint8_t* const o = out.data();
  const std::size_t size = out.size();
  int width = startWidth;
  int next = firstFree;
  // The width grows when the next free code reaches this (one code early
  // for TIFF, whose test comes after the next free code has grown).
  int limit = (1 << width) - 1;
  bool havePrev = false;
  std::size_t produced = 0;
  std::size_t prevAt = 0, prevLength = 0;  // the previous code's string
  int code = 0;
  while (produced < size && bits.next(width, code)) {
    if (code >= clear) {
      if (code == end) break;
      if (code == clear) {
        width = startWidth;
        limit = (1 << width) - 1;
        next = firstFree;
        havePrev = false;
        continue;
      }
    }
    if (!havePrev) {
      if (code >= clear) throw PictureError(error);
      prevAt = produced;
      prevLength = 1;
      o[produced++] = std::uint8_t(code);
      havePrev = true;
      continue;
    }
    if (code > next || code >= kLzwCodes) throw PictureError(error);
    // Entries stop once the table is full; a code equal to the next free
    // one (the string being defined) then cannot occur.
    if (next < kLzwCodes) {
      // The new entry: the previous string plus the first byte of this one,
      // which is where this string will be written: right behind it.
      at[next] = prevAt;
      length[next] = std::uint16_t(prevLength + 1);
      if constexpr (tiff) ++next;
      if (next == limit && width < 12) limit = (1 << ++width) - 1;
      if constexpr (!tiff) ++next;
    }
    prevAt = produced;
    if (code < clear) {
      o[produced++] = std::uint8_t(code);
      prevLength = 1;
      continue;
    }
    const std::size_t n = length[code];
    const std::uint8_t* from = o + at[code];
    std::uint8_t* to = o + produced;
    if (n > size - produced) {
      // Cut at the end of the output; a byte loop reads what it wrote when
      // the string runs into itself.
      for (std::size_t k = 0; k < size - produced; ++k) to[k] = from[k];
    } else if (from + n <= to) {
      copyBytes(to, from, n);
    } else {
      // The string being defined: the previous one, which ends right here,
      // plus its own first byte.
      copyBytes(to, from, n - 1);
      to[n - 1] = to[0];
    }
    produced += n;
    prevLength = n;
  }
  return std::min(produced, size);
}

}  // namespace

std::size_t decodeTiffLzw(std::span<const std::uint8_t> packed, std::span<std::uint8_t> out) {
  return decodeLzw<true>(packed, 8, "TIF LZW: invalid opcode.", out);
}

std::size_t decodeGifLzw(std::span<const std::uint8_t> packed, int codeSize, std::span<std::uint8_t> out) {
  if (codeSize < 1 || codeSize > 11) throw PictureError("GIF LZW: invalid opcode.");
  return decodeLzw<false>(packed, codeSize, "GIF LZW: invalid opcode.", out);
}

}  // namespace lumora
