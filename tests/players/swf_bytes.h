// Flash movies written byte by byte for the player tests: a 550 x 400
// stage, the rate, the count, a background colour, a long tag the readers
// skip and `showFrames` frames, in the three header forms.
#pragma once

#include <gtest/gtest.h>
#include <lzma.h>
#include <zlib.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace lumora::swf_bytes {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, unsigned v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
inline void put32(Bytes& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

// The body after the 8-byte header: a RECT of 0..550 x 0..400 pixels
// (twips, 15 bits each), the rate, the count, then the tags.
inline Bytes body(std::uint16_t rate88, std::uint16_t frames, int showFrames, std::optional<std::uint32_t> rgb) {
  Bytes b;
  // Nbits = 15: 5 + 4 * 15 = 65 bits -> 9 bytes.
  // Values: xMin 0, xMax 11000, yMin 0, yMax 8000.
  std::uint64_t bits = 0;
  int n = 0;
  auto push = [&](std::uint32_t v, int width) {
    for (int i = width - 1; i >= 0; --i) {
      bits = bits << 1 | ((v >> i) & 1u);
      if (++n == 8) {
        b.push_back(std::uint8_t(bits));
        bits = 0;
        n = 0;
      }
    }
  };
  push(15, 5);
  push(0, 15);
  push(11000, 15);
  push(0, 15);
  push(8000, 15);
  if (n) b.push_back(std::uint8_t(bits << (8 - n)));
  put16(b, rate88);
  put16(b, frames);
  if (rgb) {
    put16(b, 9u << 6 | 3u);  // SetBackgroundColor
    b.push_back(std::uint8_t(*rgb >> 16));
    b.push_back(std::uint8_t(*rgb >> 8));
    b.push_back(std::uint8_t(*rgb));
  }
  // A long-form tag the reader skips (DefineBinaryData-like, code 87).
  put16(b, 87u << 6 | 0x3Fu);
  put32(b, 70);
  b.insert(b.end(), 70, 0xAB);
  for (int i = 0; i < showFrames; ++i) put16(b, 1u << 6);  // ShowFrame
  put16(b, 0);                                             // End
  return b;
}

inline Bytes withHeader(char kind, const Bytes& payload, std::uint32_t uncompressedBody) {
  Bytes b = {std::uint8_t(kind), 'W', 'S', 10};
  put32(b, uncompressedBody + 8);
  b.insert(b.end(), payload.begin(), payload.end());
  return b;
}

inline Bytes fws(const Bytes& body) { return withHeader('F', body, std::uint32_t(body.size())); }

inline Bytes cws(const Bytes& body) {
  uLongf size = compressBound(uLong(body.size()));
  Bytes z(size);
  compress2(z.data(), &size, body.data(), uLong(body.size()), 9);
  z.resize(size);
  return withHeader('C', z, std::uint32_t(body.size()));
}

inline Bytes zws(const Bytes& body) {
  lzma_options_lzma opt;
  lzma_lzma_preset(&opt, 6);
  lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
  std::uint8_t props[5];
  EXPECT_EQ(lzma_properties_encode(&filters[0], props), LZMA_OK);
  Bytes out(body.size() + 1024);
  std::size_t outPos = 0;
  EXPECT_EQ(lzma_raw_buffer_encode(filters, nullptr, body.data(), body.size(), out.data(), &outPos, out.size()),
            LZMA_OK);
  out.resize(outPos);
  Bytes payload;
  put32(payload, std::uint32_t(out.size()));
  payload.insert(payload.end(), props, props + 5);
  payload.insert(payload.end(), out.begin(), out.end());
  return withHeader('Z', payload, std::uint32_t(body.size()));
}

}  // namespace lumora::swf_bytes
