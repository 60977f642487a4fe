// `lumora --idle`: stays in the background and runs the show (`PROGRAM /S`,
// a child process) whenever the idle policy says so, until the idle start is
// switched off (`idle` = 0) or a termination signal arrives.
#pragma once

#include <string>

namespace lumora {

// Returns the exit status: 0 when switched off, ended by a signal, or when
// another watcher already runs; 1, after one line on standard error, when
// there is no display, no idle time can be had from it, the lock file or
// the registry file cannot be used, or the connection to the display is lost.
// LUMORA_IDLE_SECONDS=1 makes `idle` count seconds instead of minutes
// (for tests).
int runIdleWatcher(const std::string& program);

}  // namespace lumora
