// Windows icons: the largest image of the file, in 1, 4, 8, 24 or 32 bits,
// with its AND mask, counted as 32 bits. Fully masked pixels (AND bit set,
// or alpha 0 in a 32-bit image that has an alpha channel) are black; the
// opacity of the others is not shown. Images stored as PNG inside the icon
// are not read; the largest of the others is taken.
#include <algorithm>
#include <optional>

#include "imaging/byte_reader.h"
#include "imaging/palette.h"
#include "imaging/readers/readers.h"
#include "imaging/rgb_rows.h"

namespace lumora {

namespace {

constexpr const char* kInvalid = "Invalid icon image";
constexpr std::size_t kDirEntrySize = 16;
constexpr std::uint32_t kInfoHeaderSize = 40;

// One image of the directory, its bitmap header checked.
struct IconImage {
  std::span<const std::uint8_t> data;  // the entry's bytes
  int width = 0, height = 0, bits = 0;
  std::size_t colours = 0;
};

std::optional<IconImage> parseImage(std::span<const std::uint8_t> file, std::uint32_t offset, std::uint32_t size) {
  if (offset >= file.size()) return std::nullopt;
  IconImage img;
  img.data = file.subspan(offset, std::min<std::size_t>(size, file.size() - offset));
  ByteReader r(img.data);
  if (img.data.size() < kInfoHeaderSize || r.u32le() != kInfoHeaderSize) return std::nullopt;  // PNG or other
  const auto width = std::int32_t(r.u32le());
  const auto height = std::int32_t(r.u32le());  // colour rows and mask rows together
  r.u16le();                                    // planes
  img.bits = r.u16le();
  const std::uint32_t compression = r.u32le();
  r.skip(12);  // image size, resolution
  const std::uint32_t used = r.u32le();
  if (width <= 0 || height <= 1 || compression != 0) return std::nullopt;
  if (img.bits != 1 && img.bits != 4 && img.bits != 8 && img.bits != 24 && img.bits != 32) return std::nullopt;
  img.width = width;
  img.height = height / 2;
  if (img.bits <= 8) img.colours = used > 0 && used < (1u << img.bits) ? used : std::size_t(1) << img.bits;
  return img;
}

std::size_t strideOf(int width, int bits) { return (std::size_t(width) * std::size_t(bits) + 31) / 32 * 4; }

Picture decodeImage(const IconImage& img) {
  const std::size_t colourStride = strideOf(img.width, img.bits);
  const std::size_t maskStride = strideOf(img.width, 1);
  const std::size_t h = std::size_t(img.height);
  const std::size_t paletteStart = kInfoHeaderSize;
  const std::size_t colourStart = paletteStart + img.colours * 4;
  const std::size_t maskStart = colourStart + colourStride * h;
  if (colourStride > (img.data.size() - std::min(colourStart, img.data.size())) / h) throw PictureError(kInvalid);
  // A missing mask leaves every pixel opaque.
  const bool hasMask = maskStride <= (img.data.size() - std::min(maskStart, img.data.size())) / h;

  Palette palette;
  for (std::size_t i = 0; i < img.colours; ++i) {
    const std::uint8_t* e = img.data.data() + paletteStart + 4 * i;
    palette[i] = rgb(e[2], e[1], e[0]);
  }
  bool alphaChannel = false;
  if (img.bits == 32)
    for (std::size_t y = 0; y < h && !alphaChannel; ++y)
      for (int x = 0; x < img.width && !alphaChannel; ++x)
        alphaChannel = img.data[colourStart + y * colourStride + 4 * std::size_t(x) + 3] != 0;

  Picture picture;
  picture.allocateForOverwrite(img.width, img.height, 32);  // every row is in the file
  for (std::size_t fileRow = 0; fileRow < h; ++fileRow) {
    const std::uint8_t* src = img.data.data() + colourStart + fileRow * colourStride;
    const std::uint8_t* mask = hasMask ? img.data.data() + maskStart + fileRow * maskStride : nullptr;
    Pixel* out = picture.row(int(h - 1 - fileRow));  // stored bottom-up
    if (img.bits <= 8)
      indexedToPixels(src, img.bits, palette, out, std::size_t(img.width));
    else if (img.bits == 24)
      bgrToPixels(src, out, std::size_t(img.width));
    for (std::size_t x = 0; x < std::size_t(img.width); ++x) {
      bool masked = mask && (mask[x / 8] >> (7 - x % 8)) & 1u;
      if (img.bits == 32) {
        const std::uint8_t* px = src + 4 * x;
        out[x] = rgb(px[2], px[1], px[0]);
        masked = masked || (alphaChannel && px[3] == 0);
      }
      if (masked) out[x] = kBlack;
    }
  }
  return picture;
}

}  // namespace

Picture readIcon(const ReaderInput& in) {
  ByteReader r(in.data);
  const unsigned reserved = r.u16le();
  const unsigned type = r.u16le();
  const std::size_t count = r.u16le();
  if (in.data.size() < 6 || reserved != 0 || (type != 1 && type != 2) || count == 0 ||
      count > r.remaining() / kDirEntrySize)
    throw PictureError(kInvalid);

  std::optional<IconImage> best;
  for (std::size_t i = 0; i < count; ++i) {
    r.seek(6 + i * kDirEntrySize + 8);
    const std::uint32_t size = r.u32le();
    const std::uint32_t offset = r.u32le();
    const auto img = parseImage(in.data, offset, size);
    if (!img) continue;
    auto area = [](const IconImage& m) { return std::uint64_t(m.width) * std::uint64_t(m.height); };
    if (!best || area(*img) > area(*best) || (area(*img) == area(*best) && img->bits > best->bits)) best = img;
  }
  if (!best) throw PictureError(kInvalid);
  return decodeImage(*best);
}

}  // namespace lumora
