// Deflate data (a zlib stream, as TIFF's Deflate compressions store it)
// unpacked through zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lumora {

struct Inflated {
  std::size_t bytes = 0;  // written to the output
  bool damaged = false;   // zlib refused the data (rather than it ending)
};

// Unpacks `packed` into `out`, stopping when `out` is full or the stream
// ends. Damaged or cut-short data end the unpacking where they begin: what
// came before is kept, and damaged data are marked so.
Inflated inflateZlib(std::span<const std::uint8_t> packed, std::span<std::uint8_t> out);

}  // namespace lumora
