// Kodak Photo-CD reader: the base image (768 x 512), YCC with half-size
// chroma brought to full size by averaging, in one of four orientations.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "graphics/rounding.h"
#include "imaging/readers/readers.h"

namespace lumora {

namespace {

constexpr std::size_t kSignatureOffset = 2048;
constexpr std::size_t kOrientationOffset = 194635;

struct Resolution {
  int width, height;
  std::size_t offset;
};
// By resolution index: Base/16, Base/4, Base.
constexpr std::array<Resolution, 3> kResolutions = {{
    {192, 128, 8192},
    {384, 256, 0xB800},
    {768, 512, 0x30000},
}};
constexpr int kBaseResolution = 2;

std::uint8_t clampRound(long double v) { return std::uint8_t(std::clamp(roundHalfEven(v), 0, 255)); }

// One stored row pair: two luma rows, then the pair's two chroma rows.
struct RowPair {
  const std::uint8_t* luma0;
  const std::uint8_t* luma1;
  const std::uint8_t* c1;
  const std::uint8_t* c2;
};

Picture decodePhotoCd(std::span<const std::uint8_t> data, int resolution) {
  static constexpr char kSignature[] = "PCD_IPI";
  if (data.size() < kSignatureOffset + 7 || std::memcmp(data.data() + kSignatureOffset, kSignature, 7) != 0)
    throw PictureError("PCD: wrong image format.");
  if (resolution < 0 || resolution > 2) throw PictureError("PCD: image size currently not supported");
  const Resolution res = kResolutions[std::size_t(resolution)];
  const int w = res.width, h = res.height, cw = w / 2;
  const std::size_t pairBytes = std::size_t(w) * 3;

  // The whole picture must be in the file (the orientation byte lies before it).
  const std::size_t pairs = std::size_t(h / 2);
  if (data.size() < res.offset || (data.size() - res.offset) / pairBytes < pairs)
    throw PictureError("PCD: image data past the end of the file");
  const int o = kOrientationOffset < data.size() ? data[kOrientationOffset] & 3 : 0;
  const bool onSide = o == 1 || o == 3;
  Picture pic;
  pic.allocateForOverwrite(onSide ? h : w, onSide ? w : h, 24);  // every pixel is placed

  auto place = [&](int x, int y) -> Pixel& {
    int col = x, row = y;
    switch (o) {
      case 1:
        col = y;
        row = w - 1 - x;
        break;
      case 2:
        col = w - 1 - x;
        row = h - 1 - y;
        break;
      case 3:
        col = h - 1 - y;
        row = x;
        break;
      default:
        break;
    }
    return pic.row(row)[col];
  };
  auto pairAt = [&](int p) {
    const std::uint8_t* base = data.data() + res.offset + std::size_t(p) * pairBytes;
    return RowPair{base, base + w, base + 2 * w, base + 2 * w + cw};
  };

  std::vector<std::uint8_t> up1(std::size_t(w) * 2), up2(std::size_t(w) * 2);
  // Chroma at full size for both rows of the pair: values sit at the even
  // columns of the pair's first row; the rest are averages rounded down.
  auto upsample = [&](const std::uint8_t* cur, const std::uint8_t* next, std::uint8_t* out) {
    for (int i = 0; i < cw; ++i) {
      const int i1 = std::min(i + 1, cw - 1);
      const unsigned a = cur[i], b = cur[i1], c = next[i], d = next[i1];
      out[2 * i] = std::uint8_t(a);
      out[2 * i + 1] = std::uint8_t((a + b) >> 1);
      out[w + 2 * i] = std::uint8_t((a + c) >> 1);
      out[w + 2 * i + 1] = std::uint8_t((a + b + c + d) >> 2);
    }
  };
  for (int p = 0; p < int(pairs); ++p) {
    const RowPair cur = pairAt(p);
    const RowPair next = pairAt(p + 1 < int(pairs) ? p + 1 : p);
    upsample(cur.c1, next.c1, up1.data());
    upsample(cur.c2, next.c2, up2.data());
    for (int r = 0; r < 2; ++r) {
      const std::uint8_t* luma = r ? cur.luma1 : cur.luma0;
      const int y = 2 * p + r;
      for (int x = 0; x < w; ++x) {
        const long double Y = 1.3584L * luma[x];
        const long double c1 = int(up1[std::size_t(r) * w + x]) - 156;
        const long double c2 = int(up2[std::size_t(r) * w + x]) - 137;
        const std::uint8_t red = clampRound(Y + 1.8215L * c2);
        const std::uint8_t green = clampRound(Y - 0.9271435L * c2 - 0.4302726L * c1);
        const std::uint8_t blue = clampRound(Y + 2.2179L * c1);
        place(x, y) = rgb(red, green, blue);
      }
    }
  }
  return pic;
}

}  // namespace

Picture readPhotoCd(const ReaderInput& in) { return decodePhotoCd(in.data, kBaseResolution); }

}  // namespace lumora
