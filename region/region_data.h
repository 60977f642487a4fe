// Region data in the platform's layout, as a shaped window is built from a
// mask picture and as the "Region" property stores it: a 32-byte header
// (header size 32, type 1 = rectangles, rectangle count, region size 0,
// bounds) followed by the rectangles, 16 bytes each (left, top, right, bottom),
// every field a 32-bit little-endian integer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

#include "graphics/bitmap.h"

namespace lumora {

inline constexpr std::size_t kRegionHeaderSize = 32;
inline constexpr std::size_t kRegionRectSize = 16;
inline constexpr std::size_t kMaxRegionRects = 10000;  // what a mask may give

// Malformed region data or a "Region" property cut short.
class RegionDataError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RegionData {
  Rect bounds;              // (0, 0, width, height) for data made from a mask
  std::vector<Rect> rects;  // right and bottom exclusive

  // The bytes of the platform's layout, 32 + 16 x count of them.
  std::vector<std::uint8_t> bytes() const;
  // Reads the platform's layout. Throws RegionDataError when the header is
  // not that of rectangle data or the rectangles run past the end.
  static RegionData parse(std::span<const std::uint8_t> bytes);

  bool operator==(const RegionData&) const = default;
};

// The runs of pure black pixels (red + green + blue = 0) of each row, top to
// bottom and left to right, each as the rectangle (start, y, end, y + 1). The
// gathering stops at `limit` rectangles.
std::vector<Rect> blackRuns(const Bitmap& mask, std::size_t limit = kMaxRegionRects);

// Region data from a mask: its black pixels form the shape. An empty mask
// yields nothing; a mask without black pixels yields data with no rectangle.
std::optional<RegionData> regionFromMask(const Bitmap& mask);

// The "Region" property: a 32-bit little-endian byte count n, then n bytes of
// region data; n = 0 means no region.
std::vector<std::uint8_t> writeRegionProperty(const std::optional<RegionData>& region);
// Reads the property from the start of `stream`; `consumed` (when given)
// receives the bytes it took. Throws RegionDataError when the stream ends
// early or the data is malformed.
std::optional<RegionData> readRegionProperty(std::span<const std::uint8_t> stream, std::size_t* consumed = nullptr);

}  // namespace lumora
