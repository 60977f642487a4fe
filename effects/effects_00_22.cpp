// Transitions 00 to 22.
#include "effects/effect.h"

namespace lumora {

void installEffects0to22(EffectTable& /*table*/) {}

}  // namespace lumora
