// The caption painter's text outputs on the Stage: batches of identical
// outputs (the same text, place, face and colour, with a clear background),
// each output followed by the window's turn. An output of a large glyph
// costs Qt a rasterisation of its outline every time; here a batch is
// rasterised once more, in white on black on a bitmap the size of the Stage
// at the same place, for its coverage, and its outputs after the first two
// are that coverage blended over the Stage as it stands
// (graphics/coverage_blend.h): the same pixels as Qt's, and a repeat costs
// a blend of the inked pixels. The first two outputs are Qt's own, and the
// blend takes over only when it predicted both of them on every pixel of
// the output's box; otherwise (glyphs of two faces meeting in one output,
// a text engine that blends otherwise) Qt draws the whole batch.
#pragma once

#include <QFont>
#include <functional>
#include <vector>

#include "graphics/bitmap.h"
#include "saver/core/caption_layout.h"

namespace lumora {

// Outputs Qt draws before the blend may take over a batch.
inline constexpr int kCheckedTextOutputs = 2;

// How the batches were carried out.
struct RepeatedTextCounts {
  int blended = 0;  // batches finished by the blend
  int drawn = 0;    // batches Qt drew whole
};

// Carries out `draws` on `stage` in `font`: each draw's text with its
// top-left corner at (x, y) in its colour, `times` outputs in a row. After
// each output calls `afterEach` with the Stage area the output can touch
// (its ink's box, widened for antialiasing); once that returns false nothing
// more is drawn and the call returns false. `afterEach` may pump the
// window's events, which may draw on the Stage or give it new memory.
bool drawRepeatedText(Bitmap& stage, const QFont& font, const std::vector<CaptionDraw>& draws,
                      const std::function<bool(const Rect&)>& afterEach, RepeatedTextCounts* counts = nullptr);

}  // namespace lumora
