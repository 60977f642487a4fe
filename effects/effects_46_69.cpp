// Transitions 46 to 69.
#include "effects/effect.h"

namespace lumora {

void installEffects46to69(EffectTable& /*table*/) {}

}  // namespace lumora
