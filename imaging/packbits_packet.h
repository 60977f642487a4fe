// The start of a PackBits packet, shared by the unpackers that read
// PackBits (PackBitsReader::read, in decoders.cpp, and the one that
// exchanges red and blue, in packbits_swapped.cpp).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace lumora {

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

}  // namespace lumora
