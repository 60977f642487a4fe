// 32-bit bitmaps, the rectangle copy every transition is made of, and the
// whole-bitmap draw. Pixels are 0xAARRGGBB words (bytes blue, green, red,
// alpha in memory, as a Windows 32-bit DIB and Qt's RGB32 lay them out);
// alpha is kept at 0xFF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/shared_pixels.h"

namespace lumora {

using Pixel = std::uint32_t;

// Largest bitmap in pixels (1 GiB of pixel memory); a larger one is refused
// with std::length_error("Picture too large.") before anything is allocated.
constexpr std::uint64_t kMaxBitmapPixels = std::uint64_t(1) << 28;

constexpr Pixel kBlack = 0xFF000000u;
constexpr Pixel kWhite = 0xFFFFFFFFu;

constexpr Pixel rgb(int r, int g, int b) {
  return 0xFF000000u | (Pixel(r & 0xFF) << 16) | (Pixel(g & 0xFF) << 8) | Pixel(b & 0xFF);
}
constexpr int redOf(Pixel p) { return int((p >> 16) & 0xFF); }
constexpr int greenOf(Pixel p) { return int((p >> 8) & 0xFF); }
constexpr int blueOf(Pixel p) { return int(p & 0xFF); }

// Rectangle (left, top, right, bottom) exactly as a caller passes it: right
// and bottom exclusive, and either axis may be reversed (see copyRect).
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

class Bitmap {
 public:
  Bitmap() = default;
  // Throws std::length_error for more than kMaxBitmapPixels pixels.
  Bitmap(int width, int height, Pixel fill = kWhite);
  // The same, its pixels from `allocator` (shared memory a display server
  // can read). Copies of it come from the heap.
  Bitmap(int width, int height, Pixel fill, const PixelAllocator<Pixel>& allocator);
  // A bitmap whose pixels are left as the memory comes, for a maker that
  // writes every one of them before anything reads it.
  static Bitmap forOverwrite(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ <= 0 || height_ <= 0; }

  Pixel* row(int y) { return pixels_.data() + std::size_t(y) * std::size_t(width_); }
  const Pixel* row(int y) const { return pixels_.data() + std::size_t(y) * std::size_t(width_); }
  Pixel& at(int x, int y) { return row(y)[x]; }
  Pixel at(int x, int y) const { return row(y)[x]; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // Raw bytes of the pixel memory (rows of width * 4 bytes, top-down).
  std::uint8_t* bytes() { return reinterpret_cast<std::uint8_t*>(pixels_.data()); }
  const std::uint8_t* bytes() const { return reinterpret_cast<const std::uint8_t*>(pixels_.data()); }
  std::size_t bytesPerLine() const { return std::size_t(width_) * 4; }

  void fill(Pixel p);
  // Fills the part of r (normalised, clipped) that lies inside the bitmap.
  void fillRect(Rect r, Pixel p);

  bool operator==(const Bitmap&) const = default;

 private:
  // Sizes the pixels for width x height (negative counts as 0); throws
  // "Picture too large." past kMaxBitmapPixels.
  void allocate(int width, int height);
  int width_ = 0, height_ = 0;
  std::vector<Pixel, PixelAllocator<Pixel>> pixels_;
};

// The stretching rectangle copy. On each axis a rectangle (a, b) covers
// a..b-1 walked upward when b >= a, and b+1..a walked downward from a when
// b < a; its length is |b - a|. Destination element k takes source element
// floor((2k + 1) * srcLen / (2 * dstLen)) in the source's walking order, so
// opposite walking orders mirror. A length of 0 draws nothing; a destination
// pixel is written only when it and its source pixel lie inside their
// bitmaps. src and dst may be the same bitmap: the source is then read as it
// was before the copy.
void copyRect(const Bitmap& src, Rect srcRect, Bitmap& dst, Rect dstRect);

// Draws src whole, unstretched, with its top-left corner at (x, y) in dst.
void drawBitmap(const Bitmap& src, Bitmap& dst, int x, int y);

}  // namespace lumora
