// `lumora --idle`, started from the running program.
#pragma once

namespace lumora {

// Runs the idle watcher with this program as the show (`/proc/self/exe`,
// else argv0).
int runIdle(const char* argv0);

}  // namespace lumora
