// Autodesk Animator cel and pic files (the old style only): 8 bits with a
// palette of 6-bit components.
#include "imaging/byte_reader.h"
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

  Picture picture;
  picture.palette().resize(256);
  for (PaletteEntry& e : picture.palette()) {
    e.r = std::uint8_t(r.u8() * 4);
    e.g = std::uint8_t(r.u8() * 4);
    e.b = std::uint8_t(r.u8() * 4);
  }
  if (std::size_t(width) * std::size_t(height) > r.remaining()) throw PictureError(kStreamReadError);
  picture.allocate(width, height, 8);
  for (int y = 0; y < height; ++y) r.read(picture.row(y), std::size_t(width));
  return picture;
}

}  // namespace lumora
