// The caption painter (the stage window's paintCurrentCaption()): paints the
// current caption over the picture that has just arrived, in a face drawn
// from the font list, typed glyph by glyph in a row or a column or drawn whole
// with a growing shadow, in a colour that contrasts with the picture at its
// starting point. It draws straight into the Stage with a clear brush (each
// glyph's repeated outputs rasterised once and blended after that, to the
// same pixels: saver/ui/repeated_text.h); the screen follows at most once
// per frame. Between draws it pumps the window messages every few
// milliseconds, so that a key ends the show at once even while a long
// caption is being typed, and it stops when the show has ended.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "effects/effect.h"
#include "graphics/bitmap.h"
#include "graphics/random.h"
#include "saver/core/caption_layout.h"

namespace lumora {

// The Stage's font: the stage window's font, kept from one painter to the
// next. Its design value is "隶书", red, 35 pixels high.
struct StageFont {
  QString face = QStringLiteral("隶书");
  int pixelSize = 35;
  ColorRef colour = 0x000000FFu;  // red
};

struct CaptionSources {
  Random& random;                         // the show's generator
  const std::vector<std::string>& fonts;  // the font list: face names, ANSI bytes
  int screenW = 0;
  int screenH = 0;
  // True once the show has ended (asked after each pump); the rest of the
  // caption is then not drawn.
  std::function<bool()> stopped = {};
};

// How often the painter pumps while it draws.
inline constexpr int kCaptionPumpMs = 15;

// Paints `caption` (ANSI bytes) on `stage`, after each text output telling
// `host` (when given) that the Stage changed, and pumping through it every
// kCaptionPumpMs. Sets the face, size and colour of `font` as it goes.
// Returns what it planned to draw.
CaptionPlan paintCaption(Bitmap& stage, StageFont& font, const std::string& caption, const CaptionSources& sources,
                         EffectHost* host);

}  // namespace lumora
