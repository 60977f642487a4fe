// The caption painter (`Button1Click` of the stage window): paints the
// caption of `Label2` over the picture that has just arrived, in a face drawn
// from the font list, typed glyph by glyph in a row or a column or drawn whole
// with a growing shadow, in a colour that contrasts with the picture at its
// starting point. It draws straight into the Stage with a clear brush and
// pumps no messages; the screen follows at most once per frame.
#pragma once

#include <QString>
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
  const std::vector<std::string>& fonts;  // ListBox4: face names, ANSI bytes
  int screenW = 0;
  int screenH = 0;
};

// Paints `label2` (ANSI bytes) on `stage`, after each text output telling
// `host` (when given) that the Stage changed. Sets the face, size and colour
// of `font` as it goes. Returns what it drew.
CaptionPlan paintCaption(Bitmap& stage, StageFont& font, const std::string& label2, const CaptionSources& sources,
                         EffectHost* host);

}  // namespace lumora
