// Transitions 23 to 45.
#include "effects/effect.h"

namespace lumora {

void installEffects23to45(EffectTable& /*table*/) {}

}  // namespace lumora
