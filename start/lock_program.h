// With the password on, `lumora /S` becomes the lock: it runs lumora-lock,
// a small program of its own (lock/), in its place, and the lock runs this
// program again as its module (`--locked-show`).
#pragma once

namespace lumora {

// True when the show would run on Wayland (the lock holds X11 screens only
// so far; there the show still watches itself).
bool onWayland();

// Replaces this process with lumora-lock, found beside this program (the
// build tree) or in ../lib/lumora (installed). Returns only when it cannot
// be run, with the reason said on standard error.
void execLockProgram();

}  // namespace lumora
