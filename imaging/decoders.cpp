#include "imaging/decoders.h"

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

// Reads the PackBits control byte at p (p < end) and sets literal or run for
// its packet; a repeat packet whose byte is missing leaves both 0.
inline void startPackBitsPacket(const std::uint8_t*& p, const std::uint8_t* end, std::size_t& literal, std::size_t& run,
                                std::uint8_t& runByte) {
  const int a = static_cast<std::int8_t>(*p++);
  if (a >= 0) {
    literal = std::min<std::size_t>(std::size_t(a) + 1, std::size_t(end - p));
  } else if (a != -128 && p < end) {
    runByte = *p++;
    run = std::size_t(1 - a);
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
    case 8:
      return 1;
    case 15:
    case 16:
      return 2;
    case 24:
      return 3;
    case 32:
      return 4;
    default:
      return 0;
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
  std::size_t at[kLzwCodes];        // where the entry's string was written
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
