// Rows of 3-byte pixels turned into bitmap pixels: from red, green, blue or
// blue, green, red order, or interleaved from three planes. They run once
// for every pixel of a picture.
//
// The two widenings have two kernels each, plain C++ and SSSE3
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
  // Widens `pixels` 3-byte red, green, blue pixels to 0xFFRRGGBB words.
  void (*rgbToPixels)(const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels);
  // Widens `pixels` 3-byte blue, green, red pixels to 0xFFRRGGBB words.
  void (*bgrToPixels)(const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels);
};

// Whether this processor can run `kernel`.
bool rowKernelAvailable(RowKernel kernel);
// The functions of `kernel`, which must be available.
const RgbRowKernels& rgbRowKernels(RowKernel kernel);
// The kernel chosen for this run.
RowKernel rowKernelInUse();

inline void rgbToPixels(const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels) {
  rgbRowKernels(rowKernelInUse()).rgbToPixels(src, dst, pixels);
}
inline void bgrToPixels(const std::uint8_t* src, std::uint32_t* dst, std::size_t pixels) {
  rgbRowKernels(rowKernelInUse()).bgrToPixels(src, dst, pixels);
}

// Writes `pixels` 0xFFRRGGBB words to dst, taking each colour from its own
// plane.
void planesToPixels(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, std::uint32_t* dst,
                    std::size_t pixels);

}  // namespace lumora
