// Rows of 3-byte pixels turned into the orders the pictures and the bitmap
// keep: red and blue exchanged, widened to 32-bit pixels, interleaved from
// three planes. They run once for every pixel of a picture.
//
// The exchange and the widening have two kernels, plain C++ and SSSE3
// shuffles (x86). One is chosen the first time any is used and kept: SSSE3
// where the processor has it, unless the environment variable
// LUMORA_SCALAR_PIXELS is set (to anything but empty or 0), which keeps the
// plain one, so that either can be run on any machine.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumora {

enum class RowKernel { Plain, Ssse3 };

struct RgbRowKernels {
  // Copies `pixels` 3-byte pixels from src to dst with the first and third
  // bytes of each exchanged (red, green, blue <-> blue, green, red). src and
  // dst may be the same row; otherwise they must not overlap.
  void (*swapRedBlue)(const std::uint8_t* src, std::uint8_t* dst, std::size_t pixels);
  // Widens `pixels` 3-byte blue, green, red pixels to 0xFFRRGGBB words.
  void (*bgrToPixels)(const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels);
};

// Whether this processor can run `kernel`.
bool rowKernelAvailable(RowKernel kernel);
// The functions of `kernel`, which must be available.
const RgbRowKernels& rgbRowKernels(RowKernel kernel);
// The kernel chosen for this run.
RowKernel rowKernelInUse();

inline void swapRedBlue(const std::uint8_t* src, std::uint8_t* dst, std::size_t pixels) {
  rgbRowKernels(rowKernelInUse()).swapRedBlue(src, dst, pixels);
}
inline void bgrToPixels(const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels) {
  rgbRowKernels(rowKernelInUse()).bgrToPixels(src, dst, pixels);
}

// Writes `pixels` 3-byte pixels to dst as blue, green, red, taking each
// colour from its own plane. dst must not overlap the planes.
void interleaveBgr(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, std::uint8_t* dst,
                   std::size_t pixels);

}  // namespace lumora
