// A small process, forked before anything else starts, that locks the
// session through the desktop's own lock when the lock dies without the
// password having been given: it waits on a pipe from the lock; the pipe
// closing (the lock gone, by any cause) while armed calls `lockSession`,
// "released" ends it quietly. Armed only where the lock cannot hold the
// screen itself. It runs in a session of its own, so that killing the lock's
// process group leaves it.
#pragma once

#include <sys/types.h>

#include <functional>

#include "platform/core/unique_fd.h"

namespace lumora {

class SessionLockGuard {
 public:
  // Forks the guard; `lockSession` runs in it. Throws std::runtime_error
  // when it cannot be started.
  static SessionLockGuard start(std::function<void()> lockSession);

  // From now on the lock's death locks the session.
  void arm();
  // The lock ended as it should (the password, or a signal to end): the
  // guard ends without locking.
  void release();
  // The guard process (a child of this one until this one ends).
  pid_t pid() const { return pid_; }

 private:
  SessionLockGuard(UniqueFd pipe, pid_t pid) : pipe_(std::move(pipe)), pid_(pid) {}
  void say(char byte);

  UniqueFd pipe_;
  pid_t pid_ = -1;
};

}  // namespace lumora
