// CompuServe GIF: the first image of the file, the local or global colour
// table applied (8 bits). Its position, the background colour and any
// transparency are not used.
#include <algorithm>
#include <vector>

#include "imaging/byte_reader.h"
#include "imaging/decoders.h"
#include "imaging/palette.h"
#include "imaging/readers/readers.h"

namespace lumora {

namespace {

constexpr const char* kInvalid = "Not a valid GIF file.";

Palette readColourTable(ByteReader& r, unsigned flags) {
  Palette table;
  for (std::size_t i = 0; i < (std::size_t(2) << (flags & 7)); ++i) {
    const int red = r.u8(), green = r.u8(), blue = r.u8();
    table[i] = rgb(red, green, blue);
  }
  return table;
}

// Searches for the image separator ","; true at one, false at the trailer
// ";". An extension "!" is passed over up to the next 0 byte.
bool findImage(ByteReader& r) {
  for (;;) {
    if (r.atEnd()) throw PictureError(kInvalid);
    const std::uint8_t c = r.u8();
    if (c == ',') return true;
    if (c == ';') return false;
    if (c == '!')
      while (!r.atEnd() && r.u8() != 0) {
      }
  }
}

// The sub-blocks of packed data, joined; the stream may end without the
// closing empty block.
std::vector<std::uint8_t> readSubBlocks(ByteReader& r) {
  std::vector<std::uint8_t> packed;
  const std::size_t start = r.position();
  std::size_t total = 0;
  while (!r.atEnd()) {
    const std::size_t length = r.u8();
    if (length == 0) break;
    total += length;
    r.skip(length);
  }
  packed.reserve(std::min(total, r.size()));
  r.seek(start);
  while (!r.atEnd()) {
    const std::size_t length = r.u8();
    if (length == 0) break;
    const auto chunk = r.rest().first(std::min(length, r.remaining()));
    packed.insert(packed.end(), chunk.begin(), chunk.end());
    r.skip(chunk.size());
  }
  return packed;
}

}  // namespace

Picture readGif(const ReaderInput& in) {
  ByteReader r(in.data);
  std::uint8_t signature[6] = {};
  r.read(signature, 6);
  auto upper = [](std::uint8_t c) { return c >= 'a' && c <= 'z' ? std::uint8_t(c - 'a' + 'A') : c; };
  if (upper(signature[0]) != 'G' || upper(signature[1]) != 'I' || upper(signature[2]) != 'F')
    throw PictureError(kInvalid);

  const int screenWidth = r.u16le();
  const int screenHeight = r.u16le();
  const unsigned screenFlags = r.u8();
  r.skip(2);  // background, aspect
  Picture picture;
  Palette palette;
  if (screenFlags & 0x80) palette = readColourTable(r, screenFlags);

  if (!findImage(r)) {
    picture.allocate(0, 0, 8);  // no image before the trailer
    return picture;
  }
  r.skip(4);  // left, top
  int width = r.u16le();
  int height = r.u16le();
  const unsigned flags = r.u8();
  if (width == 0) width = screenWidth;
  if (height == 0) height = screenHeight;
  if (flags & 0x80) palette = readColourTable(r, flags);

  const int codeSize = r.u8();
  const std::vector<std::uint8_t> packed = readSubBlocks(r);
  // One code of at least 2 bits gives at most 4096 bytes.
  const std::size_t pixels = std::size_t(width) * std::size_t(height);
  if (pixels / 4096 > packed.size() * 4) throw PictureError(kInvalid);
  picture.allocate(width, height, 8, palette[0]);  // rows the data do not reach stay at colour 0
  std::vector<std::uint8_t> unpacked(pixels);
  const std::size_t produced = decodeGifLzw(packed, codeSize, unpacked);

  std::size_t from = 0;
  auto fill = [&](int y) {
    if (from < produced)
      indexedToPixels(unpacked.data() + from, 8, palette, picture.row(y),
                      std::min(std::size_t(width), produced - from));
    from += std::size_t(width);
  };
  if (flags & 0x40) {
    constexpr int kPasses[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    for (const auto& pass : kPasses)
      for (int y = pass[0]; y < height; y += pass[1]) fill(y);
  } else {
    for (int y = 0; y < height; ++y) fill(y);
  }
  return picture;
}

}  // namespace lumora
