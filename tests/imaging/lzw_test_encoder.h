// A small LZW encoder for the tests of the GIF and TIFF LZW decoders and of
// the readers that use them. It tracks the decoder's code width code by
// code, so it writes exactly what a conforming GIF or TIFF writer writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace lumora::test {

struct LzwOptions {
  int literalBits = 8;       // GIF: the minimum code size; TIFF: 8
  bool msbFirst = false;     // TIFF: true
  bool earlyChange = false;  // TIFF: true
  bool emitEnd = true;
  std::size_t clearAt = SIZE_MAX;  // input position where a clear code is sent
  bool clearWhenFull = true;       // false: a "deferred clear" writer
};

class LzwBitWriter {
 public:
  explicit LzwBitWriter(bool msbFirst) : msbFirst_(msbFirst) {}
  void put(int code, int width) {
    for (int i = 0; i < width; ++i) {
      const int bit = msbFirst_ ? (code >> (width - 1 - i)) & 1 : (code >> i) & 1;
      if (count_ == 0) bytes_.push_back(0);
      if (msbFirst_)
        bytes_.back() |= std::uint8_t(bit << (7 - count_));
      else
        bytes_.back() |= std::uint8_t(bit << count_);
      count_ = (count_ + 1) & 7;
    }
  }
  std::vector<std::uint8_t> take() { return std::move(bytes_); }

 private:
  bool msbFirst_;
  int count_ = 0;
  std::vector<std::uint8_t> bytes_;
};

inline std::vector<std::uint8_t> lzwEncode(const std::vector<std::uint8_t>& data, const LzwOptions& o) {
  const int clear = 1 << o.literalBits, end = clear + 1;
  LzwBitWriter out(o.msbFirst);
  std::map<std::pair<int, int>, int> dict;
  int next = clear + 2, width = o.literalBits + 1;
  bool first = true;
  auto emit = [&](int code) {
    out.put(code, width);
    if (code == clear) {
      width = o.literalBits + 1;
      next = clear + 2;
      first = true;
      dict.clear();
      return;
    }
    if (first) {
      first = false;
      return;
    }
    // The decoder enters a string now; follow its width.
    if (next < 4096) {
      if (o.earlyChange) {
        ++next;
        if (next == (1 << width) - 1 && width < 12) ++width;
      } else {
        if (next == (1 << width) - 1 && width < 12) ++width;
        ++next;
      }
    }
  };
  emit(clear);
  if (data.empty()) {
    if (o.emitEnd) emit(end);
    return out.take();
  }
  int encNext = clear + 2;
  int w = data[0];
  for (std::size_t i = 1; i < data.size(); ++i) {
    const int c = data[i];
    if (i == o.clearAt) {
      emit(w);
      emit(clear);
      encNext = clear + 2;
      w = c;
      continue;
    }
    auto it = dict.find({w, c});
    if (it != dict.end()) {
      w = it->second;
      continue;
    }
    emit(w);
    if (encNext < 4096) dict[{w, c}] = encNext++;
    w = c;
    // A conforming writer clears once the table is full.
    if (o.clearWhenFull && encNext >= 4094) {
      emit(w);
      emit(clear);
      encNext = clear + 2;
      if (++i >= data.size()) {
        w = -1;
        break;
      }
      w = data[i];
    }
  }
  if (w >= 0) emit(w);
  if (o.emitEnd) emit(end);
  return out.take();
}

}  // namespace lumora::test
