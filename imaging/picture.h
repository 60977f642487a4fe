// Picture: what a reader produces. Width, height, a pixel format of 1, 4 or
// 8 bits with a palette, or 15, 24 or 32 bits, and top-down rows laid out as
// a Windows DIB lays them out (rows padded to 4 bytes; 24-bit pixels in
// blue, green, red byte order; 32-bit blue, green, red, alpha; 15-bit words
// little-endian 0RRRRRGGGGGBBBBB; packed pixels most significant bits first).
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/uninitialised_allocator.h"

namespace lumora {

// A picture that cannot be read; what() is the message the user sees.
class PictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PaletteEntry {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const PaletteEntry&) const = default;
};

// Pixel memory: a byte vector whose resize leaves new bytes as they come,
// for readers that write every byte themselves (Picture::allocateForOverwrite).
using PixelBytes = std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>>;

class Picture {
 public:
  // Largest pixel memory a reader may ask for; a header asking for more is
  // refused with "Picture too large." rather than allocated. The fuzzing
  // build lowers it (LUMORA_MAX_PICTURE_BYTES) so that tiny inputs cannot
  // make huge pictures.
#ifdef LUMORA_MAX_PICTURE_BYTES
  static constexpr std::size_t kMaxBytes = LUMORA_MAX_PICTURE_BYTES;
#else
  static constexpr std::size_t kMaxBytes = std::size_t(1) << 30;
#endif
  // Largest picture in pixels. Every picture becomes a 32-bit bitmap (4
  // bytes a pixel) before it is shown, so this bounds that bitmap too; a
  // header asking for more is refused before anything is allocated.
  static constexpr std::uint64_t kMaxPixels = kMaxBitmapPixels;
  // Largest picture file the loader reads.
  static constexpr std::size_t kMaxFileBytes = std::size_t(1) << 30;

  Picture() = default;
  // Sets the size and pixel format and allocates zeroed rows. bits is 1, 4,
  // 8, 15, 24 or 32; throws PictureError for a size that is negative, or
  // "Picture too large." for more than kMaxPixels pixels or kMaxBytes bytes.
  void allocate(int width, int height, int bits);
  // As allocate, but only the padding at the end of each row is zeroed: for
  // a reader that then writes every pixel byte of every row (or zeroes the
  // rows it does not reach), so the memory is not written twice.
  void allocateForOverwrite(int width, int height, int bits);

  int width() const { return width_; }
  int height() const { return height_; }
  int bits() const { return bits_; }
  bool empty() const { return width_ <= 0 || height_ <= 0; }
  // The picture's size in its file (upright): its own size, unless a reader
  // decoded it reduced (a JPEG at one of libjpeg's scales).
  int fullWidth() const { return fullWidth_ > 0 ? fullWidth_ : width_; }
  int fullHeight() const { return fullHeight_ > 0 ? fullHeight_ : height_; }
  void setFullSize(int width, int height) {
    fullWidth_ = width;
    fullHeight_ = height;
  }
  std::size_t stride() const { return stride_; }

  std::uint8_t* row(int y) { return data_.data() + std::size_t(y) * stride_; }
  const std::uint8_t* row(int y) const { return data_.data() + std::size_t(y) * stride_; }
  PixelBytes& data() { return data_; }
  const PixelBytes& data() const { return data_; }

  // Palette of a 1-, 4- or 8-bit picture (missing entries read as black).
  std::vector<PaletteEntry>& palette() { return palette_; }
  const std::vector<PaletteEntry>& palette() const { return palette_; }

  // One pixel as 0xFFRRGGBB: palette applied, 5-bit components expanded as
  // (v << 3) | (v >> 2), alpha dropped.
  Pixel pixel(int x, int y) const;
  // The whole picture as a 32-bit bitmap.
  Bitmap toBitmap() const;

 private:
  int width_ = 0, height_ = 0, bits_ = 24;
  int fullWidth_ = 0, fullHeight_ = 0;  // 0: the picture's own size
  std::size_t stride_ = 0;
  PixelBytes data_;
  std::vector<PaletteEntry> palette_;
};

}  // namespace lumora
