// The application's colours with every role set. A palette set on a widget
// as QApplication::palette() gives it sets no role, so the colours of the
// widget's parent (the show's or the lock's black window) would come
// through; this one stands on its own.
#pragma once

#include <QPalette>

namespace lumora {

QPalette applicationPalette();

}  // namespace lumora
