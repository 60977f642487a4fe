#include "platform/desktop/taskbar.h"

namespace lumora {

// Nothing to do: see taskbar.h.
void hideTaskbar() {}
void showTaskbar() {}

}  // namespace lumora
