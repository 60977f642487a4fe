// The two metafile formats behind measure() and play().
#pragma once

#include <cstdint>
#include <span>

#include "imaging/metafile/metafile.h"

namespace lumora::metafile {

bool looksLikeEnhanced(std::span<const std::uint8_t> data);
bool looksLikeWindows(std::span<const std::uint8_t> data);

Frame measureWindows(std::span<const std::uint8_t> data, const PlayLimits& limits);
Frame measureEnhanced(std::span<const std::uint8_t> data, const PlayLimits& limits);
void playWindows(std::span<const std::uint8_t> data, const Frame& frame, Canvas& canvas, const PlayLimits& limits);
void playEnhanced(std::span<const std::uint8_t> data, const Frame& frame, Canvas& canvas, const PlayLimits& limits);

// A size in (possibly fractional) pixels as the picture's size: rounded, at
// least 1, the longer side at most limits.maxSide (proportions kept).
// Throws "Metafile has no size." when either side is not positive.
Frame fitFrame(Kind kind, double width, double height, const PlayLimits& limits);

// Little-endian reads inside one record; 0 outside it.
class RecordBytes {
 public:
  explicit RecordBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t size() const { return bytes_.size(); }
  std::uint8_t u8(std::size_t at) const { return at < bytes_.size() ? bytes_[at] : 0; }
  std::uint16_t u16(std::size_t at) const { return std::uint16_t(u8(at) | (u8(at + 1) << 8)); }
  std::int16_t s16(std::size_t at) const { return std::int16_t(u16(at)); }
  std::uint32_t u32(std::size_t at) const { return std::uint32_t(u16(at)) | (std::uint32_t(u16(at + 2)) << 16); }
  std::int32_t s32(std::size_t at) const { return std::int32_t(u32(at)); }
  float f32(std::size_t at) const;
  // The bytes [at, at + n), or an empty span when they are not all there.
  std::span<const std::uint8_t> span(std::size_t at, std::size_t n) const {
    if (at > bytes_.size() || n > bytes_.size() - at) return {};
    return bytes_.subspan(at, n);
  }
  std::span<const std::uint8_t> from(std::size_t at) const {
    return at < bytes_.size() ? bytes_.subspan(at) : std::span<const std::uint8_t>{};
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace lumora::metafile
