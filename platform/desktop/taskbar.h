// Hiding and showing the taskbar around the show. On Linux these do nothing:
// the saver's full-screen, stay-on-top window covers the desktop's panels,
// and panels come back on their own when it closes. They are kept as calls so
// the saver's start and end read as they do on every platform.
#pragma once

namespace lumora {

void hideTaskbar();
void showTaskbar();

}  // namespace lumora
