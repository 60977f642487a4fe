// Picture: what a reader produces. The pixels are the show's 32-bit bitmap,
// written by the reader itself; beside them the picture keeps what its file
// held: the pixel format the file stored (1, 4 or 8 bits with a palette, or
// 15, 24 or 32 bits) and, when a reader decoded it reduced, the full size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

#include "graphics/bitmap.h"

namespace lumora {

// A picture that cannot be read; what() is the message the user sees.
class PictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Picture {
 public:
  // Largest pixel memory (4 bytes a pixel) a reader may ask for; a header
  // asking for more is refused with "Picture too large." rather than
  // allocated. The fuzzing build lowers it (LUMORA_MAX_PICTURE_BYTES) so
  // that tiny inputs cannot make huge pictures.
#ifdef LUMORA_MAX_PICTURE_BYTES
  static constexpr std::size_t kMaxBytes = LUMORA_MAX_PICTURE_BYTES;
#else
  static constexpr std::size_t kMaxBytes = std::size_t(1) << 30;
#endif
  // Largest picture in pixels; a header asking for more is refused before
  // anything is allocated.
  static constexpr std::uint64_t kMaxPixels = kMaxBitmapPixels;
  // Largest picture file the loader reads.
  static constexpr std::size_t kMaxFileBytes = std::size_t(1) << 30;

  // Throws what allocate throws for this size, without allocating: a
  // PictureError for a negative size, "Picture too large." for more than
  // kMaxPixels pixels or kMaxBytes bytes of pixels.
  static void checkSize(std::int64_t width, std::int64_t height);

  Picture() = default;
  // Sets the size and the file's pixel format (bits: 1, 4, 8, 15, 24 or 32)
  // and makes every pixel `fill`. Throws as checkSize does, or
  // "Unsupported pixel format." for other bits.
  void allocate(int width, int height, int bits, Pixel fill = kBlack);
  // As allocate, but the pixels are left as the memory comes: for a reader
  // that then writes every pixel of every row.
  void allocateForOverwrite(int width, int height, int bits);

  int width() const { return bitmap_.width(); }
  int height() const { return bitmap_.height(); }
  // The pixel format of the file (what `lumora-tool decode` prints).
  int bits() const { return bits_; }
  bool empty() const { return bitmap_.empty(); }
  // The picture's size in its file (upright): its own size, unless a reader
  // decoded it reduced (a JPEG at one of libjpeg's scales).
  int fullWidth() const { return fullWidth_ > 0 ? fullWidth_ : width(); }
  int fullHeight() const { return fullHeight_ > 0 ? fullHeight_ : height(); }
  void setFullSize(int width, int height) {
    fullWidth_ = width;
    fullHeight_ = height;
  }

  Pixel* row(int y) { return bitmap_.row(y); }
  const Pixel* row(int y) const { return bitmap_.row(y); }
  // One pixel as 0xFFRRGGBB.
  Pixel pixel(int x, int y) const { return bitmap_.at(x, y); }

  const Bitmap& bitmap() const& { return bitmap_; }
  Bitmap& bitmap() & { return bitmap_; }
  // The pixels handed over whole; the picture is left empty.
  Bitmap takeBitmap() && { return std::move(bitmap_); }

 private:
  void setFormat(int width, int height, int bits);

  Bitmap bitmap_;
  int bits_ = 24;
  int fullWidth_ = 0, fullHeight_ = 0;  // 0: the picture's own size
};

}  // namespace lumora
