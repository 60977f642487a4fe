// The picture preview's box rule: a picture of W x H is shown with its
// proportions kept, as large as fits into 250 x 120, anchored at the box's
// top-left corner; and its size text "W*H".
#pragma once

#include <string>

namespace lumora {

inline constexpr int kPreviewBoxWidth = 250;
inline constexpr int kPreviewBoxHeight = 120;

struct PreviewSize {
  int width = 0;
  int height = 0;
  bool operator==(const PreviewSize&) const = default;
};

// r = W / H; r <= 250 / 120 gives (Round(r * 120), 120), otherwise
// (250, Round(250 / r)), rounding halves to even. A picture without area
// (0 x 0, as an empty GIF gives) has no preview: 0 x 0.
PreviewSize previewSize(int width, int height);

// "800*600".
std::string previewSizeText(int width, int height);

}  // namespace lumora
