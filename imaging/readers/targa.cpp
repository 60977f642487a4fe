// Truevision Targa: colour-mapped, true-colour and grey pictures, plain or
// run-length coded, stored top-down or bottom-up.
#include <vector>

#include "imaging/byte_reader.h"
#include "imaging/decoders.h"
#include "imaging/palette.h"
#include "imaging/readers/readers.h"
#include "imaging/rgb_rows.h"

namespace lumora {

namespace {

constexpr const char* kInvalid = "Targa: invalid image";

struct TargaHeader {
  int idLength, colourMapType, imageType;
  int colourMapLength, colourMapEntrySize;
  int width, height, depth, descriptor;
};

TargaHeader readHeader(ByteReader& r) {
  if (r.size() < 18) throw PictureError(kInvalid);
  TargaHeader h{};
  h.idLength = r.u8();
  h.colourMapType = r.u8();
  h.imageType = r.u8();
  r.u16le();  // first colour map index
  h.colourMapLength = r.u16le();
  h.colourMapEntrySize = r.u8();
  r.skip(4);  // origin
  h.width = r.u16le();
  h.height = r.u16le();
  h.depth = r.u8();
  h.descriptor = r.u8();
  return h;
}

int pixelFormat(int depth) {
  switch (depth) {
    case 8:
      return 8;
    case 15:
    case 16:
      return 15;
    case 24:
      return 24;
    case 32:
      return 32;
    default:
      throw PictureError(kInvalid);
  }
}

// The colour map; entries past the 256 an 8-bit pixel can reach are read
// over.
Palette readColourMap(ByteReader& r, const TargaHeader& h) {
  Palette palette;
  for (std::size_t i = 0; i < std::size_t(h.colourMapLength); ++i) {
    Pixel p;
    if (h.colourMapEntrySize == 24 || h.colourMapEntrySize == 32) {
      const int b = r.u8(), g = r.u8(), red = r.u8();
      if (h.colourMapEntrySize == 32) r.u8();
      p = rgb(red, g, b);
    } else {
      const unsigned v = r.u16le();
      p = rgb(int(((v >> 10) & 31) << 3), int(((v >> 5) & 31) << 3), int((v & 31) << 3));
    }
    if (i < 256) palette[i] = p;
  }
  return palette;
}

std::size_t colourMapBytes(const TargaHeader& h) {
  const std::size_t entry = h.colourMapEntrySize == 24 ? 3 : h.colourMapEntrySize == 32 ? 4 : 2;
  return entry * std::size_t(h.colourMapLength);
}

// Whether the packed pixels hold `wanted` unpacked bytes: walks the packet
// headers without unpacking, so that a file cut inside its pixel data is
// refused before anything is allocated. A last packet cut short, or no
// packet where pixels are still wanted, means the data ran out.
bool packetsCover(std::span<const std::uint8_t> packed, std::size_t p, std::size_t wanted) {
  std::size_t at = 0, produced = 0;
  while (produced < wanted) {
    if (at >= packed.size()) return false;
    const unsigned h = packed[at];
    const std::size_t n = (h & 0x7Fu) + 1;
    const std::size_t size = (h & 0x80u) ? p : n * p;
    if (size > packed.size() - at - 1) return false;
    at += 1 + size;
    produced += n * p;
  }
  return true;
}

// One row of `width` stored pixels of the given depth to bitmap pixels.
void convertRow(const std::uint8_t* src, int depth, const Palette& palette, Pixel* dst, std::size_t width) {
  switch (depth) {
    case 8:
      indexedToPixels(src, 8, palette, dst, width);
      return;
    case 15:
    case 16:
      rgb15ToPixels(src, dst, width);
      return;
    case 24:
      bgrToPixels(src, dst, width);
      return;
    default:  // 32: the fourth byte (alpha) is not shown
      for (std::size_t x = 0; x < width; ++x, src += 4) dst[x] = rgb(src[2], src[1], src[0]);
      return;
  }
}

}  // namespace

Picture readTarga(const ReaderInput& in) {
  ByteReader r(in.data);
  const TargaHeader h = readHeader(r);
  r.skip(std::size_t(h.idLength));  // identification text, not shown
  const int bits = pixelFormat(h.depth);
  if (r.remaining() < (h.colourMapType == 1 ? colourMapBytes(h) : 0)) throw PictureError(kInvalid);

  Picture picture;
  Palette palette;
  const bool grey = h.imageType == 3 || h.imageType == 11;
  if (grey) {
    // A colour map before grey pixels is skipped; the pixels are grey levels.
    if (h.colourMapType == 1) r.skip(colourMapBytes(h));
    palette = Palette::grey();
  } else if (h.colourMapType == 1) {
    palette = readColourMap(r, h);
  }

  // Depth 15 is stored in two bytes per pixel, like depth 16.
  const std::size_t rowBytes = std::size_t(h.width) * std::size_t(targaBytesPerPixel(h.depth));
  const std::size_t pixelBytes = rowBytes * std::size_t(h.height);
  const bool topDown = (h.descriptor & 0x20) != 0;
  auto destRow = [&](int k) { return topDown ? k : h.height - 1 - k; };

  if (h.imageType >= 1 && h.imageType <= 3) {
    if (r.remaining() < pixelBytes) throw PictureError(kInvalid);
    picture.allocateForOverwrite(h.width, h.height, bits);  // every row is read
    for (int k = 0; k < h.height; ++k) {
      convertRow(r.rest().data(), h.depth, palette, picture.row(destRow(k)), std::size_t(h.width));
      r.skip(rowBytes);
    }
  } else if (h.imageType >= 9 && h.imageType <= 11) {
    const std::size_t p = std::size_t(targaBytesPerPixel(h.depth));
    if (!packetsCover(r.rest(), p, pixelBytes)) throw PictureError(kInvalid);
    picture.allocateForOverwrite(h.width, h.height, bits);  // every row is copied
    // The whole picture is unpacked as one stream, so that a packet running
    // across the end of a row carries on into the next one.
    std::vector<std::uint8_t> pixels(pixelBytes);
    decodeTargaRle(r.rest(), h.depth, pixels);
    for (int k = 0; k < h.height; ++k)
      convertRow(pixels.data() + std::size_t(k) * rowBytes, h.depth, palette, picture.row(destRow(k)),
                 std::size_t(h.width));
  } else {
    picture.allocate(h.width, h.height, bits, bits == 8 ? palette[0] : kBlack);  // no pixel data: colour 0
  }
  return picture;
}

}  // namespace lumora
