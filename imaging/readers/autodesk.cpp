// Autodesk Animator cel and pic files (the old style only): 8-bit indices
// into a palette of 6-bit components.
#include "imaging/byte_reader.h"
#include "imaging/palette.h"
#include "imaging/readers/readers.h"

namespace lumora {

namespace {

constexpr const char* kStreamReadError = "Stream read error";
constexpr std::size_t kHeaderSize = 30;
constexpr std::size_t kPaletteSize = 256 * 3;

}  // namespace

Picture readAutodesk(const ReaderInput& in) {
  ByteReader r(in.data);
  if (r.size() < 2) throw PictureError(kStreamReadError);
  if (r.u16le() != 0x9119) throw PictureError("Cannot load image. Only old style Autodesk images are supported.");
  if (r.remaining() < kHeaderSize + kPaletteSize) throw PictureError(kStreamReadError);
  const std::size_t headerStart = r.position();
  const int width = r.u16le();
  const int height = r.u16le();
  r.seek(headerStart + kHeaderSize);

  Palette palette;
  for (std::size_t i = 0; i < 256; ++i) {
    const int red = r.u8() * 4, green = r.u8() * 4, blue = r.u8() * 4;
    palette[i] = rgb(red, green, blue);
  }
  if (std::size_t(width) * std::size_t(height) > r.remaining()) throw PictureError(kStreamReadError);
  Picture picture;
  picture.allocateForOverwrite(width, height, 8);  // every row is in the file
  for (int y = 0; y < height; ++y) {
    indexedToPixels(r.rest().data(), 8, palette, picture.row(y), std::size_t(width));
    r.skip(std::size_t(width));
  }
  return picture;
}

}  // namespace lumora
