#include "imaging/picture.h"

namespace lumora {

void Picture::checkSize(std::int64_t width, std::int64_t height) {
  if (width < 0 || height < 0) throw PictureError("Invalid picture size.");
  const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
  if ((height > 0 && std::uint64_t(width) > kMaxPixels / std::uint64_t(height)) || pixels > kMaxPixels ||
      pixels > kMaxBytes / sizeof(Pixel))
    throw PictureError("Picture too large.");
}

void Picture::setFormat(int width, int height, int bits) {
  if (bits != 1 && bits != 4 && bits != 8 && bits != 15 && bits != 24 && bits != 32)
    throw PictureError("Unsupported pixel format.");
  checkSize(width, height);
  bitmap_ = Bitmap();  // the earlier picture's memory goes first
  bits_ = bits;
  fullWidth_ = fullHeight_ = 0;
}

void Picture::allocate(int width, int height, int bits, Pixel fill) {
  setFormat(width, height, bits);
  bitmap_ = Bitmap(width, height, fill);
}

void Picture::allocateForOverwrite(int width, int height, int bits) {
  setFormat(width, height, bits);
  bitmap_ = Bitmap::forOverwrite(width, height);
}

}  // namespace lumora
