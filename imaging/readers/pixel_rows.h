// Row conversions shared by the readers' pixel loops, written for speed:
// they run once for every pixel of a picture.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumora {

// How a conversion writes its output. A picture larger than the cache is
// better written past it (streaming stores): nothing reads it again until
// the whole picture is done, and the cache then need not fetch each line of
// the destination before overwriting it.
enum class Writes { Cached, Streamed };
// Streamed for a picture of `pictureBytes` or more that no cache could hold.
Writes writesFor(std::size_t pictureBytes);

// Copies `pixels` 3-byte pixels from src to dst with the first and third
// bytes of each exchanged (red, green, blue <-> blue, green, red). src and
// dst may be the same row; otherwise they must not overlap. Streamed
// writes are a hint, taken where the processor has the instructions and src
// is not dst.
void swapRedBlue(const std::uint8_t* src, std::uint8_t* dst, std::size_t pixels, Writes writes = Writes::Cached);

// Widens `pixels` 3-byte blue, green, red pixels to 0xFFRRGGBB words (the
// bitmap's pixels).
void bgrToPixels(const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels);

// Writes `pixels` 3-byte pixels to dst as blue, green, red, taking each
// colour from its own plane (the planes' bytes side by side). dst must not
// overlap the planes.
void interleaveBgr(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, std::uint8_t* dst,
                   std::size_t pixels);

}  // namespace lumora
