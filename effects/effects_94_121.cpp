// Transitions 94 to 121.
#include "effects/effect.h"

namespace lumora {

void installEffects94to121(EffectTable& /*table*/) {}

}  // namespace lumora
