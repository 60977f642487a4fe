// What the lock sets for itself at its start, whatever its launcher left:
// SIGCHLD and every other signal's action at its default, nothing blocked
// (a launcher that ignores SIGCHLD would have the kernel reap the show
// unseen), and no core dumps (a core would hold the password's hash and
// what was typed into the prompt).
#pragma once

namespace lumora {

void resetInheritedSignals();
void forbidCoreDumps();

}  // namespace lumora
