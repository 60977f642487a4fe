// With the password on, the full-screen show is a lock, and a crash of the
// process that draws it must not open the desktop. The first process then
// becomes a watcher: it runs the show as its child and, when the child dies
// by a signal or ends with a non-zero status, runs it again at once. Past
// kMostRestarts within a minute the child runs plain (black, no pictures or
// media, still asking for the password); when even that keeps failing, the
// watcher gives up with the child's status. SIGTERM, SIGINT and SIGHUP to
// the watcher are passed to the show, and both end with status 0.
#pragma once

#include <chrono>
#include <deque>

namespace lumora {

// Set in the child's environment: "1" the show, "plain" the plain show.
inline constexpr const char* kWatchedShowVariable = "LUMORA_WATCHED_SHOW";

// What the watcher does after a child ended, kept apart from the processes
// so it can be tested alone.
class RestartPolicy {
 public:
  static constexpr int kMostRestarts = 5;    // a minute, then the plain show
  static constexpr int kMostPlainFailures = 3;  // a minute, then give up
  enum class Next { End, Restart, RestartPlain, GiveUp };

  // The child ended: `crashed` when by a signal or with a non-zero status.
  Next childEnded(bool crashed, std::chrono::steady_clock::time_point now);

 private:
  std::deque<std::chrono::steady_clock::time_point> restarts_;
  std::deque<std::chrono::steady_clock::time_point> plainFailures_;
  bool plain_ = false;
};

// Runs `argv` (this program's own command line) as the watched show; returns
// the watcher's exit status.
int watchShow(char** argv);

}  // namespace lumora
