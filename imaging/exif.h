// The orientation recorded in a photograph's Exif block: a small parser that
// reads only the first directory of the block's TIFF structure, checking
// every offset against the block's bytes.
#pragma once

#include <cstdint>
#include <span>

namespace lumora {

// The orientation tag (0x0112) of an APP1 payload that starts with
// "Exif\0\0": 1 to 8 as stored; 1 (as stored) when the block is not Exif, is
// cut short or damaged, lacks the tag or holds a value outside 1 to 8.
int exifOrientation(std::span<const std::uint8_t> app1);

}  // namespace lumora
