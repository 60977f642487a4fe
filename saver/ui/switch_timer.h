// Switching the show's timers on and off.
#pragma once

#include <QTimer>

namespace lumora {

// A timer switched on keeps its time when it already runs: a song that ends
// during a picture's pause must not put the next picture off.
inline void switchTimer(QTimer& timer, bool on) {
  if (!on)
    timer.stop();
  else if (!timer.isActive())
    timer.start();
}

}  // namespace lumora
