#include "imaging/exif.h"

#include <cstring>

namespace lumora {

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;

// A window on the TIFF structure inside the block; every read outside it
// reports failure instead of reading.
class TiffView {
 public:
  TiffView(std::span<const std::uint8_t> bytes, bool big) : bytes_(bytes), big_(big) {}

  bool u16(std::size_t at, std::uint16_t& out) const {
    if (at > bytes_.size() || bytes_.size() - at < 2) return false;
    const std::uint8_t* p = bytes_.data() + at;
    out = big_ ? std::uint16_t((p[0] << 8) | p[1]) : std::uint16_t(p[0] | (p[1] << 8));
    return true;
  }
  bool u32(std::size_t at, std::uint32_t& out) const {
    std::uint16_t a = 0, b = 0;
    if (!u16(at, a) || !u16(at + 2, b)) return false;
    out = big_ ? (std::uint32_t(a) << 16) | b : (std::uint32_t(b) << 16) | a;
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  bool big_;
};

}  // namespace

int exifOrientation(std::span<const std::uint8_t> app1) {
  static constexpr std::uint8_t kSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (app1.size() < sizeof kSignature + 8 || std::memcmp(app1.data(), kSignature, sizeof kSignature) != 0) return 1;
  const std::span<const std::uint8_t> tiff = app1.subspan(sizeof kSignature);
  const bool big = tiff[0] == 'M' && tiff[1] == 'M';
  if (!big && !(tiff[0] == 'I' && tiff[1] == 'I')) return 1;
  const TiffView view(tiff, big);
  std::uint16_t magic = 0, count = 0;
  std::uint32_t directory = 0;
  if (!view.u16(2, magic) || magic != 42 || !view.u32(4, directory) || !view.u16(directory, count)) return 1;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = std::size_t(directory) + 2 + 12 * i;
    std::uint16_t tag = 0, type = 0, value = 0;
    std::uint32_t n = 0;
    if (!view.u16(entry, tag) || !view.u16(entry + 2, type) || !view.u32(entry + 4, n) || !view.u16(entry + 8, value))
      return 1;
    if (tag != kOrientationTag) continue;
    if (type != kShortType || n != 1 || value < 1 || value > 8) return 1;
    return value;
  }
  return 1;
}

}  // namespace lumora
