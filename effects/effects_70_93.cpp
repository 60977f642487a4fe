// Transitions 70 to 93.
#include "effects/effect.h"

namespace lumora {

void installEffects70to93(EffectTable& /*table*/) {}

}  // namespace lumora
