// Running the slide step's transition: paced by the window that shows it,
// then settled so that the Stage ends as FrameBitmap.
#pragma once

#include "effects/effect.h"

namespace lumora {

// Runs effect n. When `minimumMs` > 0 and there is a host, the host is told
// the effect's counts before and after, so that it can spread the
// transition over at least `minimumMs`: `counted` when the dry run was made
// ahead (for this effect, generator state, size and speed), else a dry run
// now, from `random`.
void runPacedEffect(int n, EffectContext& ctx, const Random& random, int minimumMs,
                    const EffectCounts* counted = nullptr);

// Draws `frame` whole onto `stage` when they differ anywhere (some
// transitions leave pixels of the previous picture at some screen sizes) and
// tells `host`. Returns whether it drew.
bool settleStage(const Bitmap& frame, Bitmap& stage, EffectHost* host);

}  // namespace lumora
