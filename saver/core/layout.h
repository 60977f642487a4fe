// Where a picture goes on the screen: kept at its size and centred, fitted
// with its proportions kept, or tiled, by the `tptc` and `pp` settings.
#pragma once

namespace lumora {

struct Layout {
  int left = 0, top = 0, width = 0, height = 0;  // the layout rectangle
  bool stretch = false;  // drawn into the rectangle rather than tiled
  bool tiled = false;    // composed as tiles from the top-left corner
  bool operator==(const Layout&) const = default;
};

// The fitting threshold limW x limH for `tptc` (-1: 0 x 0; 0: 640 x 480;
// 1: 800 x 600; 2: 1024 x 768; other values: the screen).
void fittingThreshold(int tptc, int screenW, int screenH, int& limW, int& limH);

// The tile limit for `pp` 0..3 (600, 500, 400, 300); 0 for other values.
int tileLimit(int pp);

// Lays out a picW x picH picture on the screen. A picture smaller than the
// threshold in both directions is centred at its own size (and tiled unless
// `pp` is -1 or it exceeds the tile limit); any other is fitted to the screen
// keeping its proportions. `tptc` -1 makes `pp` count as -1.
Layout layoutPicture(int picW, int picH, int screenW, int screenH, int tptc, int pp);

}  // namespace lumora
