// Where a picture goes on the screen: kept at its size and centred, fitted
// with its proportions kept, or tiled, by the fitting threshold and the
// tiling setting.
#pragma once

#include "settings/show_choices.h"

namespace lumora {

struct Layout {
  int left = 0, top = 0, width = 0, height = 0;  // the layout rectangle
  bool stretch = false;                          // drawn into the rectangle rather than tiled
  bool tiled = false;                            // composed as tiles from the top-left corner
  bool operator==(const Layout&) const = default;
};

// The threshold's size limW x limH (FitAll: 0 x 0; BelowScreen: the screen).
void fittingThreshold(FittingThreshold threshold, int screenW, int screenH, int& limW, int& limH);

// The tile limit in pixels (600, 500, 400, 300); 0 for Off and Unlimited.
int tileLimit(Tiling tiling);

// Lays out a picW x picH picture on the screen. A picture smaller than the
// threshold in both directions is centred at its own size (and tiled unless
// tiling is off or it exceeds the tile limit); any other is fitted to the
// screen keeping its proportions. FitAll turns tiling off.
Layout layoutPicture(int picW, int picH, int screenW, int screenH, FittingThreshold threshold, Tiling tiling);

}  // namespace lumora
