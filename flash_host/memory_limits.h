// The player's process holds the whole web engine: its memory is kept small
// before the engine starts.
#pragma once

namespace lumora {

// Large blocks (Ruffle's 14 MB module and its copies on the way in) are
// mapped on their own and go back to the system when freed, and the
// engine's many threads share two allocation arenas rather than one each;
// the page is drawn by Qt Quick's software renderer (no OpenGL driver in the
// process) and, under X11, no OpenGL integration is loaded. Runs before the
// application object exists and before any thread is started.
void limitPlayerMemory();

// Hands memory freed since back to the system (after a movie has started).
void returnFreedMemory();

}  // namespace lumora
