#include "imaging/picture.h"

#include <algorithm>
#include <cstring>

#include "imaging/rgb_rows.h"

namespace lumora {

void Picture::allocate(int width, int height, int bits) {
  allocateForOverwrite(width, height, bits);
  std::fill(data_.begin(), data_.end(), std::uint8_t(0));
}

void Picture::allocateForOverwrite(int width, int height, int bits) {
  if (bits != 1 && bits != 4 && bits != 8 && bits != 15 && bits != 24 && bits != 32)
    throw PictureError("Unsupported pixel format.");
  if (width < 0 || height < 0) throw PictureError("Invalid picture size.");
  if (std::uint64_t(width) * std::uint64_t(height) > kMaxPixels) throw PictureError("Picture too large.");
  const int storedBits = bits == 15 ? 16 : bits;
  const std::size_t stride = (std::size_t(width) * std::size_t(storedBits) + 31) / 32 * 4;
  if (height > 0 && stride > kMaxBytes / std::size_t(height)) throw PictureError("Picture too large.");
  width_ = width;
  height_ = height;
  bits_ = bits;
  stride_ = stride;
  data_ = PixelBytes();  // the earlier picture's memory goes first
  data_.resize(stride * std::size_t(height));
  const std::size_t used = (std::size_t(width) * std::size_t(storedBits) + 7) / 8;
  if (used < stride)
    for (int y = 0; y < height; ++y) std::fill(row(y) + used, row(y) + stride, std::uint8_t(0));
}

Pixel Picture::pixel(int x, int y) const {
  const std::uint8_t* r = row(y);
  auto fromPalette = [&](unsigned index) {
    if (index >= palette_.size()) return kBlack;
    const PaletteEntry& e = palette_[index];
    return rgb(e.r, e.g, e.b);
  };
  switch (bits_) {
    case 1: return fromPalette((r[x >> 3] >> (7 - (x & 7))) & 1u);
    case 4: return fromPalette((x & 1) ? (r[x >> 1] & 0x0Fu) : (r[x >> 1] >> 4));
    case 8: return fromPalette(r[x]);
    case 15: {
      const unsigned v = unsigned(r[2 * x]) | (unsigned(r[2 * x + 1]) << 8);
      auto expand = [](unsigned c) { return int((c << 3) | (c >> 2)); };
      return rgb(expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31));
    }
    case 24: return rgb(r[3 * x + 2], r[3 * x + 1], r[3 * x]);
    default: return rgb(r[4 * x + 2], r[4 * x + 1], r[4 * x]);
  }
}

Bitmap Picture::toBitmap() const {
  Bitmap b = Bitmap::forOverwrite(width_, height_);  // every pixel is written below
  for (int y = 0; y < height_; ++y) {
    Pixel* out = b.row(y);
    const std::uint8_t* in = row(y);
    if (bits_ == 24) {  // the common cases, without the per-pixel switch
      bgrToPixels(in, out, std::size_t(width_));
    } else if (bits_ == 32) {
      for (int x = 0; x < width_; ++x, in += 4) {
        Pixel p;
        std::memcpy(&p, in, 4);
        out[x] = p | 0xFF000000u;  // blue, green, red as they are; alpha dropped
      }
    } else {
      for (int x = 0; x < width_; ++x) out[x] = pixel(x, y);
    }
  }
  return b;
}

}  // namespace lumora
