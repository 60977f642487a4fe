#include "imaging/decoders.h"

#include <algorithm>
#include <cstring>
#include <array>
#include <memory>
#include <vector>

#include "imaging/picture.h"

namespace lumora {

namespace {

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
  CutWriter w(out);
  const std::size_t end = in.position() + std::min(packedCount, in.remaining());
  while (in.position() < end) {
    const int a = static_cast<std::int8_t>(in.u8());
    if (a >= 0) {
      w.copy(in, std::min<std::size_t>(std::size_t(a) + 1, end - in.position()));
    } else if (a != -128) {
      if (in.position() >= end) break;
      w.fill(in.u8(), std::size_t(1 - a));
    }
  }
  return w.written();
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

// The string table shared by both LZW variants. Every string but a literal
// is a string already written to the output followed by one byte, so an
// entry is kept as where its string was last written and its length, and is
// written by copying those bytes: no chain to walk, no stack.
class LzwTable {
 public:
  static constexpr int kSize = 4096;

  explicit LzwTable(int literals) : literals_(literals) {}

  // Entry `code` = the string of `prev`, written at `prevAt`, plus one byte.
  void add(int code, std::size_t prevAt, int prev) {
    at_[code] = prevAt;
    length_[code] = length(prev) + 1;
  }
  std::size_t length(int code) const { return code < literals_ ? 1 : length_[code]; }
  // Writes the code's string at `pos`, dropping what falls past the end;
  // returns its length.
  std::size_t write(int code, std::span<std::uint8_t> out, std::size_t pos) const {
    if (code < literals_) {
      if (pos < out.size()) out[pos] = std::uint8_t(code);
      return 1;
    }
    const std::size_t len = length_[code];
    const std::size_t from = at_[code];
    const std::size_t room = pos < out.size() ? out.size() - pos : 0;
    const std::size_t n = std::min(len, room);
    // The source ends at or before `pos` except for a string made of the
    // previous one plus its first byte, whose last byte is the source's
    // first: a forward byte copy reads what it wrote then. Most strings are
    // short, and a loop beats a call to memcpy for them.
    std::uint8_t* o = out.data() + pos;
    const std::uint8_t* i = out.data() + from;
    if (n > 32 && from + len <= pos) {
      std::memcpy(o, i, n);
    } else {
      for (std::size_t k = 0; k < n; ++k) o[k] = i[k];
    }
    return len;
  }

 private:
  int literals_;
  std::array<std::size_t, kSize> at_{};
  std::array<std::size_t, kSize> length_{};
};

// Reads codes of a given width, most or least significant bit first.
template <bool msbFirst_>
class BitSource {
 public:
  explicit BitSource(std::span<const std::uint8_t> data) : data_(data) {}
  // False when fewer than `width` bits are left.
  bool next(int width, int& code) {
    while (count_ < width) {
      if (pos_ >= data_.size()) return false;
      const std::uint32_t byte = data_[pos_++];
      if constexpr (msbFirst_)
        bits_ = (bits_ << 8) | byte;
      else
        bits_ |= byte << count_;
      count_ += 8;
    }
    if constexpr (msbFirst_) {
      code = int((bits_ >> (count_ - width)) & ((1u << width) - 1));
    } else {
      code = int(bits_ & ((1u << width) - 1));
      bits_ >>= width;
    }
    count_ -= width;
    if constexpr (msbFirst_) bits_ &= (1u << count_) - 1;
    return true;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
  std::uint32_t bits_ = 0;
  int count_ = 0;
};

struct LzwVariant {
  int literalBits;  // codes below 2^literalBits stand for themselves
  bool earlyChange;  // TIFF: the width grows one code early
  const char* error;
};

template <bool msbFirst>
std::size_t decodeLzw(std::span<const std::uint8_t> packed, const LzwVariant& v, std::span<std::uint8_t> out) {
  const int clear = 1 << v.literalBits;
  const int end = clear + 1;
  const int firstFree = clear + 2;
  const int startWidth = v.literalBits + 1;
  auto table = std::make_unique<LzwTable>(clear);
  BitSource<msbFirst> bits(packed);
  int width = startWidth;
  int next = firstFree;
  int prev = -1;
  std::size_t produced = 0;
  int code = 0;
  std::size_t prevAt = 0;  // where the previous code's string was written
  while (produced < out.size() && bits.next(width, code)) {
    if (code == end) break;
    if (code == clear) {
      width = startWidth;
      next = firstFree;
      prev = -1;
      continue;
    }
    if (prev < 0) {
      if (code >= clear) throw PictureError(v.error);
      prevAt = produced;
      produced += table->write(code, out, produced);
      prev = code;
      continue;
    }
    if (code > next || code >= LzwTable::kSize) throw PictureError(v.error);
    // Entries stop once the table is full; a code equal to the next free
    // one (the string being defined) then cannot occur.
    if (next < LzwTable::kSize) {
      // The new entry: the previous string plus the first byte of this one,
      // which is where this string will be written: right behind it.
      table->add(next, prevAt, prev);
      if (v.earlyChange) {
        ++next;
        if (next == (1 << width) - 1 && width < 12) ++width;
      } else {
        if (next == (1 << width) - 1 && width < 12) ++width;
        ++next;
      }
    }
    prevAt = produced;
    produced += table->write(code, out, produced);
    prev = code;
  }
  return std::min(produced, out.size());
}

}  // namespace

std::size_t decodeTiffLzw(std::span<const std::uint8_t> packed, std::span<std::uint8_t> out) {
  return decodeLzw<true>(packed, {8, true, "TIF LZW: invalid opcode."}, out);
}

std::size_t decodeGifLzw(std::span<const std::uint8_t> packed, int codeSize, std::span<std::uint8_t> out) {
  if (codeSize < 1 || codeSize > 11) throw PictureError("GIF LZW: invalid opcode.");
  return decodeLzw<false>(packed, {codeSize, false, "GIF LZW: invalid opcode."}, out);
}

}  // namespace lumora
