#include "imaging/metafile/metafile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imaging/metafile/formats.h"
#include "imaging/picture.h"

namespace lumora::metafile {

float RecordBytes::f32(std::size_t at) const {
  const std::uint32_t bits = u32(at);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

Frame fitFrame(Kind kind, double width, double height, const PlayLimits& limits) {
  if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height))
    throw PictureError("Metafile has no size.");
  const double longer = std::max(width, height);
  const double scale = longer > limits.maxSide ? limits.maxSide / longer : 1.0;
  Frame f;
  f.kind = kind;
  f.width = std::max(1, int(std::lround(width * scale)));
  f.height = std::max(1, int(std::lround(height * scale)));
  return f;
}

Frame measure(std::span<const std::uint8_t> data, const PlayLimits& limits) {
  if (looksLikeEnhanced(data)) return measureEnhanced(data, limits);
  if (looksLikeWindows(data)) return measureWindows(data, limits);
  throw PictureError("Not a valid metafile.");
}

void play(std::span<const std::uint8_t> data, const Frame& frame, Canvas& canvas, const PlayLimits& limits) {
  if (frame.kind == Kind::Enhanced)
    playEnhanced(data, frame, canvas, limits);
  else
    playWindows(data, frame, canvas, limits);
}

}  // namespace lumora::metafile
