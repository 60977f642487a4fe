#include "settings_window/preview_size.h"

#include "graphics/rounding.h"

namespace lumora {

PreviewSize previewSize(int width, int height) {
  // The quotient has no meaning without area (0 / 0, or a zero height).
  if (width <= 0 || height <= 0) return {};
  const long double r = static_cast<long double>(width) / height;
  const long double limit = static_cast<long double>(kPreviewBoxWidth) / kPreviewBoxHeight;
  if (r <= limit) return {roundHalfEven(r * kPreviewBoxHeight), kPreviewBoxHeight};
  return {kPreviewBoxWidth, roundHalfEven(kPreviewBoxWidth / r)};
}

std::string previewSizeText(int width, int height) { return std::to_string(width) + "*" + std::to_string(height); }

}  // namespace lumora
