// Deflate data (a zlib stream, as TIFF's Deflate compressions store it)
// unpacked through zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lumora {

// Unpacks `packed` into `out`, stopping when `out` is full or the stream
// ends; returns the number of bytes written. Damaged or cut-short data end
// the unpacking where they begin: what came before is kept.
std::size_t inflateZlib(std::span<const std::uint8_t> packed, std::span<std::uint8_t> out);

}  // namespace lumora
