// ByteReader: a bounds-checked cursor over a file's bytes, the stream every
// reader reads from. Reads past the end return what is there (short reads)
// or zero values, never memory outside the buffer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace lumora {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

  std::size_t size() const { return data_.size(); }
  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
  bool atEnd() const { return remaining() == 0; }
  // Positions past the end are allowed; reading there gives nothing.
  void seek(std::size_t pos) { pos_ = pos; }
  void skip(std::size_t n) { pos_ = n > SIZE_MAX - pos_ ? SIZE_MAX : pos_ + n; }
  std::span<const std::uint8_t> all() const { return data_; }
  // The bytes from the cursor to the end.
  std::span<const std::uint8_t> rest() const { return data_.subspan(std::min(pos_, data_.size())); }

  // Copies up to n bytes; returns how many were there.
  std::size_t read(void* out, std::size_t n) {
    const std::size_t got = std::min(n, remaining());
    if (got) std::memcpy(out, data_.data() + pos_, got);
    skip(n <= remaining() ? n : remaining());
    return got;
  }
  // 0 past the end.
  std::uint8_t u8() {
    if (atEnd()) return 0;
    return data_[pos_++];
  }
  std::uint16_t u16le() {
    const unsigned a = u8();
    return std::uint16_t(a | (unsigned(u8()) << 8));
  }
  std::uint16_t u16be() {
    const unsigned a = u8();
    return std::uint16_t((a << 8) | u8());
  }
  std::uint32_t u32le() {
    const std::uint32_t a = u16le();
    return a | (std::uint32_t(u16le()) << 16);
  }
  std::uint32_t u32be() {
    const std::uint32_t a = u16be();
    return (a << 16) | u16be();
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

}  // namespace lumora
