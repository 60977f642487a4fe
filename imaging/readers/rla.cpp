// Wavefront RLA reader (rla, rpf): run-length rows of red, green, blue and
// an optional matte channel, found through a table of row offsets.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/byte_reader.h"
#include "imaging/decoders.h"
#include "imaging/readers/readers.h"
#include "imaging/rgb_rows.h"

namespace lumora {

namespace {

constexpr std::size_t kHeaderSize = 740;

}  // namespace

Picture readRla(const ReaderInput& input) {
  ByteReader in(input.data);
  if (in.size() < kHeaderSize) throw PictureError("RLA: invalid image.");
  in.seek(8);
  const int left = std::int16_t(in.u16be());
  const int right = std::int16_t(in.u16be());
  const int bottom = std::int16_t(in.u16be());
  const int top = std::int16_t(in.u16be());
  in.seek(20);
  const int channels = std::int16_t(in.u16be());
  const int mattes = std::int16_t(in.u16be());
  if (channels != 3 && channels != 4) throw PictureError("RLA: image must be RGB(A).");

  const int bits = mattes != 0 ? 32 : 24;
  const int width = right - left + 1;
  const int height = std::abs(bottom - top) + 1;
  if (width <= 0) throw PictureError("RLA: invalid image.");
  const bool bottomUp = bottom < top;
  const std::size_t planes = std::size_t(bits / 8);
  // The offset table, and every row it points to with each channel's length
  // and packed bytes, must be in the file; checked before the picture is made.
  if (std::size_t(height) > (in.size() - kHeaderSize) / 4)
    throw PictureError("RLA: offset table past the end of the file");
  for (int r = 0; r < height; ++r) {
    in.seek(kHeaderSize + 4 * std::size_t(r));
    std::size_t at = in.u32be();
    for (std::size_t c = 0; c < planes; ++c) {
      if (at > in.size() || in.size() - at < 2) throw PictureError("RLA: row past the end of the file");
      in.seek(at);
      const std::size_t length = in.u16be();
      if (length > in.remaining()) throw PictureError("RLA: row past the end of the file");
      at += 2 + length;
    }
  }

  // The matte is not shown: only the colour planes are unpacked.
  Picture pic;
  pic.allocateForOverwrite(width, height, bits);  // every row is made
  const std::size_t w = std::size_t(width);
  std::vector<std::uint8_t> plane(w * 3);
  for (int r = 0; r < height; ++r) {
    in.seek(kHeaderSize + 4 * std::size_t(r));
    in.seek(in.u32be());
    std::fill(plane.begin(), plane.end(), 0);
    for (std::size_t c = 0; c < 3; ++c) {
      const std::size_t length = in.u16be();
      const std::size_t start = in.position();
      decodeRlaRle(in, length, std::span<std::uint8_t>(plane).subspan(c * w, w));
      in.seek(start);
      in.skip(length);
    }
    planesToPixels(plane.data(), plane.data() + w, plane.data() + 2 * w, pic.row(bottomUp ? height - 1 - r : r), w);
  }
  return pic;
}

}  // namespace lumora
