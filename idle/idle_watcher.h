// `lumora --idle`: stays in the background and runs the show (`PROGRAM /S`,
// a child process) whenever the idle policy says so, until the idle start is
// switched off (`idle` = 0) or a termination signal arrives.
#pragma once

#include <string>

namespace lumora {

// Returns the exit status: 0 when switched off, ended by a signal, or when
// another watcher already runs; 1 when the display cannot be opened.
// LUMORA_IDLE_SECONDS=1 makes `idle` count seconds instead of minutes
// (for tests).
int runIdleWatcher(const std::string& program);

}  // namespace lumora
