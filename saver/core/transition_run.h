// Running the slide step's transition: paced by the window that shows it,
// then settled so that the Stage ends as FrameBitmap.
#pragma once

#include "effects/effect.h"

namespace lumora {

// Runs effect n. When `minimumMs` > 0 and there is a host, the effect is
// first counted by a dry run and the host is told before and after, so that
// it can spread the transition over at least `minimumMs`.
void runPacedEffect(int n, EffectContext& ctx, const Random& random, int minimumMs);

// Draws `frame` whole onto `stage` when they differ anywhere (some
// transitions leave pixels of the previous picture at some screen sizes) and
// tells `host`. Returns whether it drew.
bool settleStage(const Bitmap& frame, Bitmap& stage, EffectHost* host);

}  // namespace lumora
