#include "region/region_data.h"

#include <limits>

namespace lumora {

namespace {

constexpr std::uint32_t kRectanglesType = 1;  // RDH_RECTANGLES

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

std::uint32_t get32(std::span<const std::uint8_t> in, std::size_t at) {
  return std::uint32_t(in[at]) | (std::uint32_t(in[at + 1]) << 8) | (std::uint32_t(in[at + 2]) << 16) |
         (std::uint32_t(in[at + 3]) << 24);
}

void putRect(std::vector<std::uint8_t>& out, const Rect& r) {
  put32(out, std::uint32_t(r.left));
  put32(out, std::uint32_t(r.top));
  put32(out, std::uint32_t(r.right));
  put32(out, std::uint32_t(r.bottom));
}

Rect getRect(std::span<const std::uint8_t> in, std::size_t at) {
  return {std::int32_t(get32(in, at)), std::int32_t(get32(in, at + 4)), std::int32_t(get32(in, at + 8)),
          std::int32_t(get32(in, at + 12))};
}

}  // namespace

std::vector<std::uint8_t> RegionData::bytes() const {
  std::vector<std::uint8_t> out;
  out.reserve(kRegionHeaderSize + kRegionRectSize * rects.size());
  put32(out, std::uint32_t(kRegionHeaderSize));
  put32(out, kRectanglesType);
  put32(out, std::uint32_t(rects.size()));
  put32(out, 0);  // region size: not needed to rebuild the region
  putRect(out, bounds);
  for (const Rect& r : rects) putRect(out, r);
  return out;
}

RegionData RegionData::parse(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kRegionHeaderSize) throw RegionDataError("Region data too short.");
  const std::uint32_t headerSize = get32(bytes, 0);
  if (headerSize < kRegionHeaderSize || headerSize > bytes.size() || get32(bytes, 4) != kRectanglesType)
    throw RegionDataError("Invalid region data header.");
  const std::uint64_t count = get32(bytes, 8);
  if (count * kRegionRectSize > bytes.size() - headerSize) throw RegionDataError("Region data cut short.");
  RegionData data;
  data.bounds = getRect(bytes, 16);
  data.rects.reserve(std::size_t(count));
  for (std::size_t i = 0; i < count; ++i) data.rects.push_back(getRect(bytes, headerSize + i * kRegionRectSize));
  return data;
}

std::vector<Rect> blackRuns(const Bitmap& mask, std::size_t limit) {
  std::vector<Rect> rects;
  auto black = [](Pixel p) { return redOf(p) + greenOf(p) + blueOf(p) == 0; };
  for (int y = 0; y < mask.height(); ++y) {
    const Pixel* row = mask.row(y);
    int x = 0;
    while (x < mask.width()) {
      if (!black(row[x])) {
        ++x;
        continue;
      }
      if (rects.size() >= limit) return rects;
      const int start = x;
      while (x < mask.width() && black(row[x])) ++x;
      rects.push_back({start, y, x, y + 1});
    }
  }
  return rects;
}

std::optional<RegionData> regionFromMask(const Bitmap& mask) {
  if (mask.empty()) return std::nullopt;
  RegionData data;
  data.bounds = {0, 0, mask.width(), mask.height()};
  data.rects = blackRuns(mask);
  return data;
}

std::vector<std::uint8_t> writeRegionProperty(const std::optional<RegionData>& region) {
  std::vector<std::uint8_t> out;
  if (!region) {
    put32(out, 0);
    return out;
  }
  const std::vector<std::uint8_t> data = region->bytes();
  put32(out, std::uint32_t(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

std::optional<RegionData> readRegionProperty(std::span<const std::uint8_t> stream, std::size_t* consumed) {
  if (stream.size() < 4) throw RegionDataError("Region property cut short.");
  const std::uint32_t n = get32(stream, 0);
  if (n > stream.size() - 4) throw RegionDataError("Region property cut short.");
  if (consumed) *consumed = 4 + std::size_t(n);
  if (n == 0) return std::nullopt;
  return RegionData::parse(stream.subspan(4, n));
}

}  // namespace lumora
