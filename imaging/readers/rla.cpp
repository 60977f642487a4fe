// Wavefront RLA reader (rla, rpf): run-length rows of red, green, blue and
// an optional matte channel, found through a table of row offsets.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/byte_reader.h"
#include "imaging/decoders.h"
#include "imaging/readers/readers.h"

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
  Picture pic;
  pic.allocate(width, height, bits);

  const int planes = bits / 8;
  std::vector<std::uint8_t> plane(std::size_t(width) * std::size_t(planes));
  for (int r = 0; r < height; ++r) {
    in.seek(kHeaderSize + 4 * std::size_t(r));
    const std::size_t offset = in.u32be();
    if (offset >= in.size()) continue;  // a row the file does not hold stays empty
    in.seek(offset);
    std::fill(plane.begin(), plane.end(), 0);
    for (int c = 0; c < planes; ++c) {
      const std::size_t length = in.u16be();
      const std::size_t start = in.position();
      decodeRlaRle(in, length, std::span<std::uint8_t>(plane).subspan(std::size_t(c) * width, std::size_t(width)));
      in.seek(start);
      in.skip(length);
    }
    std::uint8_t* dst = pic.row(bottomUp ? height - 1 - r : r);
    static constexpr int kOrder[4] = {2, 1, 0, 3};  // red, green, blue, matte -> blue, green, red, matte
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < planes; ++c) dst[planes * x + kOrder[c]] = plane[std::size_t(c) * width + x];
  }
  return pic;
}

}  // namespace lumora
