// Dr. Halo cut files: 8-bit run-length coded rows, with the palette in a
// ".pal" file beside the picture (a grey ramp when there is none).
#include <algorithm>
#include <string>
#include <vector>

#include "imaging/byte_reader.h"
#include "imaging/decoders.h"
#include "imaging/palette.h"
#include "imaging/readers/readers.h"
#include "platform/core/regular_file.h"

namespace lumora {

namespace {

constexpr const char* kStreamReadError = "Stream read error";
constexpr std::size_t kBlock = 512;
constexpr std::size_t kFirstEntry = 40;
constexpr std::size_t kLastEntryStart = 506;
constexpr std::size_t kEntrySize = 6;
// Enough for 65536 entries with the block padding; larger files are cut.
constexpr std::size_t kMaxPaletteFile = 1 << 20;

// The picture's path with its extension replaced by "pal" (or "PAL").
std::vector<std::string> paletteNames(const std::string& path) {
  if (path.empty()) return {};
  const auto slash = path.find_last_of('/');
  const auto dot = path.find_last_of('.');
  const std::string stem =
      (dot == std::string::npos || (slash != std::string::npos && dot < slash)) ? path : path.substr(0, dot);
  return {stem + ".pal", stem + ".PAL"};
}

// A palette file that is not a regular file (a FIFO, a device) counts as
// missing: opening one must not block or read without end.
bool readPaletteFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  try {
    bytes = readRegularFileHead(path, kMaxPaletteFile);
    return true;
  } catch (const RegularFileError&) {
    return false;
  }
}

// Entries of 6 bytes (three 16-bit values, their low bytes red, green and
// blue) from offset 40 of the first 512-byte block; an entry that would
// start above offset 506 of its block starts the next block instead.
Palette parsePalette(std::span<const std::uint8_t> file) {
  Palette palette;
  if (file.size() < 14) return palette;
  const std::size_t count = std::size_t(file[12] | (file[13] << 8)) + 1;
  std::size_t block = 0, offset = kFirstEntry;
  for (std::size_t i = 0; i < count && i < 256; ++i) {
    if (offset > kLastEntryStart) {
      block += kBlock;
      offset = 0;
    }
    const std::size_t at = block + offset;
    if (at + kEntrySize > file.size()) break;
    palette[i] = rgb(file[at], file[at + 2], file[at + 4]);
    offset += kEntrySize;
  }
  return palette;
}

Palette loadPalette(const std::string& picturePath) {
  std::vector<std::uint8_t> bytes;
  for (const std::string& name : paletteNames(picturePath))
    if (readPaletteFile(name, bytes)) return parsePalette(bytes);
  return Palette::grey();
}

// Whether the packed row at the cursor is whole: its 2-byte length, then
// packets up to the end control (a count of 0), all inside the data. Walks
// the packets without unpacking them.
bool rowIsWhole(const ByteReader& r) {
  const std::span<const std::uint8_t> rest = r.rest();
  std::size_t at = 2;
  while (at < rest.size()) {
    const unsigned control = rest[at++];
    const std::size_t count = control & 0x7Fu;
    if (count == 0) return true;
    const std::size_t size = (control & 0x80u) ? 1 : count;
    if (size > rest.size() - at) return false;
    at += size;
  }
  return false;
}

}  // namespace

Picture readDrHalo(const ReaderInput& in) {
  const Palette palette = loadPalette(in.path);

  ByteReader r(in.data);
  if (r.size() < 6) throw PictureError(kStreamReadError);
  const int width = r.u16le();
  const int height = r.u16le();
  r.skip(2);
  // Two packed bytes give at most 127 pixels; a header promising more than
  // the file can hold is refused before anything is allocated.
  if (std::size_t(width) * std::size_t(height) > r.remaining() * 64 + 127) throw PictureError(kStreamReadError);
  Picture picture;
  picture.allocateForOverwrite(width, height, 8);  // every row is decoded
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(width));
  for (int y = 0; y < height; ++y) {
    if (!rowIsWhole(r)) throw PictureError(kStreamReadError);
    // Pixels a row's packets do not reach are colour 0.
    std::fill(indices.begin(), indices.end(), std::uint8_t(0));
    decodeDrHaloRle(r, indices);
    indexedToPixels(indices.data(), 8, palette, picture.row(y), indices.size());
  }
  return picture;
}

}  // namespace lumora
