// Decompression of the body of CWS (zlib) and ZWS (LZMA) movies, cut at a
// limit. Data that ends early or turns corrupt gives what was decompressed
// up to that point.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumora {

std::vector<std::uint8_t> inflateZlib(const std::uint8_t* data, std::size_t size, std::size_t limit);

// `props` are the five LZMA property bytes of the ZWS header; `data` the raw
// LZMA stream after them.
std::vector<std::uint8_t> inflateLzma(const std::uint8_t props[5], const std::uint8_t* data, std::size_t size,
                                      std::size_t limit);

}  // namespace lumora
